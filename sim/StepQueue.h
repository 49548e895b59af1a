// The steps of a run, taken in order: those a parsed scenario holds, or those of a scenario
// file, kept meanwhile in a compact scratch file and read back one at a time, so that the
// memory a run takes does not grow with its steps.
#pragma once

#include <cstddef>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Scenario.h"
#include "ScenarioSteps.h"

namespace sim {

class StepQueue {
  public:
    // Reads the steps of a scenario file (Scenario::stepsFile) into `storeFile`, compacted, or
    // takes Scenario::steps; calls `check` on each step, before the run. Throws ScenarioError
    // for a step that is wrong or a store that cannot be written.
    StepQueue(const Scenario& scenario, const std::string& storeFile,
              const std::function<void(const Step&)>& check);
    StepQueue(const StepQueue&) = delete;
    StepQueue& operator=(const StepQueue&) = delete;

    // The next step, or null after the last; the same step until pop().
    const Step* next();
    void pop();

  private:
    // The next step of the store into myCurrent; false at its end.
    bool readStored();

    const Scenario& myScenario;
    size_t myIndex = 0;  // of the next step
    std::ifstream myStore;
    std::unique_ptr<StepParser> myParser;
    std::optional<Step> myCurrent;
    std::vector<uint8_t> myRecord;  // the bytes of the record read last (its room reused)
};

}  // namespace sim
