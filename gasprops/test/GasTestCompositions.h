// Compositions shared by the tests of the alternative compressibility methods (mol-%, AGA8 order:
// 0 methane, 1 nitrogen, 2 carbon dioxide, 3 ethane, 4 propane, 5 water, 6 hydrogen sulfide,
// 7 hydrogen, 8 carbon monoxide, 9 oxygen, 10 isobutane, 11 n-butane, 12 isopentane,
// 13 n-pentane, 14 n-hexane, 15 n-heptane, 16 n-octane, 17 n-nonane, 18 n-decane, 19 helium,
// 20 argon).
#pragma once

#include <array>

using Composition21 = std::array<double, 21>;

// The 21-component example mixture of AGA Report No. 8 (all components present).
inline constexpr Composition21 kExampleGas21 = {77.824, 2.0,   6.0,   8.0,   3.0,   0.01, 0.25,
                                                0.4,    0.2,   0.5,   0.15,  0.3,   0.05, 0.165,
                                                0.215,  0.088, 0.024, 0.015, 0.009, 0.7,  0.1};

inline constexpr Composition21 kMethane = {100.0};

// ISO 12213-2 Annex C gas 1 (mole fractions times 100).
inline constexpr Composition21 kIsoGas1 = {96.5, 0.3, 0.6, 1.8, 0.45, 0.0,  0.0,
                                           0.0,  0.0, 0.0, 0.1, 0.1,  0.05, 0.03,
                                           0.07, 0.0, 0.0, 0.0, 0.0,  0.0,  0.0};

// ISO 12213-2:2006 Annex C, compression factors of gas 1 printed to five decimals; tolerance
// 1e-5 (data file aga8-detail-iso12213-2-gas1.csv).
struct IsoGas1Row {
    double p;  // bar
    double T;  // K
    double Z;
};
inline constexpr IsoGas1Row kIsoGas1DetailZ[] = {
    {60, 270, 0.84053},  {60, 280, 0.86199},  {60, 290, 0.88006},  {60, 310, 0.90867},
    {60, 330, 0.93011},  {120, 270, 0.72133}, {120, 280, 0.76025}, {120, 290, 0.79317},
    {120, 310, 0.84515}, {120, 330, 0.88383},
};
inline constexpr double kIsoGas1Tolerance = 1e-5;
