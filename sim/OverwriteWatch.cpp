#include "OverwriteWatch.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "ScenarioChecks.h"
#include "ScenarioFields.h"

namespace sim {
namespace {

// The same double, NaN and the sign of zero included.
bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof(a)) == 0 || (std::isnan(a) && std::isnan(b));
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

std::vector<std::string> OverwriteWatch::afterCycle(size_t cycleStep) {
    std::vector<std::string> warnings;
    for (const Watched& watched : myWatched) {
        const InputSetting& input = watched.input;
        const OutputValue now = readOutput(input.path);
        if (!now.found) {
            continue;
        }
        std::string lost;
        if (input.value && !sameBits(now.value, *input.value)) {
            lost = "\"value\": " + input.valueText + ", now " + formatExactValue(now.value);
        }
        if (input.status && now.status != *input.status) {
            lost += (lost.empty() ? "" : "; ") + std::string("\"status\": ") +
                    std::to_string(*input.status) + ", now " + describeStatus(now.status);
        }
        if (!lost.empty()) {
            warnings.push_back("step " + std::to_string(watched.step) + ": set " +
                               quoted(input.path) +
                               ": the program wrote over it by the end of the cycle of step " +
                               std::to_string(cycleStep) + " (" + lost + ")");
        }
    }
    myWatched.clear();
    return warnings;
}

}  // namespace sim
