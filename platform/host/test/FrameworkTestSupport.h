// Helpers of the framework tests: a zeroed address-space block, a reset around each test and a
// block with a text dictionary.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "HostFramework.h"
#include "Tarvo.h"
#include "TarvoText.h"

namespace frameworktest {

// A zero-filled address-space block with the given name, language and instance index.
inline std::unique_ptr<AsInfo> makeAsInfo(const char* name = "TestAS", uint8_t language = 0,
                                          uint8_t instance = 1) {
    auto block = std::make_unique<AsInfo>();  // value-initialised: every byte 0
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

// A registered, set-up block whose text service is the framework's dictionary, loaded from
// the JSON text `dictionaryJson()` gives.
class TextServiceTest : public FrameworkTest {
  protected:
    virtual const char* dictionaryJson() const = 0;

    void SetUp() override {
        FrameworkTest::SetUp();
        ASSERT_EQ(Sysmanlib_AsInfo_Register(block.get()), Success);
        ASSERT_NE(Sysmanlib_AsInfo_Setup(block.get(), 0), 0);
        dictionary = textDictionaryOf(block.get());
        ASSERT_EQ(host::setTextDictionary(dictionaryJson()), "");
    }

    std::unique_ptr<AsInfo> block = makeAsInfo();
    const ServiceClient* dictionary = nullptr;
};

}  // namespace frameworktest
