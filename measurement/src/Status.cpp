#include "Status.h"

#include <stdexcept>
#include <string>

#include "NodeIo.h"

namespace {

// The source path that failure texts name, relative to the repository.
constexpr char kSourcePath[] = "measurement/src/Status.cpp";

// Bits of the oxygen status word; bit 14 rests at 1 and an event clears it.
constexpr uint32_t kOxygenPolarity = 0x4000;
constexpr uint32_t kAlarmBit = 0;
constexpr uint32_t kWarningBit = 1;
constexpr uint32_t kRevisionBit = 2;
constexpr uint32_t kReset1Bit = 3;
constexpr uint32_t kReset2Bit = 4;
constexpr uint32_t kUnweightedBit = 14;
constexpr uint32_t kInputFailureBit = 15;
constexpr uint32_t kZeroFlowBit = 16;

}  // namespace

void Status::set(uint32_t bit) {
    if (bit > 31) {
        throw std::runtime_error(std::string(kSourcePath) +
                                 ":39 invalid parameter: " + std::to_string(bit));
    }
    const uint32_t mask = 1u << bit;
    if ((myPolarity & mask) != 0) {
        myValue &= ~mask;
    } else {
        myValue |= mask;
    }
}

uint32_t Status::take() {
    const uint32_t word = myValue;
    myValue = myPolarity;
    return word;
}

void PublishedStatus::publish(bool hourEnded) {
    if (hourEnded) {
        FbDo_WriteLiveOutput(myLatchedOutput, take(), nullptr);
    }
    FbDo_WriteLiveOutput(myLiveOutput, get(), nullptr);
}

OxygenStatus::OxygenStatus(WordOutputNode liveOutput, WordOutputNode latchedOutput,
                           BoolOutputNode alarmOutput, BoolOutputNode warningOutput,
                           BoolOutputNode revisionOutput, ItemSignal<void>* resetSignal1,
                           ItemSignal<void>* resetSignal2, BoolOutputNode inputFailureOutput,
                           BoolInputNode zeroFlowInput)
    : PublishedStatus(kOxygenPolarity, liveOutput, latchedOutput),
      myAlarmOutput(alarmOutput),
      myWarningOutput(warningOutput),
      myRevisionOutput(revisionOutput),
      myInputFailureOutput(inputFailureOutput),
      myZeroFlowInput(zeroFlowInput),
      myResetSignal1(resetSignal1),
      myResetSignal2(resetSignal2) {
    myResetSignal1->connect(ItemSignal<void>::Slot(this, &OxygenStatus::requestReset1));
    myResetSignal2->connect(ItemSignal<void>::Slot(this, &OxygenStatus::requestReset2));
}

OxygenStatus::~OxygenStatus() {
    myResetSignal1->disconnect(ItemSignal<void>::Slot(this, &OxygenStatus::requestReset1));
    myResetSignal2->disconnect(ItemSignal<void>::Slot(this, &OxygenStatus::requestReset2));
}

void OxygenStatus::requestReset1() {
    ScopedMutexLock lock(myResetLock1);
    myResetRequest1 = 1;
}

void OxygenStatus::requestReset2() {
    ScopedMutexLock lock(myResetLock2);
    myResetRequest2 = 1;
}

bool OxygenStatus::takeRequest(SharedLocalMutex& lock, uint32_t& request) {
    ScopedMutexLock scoped(lock);
    const bool requested = request != 0;
    request = 0;
    return requested;
}

void OxygenStatus::setIfTrue(FbDoNode node, uint32_t bit) {
    FbDoLeaf leaf = FbDo_FindLeaf(node, kFbDoLeafValue);
    if (leaf != nullptr && FbDo_ReadLeafValue(leaf) != 0) {
        set(bit);
    }
}

void OxygenStatus::update(bool unweightedAverage, bool hourEnded) {
    if (unweightedAverage) {
        set(kUnweightedBit);
    }
    const bool reset1 = takeRequest(myResetLock1, myResetRequest1);
    const bool reset2 = takeRequest(myResetLock2, myResetRequest2);
    setIfTrue(myAlarmOutput, kAlarmBit);
    setIfTrue(myWarningOutput, kWarningBit);
    setIfTrue(myRevisionOutput, kRevisionBit);
    if (reset1) {
        set(kReset1Bit);
    }
    if (reset2) {
        set(kReset2Bit);
    }
    if (node_io::isUsableAndTrue(myZeroFlowInput)) {
        set(kZeroFlowBit);
    }
    setIfTrue(myInputFailureOutput, kInputFailureBit);
    publish(hourEnded);
}
