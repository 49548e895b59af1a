// The steps of a scenario file, read one at a time: a scenario of any length is never held
// whole in memory (loadScenario keeps none of its steps; the runner reads them again).
#pragma once

#include <cstddef>
#include <functional>
#include <memory>

#include <nlohmann/json.hpp>

#include "Scenario.h"

namespace sim {

// Makes steps of `scenario` from their JSON objects, given in the order of the file, each
// checked as loadScenario checks it (some checks span steps: one parser a pass over them).
class StepParser {
  public:
    // File names in the steps are taken relative to the folder of `scenario.stepsFile`.
    explicit StepParser(const Scenario& scenario);
    ~StepParser();
    StepParser(const StepParser&) = delete;
    StepParser& operator=(const StepParser&) = delete;

    // The next step (numbered on from 1). Throws ScenarioError naming the step and the key.
    Step parse(const nlohmann::json& object);

  private:
    struct Reader;
    std::unique_ptr<Reader> myReader;
    size_t myCount = 0;
};

// Reads the steps of `scenario.stepsFile` one at a time, in order, and hands each to `visit`
// with its JSON object; the file is parsed as a stream, each step forgotten once visited.
// Throws ScenarioError for an unreadable file, invalid JSON or a step that is wrong.
void streamSteps(const Scenario& scenario,
                 const std::function<void(const Step&, const nlohmann::json&)>& visit);

}  // namespace sim
