#include "SensorLifeTime.h"

#include "NodeIo.h"
#include "TarvoTrace.h"

namespace {

// Trace file 7: the sensor life times.
constexpr uint32_t kFile = 7;
constexpr uint32_t kSingleDestroyedTrace = TraceId(kFile, 0, 7);
constexpr uint32_t kSingleCountedTrace = TraceId(kFile, 1, 7);
constexpr uint32_t kSingleWarningTrace = TraceId(kFile, 2, 5);
constexpr uint32_t kTwofoldDestroyedTrace = TraceId(kFile, 3, 7);
constexpr uint32_t kSensor1CountedTrace = TraceId(kFile, 4, 7);
constexpr uint32_t kSensor2CountedTrace = TraceId(kFile, 5, 7);
constexpr uint32_t kTwofoldWarningTrace = TraceId(kFile, 6, 5);

// Clears the status word of a life-time node that has a status leaf.
void clearStatus(FbDoNode node) {
    FbDoLeaf leaf = FbDo_FindLeaf(node, kFbDoLeafStatus);
    if (leaf != nullptr) {
        FbDo_SetLeafStatus(leaf, 0);
    }
}

}  // namespace

LifeTimeBase::LifeTimeBase(const DoubleParameter& preset, const DoubleParameter& warningLimit,
                           BoolOutputNode warningOutput)
    : myPreset(preset),
      myWarningLimit(warningLimit),
      myWarningOutput(warningOutput),
      myPresetValue(preset.value) {}

LifeTimeBase::LifeTimeBase(const LifeTimeBase& other)
    : myPreset(other.myPreset),
      myWarningLimit(other.myWarningLimit),
      myWarningOutput(other.myWarningOutput),
      myPresetValue(other.myPreset.value) {}

double LifeTimeBase::countDown(FbDoNode node, double life, uint32_t traceId) {
    if (!(life > 0.0)) {
        return life;
    }
    const double counted = life - 1.0;
    TARVO_TRACE(Tarvo_GetTraceSelector(), traceId, TraceFormat(kTraceArgDouble), counted);
    FbDo_WriteDouble(node, counted, nullptr);
    return counted;
}

void LifeTimeBase::publishWarning(bool atOrBelow, bool* warning) {
    node_io::writeBool(myWarningOutput, atOrBelow);
    if (atOrBelow) {
        *warning = true;
    }
}

void LifeTimeBase::resetNode(FbDoNode node) {
    FbDo_WriteDouble(node, myPresetValue, nullptr);
}

SensorLifeTime::SensorLifeTime(const DoubleParameter& preset, const DoubleParameter& warningLimit,
                               DoubleOutputNode lifeTime, BoolOutputNode warningOutput,
                               ItemSignal<void>* resetList)
    : LifeTimeBase(preset, warningLimit, warningOutput),
      myLifeTime(lifeTime),
      myResetList(resetList) {
    myResetList->connect(ItemSignal<void>::Slot(this, &SensorLifeTime::reset));
}

SensorLifeTime::SensorLifeTime(const SensorLifeTime& other)
    : LifeTimeBase(other), myLifeTime(other.myLifeTime), myResetList(other.myResetList) {
    myResetList->connect(ItemSignal<void>::Slot(this, &SensorLifeTime::reset));
}

SensorLifeTime::~SensorLifeTime() {
    TARVO_TRACE(Tarvo_GetTraceSelector(), kSingleDestroyedTrace, TraceFormat());
    myResetList->disconnect(ItemSignal<void>::Slot(this, &SensorLifeTime::reset));
}

void SensorLifeTime::reset() {
    ScopedMutexLock lock(myLock);
    resetNode(myLifeTime);
}

void SensorLifeTime::processCycle(bool dayEnded, bool* warning) {
    ScopedMutexLock lock(myLock);
    takePreset();
    double life = FbDo_ReadLiveDouble(myLifeTime);
    if (dayEnded) {
        life = countDown(myLifeTime, life, kSingleCountedTrace);
    }
    const bool low = atOrBelowLimit(life);
    if (low) {
        TARVO_TRACE(Tarvo_GetTraceSelector(), kSingleWarningTrace,
                    TraceFormat(kTraceArgDouble, kTraceArgDouble), life, limit());
    }
    publishWarning(low, warning);
}

void SensorLifeTime::restore(Buff*) {
    clearStatus(myLifeTime);
}

TwofoldSensorLifeTime::TwofoldSensorLifeTime(const DoubleParameter& preset,
                                             const DoubleParameter& warningLimit,
                                             DoubleOutputNode lifeTime1, DoubleOutputNode lifeTime2,
                                             BoolOutputNode warningOutput,
                                             ItemSignal<void>* resetList1,
                                             ItemSignal<void>* resetList2)
    : LifeTimeBase(preset, warningLimit, warningOutput),
      myLifeTime1(lifeTime1),
      myLifeTime2(lifeTime2),
      myResetList1(resetList1),
      myResetList2(resetList2) {
    connect();
}

TwofoldSensorLifeTime::TwofoldSensorLifeTime(const TwofoldSensorLifeTime& other)
    : LifeTimeBase(other),
      myLifeTime1(other.myLifeTime1),
      myLifeTime2(other.myLifeTime2),
      myResetList1(other.myResetList1),
      myResetList2(other.myResetList2) {
    connect();
}

TwofoldSensorLifeTime::~TwofoldSensorLifeTime() {
    TARVO_TRACE(Tarvo_GetTraceSelector(), kTwofoldDestroyedTrace, TraceFormat());
    myResetList1->disconnect(ItemSignal<void>::Slot(this, &TwofoldSensorLifeTime::resetSensor1));
    myResetList2->disconnect(ItemSignal<void>::Slot(this, &TwofoldSensorLifeTime::resetSensor2));
}

void TwofoldSensorLifeTime::connect() {
    myResetList1->connect(ItemSignal<void>::Slot(this, &TwofoldSensorLifeTime::resetSensor1));
    myResetList2->connect(ItemSignal<void>::Slot(this, &TwofoldSensorLifeTime::resetSensor2));
}

void TwofoldSensorLifeTime::resetSensor1() {
    ScopedMutexLock lock(myLock);
    resetNode(myLifeTime1);
}

void TwofoldSensorLifeTime::resetSensor2() {
    ScopedMutexLock lock(myLock);
    resetNode(myLifeTime2);
}

void TwofoldSensorLifeTime::processCycle(bool dayEnded, bool* warning) {
    ScopedMutexLock lock(myLock);
    takePreset();
    double life1 = FbDo_ReadLiveDouble(myLifeTime1);
    double life2 = FbDo_ReadLiveDouble(myLifeTime2);
    if (dayEnded) {
        life1 = countDown(myLifeTime1, life1, kSensor1CountedTrace);
        life2 = countDown(myLifeTime2, life2, kSensor2CountedTrace);
    }
    const bool low = atOrBelowLimit(life1) || atOrBelowLimit(life2);
    if (low) {
        TARVO_TRACE(Tarvo_GetTraceSelector(), kTwofoldWarningTrace,
                    TraceFormat(kTraceArgDouble, kTraceArgDouble, kTraceArgDouble), life1, life2,
                    limit());
    }
    publishWarning(low, warning);
}

void TwofoldSensorLifeTime::restore(Buff*) {
    clearStatus(myLifeTime1);
    clearStatus(myLifeTime2);
}
