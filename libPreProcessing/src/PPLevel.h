// One source level of a preprocessing line: an import node that, when connected, supplies a
// double with its status word, checked every cycle against limits and warning limits.
#pragma once

#include <cstdint>
#include <string>

#include "FbDo.h"

namespace PreProcessing {

// The limits a line applies to each of its levels. Both pairs share one hysteresis.
struct LevelLimits {
    double lower;
    double upper;
    double lowerWarning;
    double upperWarning;
    double hysteresis;
};

class PPLevel {
  public:
    // Level `levelNumber` (1..6) read from the import node `node` (may be null: never connected).
    PPLevel(uint32_t levelNumber, FbDoNode node);
    virtual ~PPLevel() = default;

    PPLevel(const PPLevel&) = delete;
    PPLevel& operator=(const PPLevel&) = delete;

    // Re-reads whether the node is connected and clears the flags, the value and the status,
    // the hysteresis state included. Returns 0.
    uint32_t reset();

    // One cycle of a connected level (the line skips the others): reads its value and status and
    // evaluates them. A read with a
    // read-rejecting flag, or a value that is not a number, leaves the level not good and keeps
    // the four limit flags of the last evaluation; a NaN value is never available either.
    void update(const LevelLimits& limits);

    // The value read this cycle when the level is connected, else 0.0.
    double value() const;
    // The bad flags of this cycle's status when connected, else 0.
    uint32_t badFlags() const;
    // Connected, and the status has neither OOS nor INIT.
    bool isUsable() const;
    // The source parameter's name (from the data-reference leaf) when connected, else empty.
    std::string referenceText() const;

    uint32_t levelNumber() const { return levelNumber_; }
    bool isActive() const { return active_; }
    bool isGood() const { return good_; }
    bool isAvailable() const { return available_; }
    uint32_t status() const { return status_; }
    bool isPastLimit() const { return lowerLimit_ || upperLimit_; }
    bool isPastWarningLimit() const { return lowerWarning_ || upperWarning_; }

  private:
    void checkAlarmLimits(double lower, double upper, double hysteresis);
    void checkWarningLimits(double lower, double upper, double hysteresis);

    uint32_t levelNumber_;
    bool active_ = false;
    bool good_ = false;
    bool available_ = false;
    double value_ = 0.0;
    uint32_t status_ = 0;
    bool lowerLimit_ = false;
    bool upperLimit_ = false;
    bool lowerWarning_ = false;
    bool upperWarning_ = false;
    FbDoNode node_;
};

}  // namespace PreProcessing
