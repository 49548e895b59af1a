// Test expectation shared by the programs' tests: the code range a program handed to the health
// monitor is its executable's code segment.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "AsInfo.h"
#include "Tarvo.h"
#include "TarvoFiles.h"

namespace host_test {

// Expects the code range in `block` to be the executable's code segment, from its start up to
// and with the marker word that ends it, and to hold the program's entry `entry`.
inline void expectTheExecutablesCodeRange(const AsInfo& block, const void* entry) {
    const void* codeStart = nullptr;
    const void* codeEnd = nullptr;
    ASSERT_EQ(Tarvo_GetCodeRange(&codeStart, &codeEnd), Success);
    EXPECT_EQ(block.pCodeStart, codeStart);
    ASSERT_EQ(block.pCodeStart + block.nCodeLength,
              static_cast<const uint8_t*>(codeEnd) + sizeof(uint32_t));
    uint32_t lastWord = 0;
    std::memcpy(&lastWord, codeEnd, sizeof(lastWord));
    EXPECT_EQ(lastWord, kCodeEndMarker);
    const auto entryAddress = reinterpret_cast<uintptr_t>(entry);
    EXPECT_GE(entryAddress, reinterpret_cast<uintptr_t>(block.pCodeStart));
    EXPECT_LT(entryAddress, reinterpret_cast<uintptr_t>(codeEnd));
}

}  // namespace host_test
