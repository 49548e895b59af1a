// A working directory of the running test alone: ctest runs tests in parallel processes (and
// several builds may run the same test at once), and the data-set file is written to the
// working directory.
#pragma once

#include <ftw.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

class ScratchDirectory {
  public:
    // Makes <temporary folder>/<suite>.<test>.<process id> and enters it.
    ScratchDirectory() {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        myPath = ::testing::TempDir() + test->test_suite_name() + "." + test->name() + "." +
                 std::to_string(getpid());
        mkdir(myPath.c_str(), 0700);
        char previous[4096];
        myPrevious = getcwd(previous, sizeof(previous)) != nullptr ? previous : "";
        EXPECT_EQ(chdir(myPath.c_str()), 0);
        removeFiles();
    }
    // Enters the previous directory again and removes this one with all it holds.
    ~ScratchDirectory() {
        EXPECT_EQ(chdir(myPrevious.c_str()), 0);
        removeFiles();
        rmdir(myPath.c_str());
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::string& path() const { return myPath; }

  private:
    // Removes all this directory holds, folders included, never following a link.
    void removeFiles() const {
        nftw(
            myPath.c_str(),
            [](const char* path, const struct stat*, int, FTW* at) {
                if (at->level > 0) {
                    std::remove(path);
                }
                return 0;
            },
            16, FTW_DEPTH | FTW_PHYS);
    }

    std::string myPath;
    std::string myPrevious;
};
