// One-time set-up of the AGA8-92 DETAIL tables derived from AGA Report No. 8 Tables 4 to 6 and
// of the ideal-gas coefficients.
#include <cmath>

#include "Aga8BinaryParameters.h"
#include "Aga8DetailInternal.h"
#include "tables/aga8_detail_constants.h"
#include "tables/aga8_detail_table4_terms.h"
#include "tables/aga8_detail_table5_components.h"
#include "tables/aga8_detail_table6_binary.h"
#include "tables/gerg2008_ideal_gas_aga8.h"

Aga8SetupTables gAga8Setup;

namespace {

static_assert(kAga8DetailTermCount == kAga8Terms, "58 terms");
static_assert(kAga8ComponentCount == kAga8Components, "21 components");

void SetPairTables(Aga8SetupTables& t) {
    for (int i = 0; i < kAga8Components; ++i) {
        const Aga8DetailComponent& ci = kAga8DetailComponents[i];
        for (int j = 0; j < kAga8Components; ++j) {
            const Aga8DetailComponent& cj = kAga8DetailComponents[j];
            t.KiKj15[i][j] = std::pow(ci.K * cj.K, 1.5);
            t.QiQj[i][j] = ci.Q * cj.Q;
            t.Kpair[i][j] = 2.0 * (std::pow(t.K[i][j], 5.0) - 1.0) * std::pow(ci.K * cj.K, 2.5);
            t.Upair[i][j] = 2.0 * (std::pow(t.U[i][j], 5.0) - 1.0) * std::pow(ci.E * cj.E, 2.5);
            t.Gij[i][j] = t.Gstar[i][j] * (ci.G + cj.G) / 2.0;
            t.Gpair[i][j] = (t.Gstar[i][j] - 1.0) * (ci.G + cj.G);
            t.KpairFlag[i][j] = t.K[i][j] != 1.0 ? 1 : 0;
            t.UpairFlag[i][j] = t.U[i][j] != 1.0 ? 1 : 0;
            t.GpairFlag[i][j] = t.Gstar[i][j] != 1.0 ? 1 : 0;
            const double Eij = t.Estar[i][j] * std::sqrt(ci.E * cj.E);
            for (int n = 0; n < kAga8VirialTerms; ++n) {
                t.Eu[i][j][n] = std::pow(Eij, kAga8DetailTerms[n].u);
            }
        }
        t.Ei25[i] = std::pow(ci.E, 2.5);
        t.Ki25[i] = std::pow(ci.K, 2.5);
    }
    for (int n = 0; n < kAga8Terms; ++n) {
        t.twoU[n] = static_cast<int16_t>(std::lround(2.0 * kAga8DetailTerms[n].u));
    }
}

// Whether term n applies to the pair: each switched-on W, F, S, Q term needs both components to
// carry that parameter.
bool TermApplies(const Aga8DetailTerm& term, const Aga8DetailComponent& ci,
                 const Aga8DetailComponent& cj) {
    return !(term.w != 0 && (ci.W == 0.0 || cj.W == 0.0)) &&
           !(term.f != 0 && (ci.F == 0.0 || cj.F == 0.0)) &&
           !(term.s != 0 && (ci.S == 0.0 || cj.S == 0.0)) &&
           !(term.q != 0 && (ci.Q == 0.0 || cj.Q == 0.0));
}

void SetPairVirialTable(Aga8SetupTables& t) {
    for (int i = 0; i < kAga8Components; ++i) {
        const Aga8DetailComponent& ci = kAga8DetailComponents[i];
        for (int j = 0; j < kAga8Components; ++j) {
            const Aga8DetailComponent& cj = kAga8DetailComponents[j];
            for (int n = 0; n < kAga8VirialTerms; ++n) {
                const Aga8DetailTerm& term = kAga8DetailTerms[n];
                double value = 0.0;
                if (TermApplies(term, ci, cj)) {
                    value = t.KiKj15[i][j];
                    if (term.s != 0) {
                        value *= ci.S * cj.S;
                    }
                    if (term.q != 0) {
                        value *= t.QiQj[i][j];
                    }
                    if (term.g != 0) {
                        value *= t.Gij[i][j];
                    }
                    if (t.Eu[i][j][n] != 1.0) {
                        value *= t.Eu[i][j][n];
                    }
                }
                t.pairVirial[i][j][n] = value;
            }
        }
    }
}

void SetDensityGroups(Aga8SetupTables& t) {
    t.densityGroupCount = 0;
    for (int k = 0; k < kAga8DensityExponentials; ++k) {
        t.groupFirstOfK[k] = t.densityGroupCount;
        for (int b = 0; b < kAga8DensityPowers; ++b) {
            const int group = t.densityGroupCount;
            bool used = false;
            for (int n = kAga8FirstCTerm; n < kAga8Terms; ++n) {
                if (kAga8DetailTerms[n].b == b && kAga8DetailTerms[n].k == k) {
                    t.densityGroupOfTerm[n] = static_cast<int8_t>(group);
                    used = true;
                }
            }
            if (used) {
                t.groupB[group] = static_cast<int8_t>(b);
                t.groupK[group] = static_cast<int8_t>(k);
                t.groupBValue[group] = b;
                t.groupKValue[group] = k;
                ++t.densityGroupCount;
            }
        }
    }
    t.groupFirstOfK[kAga8DensityExponentials] = t.densityGroupCount;
}

void SetIdealGasCoefficients(Aga8SetupTables& t) {
    const double d0 =
        kAga8IdealReferencePressure / kAga8GasConstant / kAga8IdealReferenceTemperature;
    for (int i = 0; i < kAga8Components; ++i) {
        for (int k = 0; k < 7; ++k) {
            t.idealN0[i][k] = kGerg2008IdealGas[i].n0[k];
        }
        for (int k = 0; k < 4; ++k) {
            t.idealTheta[i][k] = kGerg2008IdealGas[i].theta[k];
        }
        t.idealN0[i][0] -= std::log(d0);
        t.idealN0[i][2] -= 1.0;
    }
}

}  // namespace

void Aga8Setup() {
    LoadAga8BinaryParameters(gAga8Setup.Estar, gAga8Setup.U, gAga8Setup.K, gAga8Setup.Gstar);
    SetPairTables(gAga8Setup);
    SetPairVirialTable(gAga8Setup);
    SetDensityGroups(gAga8Setup);
    SetIdealGasCoefficients(gAga8Setup);
}
