// What the gas calculation program's benchmark and its cycle probe share: the program set up on
// one layout, the live measuring pressures, and the gas-property calls of one calculation cycle.
#pragma once

#include <memory>
#include <string>

#include "AsInfo.h"

class Taste;

namespace calorant_bench {

// The measuring pressures of a live line: two values taken in turn (bar).
constexpr double kLivePressures[2] = {50.0, 50.5};

// The program set up on the layout of `taste` as the hooks leave it after RUN and its first
// cycle (which reloads the parameters); `ok` tells whether every hook succeeded.
class CalorantSetUp {
  public:
    explicit CalorantSetUp(const std::string& taste);
    ~CalorantSetUp();
    CalorantSetUp(const CalorantSetUp&) = delete;
    CalorantSetUp& operator=(const CalorantSetUp&) = delete;

    AsInfo* asInfo() { return myAsInfo.get(); }
    bool ok = false;

  private:
    std::unique_ptr<AsInfo> myAsInfo = std::make_unique<AsInfo>();
};

// The gas-property calls of one live calculation cycle of the set-up layout at measuring
// pressure `p`, with the arguments the cycle gives them: the ISO 6976 properties (where the
// layout has their node), both DETAIL modes at the source conditions, the 12-component
// calculator's load and (where the layout has its node) its density solve, the measuring state's
// Z and the Z of both base states.
void runCycleNumerics(const Taste& taste, double p);

}  // namespace calorant_bench
