// SGERG-88 form on base density, carbon dioxide and nitrogen (ISO 12213-3 virial coefficients):
// the constants this form rounds differently from the shared table, and its own fixed values.
#pragma once

#include "sgerg88_virial.h"

namespace sgerg_second_form_detail {
constexpr SgergVirialTable MakeTable() {
    SgergVirialTable table = kSgergVirialTable;
    table.b1.a2 = 8.81514e-9;
    table.C222.a0 = 0.0078498;
    return table;
}
}  // namespace sgerg_second_form_detail

inline constexpr SgergVirialTable kSgergSecondFormTable = sgerg_second_form_detail::MakeTable();

// Ideal molar volume at 293.15 K and 1.01325 bar, m3/kmol.
inline constexpr double kSgergSecondFormIdealMolarVolume = 24.05525;
// H = slope * M_CH + offset (kJ/mol from kg/kmol).
inline constexpr double kSgergSecondFormCalorificSlope = 47.479;
inline constexpr double kSgergSecondFormCalorificOffset = 128.64;
// Closed-form pressure factor b = 1000 * P / (this * T), P in MPa.
inline constexpr double kSgergSecondFormPressureFactor = 2.7715;
// Speed of sound w = this * sqrt(T * Z * kappa / (Zn * rho)).
inline constexpr double kSgergSecondFormSoundFactor = 18.591;
