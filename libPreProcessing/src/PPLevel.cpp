#include "PPLevel.h"

#include <cmath>

#include "PPStatus.h"

namespace PreProcessing {

namespace {

// One limit with hysteresis: once passed, the value must come back inside by the hysteresis
// before the flag clears. Comparisons are strict: a value equal to its threshold is inside.
bool belowLower(double value, double lower, double hysteresis, bool wasBelow) {
    return value < (wasBelow ? lower + hysteresis : lower);
}

bool aboveUpper(double value, double upper, double hysteresis, bool wasAbove) {
    return value > (wasAbove ? upper - hysteresis : upper);
}

uint32_t withFlag(uint32_t status, uint32_t bit, bool set) {
    return set ? (status | bit) : (status & ~bit);
}

}  // namespace

PPLevel::PPLevel(uint32_t levelNumber, FbDoNode node) : levelNumber_(levelNumber), node_(node) {}

uint32_t PPLevel::reset() {
    active_ = FbDo_IsConnected(node_) != 0;
    good_ = false;
    available_ = false;
    value_ = 0.0;
    status_ = 0;
    lowerLimit_ = false;
    upperLimit_ = false;
    lowerWarning_ = false;
    upperWarning_ = false;
    return 0;
}

void PPLevel::update(const LevelLimits& limits) {
    good_ = false;
    available_ = false;
    status_ = 0;
    value_ = FbDo_ReadDoubleWithStatus(node_, 0.0, nullptr, &status_, 0);
    const bool notANumber = std::isnan(value_);
    if (notANumber) {
        // A value that is not a number is out of order whatever its status says: it must
        // neither be chosen nor be kept as the line's last valid value.
        status_ |= kStatusOOO;
    }
    available_ = !notANumber && (status_ & kUnavailableFlags) == 0;
    if ((status_ & kReadRejectingFlags) != 0) {
        return;
    }
    if ((status_ & kStatusINIT) != 0) {
        good_ = true;
        return;
    }
    checkAlarmLimits(limits.lower, limits.upper, limits.hysteresis);
    checkWarningLimits(limits.lowerWarning, limits.upperWarning, limits.hysteresis);
    good_ = !lowerLimit_ && !upperLimit_;
}

void PPLevel::checkAlarmLimits(double lower, double upper, double hysteresis) {
    lowerLimit_ = belowLower(value_, lower, hysteresis, lowerLimit_);
    status_ = withFlag(status_, kStatusOLL, lowerLimit_);
    upperLimit_ = aboveUpper(value_, upper, hysteresis, upperLimit_);
    status_ = withFlag(status_, kStatusOUL, upperLimit_);
}

void PPLevel::checkWarningLimits(double lower, double upper, double hysteresis) {
    lowerWarning_ = belowLower(value_, lower, hysteresis, lowerWarning_);
    status_ = withFlag(status_, kStatusLowerWarning, lowerWarning_);
    upperWarning_ = aboveUpper(value_, upper, hysteresis, upperWarning_);
    status_ = withFlag(status_, kStatusUpperWarning, upperWarning_);
}

double PPLevel::value() const {
    return active_ ? value_ : 0.0;
}

uint32_t PPLevel::badFlags() const {
    return active_ ? (status_ & kBadFlags) : 0u;
}

bool PPLevel::isUsable() const {
    return active_ && (status_ & (kStatusOOS | kStatusINIT)) == 0;
}

std::string PPLevel::referenceText() const {
    std::string text;
    if (active_) {
        FbDo_GetDataReference(FbDo_GetLeaf(node_, kFbDoLeafDataReference), &text);
    }
    return text;
}

}  // namespace PreProcessing
