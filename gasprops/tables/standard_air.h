// Standard dry air in mol-%, in the program's 26-component order: the eight constituents the
// device has always used; nitrogen then takes up the balance to 100 mol-% (78.10426).
#pragma once

struct StandardAirEntry {
    int component;       // index in the 26-component order
    double molePercent;  // mol-%
};

inline constexpr StandardAirEntry kStandardAir[] = {
    {0, 0.00015},   // methane
    {1, 78.102},    // nitrogen
    {2, 0.033},     // carbon dioxide
    {7, 0.00005},   // hydrogen
    {8, 0.00002},   // carbon monoxide
    {9, 20.946},    // oxygen
    {19, 0.00052},  // helium
    {20, 0.916},    // argon
};

inline constexpr int kStandardAirBalanceComponent = 1;  // nitrogen
