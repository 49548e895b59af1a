// SGERG-88 form with input range check (ISO 12213-3 virial coefficients): the constants this
// form rounds differently from the shared table, and its own fixed values.
#pragma once

#include "sgerg88_virial.h"

namespace sgerg_checked_detail {
constexpr SgergVirialTable MakeTable() {
    SgergVirialTable table = kSgergVirialTable;
    table.C222.a0 = 0.0078498;
    return table;
}
}  // namespace sgerg_checked_detail

inline constexpr SgergVirialTable kSgergCheckedTable = sgerg_checked_detail::MakeTable();

inline constexpr double kSgergCheckedMolarMassSlope = 0.021062199;  // M_CH = slope*H - 2.709328
inline constexpr double kSgergCheckedIdealMolarVolume = 22.414097;  // m3/kmol, 273.15 K
inline constexpr double kSgergCheckedGasConstant = 0.0831451;       // bar m3/(kmol K)
