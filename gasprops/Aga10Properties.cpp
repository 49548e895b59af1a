#include "Aga10Properties.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

#include "GasInputChecks.h"
#include "tables/aga10_ideal_gas_cp.h"
#include "tables/aga8_detail_constants.h"

namespace aga8detail1994 {

namespace {

constexpr double kJoulePerCalorie = 4.184;
constexpr double kPascalPerBar = 100000.0;

// The five positive nodes of the 10-point Gauss-Legendre rule on [-1, 1] and their weights.
constexpr double kGaussNodes[5] = {0.1488743389816312, 0.4333953941292472, 0.6794095682990244,
                                   0.8650633666889845, 0.9739065285171717};
constexpr double kGaussWeights[5] = {0.2955242247147529, 0.2692667193099963, 0.2190863625159820,
                                     0.1494513491505806, 0.0666713443086881};

// The reduced-density values of one density (D, its powers and exponentials), kept while the
// object's values serve other densities.
struct ReducedDensityValues {
    double D;
    double Dpow[10];
    double expD[5];

    static ReducedDensityValues Of(const Aga8Detail1994Data& data) {
        ReducedDensityValues values{};
        values.D = data.reducedDensity;
        std::memcpy(values.Dpow, data.Dpow, sizeof values.Dpow);
        std::memcpy(values.expD, data.expD, sizeof values.expD);
        return values;
    }
    void restore(Aga8Detail1994Data& data) const {
        data.reducedDensity = D;
        std::memcpy(data.Dpow, Dpow, sizeof Dpow);
        std::memcpy(data.expD, expD, sizeof expD);
    }
};

// coefficient ((theta/T)/sinh(theta/T))^2; 0 for an absent term (coefficient 0).
double SinhTerm(double coefficient, double theta, double T) {
    if (coefficient == 0.0) {
        return 0.0;
    }
    const double a = theta / T;
    const double ratio = a / std::sinh(a);
    return coefficient * ratio * ratio;
}

// coefficient ((theta/T)/cosh(theta/T))^2; 0 for an absent term (coefficient 0).
double CoshTerm(double coefficient, double theta, double T) {
    if (coefficient == 0.0) {
        return 0.0;
    }
    const double a = theta / T;
    const double ratio = a / std::cosh(a);
    return coefficient * ratio * ratio;
}

}  // namespace

double ZDensityDerivative(Aga8Detail1994Data& data, double rho) {
    ReducedDensityValues own = ReducedDensityValues::Of(data);
    if (own.D != data.K3 * rho) {
        // Another density is current: the object's values stay as they are.
        own.D = data.K3 * rho;
        own.Dpow[0] = 1.0;
        for (int k = 1; k < 10; ++k) {
            own.Dpow[k] = own.Dpow[k - 1] * own.D;
        }
        own.expD[0] = 1.0;
        for (int k = 1; k < 5; ++k) {
            own.expD[k] = std::exp(-own.Dpow[k]);
        }
    }
    const double derivative =
        GroupedDensityDerivativeSum(own.Dpow, own.expD, data.groupCstar, data.sumCstarVirial);
    data.dZdrho = data.B + data.K3 * derivative;
    return data.dZdrho;
}

double ZTemperatureDerivative(Aga8Detail1994Data& data, double rho) {
    const double sum = GroupedDensitySum(data, data.groupFirst, data.sumFirstVirial);
    data.dZdT = rho * data.dBdT + sum / data.T;
    return data.dZdT;
}

double ZSecondTemperatureDerivative(Aga8Detail1994Data& data, double rho) {
    const double sum = GroupedDensitySum(data, data.groupSecond, data.sumSecondVirial);
    data.d2ZdT2 = rho * data.d2BdT2 + sum / (data.T * data.T);
    return data.d2ZdT2;
}

void TemperatureDerivatives(Aga8Detail1994Data& data, double rho) {
    double first = 0.0;
    double second = 0.0;
    GroupedDensitySums(data, {data.groupFirst, data.sumFirstVirial},
                       {data.groupSecond, data.sumSecondVirial}, first, second);
    data.dZdT = rho * data.dBdT + first / data.T;
    data.d2ZdT2 = rho * data.d2BdT2 + second / (data.T * data.T);
}

double IdealGasHeatCapacity(const Aga8Detail1994Data& data) {
    const double T = data.result.flowingTemperature;
    double sum = 0.0;
    for (int i = 0; i < kAga8Components; ++i) {
        const double x = data.result.x[i];
        if (!(x > 0.0)) {
            continue;
        }
        const double* c = kAga10IdealGasCp[i];
        const double term = c[1] + SinhTerm(c[2], c[3], T) + CoshTerm(c[4], c[5], T) +
                            SinhTerm(c[6], c[7], T) + CoshTerm(c[8], c[9], T);
        sum += x * term;
    }
    return kJoulePerCalorie * sum;
}

void Aga10HeatCapacities(Aga8Detail1994Data& data) {
    Aga8Detail1994Result& r = data.result;
    const double T = r.flowingTemperature;
    const double Df = r.Df;
    if (data.idealCpValid == 0 || data.idealCpT != T) {
        data.idealCp = IdealGasHeatCapacity(data);
        data.idealCpT = T;
        data.idealCpValid = 1;
    }
    const double cp0 = data.idealCp;
    TemperatureDerivativeTerms(data);
    // dZ/dT at Df first, while the solve's last evaluation (at Df) is current; the values of Df
    // are brought back after the integral instead of being computed again.
    if (data.reducedDensity != data.K3 * Df) {
        ReducedDensityPowers(data, Df);
    }
    const double dZdT = ZTemperatureDerivative(data, Df);
    const ReducedDensityValues atDf = ReducedDensityValues::Of(data);
    double sum = 0.0;
    for (int k = 0; k < 5; ++k) {
        for (double sign : {1.0, -1.0}) {
            const double rho = Df * (1.0 + sign * kGaussNodes[k]) / 2.0;
            ReducedDensityPowers(data, rho);
            TemperatureDerivatives(data, rho);
            sum += kGaussWeights[k] * (2.0 * data.dZdT + T * data.d2ZdT2) / rho;
        }
    }
    const double integral = sum * Df / 2.0;
    atDf.restore(data);
    data.dZdT = dZdT;
    const double R = kAga8GasConstant;
    const double cv = cp0 - R * (1.0 + T * integral);
    const double numerator = r.Zf + T * dZdT;
    const double cp = cv + R * numerator * numerator / (r.Zf + Df * data.dZdrho);
    r.cv = cv * 1000.0 / r.M;
    r.cp = cp * 1000.0 / r.M;
}

}  // namespace aga8detail1994

void Aga10FlowingProperties(Aga8Detail1994Data& data) {
    using namespace aga8detail1994;
    Aga8Detail1994Result& r = data.result;
    const double stiffness = r.Zf + r.Df * ZDensityDerivative(data, r.Df);
    if (!IsPositiveFinite(r.Df) || !IsPositiveFinite(r.M) || !IsPositiveFinite(stiffness) ||
        !IsPositiveFinite(r.flowingPressure)) {
        r.status = kAga8Detail1994NoProperties;
        return;
    }
    Aga10HeatCapacities(data);
    if (!IsPositiveFinite(r.cv)) {
        r.status = kAga8Detail1994NoProperties;
        return;
    }
    const double T = r.flowingTemperature;
    r.k = r.cp / r.cv;
    r.w = std::sqrt(r.k * kAga8GasConstant * 1000.0 * T / r.M * stiffness);
    r.kappa = r.w * r.w * r.flowingMassDensity / r.flowingPressure;
    if (!IsPositiveFinite(r.k) || !IsPositiveFinite(r.w) || !IsPositiveFinite(r.kappa)) {
        r.status = kAga8Detail1994NoProperties;
    }
}
