// SGERG-88 standard virial equation (ISO 12213-3, GERG Technical Monograph TM5): temperature
// functions of the second and third virial coefficients of the equivalent hydrocarbon, nitrogen,
// carbon dioxide, hydrogen and carbon monoxide, as used by the SGERG-88 form with input variants.
// Units: B in m3/kmol, C in (m3/kmol)^2, T in K, molar calorific value H in kJ/mol.
// Each function is a0 + a1*T + a2*T^2. The other two SGERG-88 forms round two of these constants
// differently and keep their own values in sgerg88_second_form.h and sgerg88_checked.h.
#pragma once

// a0 + a1*T + a2*T^2.
struct SgergQuadratic {
    double a0;
    double a1;
    double a2;
};

// The whole coefficient set of one SGERG-88 form.
struct SgergVirialTable {
    // B11 of the equivalent hydrocarbon = b0(T) + b1(T)*H + b2(T)*H^2.
    SgergQuadratic b0, b1, b2;
    // C111 of the equivalent hydrocarbon = c0(T) + c1(T)*H + c2(T)*H^2.
    SgergQuadratic c0, c1, c2;
    SgergQuadratic B22;   // nitrogen
    SgergQuadratic B23;   // nitrogen - carbon dioxide
    SgergQuadratic B33;   // carbon dioxide
    SgergQuadratic B14;   // hydrocarbon - hydrogen
    SgergQuadratic B15;   // hydrocarbon - carbon monoxide
    SgergQuadratic B44;   // hydrogen
    SgergQuadratic B55;   // carbon monoxide
    double B24;           // nitrogen - hydrogen, constant
    SgergQuadratic C222;  // nitrogen
    SgergQuadratic C333;  // carbon dioxide
    SgergQuadratic C223;
    SgergQuadratic C233;
    SgergQuadratic C444;  // hydrogen
    SgergQuadratic C115;  // hydrocarbon - hydrocarbon - carbon monoxide
};

inline constexpr SgergVirialTable kSgergVirialTable = {
    {-0.425468, 0.002865, -4.62073e-6},      {8.77118e-4, -5.56281e-6, 8.8151e-9},
    {-8.24747e-7, 4.31436e-9, -6.08319e-12}, {-0.302488, 0.00195861, -3.16302e-6},
    {6.46422e-4, -4.22876e-6, 6.88157e-9},   {-3.32805e-7, 2.2316e-9, -3.67713e-12},
    {-0.1446, 7.4091e-4, -9.1195e-7},        {-0.339693, 0.00161176, -2.04429e-6},
    {-0.86834, 0.0040376, -5.1657e-6},       {-0.052128, 2.7157e-4, -2.5e-7},
    {-0.068729, -2.39381e-6, 5.18195e-7},    {-0.00110596, 8.13385e-5, -9.8722e-8},
    {-0.13082, 6.0254e-4, -6.443e-7},        0.012,
    {0.007849801, -3.9895e-5, 6.1187e-8},    {0.0020513, 3.4888e-5, -8.3703e-8},
    {0.00552066, -1.68609e-5, 1.57169e-8},   {0.00358783, 8.06674e-6, -3.25798e-8},
    {0.00104711, -3.64887e-6, 4.67095e-9},   {0.00736748, -2.76578e-5, 3.43051e-8},
};

// Molar masses (kg/kmol) and molar calorific values (kJ/mol) of the non-hydrocarbons.
inline constexpr double kSgergMolarMassN2 = 28.0135;
inline constexpr double kSgergMolarMassCO2 = 44.01;
inline constexpr double kSgergMolarMassH2 = 2.0159;
inline constexpr double kSgergMolarMassCO = 28.01;
inline constexpr double kSgergCalorificH2 = 285.83;
inline constexpr double kSgergCalorificCO = 282.98;
// Carbon monoxide content tied to the hydrogen content outside wide-range mode.
inline constexpr double kSgergCOPerH2 = 0.0964;
// Density of air at 273.15 K and 1.01325 bar, kg/m3 (normal density = d * this).
inline constexpr double kSgergAirDensity = 1.292923;

// Constants of the form with input variants.
inline constexpr double kSgergVariantMolarMassSlope = 0.0210622;  // M_CH = slope*H + offset
inline constexpr double kSgergMolarMassOffset = -2.709328;
inline constexpr double kSgergVariantIdealMolarVolume = 22.41409728;  // m3/kmol, 273.15 K
inline constexpr double kSgergVariantGasConstant = 0.0831450969;      // bar m3/(kmol K)
