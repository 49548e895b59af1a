#include "SgergIsoGas1.h"

#include <gtest/gtest.h>

#include "ReferenceCsv.h"

namespace {

bool inRange(const SgergIsoPoint& r) {
    return r.Hs > 0.0 && r.d > 0.0 && r.xCO2 >= 0.0 && r.xH2 >= 0.0 && r.xCO2 + r.xH2 < 1.0 &&
           r.p > 0.0 && r.T > 0.0 && r.Z > 0.0 && r.tolerance > 0.0 && r.tolerance <= 1e-5;
}

}  // namespace

void LoadSgergIsoGas1(std::vector<SgergIsoPoint>& points) {
    points.clear();
    for (const CsvRow& row : ReadReferenceCsv("sgerg88-iso12213-3-gas1.csv")) {
        points.push_back({CsvNumber(row, "Hs_MJ_per_m3"), CsvNumber(row, "rel_density"),
                          CsvNumber(row, "x_CO2_molfrac"), CsvNumber(row, "x_H2_molfrac"),
                          CsvNumber(row, "p_bar"), CsvNumber(row, "T_K"), CsvNumber(row, "Z"),
                          CsvNumber(row, "abs_tolerance")});
    }
    ASSERT_EQ(points.size(), 10u);
    for (const SgergIsoPoint& point : points) {
        ASSERT_TRUE(inRange(point)) << point.p << " bar, " << point.T << " K";
    }
}
