// A measurement host: an input part and an evaluation part working on what the input read.
#pragma once

#include "MeasurementBase.h"

template <typename Input, typename Evaluation>
class MeasurementHost : public MeasurementBase {
  public:
    // Copies both parts (the copies register themselves where their classes register).
    MeasurementHost(const Input& input, const Evaluation& evaluation)
        : myInput(input), myEvaluation(evaluation) {}

    void restore(Buff* buffer) override { myEvaluation.restore(buffer); }
    void save(Buff& buffer) override { myEvaluation.save(buffer); }

    // The input part first, then the evaluation part on the input part's value and status.
    void process(const PeriodEnds& ends, bool* alarm, bool* warning, bool* generalInputFailure,
                 bool* inputFailure, bool* sensorFailure, bool* unweightedAverage) override {
        myInput.process(alarm, warning, inputFailure, sensorFailure);
        myEvaluation.process(myInput, ends, alarm, warning, generalInputFailure, unweightedAverage);
    }
    void publishClosedPeriods() override { myEvaluation.publishClosedPeriods(); }

  private:
    Input myInput;
    Evaluation myEvaluation;
};
