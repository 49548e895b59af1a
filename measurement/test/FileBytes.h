// Whole-file reads and writes of the tests that look at a file byte by byte.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct FileBytes {
    using Bytes = std::vector<uint8_t>;

    // All bytes of the file at `path` (none when it cannot be read).
    static Bytes read(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    // Replaces the file at `path` with `bytes`.
    static void write(const std::string& path, const Bytes& bytes) {
        std::ofstream file(path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    // True when something stands at `path`.
    static bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }
};
