// The sulfur analyser: seven sulfur quantities, each an input with upper warning averaged with
// an upper alarm, the group's alarm and input-failure outputs, the analyser's status word and
// its state for the display. Built, restored, cycled and saved on the initial task; the state
// mask is also asked from the display task.
#pragma once

#include <vector>

#include "AlarmParts.h"
#include "AnalyserStatus.h"
#include "Average.h"
#include "InputParts.h"
#include "MeasurementHost.h"
#include "PeriodEnds.h"
#include "Vesk_AccessClasses.h"

class Buff;

class SulfurGroup {
  public:
    using Host = MeasurementHost<InputWithUpperWarning, Average<UpperAlarm>>;
    static constexpr std::size_t kHostCount = 7;

    // Fetches and null-checks every node (std::invalid_argument names the missing one; what
    // was built is destroyed again) and builds the hosts in the order Merc, HC, TS, H2S, COS,
    // MM, EM, then the status object.
    SulfurGroup(Vesk_General generalNode, Vesk_Sulfur sulfurNode);
    SulfurGroup(const SulfurGroup&) = delete;
    SulfurGroup& operator=(const SulfurGroup&) = delete;
    // Traces, then destroys the hosts in reverse order.
    ~SulfurGroup();

    // Restores the seven hosts from the data-set buffer (null: none).
    void restore(Buff* buffer);
    // The first half of a cycle: runs the hosts, which close the periods `ends` names, keeps
    // the group's flags for publish and ORs them into the caller's collective alarm, warning
    // and input failure (never clears them).
    void update(const PeriodEnds& ends, bool& collectiveAlarm, bool& collectiveWarning,
                bool& collectiveInputFailure);
    // The second half, after the caller saved what the periods' ends closed: publishes the
    // hosts' closed periods and day decisions, writes A_S and A_IFS from the kept flags and
    // updates the status word, which latches the hour's word when `ends` (the update's) ends
    // the hour.
    void publish(const PeriodEnds& ends);
    // Appends the seven hosts' saved states.
    void save(Buff& buffer);

    // The analyser's state: 1 ready, 2 alarm, 4 warning, 8 revision (bits), 0 unknown. Reads
    // only the device inputs; any task.
    unsigned int deviceStateMask() const;

  private:
    Vesk_General myGeneralNode;
    Vesk_Sulfur mySulfurNode;
    BoolOutputNode myAlarmOutput;
    BoolOutputNode myInputFailureOutput;
    WordInputNode myDeviceAlarm;
    WordInputNode myDeviceWarning;
    WordInputNode myDeviceRevision;
    std::vector<Host> myHosts;
    SulfurStatus myStatus;
    ProcessFlags myFlags;  // of the last update
};
