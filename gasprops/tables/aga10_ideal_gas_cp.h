// AGA Report No. 10, Speed of Sound in Natural Gas and Other Related Hydrocarbon Gases (2003):
// ideal-gas heat-capacity coefficient table (coefficients after McFall 1984 and Aly and Lee 1981),
// 21 rows in AGA8 order, columns A to K as 0 to 10.
//   cp0 = c1 + c2*((c3/T)/sinh(c3/T))^2 + c4*((c5/T)/cosh(c5/T))^2
//            + c6*((c7/T)/sinh(c7/T))^2 + c8*((c9/T)/cosh(c9/T))^2       in cal/(mol K)
// Units: c1, c2, c4, c6, c8 in cal/(mol K); c3, c5, c7, c9 in K (4.184 J per cal). c0 (cal/mol)
// and c10 (cal/(mol K)) are the integration constants of the ideal-gas enthalpy and entropy, not
// used for cp0. Absent terms carry coefficient 0 and temperature 100. Nitrogen and carbon dioxide
// have negative c5 as published (cosh is even).
// Provenance: transcribed cell by cell from the team's checked data file aga10_ideal_gas_cp.csv
// (two independent sources agree in all 231 cells; a third that differs in the isobutane,
// isopentane, helium and argon rows was rejected: with it k of the 21-component example gas at
// 500 bar and 400 K misses its acceptance value).
#pragma once

inline constexpr int kAga10IdealCpColumns = 11;
inline constexpr int kAga10IdealCpRows = 21;

// One row per component in AGA8 order; the comment names the component.
inline constexpr double kAga10IdealGasCp[kAga10IdealCpRows][kAga10IdealCpColumns] = {
    {-29776.4, 7.95454, 43.9417, 1037.09, 1.56373, 813.205, -24.9027, 1019.98, -10.1601, 1070.14,
     -20.0615},  // 0 methane
    {-3495.34, 6.95587, 0.272892, 662.738, -0.291318, -680.562, 1.7898, 1740.06, 0.0, 100.0,
     4.49823},  // 1 nitrogen
    {20.7307, 6.96237, 2.68645, 500.371, -2.56429, -530.443, 3.91921, 500.198, 2.1329, 2197.22,
     5.81381},  // 2 carbon dioxide
    {-37524.4, 7.98139, 24.3668, 752.32, 3.5399, 272.846, 8.44724, 1020.13, -13.2732, 869.51,
     -22.401},  // 3 ethane
    {-56072.1, 8.14319, 37.0629, 735.402, 9.38159, 247.19, 13.4556, 1454.78, -11.7342, 984.518,
     -24.0426},  // 4 propane
    {-13773.1, 7.97183, 6.27078, 2572.63, 2.0501, 1156.72, 0.0, 100.0, 0.0, 100.0,
     -3.24989},  // 5 water
    {-10085.4, 7.9468, -0.0838, 433.801, 2.85539, 843.792, 6.31595, 1481.43, -2.88457, 1102.23,
     -0.51551},  // 6 hydrogen sulfide
    {-5565.6, 6.66789, 2.33458, 2584.98, 0.749019, 559.656, 0.0, 100.0, 0.0, 100.0,
     -7.94821},  // 7 hydrogen
    {-2753.49, 6.95854, 2.02441, 1541.22, 0.096774, 3674.81, 0.0, 100.0, 0.0, 100.0,
     6.23387},  // 8 carbon monoxide
    {-3497.45, 6.96302, 2.40013, 2522.05, 2.21752, 1154.15, 0.0, 100.0, 0.0, 100.0,
     9.19749},  // 9 oxygen
    {-72387.0, 17.8143, 58.2062, 1787.39, 40.7621, 808.645, 0.0, 100.0, 0.0, 100.0,
     -44.1341},  // 10 isobutane
    {-72674.8, 18.6383, 57.4178, 1792.73, 38.6599, 814.151, 0.0, 100.0, 0.0, 100.0,
     -46.1938},  // 11 n-butane
    {-91505.5, 21.3861, 74.341, 1701.58, 47.0587, 775.899, 0.0, 100.0, 0.0, 100.0,
     -60.2474},  // 12 isopentane
    {-83845.2, 22.5012, 69.5789, 1719.58, 46.2164, 802.174, 0.0, 100.0, 0.0, 100.0,
     -62.2197},  // 13 n-pentane
    {-94982.5, 26.6225, 80.3819, 1718.49, 55.6598, 802.069, 0.0, 100.0, 0.0, 100.0,
     -77.5366},  // 14 n-hexane
    {-103353.0, 30.4029, 90.6941, 1669.32, 63.2028, 786.001, 0.0, 100.0, 0.0, 100.0,
     -92.0164},  // 15 n-heptane
    {-109674.0, 34.0847, 100.253, 1611.55, 69.7675, 768.847, 0.0, 100.0, 0.0, 100.0,
     -106.149},  // 16 n-octane
    {-122599.0, 38.5014, 111.446, 1646.48, 80.5015, 781.588, 0.0, 100.0, 0.0, 100.0,
     -122.444},  // 17 n-nonane
    {-133564.0, 42.7143, 122.173, 1654.85, 90.2255, 785.564, 0.0, 100.0, 0.0, 100.0,
     -138.006},                                                            // 18 n-decane
    {0.0, 4.968, 0.0, 100.0, 0.0, 100.0, 0.0, 100.0, 0.0, 100.0, 1.8198},  // 19 helium
    {0.0, 4.968, 0.0, 100.0, 0.0, 100.0, 0.0, 100.0, 0.0, 100.0, 8.6776},  // 20 argon
};
