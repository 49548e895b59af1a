// AGA Report No. 10 thermodynamic properties of the flowing state solved by the 1994-structure
// AGA8 DETAIL method (Aga8Detail1994.h): ideal-gas heat capacity from the report's correlation,
// residual heat capacities from the temperature and density derivatives of the DETAIL equation
// (density integral by the 10-point Gauss-Legendre rule), then k = cp/cv, the speed of sound and
// the isentropic exponent. Works on the parameter object only; calculation task only.
#pragma once

#include "Aga8Detail1994.h"

namespace aga8detail1994 {

// (dZ/drho) at constant T (dm3/mol) at the current temperature terms; uses its own reduced
// density values of rho and leaves those of the object unchanged. Stored in data.dZdrho.
double ZDensityDerivative(Aga8Detail1994Data& data, double rho);

// (dZ/dT) and (d2Z/dT2) at constant rho (1/K, 1/K2); need the reduced density values of rho to
// be current (ReducedDensityPowers). Stored in data.dZdT and data.d2ZdT2.
double ZTemperatureDerivative(Aga8Detail1994Data& data, double rho);
double ZSecondTemperatureDerivative(Aga8Detail1994Data& data, double rho);
// Both of them in one pass over the density terms, with the same results.
void TemperatureDerivatives(Aga8Detail1994Data& data, double rho);

// Molar ideal-gas cp0 (J/(mol K)) of the result record's composition at the flowing
// temperature; components whose fraction is not above zero are left out.
double IdealGasHeatCapacity(const Aga8Detail1994Data& data);

// cv and cp (J/(kg K)) of the flowing state into the result record; cp0 is taken again only when
// the flowing temperature or the characterised composition changed.
void Aga10HeatCapacities(Aga8Detail1994Data& data);

}  // namespace aga8detail1994

// The step after a successful solve: ZDensityDerivative at Df, Aga10HeatCapacities, then k, the
// speed of sound and the isentropic exponent into the result record. When one of them is not a
// positive finite number the status becomes kAga8Detail1994NoProperties.
void Aga10FlowingProperties(Aga8Detail1994Data& data);
