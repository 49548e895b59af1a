// The warnings of a run, one line per node and kind of warning however often it comes: the
// line of its first time, and how many cycles it came at and the last, when more than one.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace sim {

class RunWarnings {
  public:
    // Counts the warning `key` (its kind and node) at the cycle of step `cycleStep`; `line`
    // describes it the first time and is dropped afterwards.
    void add(const std::string& key, size_t cycleStep, const std::string& line);
    // When the warning `key` came before: counts it at the cycle of step `cycleStep` and returns
    // true. False for a new key, counted by nothing: add() it with its line.
    bool countAgain(const std::string& key, size_t cycleStep);
    // One line per key, in the order of their first times: that time's line, with
    // "; N cycles in all, the last of step S" when it came at more than one cycle.
    std::vector<std::string> lines() const;

  private:
    struct Tally {
        std::string line;
        size_t cycles = 0;
        size_t lastStep = 0;
    };
    std::vector<Tally> myTallies;             // in the order of their first times
    std::map<std::string, size_t> myIndexOf;  // key -> index in myTallies
};

}  // namespace sim
