// Reference-condition sets 1 to 17 and the constants of each set. Sets 1 to 6 state results by
// ISO 6976:1995, 7 to 13 by ISO 6976:2016 (both metric), 14 to 17 by GPA 2172 (imperial).
// Each function takes the set by value. An index outside 1 to 17 (1 to 13 for RefEdition) emits a
// trace point at level 3 with the index and yields the function's fallback, which is the value of
// set 1; nothing else is reported. Pure functions, any task.
#pragma once

#include <cstdint>

using RefConditionSet = uint32_t;

// Molar gas constant of the set, kJ/(mol K).
double RefGasConstant(RefConditionSet set);

// 1 for the metric sets 1 to 13, 0 for the imperial sets 14 to 17.
int32_t RefIsMetric(RefConditionSet set);

// 1 for sets 1 to 6 (ISO 6976:1995), 2 for sets 7 to 13 (ISO 6976:2016), 0 for any other value
// (an imperial set included, which also emits the trace point).
int32_t RefEdition(RefConditionSet set);

// Metering (base) temperature, K.
double RefBaseTemperature(RefConditionSet set);

// Base pressure, bar absolute.
double RefBasePressure(RefConditionSet set);

// Compression factor of dry air at the set's metering conditions.
double RefAirZ(RefConditionSet set);

// Molar mass of dry air, g/mol.
double RefAirMolarMass(RefConditionSet set);
