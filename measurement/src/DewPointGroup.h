// The dew-point analyser: for three sensors the sensor temperature and pressure (upper and
// lower alarms), the water dew point and humidity (upper alarm), and the hydrocarbon dew points
// hcdtp (upper and lower) and thdp (upper): 14 simple inputs averaged with their alarms; the
// group's alarm and input-failure outputs, the analyser's status word and its state for the
// display. Built, restored, cycled and saved on the initial task; the state mask is also asked
// from the display task.
#pragma once

#include <array>
#include <vector>

#include "AlarmParts.h"
#include "AnalyserStatus.h"
#include "Average.h"
#include "InputParts.h"
#include "MeasurementHost.h"
#include "PeriodEnds.h"
#include "Vesk_AccessClasses.h"

class Buff;

class DewPointGroup {
  public:
    using TwoLimitHost = MeasurementHost<SimpleInput, Average<UpperAndLowerAlarm>>;
    using UpperLimitHost = MeasurementHost<SimpleInput, Average<UpperAlarm>>;
    static constexpr std::size_t kHostCount = 14;

    // Fetches and null-checks every node (std::invalid_argument names the missing one; what
    // was built is destroyed again), builds the 14 hosts in the order tdps, tdps2, tdps3,
    // pdps, pdps2, pdps3, twdp, twdp2, twdp3, hwdp, hwdp2, hwdp3, hcdtp, thdp, then the status
    // object.
    DewPointGroup(Vesk_General generalNode, Vesk_DPs dewPointsNode);
    DewPointGroup(const DewPointGroup&) = delete;
    DewPointGroup& operator=(const DewPointGroup&) = delete;
    // Traces, then destroys the hosts in reverse order.
    ~DewPointGroup();

    // Restores the 14 hosts in order from the data-set buffer (null: none).
    void restore(Buff* buffer);
    // The first half of a cycle: runs the hosts, which close the periods `ends` names, keeps
    // the group's flags for publish and ORs them into the caller's collective alarm, warning
    // and input failure (never clears them).
    void update(const PeriodEnds& ends, bool& collectiveAlarm, bool& collectiveWarning,
                bool& collectiveInputFailure);
    // The second half, after the caller saved what the periods' ends closed: publishes the
    // hosts' closed periods and day decisions, writes A_dp and A_IFdp from the kept flags and
    // updates the status word, which latches the hour's word when `ends` (the update's) ends
    // the hour.
    void publish(const PeriodEnds& ends);
    // Appends the 14 hosts' saved states in order.
    void save(Buff& buffer);

    // The analyser's state: 1 ready, 2 alarm, 4 warning, 8 revision (bits), 0 unknown. Reads
    // only the analyser inputs; any task.
    unsigned int deviceStateMask() const;

  private:
    Vesk_General myGeneralNode;
    Vesk_DPs myDewPointsNode;
    BoolOutputNode myAlarmOutput;
    BoolOutputNode myInputFailureOutput;
    WordInputNode myAnalyserStatus;
    BoolInputNode myAnalyserAlarm;
    // The 14 hosts, held by kind and walked in their order for the cycle, restore and save.
    class Hosts {
      public:
        // Builds them in order from nodes fetched anew.
        Hosts(Vesk_General generalNode, Vesk_DPs dewPointsNode);
        Hosts(const Hosts&) = delete;
        Hosts& operator=(const Hosts&) = delete;
        // Destroys them in reverse order.
        ~Hosts();

        const std::array<MeasurementBase*, kHostCount>& inOrder() const { return myOrder; }

      private:
        std::vector<TwoLimitHost> myTwoLimitHosts;
        std::vector<UpperLimitHost> myUpperLimitHosts;
        std::array<MeasurementBase*, kHostCount> myOrder{};
    };

    Hosts myHosts;
    DewPointStatus myStatus;
    ProcessFlags myFlags;  // of the last update
};
