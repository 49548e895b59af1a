// A temporary file path of the running test alone: ctest runs tests in parallel processes, so a
// fixed name in the shared temporary folder would be created and removed by several at once.
#pragma once

#include <gtest/gtest.h>

#include <string>

inline std::string testTempPath(const std::string& name) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string owner = test != nullptr
                            ? std::string(test->test_suite_name()) + "." + test->name() + "_"
                            : std::string();
    for (char& c : owner) {
        if (c == '/') {
            c = '_';  // parameterised test names
        }
    }
    return ::testing::TempDir() + owner + name;
}
