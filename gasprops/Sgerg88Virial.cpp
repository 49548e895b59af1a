#include "Sgerg88Virial.h"

#include <cmath>

namespace {

double At(const SgergQuadratic& q, double T) {
    return q.a0 + q.a1 * T + q.a2 * T * T;
}

}  // namespace

SgergTemperatureTerms SgergEvaluateAt(const SgergVirialTable& table, double T) {
    SgergTemperatureTerms t{};
    t.b0 = At(table.b0, T);
    t.b1 = At(table.b1, T);
    t.b2 = At(table.b2, T);
    t.c0 = At(table.c0, T);
    t.c1 = At(table.c1, T);
    t.c2 = At(table.c2, T);
    t.B22 = At(table.B22, T);
    t.B23 = At(table.B23, T);
    t.B33 = At(table.B33, T);
    t.B14 = At(table.B14, T);
    t.B15 = At(table.B15, T);
    t.B44 = At(table.B44, T);
    t.B55 = At(table.B55, T);
    t.B24 = table.B24;
    t.C222 = At(table.C222, T);
    t.C333 = At(table.C333, T);
    t.C223 = At(table.C223, T);
    t.C233 = At(table.C233, T);
    t.C444 = At(table.C444, T);
    t.C115 = At(table.C115, T);
    t.T = T;
    return t;
}

double SgergB11(const SgergTemperatureTerms& terms, double H) {
    return terms.b0 + terms.b1 * H + terms.b2 * H * H;
}

double SgergC111(const SgergTemperatureTerms& terms, double H) {
    return terms.c0 + terms.c1 * H + terms.c2 * H * H;
}

double SgergMixtureB(const SgergTemperatureTerms& t, const SgergFractions& x, double B11) {
    const double product = B11 * t.B33;
    if (!(product >= 0.0)) {
        return std::nan("");
    }
    const double dT = 320.0 - t.T;
    const double B12 = (0.72 + 1.875e-5 * dT * dT) * (B11 + t.B22) / 2.0;
    const double B13 = -0.865 * std::sqrt(product);
    return x.xCH * x.xCH * B11 + 2.0 * x.xCH * x.xN2 * B12 + 2.0 * x.xCH * x.xCO2 * B13 +
           2.0 * x.xCH * x.xH2 * t.B14 + 2.0 * x.xCH * x.xCO * t.B15 + x.xN2 * x.xN2 * t.B22 +
           2.0 * x.xN2 * x.xCO2 * t.B23 + 2.0 * x.xN2 * x.xH2 * t.B24 + x.xCO2 * x.xCO2 * t.B33 +
           x.xH2 * x.xH2 * t.B44 + x.xCO * x.xCO * t.B55;
}

double SgergMixtureC(const SgergTemperatureTerms& t, const SgergFractions& x, double C111,
                     SgergCubeRoot cubeRoot) {
    const double y = 0.92 + 0.0013 * (t.T - 270.0);
    const double C112 = y * cubeRoot(C111 * C111 * t.C222);
    const double C122 = y * cubeRoot(C111 * t.C222 * t.C222);
    const double C113 = 0.92 * cubeRoot(C111 * C111 * t.C333);
    const double C133 = 0.92 * cubeRoot(C111 * t.C333 * t.C333);
    const double C123 = 1.1 * cubeRoot(C111 * t.C222 * t.C333);
    const double C114 = 1.2 * cubeRoot(C111 * C111 * t.C444);
    const double xCH2 = x.xCH * x.xCH;
    return xCH2 * x.xCH * C111 + 3.0 * xCH2 * x.xN2 * C112 + 3.0 * xCH2 * x.xCO2 * C113 +
           3.0 * xCH2 * x.xH2 * C114 + 3.0 * xCH2 * x.xCO * t.C115 +
           3.0 * x.xCH * x.xN2 * x.xN2 * C122 + 6.0 * x.xCH * x.xN2 * x.xCO2 * C123 +
           3.0 * x.xCH * x.xCO2 * x.xCO2 * C133 + x.xN2 * x.xN2 * x.xN2 * t.C222 +
           3.0 * x.xN2 * x.xN2 * x.xCO2 * t.C223 + 3.0 * x.xN2 * x.xCO2 * x.xCO2 * t.C233 +
           x.xCO2 * x.xCO2 * x.xCO2 * t.C333 + x.xH2 * x.xH2 * x.xH2 * t.C444;
}

bool SgergInputInRange(double Hs, double d, double H2, bool wide) {
    if (wide) {
        return Hs >= 6.0 && d >= 0.06 && !std::isnan(H2);
    }
    return Hs >= 20.0 && d >= 0.55 && H2 <= 30.0;
}

double SgergPowCubeRoot(double x) {
    return std::pow(x, 0.3333333333333333);
}
