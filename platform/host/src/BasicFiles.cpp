// The basic library's stream file calls: the C library's, each of which a test can make fail
// once through the kernel's injected failures.
#include <cstdio>

#include "Kernel.h"
#include "KernelInternal.h"

namespace {

// Consumes an injected failure of `function`; true when one was pending.
bool failureInjected(const char* function) {
    host::kernel::KernelCall call(function);
    return call.injected != Success;
}

}  // namespace

namespace basiclib {

std::FILE* fopen(const char* path, const char* mode) {
    return failureInjected("fopen") ? nullptr : std::fopen(path, mode);
}

std::size_t fwrite(const void* data, std::size_t size, std::size_t count, std::FILE* stream) {
    return failureInjected("fwrite") ? 0 : std::fwrite(data, size, count, stream);
}

int fflush(std::FILE* stream) {
    return failureInjected("fflush") ? EOF : std::fflush(stream);
}

int fclose(std::FILE* stream) {
    const bool fail = failureInjected("fclose");
    const int result = std::fclose(stream);
    return fail ? EOF : result;
}

int rename(const char* from, const char* to) {
    return failureInjected("rename") ? -1 : std::rename(from, to);
}

}  // namespace basiclib
