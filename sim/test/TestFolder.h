// A folder of the running test alone: ctest runs tests in parallel processes (and several
// builds may run the same test at once), and a name in the shared temporary folder may be
// anyone's. Everything a test writes goes below it, the work and scratch folders of its runs
// too (TMPDIR pointing into it).
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>

class TestFolder {
  public:
    // Makes a new folder <TMPDIR, else /tmp>/<suite>.XXXXXX with mkdtemp (short: the runs'
    // work folders below it must fit the self-information's base path). When it cannot, fails
    // the test and throws std::runtime_error.
    TestFolder() {
        const char* root = std::getenv("TMPDIR");
        std::string pattern = root != nullptr && *root != '\0' ? root : "/tmp";
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        pattern +=
            std::string(pattern.back() == '/' ? "" : "/") + test->test_suite_name() + ".XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            const std::string text = "mkdtemp " + pattern + ": " + std::strerror(errno);
            ADD_FAILURE() << text;
            throw std::runtime_error(text);
        }
        myPath = pattern;
    }
    // Gives TMPDIR back the value it had (holdTemporaries) and removes the folder with all it
    // holds, never following a link.
    ~TestFolder() {
        if (mySavedTmpdir) {
            setenv("TMPDIR", mySavedTmpdir->c_str(), 1);
        } else if (myTmpdirSet) {
            unsetenv("TMPDIR");
        }
        std::error_code ignored;
        std::filesystem::remove_all(myPath, ignored);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    // The folder's path (no "/" at its end), and the path of `name` below it.
    const std::string& path() const { return myPath; }
    std::string pathOf(const std::string& name) const { return myPath + "/" + name; }

    // The folder "tmp" in it (made on the first call): the temporary folder of the runs.
    std::string temporaries() const {
        const std::string folder = pathOf("tmp");
        std::error_code ignored;
        std::filesystem::create_directory(folder, ignored);
        return folder;
    }
    // Points TMPDIR at temporaries() until the end, for the runs in this process.
    void holdTemporaries() {
        if (const char* old = std::getenv("TMPDIR"); old != nullptr && !myTmpdirSet) {
            mySavedTmpdir = old;
        }
        myTmpdirSet = true;
        setenv("TMPDIR", temporaries().c_str(), 1);
    }
    // How many entries temporaries() holds (what the runs left there).
    size_t temporariesLeft() const {
        std::error_code ignored;
        const std::filesystem::directory_iterator entries(temporaries(), ignored);
        return static_cast<size_t>(std::distance(begin(entries), end(entries)));
    }

  private:
    std::string myPath;
    std::optional<std::string> mySavedTmpdir;  // TMPDIR before holdTemporaries, when it had one
    bool myTmpdirSet = false;
};
