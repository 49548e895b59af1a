// The checksums the health monitor should come to for known bytes and files, and a folder of
// the running test alone, for the health monitor's tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "Tarvo.h"

namespace healthtest {

inline uint32_t checksumOfBytes(const void* data, size_t length) {
    uint32_t sum = 0;
    checksumInit(&sum);
    checksumUpdate(&sum, data, static_cast<uint32_t>(length));
    return sum;
}

inline uint32_t checksumOfText(const std::string& text) {
    return checksumOfBytes(text.data(), text.size());
}

// The checksum over checksum values, 4 bytes each in memory order.
inline uint32_t checksumOfSums(const std::vector<uint32_t>& sums) {
    return checksumOfBytes(sums.data(), sums.size() * sizeof(uint32_t));
}

// The directory checksum of (name, contents) files in this order: each name, then the 4 bytes
// of its contents' checksum.
inline uint32_t dirChecksumOf(const std::vector<std::pair<std::string, std::string>>& files) {
    std::string bytes;
    for (const auto& [name, contents] : files) {
        const uint32_t sum = checksumOfText(contents);
        bytes += name;
        bytes.append(reinterpret_cast<const char*>(&sum), sizeof(sum));
    }
    return checksumOfText(bytes);
}

// A new folder "<temp>/<prefix>-<test name>-<random number>": test programs run side by side
// (ctest -j, several build trees), so no two share it.
inline std::filesystem::path uniqueTestFolder(const std::string& prefix) {
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        (prefix + "-" + test + "-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace healthtest
