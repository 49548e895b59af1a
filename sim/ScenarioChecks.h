// The checks of a scenario step: parameters of the address space's tree, the events of the
// simulated system manager, the records the display peer received and the display they left,
// and files of the work folder. Each check gives one result line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DisplayModel.h"
#include "HostService.h"
#include "Scenario.h"
#include "SimEvents.h"

namespace sim {

// Value and status word of one parameter.
struct OutputValue {
    double value = 0.0;
    uint32_t status = 0;
    bool found = false;
};

struct CheckResult {
    size_t step;           // 1-based step number
    std::string expected;  // what was checked, e.g. "Demo.Out expected 1.5 +- 0"
    std::string actual;    // what was found
    bool passed;
};

// Reads a parameter of the address space's tree as a number (doubles, an integer with its sign,
// the word of the other whole-number kinds); not found when there is no tree, no such node or no
// number in it.
OutputValue readOutput(const std::string& path);

// Checks every field of `expectation` against the address space's tree.
CheckResult checkParameter(size_t step, const Expectation& expectation);

// Checks `expectation` against `events` (what was recorded since the previous step): one
// result for the ordered sequence, one per absent pattern.
std::vector<CheckResult> checkEvents(size_t step,
                                     const SequenceExpectation<EventPattern>& expectation,
                                     const std::vector<Event>& events);

// The same for the records the display peer received since the previous step.
std::vector<CheckResult> checkDisplay(size_t step,
                                      const SequenceExpectation<DisplayPattern>& expectation,
                                      const std::vector<host::SentCommand>& sent);

// Checks every field of `expectation` against the display model.
CheckResult checkDisplayItem(size_t step, const DisplayItemExpectation& expectation,
                             const DisplayModel& display);

// Checks a file below `basePath` (ending in "/").
CheckResult checkFile(size_t step, const std::string& basePath, const FileCheck& check);

// Text helpers shared with the report.
constexpr int kValueDigits = 9;  // significant digits of a value in the report
// `digits` significant digits; "NaN", "Infinity", "-Infinity".
std::string formatValue(double value, int digits = kValueDigits);
// The value with kValueDigits significant digits, or more (up to 17) as it takes to read back
// as the same double: two different values never read alike.
std::string formatExactValue(double value);
std::string formatStatus(uint32_t status);  // "0x..."
// The status word as the report shows it: its hexadecimal value, then the names of its set
// flags (bits 0-11) and its non-zero fields (SET, OVR, NEW, LOP): "0x401 OOU OOC".
std::string describeStatus(uint32_t status);
std::string hexText(const std::vector<uint8_t>& bytes);

}  // namespace sim
