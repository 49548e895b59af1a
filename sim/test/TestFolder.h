// A folder of the running test alone: ctest runs tests in parallel processes (and several
// builds may run the same test at once), and a name in the shared temporary folder may be
// anyone's. Everything a test writes goes below it, the work and scratch folders of its runs
// too (TMPDIR pointing into it).
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>

#include "ScratchFolder.h"

class TestFolder : public ScratchFolder {
  public:
    // Makes a new folder <TMPDIR, else /tmp>/<suite>.XXXXXX (a ScratchFolder named after the
    // suite alone: the runs' work folders below it must fit the self-information's base path).
    // When it cannot, fails the test and throws std::runtime_error.
    TestFolder() : ScratchFolder(Reach::kOwner, Name::kSuite) {}
    // Gives TMPDIR back the value it had (holdTemporaries); then the folder is removed with all
    // it holds.
    ~TestFolder() {
        if (mySavedTmpdir) {
            setenv("TMPDIR", mySavedTmpdir->c_str(), 1);
        } else if (myTmpdirSet) {
            unsetenv("TMPDIR");
        }
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

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
    std::optional<std::string> mySavedTmpdir;  // TMPDIR before holdTemporaries, when it had one
    bool myTmpdirSet = false;
};
