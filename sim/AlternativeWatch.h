// Names that lie in the alternative a choice does not select: the program neither reads nor
// writes such a node, so an output of it records what it happened to hold and a setting of it
// has no effect. The runner checks the outputs at every cycle, and what the steps set at the
// next cycle (a later step may switch the choice), and counts a warning for each such node.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "HostTree.h"
#include "RunWarnings.h"

namespace sim {

// "" when every choice above the node `path` of `tree` selects the alternative the node lies
// in; else, for the outermost choice that does not: `"<alternative>", an alternative the choice
// "<choice>" does not select (it selects "<selected>")`, names quoted (quoted()).
std::string unselectedAlternative(const host::HostTree& tree, const std::string& path);

class AlternativeWatch {
  public:
    // `outputs` (the scenario's) must outlive the watch.
    explicit AlternativeWatch(const std::vector<std::string>& outputs) : myOutputs(outputs) {}

    // Watches the node `path` that step `step` sets, until the next cycle.
    void watch(size_t step, const std::string& path);
    // After the cycle command of step `cycleStep`: adds to `warnings` one warning for each
    // output and each watched setting whose node lies in an unselected alternative of `tree`,
    // keyed by the node and its use. The watched settings are forgotten afterwards.
    void afterCycle(size_t cycleStep, const host::HostTree& tree, RunWarnings& warnings);
    // Forgets the watched settings (a life ends).
    void clear() { mySettings.clear(); }

  private:
    struct Setting {
        size_t step;
        std::string path;
    };
    const std::vector<std::string>& myOutputs;
    std::vector<Setting> mySettings;
};

}  // namespace sim
