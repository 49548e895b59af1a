#include "DataSetFile.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Kernel.h"

namespace {

// "<what> <path>: <the operating system's reason for errno>".
std::string failure(const char* what, const std::string& path, int errorNumber) {
    return std::string(what) + " " + path + ": " + std::strerror(errorNumber);
}

[[noreturn]] void failWrite(const char* step, const std::string& path, int errorNumber) {
    throw std::runtime_error("data-set file not written: " + failure(step, path, errorNumber));
}

// The directory part of `path` ("." when it has none).
std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Forces the directory of `path` to the medium: "" when done, else the text naming the
// directory and the reason.
std::string syncDirectoryOf(const std::string& path) {
    const std::string directory = directoryOf(path);
    if (basiclib::syncDirectory(directory.c_str()) != 0) {
        return failure("sync directory", directory, errno);
    }
    return std::string();
}

// Removes whatever stands at `path`: a file, or a directory with all it holds. 0 when nothing
// is left there, else -1 with errno.
int removeAll(const std::string& path) {
    struct stat status;
    if (::lstat(path.c_str(), &status) != 0) {
        return errno == ENOENT ? 0 : -1;
    }
    if (S_ISDIR(status.st_mode)) {
        DIR* directory = ::opendir(path.c_str());
        if (directory == nullptr) {
            return -1;
        }
        int result = 0;
        while (const dirent* entry = ::readdir(directory)) {
            const std::string name = entry->d_name;
            if (name != "." && name != ".." && removeAll(path + "/" + name) != 0) {
                result = -1;
                break;
            }
        }
        const int reason = errno;
        ::closedir(directory);
        if (result != 0) {
            errno = reason;
            return -1;
        }
    }
    return basiclib::remove(path.c_str()) == 0 || errno == ENOENT ? 0 : -1;
}

}  // namespace

std::size_t data_set_file::read(const std::string& path, uint8_t* data, std::size_t minimum,
                                std::size_t capacity) {
    std::FILE* stream = basiclib::fopen(path.c_str(), "rb");
    if (stream == nullptr) {
        throw std::runtime_error(failure("open", path, errno));
    }
    const std::size_t got = basiclib::fread(data, 1, capacity, stream);
    const int reason = errno;
    const bool shortFile = got < capacity && std::feof(stream) != 0;
    const bool readError = got < capacity && !shortFile;
    std::fclose(stream);
    if (readError) {
        throw std::runtime_error(failure("read", path, reason));
    }
    if (shortFile && got < minimum) {
        throw BadContent("file " + path + " holds " + std::to_string(got) + " bytes, fewer than " +
                         std::to_string(minimum));
    }
    return got;
}

std::string data_set_file::writeAtomically(const std::string& path, const uint8_t* data,
                                           std::size_t size) {
    const std::string temporary = path + ".new";
    if (removeAll(temporary) != 0) {
        failWrite("clear stale", temporary, errno);
    }
    std::FILE* stream = basiclib::fopen(temporary.c_str(), "wb");
    if (stream == nullptr) {
        failWrite("create", temporary, errno);
    }
    const char* failedStep = nullptr;
    int reason = 0;
    if (basiclib::fwrite(data, 1, size, stream) != size) {
        failedStep = "write";
    } else if (basiclib::fflush(stream) != 0) {
        failedStep = "flush";
    } else if (basiclib::fsync(stream) != 0) {
        failedStep = "sync";
    }
    reason = errno;
    if (basiclib::fclose(stream) != 0 && failedStep == nullptr) {
        failedStep = "close";
        reason = errno;
    }
    if (failedStep == nullptr && basiclib::rename(temporary.c_str(), path.c_str()) != 0) {
        failedStep = "rename";
        reason = errno;
    }
    if (failedStep != nullptr) {
        std::remove(temporary.c_str());
        failWrite(failedStep, temporary, reason);
    }
    return syncDirectoryOf(path);
}

std::string data_set_file::remove(const std::string& path) {
    if (basiclib::remove(path.c_str()) != 0) {
        if (errno == ENOENT) {
            return std::string();
        }
        throw std::runtime_error("data-set file not removed: " + failure("remove", path, errno));
    }
    return syncDirectoryOf(path);
}
