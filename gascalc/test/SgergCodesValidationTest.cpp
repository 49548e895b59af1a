// The SGERG-88 method codes of the standard's input set (Hs, d, CO2, H2) against the compression
// factors ISO 12213-3 publishes in its Annex C, through the whole program: the imported Hs and
// relative density at the SGERG-88 reference (Source.RefCond 5), the contents from the analysis,
// Zm read from MeasCond.Zm.
#include <string>
#include <vector>

#include "CalcFixture.h"
#include "SgergIsoGas1.h"

namespace {

using calorant_test::CalcFixture;

class SgergCodesValidationTest : public CalcFixture {
  protected:
    // The gas of `point` as the program takes it: Hs and d imported at set 5, CO2 and H2 in an
    // analysis of methane besides them.
    void setGas(const SgergIsoPoint& point) {
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
    std::vector<SgergIsoPoint> points;
    ASSERT_NO_FATAL_FAILURE(LoadSgergIsoGas1(points));
    startCalc("Default");
    changeCode("Source.RefCond", 5);
    const struct {
        int32_t calcMethod, measCalcMethod;
        bool wideRange;
    } codes[] = {{11, 10, false}, {22, 21, true}};
    for (const auto& code : codes) {
        setMethods(code.calcMethod, code.measCalcMethod);
        for (const SgergIsoPoint& point : points) {
            // Wide range is checked only on a gas without hydrogen.
            if (code.wideRange) {
                ASSERT_EQ(point.xH2, 0.0);
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
