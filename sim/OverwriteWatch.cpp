#include "OverwriteWatch.h"

#include <algorithm>
#include <cmath>

#include "ScenarioChecks.h"
#include "ScenarioFields.h"

namespace sim {
namespace {

// The same value: equal numbers (-0.0 and 0 alike, as a whole-number node keeps no sign), or
// both NaN.
bool sameValue(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

}  // namespace

void OverwriteWatch::watch(size_t step, const InputSetting& input) {
    if (!input.value && !input.status) {
        return;
    }
    myWatched.erase(std::remove_if(myWatched.begin(), myWatched.end(),
                                   [&input](const Watched& watched) {
                                       return watched.input.path == input.path;
                                   }),
                    myWatched.end());
    myWatched.push_back(Watched{step, input});
}

void OverwriteWatch::afterCycle(size_t cycleStep, RunWarnings& warnings) {
    for (const Watched& watched : myWatched) {
        const InputSetting& input = watched.input;
        const OutputValue now = readOutput(input.path);
        if (!now.found) {
            continue;
        }
        std::string lost;
        if (input.value && !sameValue(now.value, *input.value)) {
            lost = "\"value\": " + input.valueText + ", now " + formatExactValue(now.value);
        }
        if (input.status && now.status != *input.status) {
            lost += (lost.empty() ? "" : "; ") + std::string("\"status\": ") +
                    std::to_string(*input.status) + ", now " + describeStatus(now.status);
        }
        if (lost.empty()) {
            continue;
        }
        const std::string key = "written over " + input.path;
        if (!warnings.countAgain(key, cycleStep)) {
            warnings.add(key, cycleStep,
                         "step " + std::to_string(watched.step) + ": set " + quoted(input.path) +
                             ": the program wrote over it by the end of the cycle of step " +
                             std::to_string(cycleStep) + " (" + lost + ")");
        }
    }
    myWatched.clear();
}

}  // namespace sim
