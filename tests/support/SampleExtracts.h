#pragma once
// Realistic sample extracts: a corporation, an individual with the general chart and an individual with
// the real-estate chart, three fiscal years each, whose balances and journals agree.

#include "tests/support/ExtractWriter.h"

#include <string>
#include <utility>
#include <vector>

namespace qz::test {

// (folder name, description) of every sample.
std::vector<std::pair<std::string, TExtractDescription>> SampleExtracts();

// The corporation sample with each month's business repeated, for at least entriesPerYear entries a year
// (for benchmarks).
TExtractDescription LargeCorporation(int entriesPerYear);

}  // namespace qz::test
