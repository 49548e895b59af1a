// The basic library's stream file calls: the C library's, each of which a test can make fail
// once through the kernel's injected failures, with the errno the failure leaves.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "HostKernel.h"
#include "Kernel.h"
#include "KernelInternal.h"

namespace {

// Consumes an injected failure of `function`; true when one was pending, and then errno holds
// the failure's reason (EIO when none was chosen).
bool failureInjected(const char* function) {
    int errorNumber = EIO;
    {
        host::kernel::Kernel& kernel = host::kernel::Kernel::instance();
        host::kernel::Lock lock(kernel.mutex);
        if (kernel.injectedFailure(function, &errorNumber) == Success) {
            return false;
        }
    }
    errno = errorNumber;
    return true;
}

}  // namespace

void host::failNextFileCall(const char* function, int errorNumber) {
    kernel::Kernel& kernel = kernel::Kernel::instance();
    kernel::Lock lock(kernel.mutex);
    kernel.injectFailure(function, IllegalParameter, 0, errorNumber);
}

namespace basiclib {

std::FILE* fopen(const char* path, const char* mode) {
    host::detail::runCallAction("fopen");
    return failureInjected("fopen") ? nullptr : std::fopen(path, mode);
}

std::size_t fread(void* data, std::size_t size, std::size_t count, std::FILE* stream) {
    return failureInjected("fread") ? 0 : std::fread(data, size, count, stream);
}

std::size_t fwrite(const void* data, std::size_t size, std::size_t count, std::FILE* stream) {
    return failureInjected("fwrite") ? 0 : std::fwrite(data, size, count, stream);
}

int fflush(std::FILE* stream) {
    return failureInjected("fflush") ? EOF : std::fflush(stream);
}

int fclose(std::FILE* stream) {
    const bool fail = failureInjected("fclose");
    const int reason = errno;
    const int result = std::fclose(stream);
    if (fail) {
        errno = reason;
        return EOF;
    }
    return result;
}

int rename(const char* from, const char* to) {
    host::detail::runCallAction("rename");
    return failureInjected("rename") ? -1 : std::rename(from, to);
}

int remove(const char* path) {
    return failureInjected("remove") ? -1 : std::remove(path);
}

int unlinkat(int directory, const char* name, int flags) {
    host::detail::runCallAction("unlinkat");
    return failureInjected("unlinkat") ? -1 : ::unlinkat(directory, name, flags);
}

int fsync(std::FILE* stream) {
    return failureInjected("fsync") ? -1 : ::fsync(fileno(stream));
}

int syncDirectory(const char* path) {
    if (failureInjected("syncDirectory")) {
        return -1;
    }
    const int directory = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory < 0) {
        return -1;
    }
    const int result = ::fsync(directory);
    const int reason = errno;
    ::close(directory);
    errno = reason;
    return result;
}

}  // namespace basiclib
