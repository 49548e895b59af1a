// A working directory of the running test alone: ctest runs tests in parallel processes (and
// several builds may run the same test at once), and the data-set file is written to the
// working directory.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

class ScratchDirectory {
  public:
    // Makes a new directory <temporary folder>/<suite>.<test>.XXXXXX (a name that no one else
    // had, created by this process alone) and enters it. When it cannot be made or entered,
    // fails the test and throws std::runtime_error, so nothing runs in another directory.
    ScratchDirectory() {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::string pattern =
            ::testing::TempDir() + test->test_suite_name() + "." + test->name() + ".XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (mkdtemp(name.data()) == nullptr) {
            fail("mkdtemp " + pattern);
        }
        myPath = name.data();
        char previous[4096];
        myPrevious = getcwd(previous, sizeof(previous)) != nullptr ? previous : "";
        if (chdir(myPath.c_str()) != 0) {
            fail("chdir " + myPath);
        }
    }
    // Enters the previous directory again and removes this one with all it holds, folders
    // included, never following a link.
    ~ScratchDirectory() {
        EXPECT_EQ(chdir(myPrevious.c_str()), 0);
        std::error_code ignored;
        std::filesystem::remove_all(myPath, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::string& path() const { return myPath; }

  private:
    // Fails the test with `what` and the operating system's reason, and throws.
    [[noreturn]] void fail(const std::string& what) {
        const std::string text = what + ": " + std::strerror(errno);
        if (!myPath.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(myPath, ignored);
        }
        ADD_FAILURE() << text;
        throw std::runtime_error(text);
    }

    std::string myPath;
    std::string myPrevious;
};
