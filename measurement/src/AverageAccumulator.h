// The running sums of one averaging period (an hour or a day).
#pragma once

#include <cmath>
#include <limits>

class Buff;

// Weighted sum, weight sum, plain sum and count of a period. A NaN weight sum or count means
// nothing has been accumulated into it yet; the first value replaces the NaN. The sums stay
// finite and the weights not negative, so both means lie within the range of the counted values.
struct AverageAccumulator {
    static constexpr double kEmpty = std::numeric_limits<double>::quiet_NaN();

    // What became of a value offered to the period.
    enum class Added {
        kWeighted,    // counted with its weight
        kUnweighted,  // counted, but weighs nothing: its weight was negative, too small to weigh
                      // (subnormal), not finite, would overflow the weighted sums, or its
                      // product with a non-zero value would underflow (lose the value)
        kNotCounted   // not a finite number, or it would overflow the plain sum
    };

    double weightedSum = 0.0;
    double weightSum = kEmpty;
    double plainSum = 0.0;
    double count = kEmpty;

    // Back to an empty period.
    void clear() { *this = AverageAccumulator(); }
    // Drops the flow weighting of the period; plain sums and counts go on.
    void clearWeighting() {
        weightedSum = 0.0;
        weightSum = kEmpty;
    }
    // Adds one value with its weight (a zero weight unchanged: a period of zero weights gives
    // the arithmetic mean).
    Added add(double value, double weight) {
        const double newPlainSum = plainSum + value;
        if (!std::isfinite(newPlainSum)) {
            return Added::kNotCounted;
        }
        plainSum = newPlainSum;
        count = std::isnan(count) ? 1.0 : count + 1.0;
        const double weightsSoFar = std::isnan(weightSum) ? 0.0 : weightSum;
        const double product = value * weight;
        const double newWeightedSum = weightedSum + product;
        const double newWeightSum = weightsSoFar + weight;
        const bool weighable = weight == 0.0 || (weight > 0.0 && std::isnormal(weight) &&
                                                 (value == 0.0 || std::isnormal(product)));
        if (!weighable || !std::isfinite(newWeightedSum) || !std::isfinite(newWeightSum)) {
            weightSum = weightsSoFar;
            return Added::kUnweighted;
        }
        weightedSum = newWeightedSum;
        weightSum = newWeightSum;
        return Added::kWeighted;
    }
    // The flow-weighted mean when any weight was non-zero, else the arithmetic mean of the
    // counted values (also right after the weighting was dropped, before the next value comes
    // in); 0.0 for a period with no value.
    double mean() const {
        if (!std::isnan(weightSum) && weightSum != 0.0) {
            const double weighted = weightedSum / weightSum;
            if (std::isfinite(weighted)) {
                return weighted;
            }
        }
        return count > 0.0 ? plainSum / count : 0.0;
    }
    // True when the four sums can stand as a saved period: a NaN count (no value yet) always
    // can; otherwise both sums are finite, the weight sum is NaN (no weighting yet) or a finite
    // number not below 0, and the count is a finite whole number not below 0. Negative sums can
    // be legitimate (dew points below zero).
    bool isRestorable() const {
        if (std::isnan(count)) {
            return true;
        }
        const bool weightsFit =
            std::isnan(weightSum) || (std::isfinite(weightSum) && weightSum >= 0.0);
        return std::isfinite(weightedSum) && std::isfinite(plainSum) && weightsFit &&
               std::isfinite(count) && count >= 0.0 && count == std::floor(count);
    }
    // A restorable period in the form the cycle expects: a NaN count empties it, a NaN weight
    // sum empties its weighting.
    void settleRestored() {
        if (std::isnan(count)) {
            clear();
        } else if (std::isnan(weightSum)) {
            clearWeighting();
        }
    }
    // True when the period holds values but its mean is not flow-weighted: its weights summed
    // to exactly zero, or its weighting was dropped since the last value.
    bool isUnweighted() const {
        return weightSum == 0.0 || (std::isnan(weightSum) && !std::isnan(count));
    }
};
