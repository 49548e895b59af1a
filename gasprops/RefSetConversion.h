// Conversion of imported densities, calorific values and Wobbe indices between
// reference-condition sets by fixed factors (no gas analysis). Each converter takes
// (value, from, to) and returns the converted value. The ISO 6976:2016 sets count as their
// ISO 6976:1995 counterparts (set 10 as imperial set 14). A set outside 1 to 17 is not rejected:
// it passes as metric (with RefIsMetric's trace point) and then leaves the value unchanged with
// the converter's trace point (level 3, from and to as two integers), apart from a bridge factor
// already applied. Pure functions; any task.
#pragma once

#include "RefConditionSets.h"

// The ISO 6976:1995 counterpart of a 2016 set (7 -> 1, 8 -> 2, 9 -> 3, 10 -> 14, 11 -> 4,
// 12 -> 5, 13 -> 6); every other value unchanged.
RefConditionSet MapSetTo1995(RefConditionSet set);

// Relative density (metering temperature only; imperial sets need no factor).
double ConvertDensityBetweenSets1(double value, RefConditionSet from, RefConditionSet to);
// Density, kg/m3 (metering temperature; imperial base pressures scale it).
double ConvertDensityBetweenSets2(double value, RefConditionSet from, RefConditionSet to);
// Superior calorific value per mass (combustion temperature only).
double ConvertHeatingValueBetweenSets1(double value, RefConditionSet from, RefConditionSet to);
// Inferior calorific value per mass (combustion temperature only).
double ConvertHeatingValueBetweenSets2(double value, RefConditionSet from, RefConditionSet to);
// Superior calorific value per volume (both temperatures; base pressure).
double ConvertHeatingValueBetweenSets3(double value, RefConditionSet from, RefConditionSet to);
// Inferior calorific value per volume (both temperatures; base pressure).
double ConvertHeatingValueBetweenSets4(double value, RefConditionSet from, RefConditionSet to);
// Superior Wobbe index (both temperatures; base pressure).
double ConvertHeatingValueBetweenSets5(double value, RefConditionSet from, RefConditionSet to);
