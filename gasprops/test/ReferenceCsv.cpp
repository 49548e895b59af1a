#include "ReferenceCsv.h"

#include <fstream>
#include <limits>
#include <sstream>

namespace {

std::vector<std::string> SplitLine(const std::string& line) {
    std::vector<std::string> cells;
    std::stringstream stream(line);
    std::string cell;
    while (std::getline(stream, cell, ',')) {
        if (!cell.empty() && cell.back() == '\r') {
            cell.pop_back();
        }
        cells.push_back(cell);
    }
    return cells;
}

}  // namespace

std::vector<CsvRow> ReadReferenceCsv(const std::string& name) {
    std::ifstream file(std::string(GASPROPS_TEST_DATA_DIR) + "/" + name);
    std::vector<CsvRow> rows;
    std::string line;
    if (!std::getline(file, line)) {
        return rows;
    }
    const std::vector<std::string> names = SplitLine(line);
    while (std::getline(file, line)) {
        const std::vector<std::string> cells = SplitLine(line);
        if (cells.size() != names.size()) {
            continue;
        }
        CsvRow row;
        for (size_t k = 0; k < names.size(); ++k) {
            row[names[k]] = cells[k];
        }
        rows.push_back(row);
    }
    return rows;
}

double CsvNumber(const CsvRow& row, const std::string& column) {
    const auto it = row.find(column);
    if (it == row.end()) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return std::stod(it->second);
}
