#include "SharedProcessor.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace host {
namespace kernel {
namespace {

// Whether `descriptor` is open on a claim file: a regular file of one link.
bool isClaimFile(int descriptor) {
    struct stat status {};
    return ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) && status.st_nlink == 1;
}

// Opens the claim file at `path` for reading, making it where it is missing; -1 where the name
// holds anything but a claim file or cannot be opened. Waits for nothing and follows no link. An
// existing file is opened without O_CREAT: a shared sticky folder refuses that for another
// user's file.
int openClaimFile(const std::string& path) {
    constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
    int descriptor = ::open(path.c_str(), kFlags);
    if (descriptor < 0 && errno == ENOENT) {
        descriptor = ::open(path.c_str(), kFlags | O_CREAT | O_EXCL, 0666);
        if (descriptor < 0 && errno == EEXIST) {
            descriptor = ::open(path.c_str(), kFlags);
        }
    }
    if (descriptor >= 0 && !isClaimFile(descriptor)) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

// Never destroyed: a run whose first kernel call comes while the process exits still reads it.
std::string& claimFolder() {
    static std::string* const folder = new std::string("/tmp");
    return *folder;
}

}  // namespace

const std::string& runClaimFolder() {
    return claimFolder();
}

void setRunClaimFolder(std::string folder) {
    claimFolder() = std::move(folder);
}

SharedProcessor::SharedProcessor(std::vector<int> processors, std::string claimFolder)
    : processors_(std::move(processors)), claimFolder_(std::move(claimFolder)) {}

SharedProcessor::~SharedProcessor() {
    if (claim_ >= 0) {
        ::close(claim_);
    }
}

int SharedProcessor::start(int running) {
    if (std::find(processors_.begin(), processors_.end(), running) == processors_.end()) {
        running = processors_.front();
    }
    current_ = running;
    if (!claimLowestPlace(running, kPlacesOfAProcessor)) {
        TARVO_TRACE(0, kTraceNoPlace, TraceFormat(kTraceArgText, kTraceArgInt),
                    claimFolder_.c_str(), current_);
    }
    return current_;
}

int SharedProcessor::chooseAgain() {
    claimLowestPlace(current_, place_ >= 0 ? place_ : kPlacesOfAProcessor);
    return current_;
}

std::string SharedProcessor::claimFile(const std::string& claimFolder, int processor, int place) {
    return claimFolder + "/gas-measurement-processor-" + std::to_string(processor) + "-" +
           std::to_string(place) + ".claim";
}

bool SharedProcessor::claimLowestPlace(int first, int below) {
    for (int place = 0; place < below; ++place) {
        if (tryClaim(first, place)) {
            return true;
        }
        for (int processor : processors_) {
            if (processor != first && tryClaim(processor, place)) {
                return true;
            }
        }
    }
    return false;
}

bool SharedProcessor::tryClaim(int processor, int place) {
    const int descriptor = openClaimFile(claimFile(claimFolder_, processor, place));
    if (descriptor < 0) {
        return false;
    }
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        ::close(descriptor);
        return false;
    }
    if (claim_ >= 0) {
        ::close(claim_);
    }
    claim_ = descriptor;
    current_ = processor;
    place_ = place;
    return true;
}

}  // namespace kernel
}  // namespace host
