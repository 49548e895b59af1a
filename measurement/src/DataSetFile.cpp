#include "DataSetFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Kernel.h"
#include "TarvoTrace.h"
#include "VeskTraceFile.h"

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

// The name part of `path` (all of it when it has no directory part).
std::string nameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// How deep the clearing of a stale temporary walks: the temporary directory itself and the
// directories nested in it, each held open while the walk is below it. A stale temporary of
// this writer is a plain file (an interrupted save leaves the file it was writing); a directory
// there is none of its own, and a few levels cover any that a person or a tool may leave.
// A deeper tree is not walked: a directory one level deeper is opened only to be found too
// deep and closed at once. So a clearing holds at most this many directories open plus two:
// the parent of the temporary (held all through), the walked levels and that deeper one.
constexpr int kMaxClearedDepth = 4;

// A stale temporary that holds directories nested deeper than kMaxClearedDepth, not cleared;
// one text, its path. In the trace file of the application object, whose file this is.
constexpr uint32_t kTooDeepTrace = TraceId(vesk_trace::kFile, vesk_trace::kDataSetTooDeepPoint, 4);

// The outcome of removing an entry: nothing left at its name, a failure with errno, or a
// directory nested deeper than the walk goes (left as it was, or partly emptied).
enum class Removal { kDone, kFailed, kTooDeep };

Removal removeEntry(int parent, const char* name, int depth);

// Removes every entry of the directory open as `directory`, which it takes over and closes;
// its entries stand at level `depth` (see removeEntry).
Removal emptyDirectory(int directory, int depth) {
    DIR* stream = ::fdopendir(directory);
    if (stream == nullptr) {
        const int reason = errno;
        ::close(directory);
        errno = reason;
        return Removal::kFailed;
    }
    Removal result = Removal::kDone;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(stream);
        if (entry == nullptr) {
            result = errno == 0 ? Removal::kDone : Removal::kFailed;
            break;
        }
        const bool self = std::strcmp(entry->d_name, ".") == 0;
        const bool up = std::strcmp(entry->d_name, "..") == 0;
        if (!self && !up) {
            result = removeEntry(::dirfd(stream), entry->d_name, depth);
            if (result != Removal::kDone) {
                break;
            }
        }
    }
    const int reason = errno;
    ::closedir(stream);
    errno = reason;
    return result;
}

// Removes the entry `name` of the directory open as `parent`, the entry standing at level
// `depth` (1 the temporary itself, 2 what it holds, ...): a directory with all it holds,
// walked through descriptors opened without following a link, so that the walk never leaves
// the tree below `parent`; anything else (a file, a symbolic link) is unlinked itself, never
// what it points at. An entry swapped for another kind meanwhile fails the removal rather
// than being followed; a directory at a level deeper than kMaxClearedDepth is not walked.
Removal removeEntry(int parent, const char* name, int depth) {
    const int directory = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    int flags = AT_REMOVEDIR;
    if (directory >= 0) {
        if (depth > kMaxClearedDepth) {
            ::close(directory);
            return Removal::kTooDeep;
        }
        const Removal emptied = emptyDirectory(directory, depth + 1);
        if (emptied != Removal::kDone) {
            return emptied;
        }
    } else if (errno == ENOTDIR || errno == ELOOP) {
        flags = 0;  // not a directory, or a link to anything
    } else {
        return errno == ENOENT ? Removal::kDone : Removal::kFailed;
    }
    const bool removed = basiclib::unlinkat(parent, name, flags) == 0 || errno == ENOENT;
    return removed ? Removal::kDone : Removal::kFailed;
}

// Removes whatever stands at `path` (see removeEntry), inside the directory of `path`.
Removal removeAll(const std::string& path) {
    const int parent = ::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0) {
        return Removal::kFailed;
    }
    const Removal result = removeEntry(parent, nameOf(path).c_str(), 1);
    const int reason = errno;
    ::close(parent);
    errno = reason;
    return result;
}

// Clears the stale temporary at `temporary` (see removeAll); throws as a failed write of the
// step "clear stale" when anything is left there, after tracing a tree too deep to walk.
void clearStale(const std::string& temporary) {
    const Removal result = removeAll(temporary);
    if (result == Removal::kTooDeep) {
        TARVO_TRACE(Tarvo_GetTraceSelector(), kTooDeepTrace, TraceFormat(kTraceArgText),
                    temporary.c_str());
        throw std::runtime_error("data-set file not written: clear stale " + temporary +
                                 ": directories nested deeper than " +
                                 std::to_string(kMaxClearedDepth));
    }
    if (result == Removal::kFailed) {
        failWrite("clear stale", temporary, errno);
    }
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
    clearStale(temporary);
    // Created anew ("x"): whatever has come to stand at the name since the clearing (a link
    // above all) fails the creation rather than being written through.
    std::FILE* stream = basiclib::fopen(temporary.c_str(), "wbx");
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
