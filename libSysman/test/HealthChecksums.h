// The checksums the health monitor should come to for known bytes and files, the paths it must
// refuse, a limit of real time and a way out of root, for the health monitor's tests.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
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

// Makes the paths that are no regular file, which the monitor must never open for reading: a
// FIFO (made now: a repository cannot hold one), a link to a device that reads without end, and
// a link that leads to itself.
inline void makeFifo(const std::filesystem::path& path) {
    ASSERT_EQ(mkfifo(path.c_str(), 0644), 0) << path << ": " << std::strerror(errno);
}
inline void makeDeviceLink(const std::filesystem::path& path) {
    std::filesystem::create_symlink("/dev/zero", path);
}
inline void makeLinkLoop(const std::filesystem::path& path) {
    std::filesystem::create_symlink(path.filename(), path);
}

// Ends the test program (exit status 1, with a message) when it is still alive `seconds` of real
// time after this is made: a task blocked in a file read never lets virtual time go on, so a
// hang there would otherwise last until ctest's own time-out.
class RealTimeLimit {
  public:
    explicit RealTimeLimit(unsigned seconds) {
        std::signal(SIGALRM, expired);
        alarm(seconds);
    }
    ~RealTimeLimit() {
        alarm(0);
        std::signal(SIGALRM, SIG_DFL);
    }
    RealTimeLimit(const RealTimeLimit&) = delete;
    RealTimeLimit& operator=(const RealTimeLimit&) = delete;

  private:
    static void expired(int) {
        static const char message[] = "real-time limit passed: the health monitor hangs\n";
        [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, message, sizeof message - 1);
        _exit(1);
    }
};

// Runs the rest of a death test's child as an ordinary user when it runs as root, who may read
// and search everything: the permission cases need a user that permissions bind. A folder the
// child must reach has to be readable and searchable for others (ScratchFolder's kDroppedUser).
inline void dropRootPrivileges() {
    constexpr uid_t kNobody = 65534;
    if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
        std::fprintf(stderr, "cannot leave root\n");
        _exit(2);
    }
}

}  // namespace healthtest
