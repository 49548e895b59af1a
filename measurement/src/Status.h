// Status objects: accumulating event words that the measurement groups publish as values of
// their own (a running word every cycle, the word of the finished hour at each hour's end).
#pragma once

#include <cstdint>

#include "FbDo.h"
#include "ItemSignal.h"
#include "Vesk_AccessClasses.h"
#include "libUtils/ConcurrencyHelper.h"

// An event word in which each bit has a resting level given by the polarity (1 = active-low).
// Used on one task.
class Status {
  public:
    // value = polarity: every bit at its resting level.
    explicit Status(uint32_t polarity) : myValue(polarity), myPolarity(polarity) {}

    // Puts bit `bit` (0-31) to its active level. Throws std::runtime_error
    // "<path>:39 invalid parameter: <bit>" for a bit above 31 and leaves the word unchanged.
    void set(uint32_t bit);
    // Returns the word and puts every bit back to its resting level.
    uint32_t take();
    uint32_t get() const { return myValue; }

  private:
    uint32_t myValue;
    uint32_t myPolarity;
};

// A Status that publishes itself: the running word on a live output every cycle, and the word
// of the finished hour on a latched output in the cycle in which the hour ends. Initial task.
class PublishedStatus : public Status {
  public:
    PublishedStatus(uint32_t polarity, WordOutputNode liveOutput, WordOutputNode latchedOutput)
        : Status(polarity), myLiveOutput(liveOutput), myLatchedOutput(latchedOutput) {}

    // With `hourEnded` (the cycle's one reading of the hour trigger, on which the averages
    // close the hour) writes the hour's word to the latched output and restarts it; always
    // writes the running word to the live output.
    void publish(bool hourEnded);

  private:
    FbDoNode myLiveOutput;
    FbDoNode myLatchedOutput;
};

// The oxygen group's status word (polarity 0x4000). Bits: 0 alarm, 1 warning, 2 revision,
// 3 / 4 life-time reset of sensor 1 / 2 requested, 14 (active low) unweighted averages,
// 15 input failure, 16 zero flow. The reset requests arrive on the display task, each under
// its own lock; everything else runs on the initial task.
class OxygenStatus : public PublishedStatus {
  public:
    // Connects requestReset1 / requestReset2 to the group's two reset signals.
    OxygenStatus(WordOutputNode liveOutput, WordOutputNode latchedOutput,
                 BoolOutputNode alarmOutput, BoolOutputNode warningOutput,
                 BoolOutputNode revisionOutput, ItemSignal<void>* resetSignal1,
                 ItemSignal<void>* resetSignal2, BoolOutputNode inputFailureOutput,
                 BoolInputNode zeroFlowInput);
    OxygenStatus(const OxygenStatus&) = delete;
    OxygenStatus& operator=(const OxygenStatus&) = delete;
    // Disconnects from the reset signals.
    ~OxygenStatus();

    // Records a life-time reset request of sensor 1 / 2 for the next update. Any task.
    void requestReset1();
    void requestReset2();

    // Once a cycle, after the group wrote its outputs: collects this cycle's events (with
    // `unweightedAverage` the group's flag) and publishes, latching the hour's word when
    // `hourEnded` (see PublishedStatus::publish).
    void update(bool unweightedAverage, bool hourEnded);

  private:
    // Takes and clears one request under its lock.
    static bool takeRequest(SharedLocalMutex& lock, uint32_t& request);
    // Sets `bit` when the node's value leaf reads non-zero.
    void setIfTrue(FbDoNode node, uint32_t bit);

    FbDoNode myAlarmOutput;
    FbDoNode myWarningOutput;
    FbDoNode myRevisionOutput;
    FbDoNode myInputFailureOutput;
    FbDoNode myZeroFlowInput;
    SharedLocalMutex myResetLock1;
    SharedLocalMutex myResetLock2;
    uint32_t myResetRequest1 = 0;
    uint32_t myResetRequest2 = 0;
    ItemSignal<void>* myResetSignal1;
    ItemSignal<void>* myResetSignal2;
};
