// Reads the published reference-value tables of test/data (comma separated, first line names).
#pragma once

#include <map>
#include <string>
#include <vector>

using CsvRow = std::map<std::string, std::string>;

// The rows of test/data/<name>; an empty list when the file cannot be read.
std::vector<CsvRow> ReadReferenceCsv(const std::string& name);

// A number of a row; NaN when the column is missing.
double CsvNumber(const CsvRow& row, const std::string& column);
