// A working directory of the running test alone: ctest runs tests in parallel processes (and
// several builds may run the same test at once), and the data-set file is written to the
// working directory.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "ScratchFolder.h"

class ScratchDirectory : public ScratchFolder {
  public:
    // Makes a new directory <temporary folder>/<suite>.<test>.XXXXXX (a ScratchFolder) and
    // enters it. When it cannot be made or entered, fails the test and throws
    // std::runtime_error, so nothing runs in another directory.
    ScratchDirectory() {
        char previous[4096];
        myPrevious = getcwd(previous, sizeof(previous)) != nullptr ? previous : "";
        if (chdir(path().c_str()) != 0) {
            fail("chdir " + path());
        }
    }
    // Enters the previous directory again; then the folder is removed with all it holds.
    ~ScratchDirectory() { EXPECT_EQ(chdir(myPrevious.c_str()), 0); }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  private:
    std::string myPrevious;
};
