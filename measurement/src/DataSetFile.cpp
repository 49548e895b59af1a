#include "DataSetFile.h"

#include <cstdio>
#include <stdexcept>

#include "Kernel.h"

namespace {

[[noreturn]] void fail(const char* step, const std::string& path) {
    throw std::runtime_error(std::string("data-set file not written: ") + step + " " + path);
}

}  // namespace

void data_set_file::writeAtomically(const std::string& path, const uint8_t* data,
                                    std::size_t size) {
    const std::string temporary = path + ".new";
    std::FILE* stream = basiclib::fopen(temporary.c_str(), "wb");
    if (stream == nullptr) {
        fail("create", temporary);
    }
    const char* failedStep = nullptr;
    if (basiclib::fwrite(data, 1, size, stream) != size) {
        failedStep = "write";
    } else if (basiclib::fflush(stream) != 0) {
        failedStep = "flush";
    }
    if (basiclib::fclose(stream) != 0 && failedStep == nullptr) {
        failedStep = "close";
    }
    if (failedStep == nullptr && basiclib::rename(temporary.c_str(), path.c_str()) != 0) {
        failedStep = "rename";
    }
    if (failedStep != nullptr) {
        std::remove(temporary.c_str());
        fail(failedStep, temporary);
    }
}
