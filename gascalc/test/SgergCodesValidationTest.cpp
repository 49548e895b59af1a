// The SGERG-88 method codes of the standard's input set (Hs, d, CO2, H2) against the compression
// factors ISO 12213-3 publishes in its Annex C, through the whole program: the imported Hs and
// relative density at the SGERG-88 reference (Source.RefCond 5), the contents from the analysis,
// Zm read from MeasCond.Zm.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "CalcFixture.h"

namespace {

using calorant_test::CalcFixture;

// One published point: the gas by the standard's inputs, the state and Z with its tolerance.
struct PublishedPoint {
    double Hs, d, xCO2, xH2, p, T, Z, tolerance;
};

// The rows of gasprops/test/data/sgerg88-iso12213-3-gas1.csv (ISO 12213-3, Annex C, gas 1; the
// header names the columns in this order). A row that does not read as eight numbers in range
// is left out, and the test then misses its count.
std::vector<PublishedPoint> publishedPoints() {
    std::ifstream file(std::string(EXAMPLES_DIR) +
                       "/../gasprops/test/data/sgerg88-iso12213-3-gas1.csv");
    std::vector<PublishedPoint> points;
    std::string line;
    std::getline(file, line);  // the column names
    while (std::getline(file, line)) {
        PublishedPoint r{};
        const int read = std::sscanf(line.c_str(), "%lf,%lf,%lf,%lf,%lf,%lf,%lf,%lf", &r.Hs, &r.d,
                                     &r.xCO2, &r.xH2, &r.p, &r.T, &r.Z, &r.tolerance);
        const bool inRange = r.Hs > 0.0 && r.d > 0.0 && r.xCO2 >= 0.0 && r.xH2 >= 0.0 &&
                             r.xCO2 + r.xH2 < 1.0 && r.p > 0.0 && r.T > 0.0 && r.Z > 0.0 &&
                             r.tolerance > 0.0 && r.tolerance < 1e-3;
        if (read == 8 && inRange) {
            points.push_back(r);
        }
    }
    return points;
}

class SgergCodesValidationTest : public CalcFixture {
  protected:
    // The gas of `point` as the program takes it: Hs and d imported at set 5, CO2 and H2 in an
    // analysis of methane besides them.
    void setGas(const PublishedPoint& point) {
        setInput("Source.HVHM.HsV_imp", point.Hs);
        setInput("Source.Rhob.d_imp", point.d);
        setComponent("CO2", point.xCO2 * 100.0);
        setComponent("H2", point.xH2 * 100.0);
        setComponent("CH4", (1.0 - point.xCO2 - point.xH2) * 100.0);
    }
};

// CalcMethod 11 / MeasCalcMethod 10 (variant 2: CO2 and H2 given, N2 solved, the standard's
// mode) at every published point; CalcMethod 22 / MeasCalcMethod 21 (the same inputs in
// wide-range mode) at the points of a gas without hydrogen, where wide range changes nothing the
// published digits show.
TEST_F(SgergCodesValidationTest, StandardInputCodesReproduceThePublishedValues) {
    const std::vector<PublishedPoint> points = publishedPoints();
    ASSERT_EQ(points.size(), 10u);
    startCalc("Default");
    changeCode("Source.RefCond", 5);
    const struct {
        int32_t calcMethod, measCalcMethod;
        bool wideRange;
    } codes[] = {{11, 10, false}, {22, 21, true}};
    for (const auto& code : codes) {
        setMethods(code.calcMethod, code.measCalcMethod);
        for (const PublishedPoint& point : points) {
            if (code.wideRange && point.xH2 != 0.0) {
                continue;
            }
            SCOPED_TRACE("MeasCalcMethod " + std::to_string(code.measCalcMethod) + ", " +
                         std::to_string(point.p) + " bar, " + std::to_string(point.T) + " K");
            setGas(point);
            setMeasuring(point.p, point.T - 273.15);
            cycle();
            EXPECT_NEAR(value("MeasCond.Zm"), point.Z, point.tolerance);
            EXPECT_EQ(statusOf("MeasCond.Zm"), 0u);
        }
    }
}

}  // namespace
