// The check, before a run, of every parameter a scenario names against the tree made from its
// model: the name must be in the tree, an output must hold a number, and each setting of a `set`
// must suit the node's kind and its range; an import connected to a source takes no value or
// status (it reads its source's: the step must set that). Each refusal is one line (ScenarioError)
// that names the file, the place and the parameter, and says what would do: the nearest names the
// tree has, or what the node takes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "HostTree.h"
#include "Scenario.h"

namespace sim {

class ParameterValidator {
  public:
    // `scenario` and `tree` must outlive the validator.
    ParameterValidator(const Scenario& scenario, const host::HostTree& tree);

    // The names the scenario gives outside its steps ("outputs", "testProgram").
    void validate() const;
    // The names and settings of one step ("set", "expect").
    void validateStep(const Step& step) const;

  private:
    // The node of `path`; refuses a name the tree lacks, offering the nearest names it has.
    FbDoNode require(const std::string& place, const std::string& path) const;
    // Refuses a node of `path` that holds no number (a structure, a choice, a text).
    void requireNumber(const std::string& place, const std::string& path) const;
    void validateSetting(const std::string& place, const InputSetting& input) const;

    const Scenario& myScenario;
    const host::HostTree& myTree;
    // The tree's names, gathered at the first unknown name.
    mutable std::optional<std::vector<std::string>> myNames;
};

}  // namespace sim
