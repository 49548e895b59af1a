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

// powers[k] = root^k for k = 0 to 46 by multiplication; with root = sqrt(x) these are the half
// powers x^(k/2) that the exponents u_n (multiples of 0.5 up to 23) need. Four interleaved
// chains (root^k = root^(k-4) root^4) keep the chain of dependent multiplications short.
inline void FillHalfPowers(double root, double (&powers)[kAga8HalfPowers]) {
    powers[0] = 1.0;
    powers[1] = root;
    powers[2] = root * root;
    powers[3] = powers[2] * root;
    const double fourth = powers[2] * powers[2];
    for (int k = 4; k < kAga8HalfPowers; ++k) {
        powers[k] = powers[k - 4] * fourth;
    }
}
