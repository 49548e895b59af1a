// Status words of the sulfur and dew-point analysers: published like every group status word
// (live each cycle, latched at each hour), built from the analyser's own inputs, the group's
// input-failure output and the zero-flow input. Initial task.
#pragma once

#include <cstdint>

#include "Status.h"
#include "Vesk_AccessClasses.h"

// The state of an analyser for the display, a set of bits; 0 means unknown.
enum DeviceState : unsigned int {
    kDeviceReady = 1,
    kDeviceAlarm = 2,
    kDeviceWarning = 4,
    kDeviceRevision = 8,
};

// The sulfur analyser (polarity 0x4000). Bits: 0 / 1 / 2 device alarm / warning / revision
// input usable and not 0, 14 (active low) unweighted averages, 15 input failure, 16 zero flow.
class SulfurStatus : public PublishedStatus {
  public:
    SulfurStatus(WordOutputNode liveOutput, WordOutputNode latchedOutput, WordInputNode deviceAlarm,
                 WordInputNode deviceWarning, WordInputNode deviceRevision,
                 BoolOutputNode inputFailureOutput, BoolInputNode zeroFlowInput);

    // Once a cycle, after the group wrote its outputs: collects this cycle's events (with
    // `unweightedAverage` the group's flag) and publishes, latching the hour's word when
    // `hourEnded` (see PublishedStatus::publish).
    void update(bool unweightedAverage, bool hourEnded);

  private:
    FbDoNode myDeviceAlarm;
    FbDoNode myDeviceWarning;
    FbDoNode myDeviceRevision;
    FbDoNode myInputFailureOutput;
    FbDoNode myZeroFlowInput;
};

// The dew-point analyser (polarity 0x4000). Bits: 4 to 13 the analyser's status word bits
// 0x20 to 0x2000 (bit 8 never; bit 4 also for the analyser alarm input), 14 (active low)
// unweighted averages, 15 input failure, 16 zero flow.
class DewPointStatus : public PublishedStatus {
  public:
    DewPointStatus(WordOutputNode liveOutput, WordOutputNode latchedOutput,
                   WordInputNode analyserStatus, BoolInputNode analyserAlarm,
                   BoolOutputNode inputFailureOutput, BoolInputNode zeroFlowInput);

    // As SulfurStatus::update.
    void update(bool unweightedAverage, bool hourEnded);

  private:
    FbDoNode myAnalyserStatus;
    FbDoNode myAnalyserAlarm;
    FbDoNode myInputFailureOutput;
    FbDoNode myZeroFlowInput;
};

namespace analyser_input {

// Reads a word input that is in use and usable into `*word`; false (and `*word` untouched)
// when the node is not in use or its status has a bit that makes it unusable.
bool readUsableWord(FbDoNode node, uint32_t* word);

}  // namespace analyser_input
