// The oxygen best value with its revision (maintenance) switch: while revision is on the best
// value is held, otherwise it follows the value the input part chose. The display switches
// revision through the group's revision signal, and the best-value process switches it off
// when the operator's access right is withdrawn.
#pragma once

#include <cstdint>

#include "FbDo.h"
#include "ItemSignal.h"
#include "MemberSlot.h"
#include "NodeIo.h"
#include "PeriodEnds.h"
#include "Tarvo.h"
#include "Vesk_AccessClasses.h"
#include "libUtils/ConcurrencyHelper.h"

class Buff;

class BestValue {
  public:
    // Registers setRevision in `revisionList`; `changeRecord` is told every change of state.
    BestValue(DoubleOutputNode valueOutput, BoolOutputNode revisionOutput,
              ItemSignal<int>* revisionList, MemberSlot<void(bool)>* changeRecord);
    // The copy takes the state, a mutex of its own, and registers itself.
    BestValue(const BestValue& other);
    BestValue& operator=(const BestValue&) = delete;
    // Deregisters from the revision list.
    ~BestValue();

    // Switches revision on or off and tells the change record (while the lock is held) when the
    // state changed. Any task.
    void setRevision(bool on);
    // The revision state and its negation. Any task.
    bool isRevisionOn() const;
    bool isRevisionOff() const { return !isRevisionOn(); }

    // One cycle: revision off without access right 12; revision on writes Rev_O2 true, holds
    // the best value and sets `warning`; off writes Rev_O2 false and publishes the input part's
    // value with its status as the best value. Initial task.
    // The period ends play no part.
    template <typename Input>
    void process(const Input& input, const PeriodEnds& ends, bool* alarm, bool* warning,
                 bool* generalInputFailure, bool* unweightedAverage);

    // Nothing is saved, restored or published at a period's end.
    void restore(Buff*) {}
    void save(Buff&) const {}
    void publishClosedPeriods() {}

  private:
    // Access right that keeps revision mode allowed.
    static constexpr uint32_t kRevisionRight = 12;

    ItemSignal<int>::Slot revisionSlot() {
        return ItemSignal<int>::Slot(this, &BestValue::setRevision);
    }

    FbDoNode myValueOutput;
    FbDoNode myRevisionOutput;
    mutable SharedLocalMutex myLock;
    bool myRevision = false;
    ItemSignal<int>* myRevisionList;
    MemberSlot<void(bool)>* myChangeRecord;
};

template <typename Input>
void BestValue::process(const Input& input, const PeriodEnds&, bool*, bool* warning, bool*, bool*) {
    if (Tarvo_CheckAccess(Sysmanlib_AsInfo_GetCurrent(), kRevisionRight) != 0) {
        setRevision(false);
    }
    ScopedMutexLock lock(myLock);
    if (myRevision) {
        node_io::writeBool(myRevisionOutput, true);
        *warning = true;
        return;
    }
    node_io::writeBool(myRevisionOutput, false);
    node_io::writeDouble(myValueOutput, input.getValue(), input.getStatus());
}
