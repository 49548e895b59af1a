#include "BestValue.h"

#include "TarvoTrace.h"

namespace {

// Trace file 6: the best value.
constexpr uint32_t kDestroyedTrace = TraceId(6, 0, 7);
constexpr uint32_t kSwitchedTrace = TraceId(6, 1, 7);
constexpr uint32_t kUnchangedTrace = TraceId(6, 2, 7);

const char* onOff(bool on) {
    return on ? "ON" : "OFF";
}

}  // namespace

BestValue::BestValue(DoubleOutputNode valueOutput, BoolOutputNode revisionOutput,
                     ItemSignal<int>* revisionList, MemberSlot<void(bool)>* changeRecord)
    : myValueOutput(valueOutput),
      myRevisionOutput(revisionOutput),
      myRevisionList(revisionList),
      myChangeRecord(changeRecord) {
    myRevisionList->connect(revisionSlot());
}

BestValue::BestValue(const BestValue& other)
    : myValueOutput(other.myValueOutput),
      myRevisionOutput(other.myRevisionOutput),
      myRevision(other.isRevisionOn()),
      myRevisionList(other.myRevisionList),
      myChangeRecord(other.myChangeRecord) {
    myRevisionList->connect(revisionSlot());
}

BestValue::~BestValue() {
    TARVO_TRACE(Tarvo_GetTraceSelector(), kDestroyedTrace, TraceFormat());
    myRevisionList->disconnect(revisionSlot());
}

void BestValue::setRevision(bool on) {
    ScopedMutexLock lock(myLock);
    if (on == myRevision) {
        TARVO_TRACE(Tarvo_GetTraceSelector(), kUnchangedTrace, TraceFormat(kTraceArgText),
                    onOff(myRevision));
        return;
    }
    TARVO_TRACE(Tarvo_GetTraceSelector(), kSwitchedTrace, TraceFormat(kTraceArgText, kTraceArgText),
                onOff(myRevision), onOff(on));
    myRevision = on;
    (*myChangeRecord)(on);
}

bool BestValue::isRevisionOn() const {
    ScopedMutexLock lock(myLock);
    return myRevision;
}
