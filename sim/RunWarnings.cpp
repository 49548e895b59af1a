#include "RunWarnings.h"

namespace sim {

void RunWarnings::add(const std::string& key, size_t cycleStep, const std::string& line) {
    if (!countAgain(key, cycleStep)) {
        myIndexOf.emplace(key, myTallies.size());
        myTallies.push_back(Tally{line, 1, cycleStep});
    }
}

bool RunWarnings::countAgain(const std::string& key, size_t cycleStep) {
    const auto found = myIndexOf.find(key);
    if (found == myIndexOf.end()) {
        return false;
    }
    Tally& tally = myTallies[found->second];
    ++tally.cycles;
    tally.lastStep = cycleStep;
    return true;
}

std::vector<std::string> RunWarnings::lines() const {
    std::vector<std::string> lines;
    for (const Tally& tally : myTallies) {
        lines.push_back(tally.cycles == 1 ? tally.line
                                          : tally.line + "; " + std::to_string(tally.cycles) +
                                                " cycles in all, the last of step " +
                                                std::to_string(tally.lastStep));
    }
    return lines;
}

}  // namespace sim
