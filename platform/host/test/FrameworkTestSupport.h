// Helpers of the framework tests: a zeroed address-space block and a reset around each test.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "HostFramework.h"
#include "Tarvo.h"

namespace frameworktest {

// A zero-filled address-space block with the given name, language and instance index.
inline std::unique_ptr<AsInfo> makeAsInfo(const char* name = "TestAS", uint8_t language = 0,
                                          uint8_t instance = 1) {
    auto block = std::make_unique<AsInfo>();
    std::memset(block.get(), 0, sizeof(AsInfo));
    std::strncpy(block->selfInfo.szAsName, name, sizeof(block->selfInfo.szAsName) - 1);
    block->selfInfo.nLanguage = language;
    block->selfInfo.nInstance = instance;
    return block;
}

// Resets the framework before and after each test.
class FrameworkTest : public ::testing::Test {
  protected:
    void SetUp() override { host::resetFramework(); }
    void TearDown() override { host::resetFramework(); }
};

}  // namespace frameworktest
