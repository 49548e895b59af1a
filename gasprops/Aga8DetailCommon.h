// What the three implementations of the AGA8 DETAIL equation share besides the tables: the
// component and term counts (taken from the tables that define them) and the table of half
// powers from which each forms its temperature and mixture powers. Each solver body stays in its
// own implementation.
#pragma once

#include "tables/aga8_detail_table4_terms.h"
#include "tables/aga8_detail_table5_components.h"

inline constexpr int kAga8Components = kAga8ComponentCount;  // 21, AGA8 order
inline constexpr int kAga8Terms = kAga8DetailTermCount;      // 58 terms of the equation
inline constexpr int kAga8VirialTerms = 18;                  // terms 1 to 18 carry the B part
inline constexpr int kAga8HalfPowers = 47;                   // (sqrt x)^k for k = 0 to 46

// powers[k] = root^k for k = 0 to 46 by repeated multiplication; with root = sqrt(x) these are
// the half powers x^(k/2) that the exponents u_n (multiples of 0.5 up to 23) need.
inline void FillHalfPowers(double root, double (&powers)[kAga8HalfPowers]) {
    powers[0] = 1.0;
    for (int k = 1; k < kAga8HalfPowers; ++k) {
        powers[k] = powers[k - 1] * root;
    }
}

// The same values for k = 0 to last only (last below kAga8HalfPowers); the rest is left as it is.
inline void FillHalfPowers(double root, double (&powers)[kAga8HalfPowers], int last) {
    powers[0] = 1.0;
    for (int k = 1; k <= last; ++k) {
        powers[k] = powers[k - 1] * root;
    }
}
