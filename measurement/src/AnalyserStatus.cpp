#include "AnalyserStatus.h"

#include "NodeIo.h"
#include "ValueStatus.h"

namespace {

constexpr uint32_t kAnalyserPolarity = 0x4000;
constexpr uint32_t kUnweightedBit = 14;
constexpr uint32_t kInputFailureBit = 15;
constexpr uint32_t kZeroFlowBit = 16;

// Status bit of each device input of the sulfur analyser: alarm, warning, revision.
constexpr uint32_t kDeviceAlarmBit = 0;
constexpr uint32_t kDeviceWarningBit = 1;
constexpr uint32_t kDeviceRevisionBit = 2;

// The dew-point analyser's word: its bit 0x20 << n gives status bit 4 + n, except that word
// bits 0x200 to 0x2000 skip status bit 8.
struct WordBit {
    uint32_t wordMask;
    uint32_t statusBit;
};
constexpr WordBit kDewPointWordBits[] = {
    {0x20, 4},   {0x40, 5},   {0x80, 6},    {0x100, 7},   {0x200, 9},
    {0x400, 10}, {0x800, 11}, {0x1000, 12}, {0x2000, 13},
};
constexpr uint32_t kAnalyserAlarmBit = 4;

// Sets `bit` when the word input is in use, usable and not 0.
void setIfActive(Status& status, FbDoNode node, uint32_t bit) {
    uint32_t word = 0;
    if (analyser_input::readUsableWord(node, &word) && word != 0) {
        status.set(bit);
    }
}

// The events both analyser words share: the zero-flow input, and the group's input-failure
// output as written this cycle (no status test on the output).
void setCommonBits(Status& status, FbDoNode zeroFlowInput, FbDoNode inputFailureOutput) {
    if (node_io::isUsableAndTrue(zeroFlowInput)) {
        status.set(kZeroFlowBit);
    }
    if (node_io::leafBool(inputFailureOutput)) {
        status.set(kInputFailureBit);
    }
}

}  // namespace

bool analyser_input::readUsableWord(FbDoNode node, uint32_t* word) {
    if (FbDo_IsInUse(node) == 0) {
        return false;
    }
    uint32_t status = 0;
    const uint32_t value = FbDo_ReadWordWithStatus(node, 0, &status, 0);
    if (!isUsable(status)) {
        return false;
    }
    *word = value;
    return true;
}

SulfurStatus::SulfurStatus(WordOutputNode liveOutput, WordOutputNode latchedOutput,
                           WordInputNode deviceAlarm, WordInputNode deviceWarning,
                           WordInputNode deviceRevision, BoolOutputNode inputFailureOutput,
                           BoolInputNode zeroFlowInput)
    : PublishedStatus(kAnalyserPolarity, liveOutput, latchedOutput),
      myDeviceAlarm(deviceAlarm),
      myDeviceWarning(deviceWarning),
      myDeviceRevision(deviceRevision),
      myInputFailureOutput(inputFailureOutput),
      myZeroFlowInput(zeroFlowInput) {}

void SulfurStatus::update(bool unweightedAverage, bool hourEnded) {
    if (unweightedAverage) {
        set(kUnweightedBit);
    }
    setIfActive(*this, myDeviceAlarm, kDeviceAlarmBit);
    setIfActive(*this, myDeviceWarning, kDeviceWarningBit);
    setIfActive(*this, myDeviceRevision, kDeviceRevisionBit);
    setCommonBits(*this, myZeroFlowInput, myInputFailureOutput);
    publish(hourEnded);
}

DewPointStatus::DewPointStatus(WordOutputNode liveOutput, WordOutputNode latchedOutput,
                               WordInputNode analyserStatus, BoolInputNode analyserAlarm,
                               BoolOutputNode inputFailureOutput, BoolInputNode zeroFlowInput)
    : PublishedStatus(kAnalyserPolarity, liveOutput, latchedOutput),
      myAnalyserStatus(analyserStatus),
      myAnalyserAlarm(analyserAlarm),
      myInputFailureOutput(inputFailureOutput),
      myZeroFlowInput(zeroFlowInput) {}

void DewPointStatus::update(bool unweightedAverage, bool hourEnded) {
    if (unweightedAverage) {
        set(kUnweightedBit);
    }
    uint32_t word = 0;
    if (analyser_input::readUsableWord(myAnalyserStatus, &word)) {
        for (const WordBit& mapping : kDewPointWordBits) {
            if ((word & mapping.wordMask) != 0) {
                set(mapping.statusBit);
            }
        }
    }
    if (node_io::isUsableAndTrue(myAnalyserAlarm)) {
        set(kAnalyserAlarmBit);
    }
    setCommonBits(*this, myZeroFlowInput, myInputFailureOutput);
    publish(hourEnded);
}
