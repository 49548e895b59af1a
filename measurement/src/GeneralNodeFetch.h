// The General node's inputs and delays as each measurement part of a group fetches them: every
// call fetches the child anew and passes it through the null check with the group's check text
// ("myGeneralNode.getImp_Qn()", ...), so that each part holds handles and parameter objects of
// its own. Used while a group is built, on the initial task.
#pragma once

#include "Average.h"
#include "Parameter.h"
#include "Vesk_AccessClasses.h"

class GeneralNodeFetch {
  public:
    explicit GeneralNodeFetch(Vesk_General generalNode) : myGeneralNode(generalNode) {}

    // Imp_Qn, Imp_zeroQn, TrigAvg_Hour, TrigAvg_Day. Throw std::invalid_argument when missing.
    DoubleInputNode flow() const {
        return checkNotNull(myGeneralNode.getImp_Qn(), "myGeneralNode.getImp_Qn()");
    }
    BoolInputNode zeroFlow() const {
        return checkNotNull(myGeneralNode.getImp_zeroQn(), "myGeneralNode.getImp_zeroQn()");
    }
    TriggerNode hourTrigger() const {
        return checkNotNull(myGeneralNode.getTrigAvg_Hour(), "myGeneralNode.getTrigAvg_Hour()");
    }
    TriggerNode dayTrigger() const {
        return checkNotNull(myGeneralNode.getTrigAvg_Day(), "myGeneralNode.getTrigAvg_Day()");
    }

    // A new parameter object (default 0) over PowerOn_Delay / StartUp_Delay.
    UnsignedParameter powerOnDelay() const {
        return UnsignedParameter(
            checkNotNull(myGeneralNode.getPowerOn_Delay(), "myGeneralNode.getPowerOn_Delay()"), 0);
    }
    UnsignedParameter startUpDelay() const {
        return UnsignedParameter(
            checkNotNull(myGeneralNode.getStartUp_Delay(), "myGeneralNode.getStartUp_Delay()"), 0);
    }

    // The nodes of an average: the flow inputs fetched anew, with the quantity's four mean
    // outputs (current hour, current day, last hour, last day).
    AverageNodes averageNodes(DoubleOutputNode currentHour, DoubleOutputNode currentDay,
                              DoubleOutputNode lastHour, DoubleOutputNode lastDay) const {
        return AverageNodes{flow(), zeroFlow(), currentHour, currentDay, lastHour, lastDay};
    }

  private:
    Vesk_General myGeneralNode;
};
