// The binary interaction parameters of AGA8-92 DETAIL as pair tables, shared by both layouts of
// the method.
#pragma once

#include "tables/aga8_detail_table5_components.h"
#include "tables/aga8_detail_table6_binary.h"

using Aga8PairTable = double[kAga8ComponentCount][kAga8ComponentCount];

// Sets every pair (i, j) of E*_ij, U_ij, K_ij and G*_ij to 1, then to the value the binary table
// lists for it (i < j). Only pairs with i <= j are meant to be read.
inline void LoadAga8BinaryParameters(Aga8PairTable& Estar, Aga8PairTable& U, Aga8PairTable& K,
                                     Aga8PairTable& Gstar) {
    for (int i = 0; i < kAga8ComponentCount; ++i) {
        for (int j = 0; j < kAga8ComponentCount; ++j) {
            Estar[i][j] = 1.0;
            U[i][j] = 1.0;
            K[i][j] = 1.0;
            Gstar[i][j] = 1.0;
        }
    }
    for (const Aga8DetailBinaryPair& pair : kAga8DetailBinaryPairs) {
        Estar[pair.i][pair.j] = pair.Estar;
        U[pair.i][pair.j] = pair.U;
        K[pair.i][pair.j] = pair.K;
        Gstar[pair.i][pair.j] = pair.Gstar;
    }
}
