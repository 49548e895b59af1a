#include "RefSetConversion.h"

#include "GasTrace.h"
#include "tables/ref_set_conversion_factors.h"

namespace {

// How a converter crosses between metric and imperial sets.
enum class ImperialBridge {
    kPlain,   // the quantity does not depend on the base pressure
    kScaled,  // the quantity scales with the base pressure
};

struct Converter {
    const SetConversionTable& table;
    ImperialBridge bridge;
    uint32_t traceId;
};

bool IsMetricConversionSet(RefConditionSet set) {
    return set >= 1 && set <= static_cast<RefConditionSet>(kMetricConversionSets);
}

int ImperialIndex(RefConditionSet set) {
    return static_cast<int>(set - kFirstImperialSet);
}

double ConvertMetric(const Converter& c, double value, RefConditionSet from, RefConditionSet to) {
    if (!IsMetricConversionSet(from) || !IsMetricConversionSet(to)) {
        GasTrace(c.traceId, TraceFormat(kTraceArgInt, kTraceArgInt), from, to);
        return value;
    }
    const int a = c.table.classOfSet[from - 1];
    const int b = c.table.classOfSet[to - 1];
    if (a < b) {
        return value / c.table.factor[a][b];
    }
    if (a > b) {
        return value * c.table.factor[b][a];
    }
    return value;
}

double Convert(const Converter& c, double value, RefConditionSet from, RefConditionSet to) {
    from = MapSetTo1995(from);
    to = MapSetTo1995(to);
    const bool fromMetric = RefIsMetric(from) != 0;
    const bool toMetric = RefIsMetric(to) != 0;
    if (!fromMetric && !toMetric) {
        if (c.bridge == ImperialBridge::kPlain) {
            return value;
        }
        return value * kImperialSetFactor[ImperialIndex(from)][ImperialIndex(to)];
    }
    if (fromMetric && !toMetric) {
        const double atSet3 = Convert(c, value, from, kMetricBridgeSet);
        if (c.bridge == ImperialBridge::kPlain) {
            return atSet3;
        }
        return atSet3 * kSet3ToImperial[ImperialIndex(to)];
    }
    if (!fromMetric) {
        if (c.bridge == ImperialBridge::kScaled) {
            value *= kImperialToSet3[ImperialIndex(from)];
        }
        from = kMetricBridgeSet;
    }
    return ConvertMetric(c, value, from, to);
}

const Converter kRelativeDensity{kRelativeDensityConversion, ImperialBridge::kPlain, 0xE0093};
const Converter kDensity{kDensityConversion, ImperialBridge::kScaled, 0xE00A3};
const Converter kSuperiorMass{kSuperiorMassConversion, ImperialBridge::kPlain, 0xE00B3};
const Converter kInferiorMass{kInferiorMassConversion, ImperialBridge::kPlain, 0xE00C3};
const Converter kSuperiorVolume{kSuperiorVolumeConversion, ImperialBridge::kScaled, 0xE00D3};
const Converter kInferiorVolume{kInferiorVolumeConversion, ImperialBridge::kScaled, 0xE00E3};
const Converter kSuperiorWobbe{kSuperiorWobbeConversion, ImperialBridge::kScaled, 0xE00F3};

}  // namespace

RefConditionSet MapSetTo1995(RefConditionSet set) {
    constexpr RefConditionSet kLast2016Set = kFirst2016Set + 6;
    if (set >= kFirst2016Set && set <= kLast2016Set) {
        return kSet2016To1995[set - kFirst2016Set];
    }
    return set;
}

double ConvertDensityBetweenSets1(double value, RefConditionSet from, RefConditionSet to) {
    return Convert(kRelativeDensity, value, from, to);
}

double ConvertDensityBetweenSets2(double value, RefConditionSet from, RefConditionSet to) {
    return Convert(kDensity, value, from, to);
}

double ConvertHeatingValueBetweenSets1(double value, RefConditionSet from, RefConditionSet to) {
    return Convert(kSuperiorMass, value, from, to);
}

double ConvertHeatingValueBetweenSets2(double value, RefConditionSet from, RefConditionSet to) {
    return Convert(kInferiorMass, value, from, to);
}

double ConvertHeatingValueBetweenSets3(double value, RefConditionSet from, RefConditionSet to) {
    return Convert(kSuperiorVolume, value, from, to);
}

double ConvertHeatingValueBetweenSets4(double value, RefConditionSet from, RefConditionSet to) {
    return Convert(kInferiorVolume, value, from, to);
}

double ConvertHeatingValueBetweenSets5(double value, RefConditionSet from, RefConditionSet to) {
    return Convert(kSuperiorWobbe, value, from, to);
}
