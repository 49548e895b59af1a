// Which processor the threads of a run share where the kernel keeps them on one (see
// keepsThreadsOnOneProcessor), chosen so that the runs of this host on one machine spread over
// the processors they may use.
//
// A run claims a place on a processor: an advisory lock (flock) on a file named after the
// processor and the place in the machine's temporary folder. Place 0 of a processor goes to the
// first run on it, place 1 to the second, and so on; a run takes the lowest free place of any
// processor, that of the processor it is on first. The system lets go of the lock when the run
// ends, however it ends (a killed run included). At quiet points a run that holds no place 0 looks
// for a lower free place again: a run that ended left one, and where it is on another processor the
// run moves there. So runs started together take a processor each while there are enough; more runs
// share them evenly, and stay even as runs end. Where a run runs never changes what it computes.
//
// The claim folder is one others can write, so a claim never waits and never trusts what is at a
// name: it opens a name without following a link, without waiting (a FIFO or a device opens at
// once) and without taking a terminal, and uses only a regular file of one link (not a directory,
// a FIFO, a device or a hard link to a file elsewhere); any other name, and one it cannot open or
// lock, is skipped as if it were held. A regular file another user made there is used like one of
// its own: the lock only places runs, so the most another user can do by holding or spoiling the
// names is keep a run where it started, which is also what a run does when it can claim no place
// at all (another user's files, a read-only or full folder, a file system without flock).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TarvoTrace.h"

namespace host {
namespace kernel {

// The number of places of a processor: beyond, a run holds no place and stays where it is.
constexpr int kPlacesOfAProcessor = 16;

// The trace point of a run that takes no place at its first choice, written once (selector 0):
// the claim folder, the processor it stays on. A notice, not an error (where a run runs never
// changes what it computes): level 4.
constexpr uint32_t kTraceFileSharedProcessor = 0x7f2;
constexpr uint32_t kTraceNoPlace = TraceId(kTraceFileSharedProcessor, 1, 4);  // folder, processor

// The folder of the claim files of the kernel's run: /tmp, shared by all runs on the machine
// whatever their TMPDIR (a run leaves no file in a temporary folder of its own).
const std::string& runClaimFolder();
// Makes `folder` runClaimFolder, for a test that keeps its runs apart from the machine's; before
// the kernel's first call.
void setRunClaimFolder(std::string folder);

// The choice of one run. Not thread-safe: the kernel makes its calls under its mutex.
class SharedProcessor {
  public:
    // A run that may use `processors` (at least one), claiming its places by files in
    // `claimFolder`.
    SharedProcessor(std::vector<int> processors, std::string claimFolder);
    ~SharedProcessor();
    SharedProcessor(const SharedProcessor&) = delete;
    SharedProcessor& operator=(const SharedProcessor&) = delete;

    // The first choice, the run's first thread being on `running` (the first processor where
    // `running` is not one of them): the processor of the lowest free place, `running` first at
    // each place; `running` where no place is free or none can be claimed, which it then writes
    // as kTraceNoPlace. Waits for nothing.
    int start(int running);

    // The choice at a quiet point: where a place lower than the one held is free now, the
    // processor of the lowest (the current one first), its place taken and the old one let go;
    // else the current one. Waits for nothing and writes no trace.
    int chooseAgain();

    // The processor chosen last.
    int current() const { return current_; }
    // The place held on current(): 0 for the first run on it; -1: none held.
    int place() const { return place_; }

    // The claim file of `place` on `processor` in `claimFolder`.
    static std::string claimFile(const std::string& claimFolder, int processor, int place);

  private:
    // Takes the lowest free place below `below`, `first` first at each place; false when none.
    bool claimLowestPlace(int first, int below);
    // Takes `place` on `processor` without waiting, letting go of the place held; whether it
    // was free and its name a claim file.
    bool tryClaim(int processor, int place);

    std::vector<int> processors_;
    std::string claimFolder_;
    int current_ = -1;
    int place_ = -1;
    int claim_ = -1;  // the claim file's descriptor, -1: none held
};

}  // namespace kernel
}  // namespace host
