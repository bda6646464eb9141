#include "db/schema/StandardCharts.h"

#include "common/ChartKind.h"
#include "common/TextHelpers.h"
#include "db/schema/StandardChartsData.h"

#include <map>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace qz::schema {
namespace {

int ToInt(std::string_view text, const std::string& line)
{
    if (const auto value = TryTextToInt32(text))
        return *value;
    throw std::runtime_error("standard chart: not a number in line: " + line);
}

std::map<int, std::vector<TChartRow>> ParseCharts()
{
    std::map<int, std::vector<TChartRow>> charts;
    std::istringstream lines{std::string(kStandardChartsTsv)};
    std::string line;
    std::getline(lines, line);  // header
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        const std::vector<std::string_view> f = SplitAt(line, "\t");
        if (f.size() != 16)
            throw std::runtime_error("standard chart: 16 fields expected in line: " + line);
        TChartRow row{ToInt(f[0], line), ToInt(f[1], line), std::string(f[2]), std::string(f[3]), std::string(f[4]),
                      std::string(f[5]), std::string(f[6]), std::string(f[7]), ToInt(f[8], line), ToInt(f[9], line),
                      std::string(f[10]), ToInt(f[11], line), ToInt(f[12], line), ToInt(f[13], line),
                      ToInt(f[14], line), std::string(f[15])};
        charts[row.Chart].push_back(std::move(row));
    }
    return charts;
}

}  // namespace

std::span<const TChartRow> StandardChart(int chartKind)
{
    static const std::map<int, std::vector<TChartRow>> charts = ParseCharts();
    const auto found = charts.find(chartKind);
    if (found == charts.end())
        throw std::invalid_argument("unknown chart kind " + std::to_string(chartKind));
    return found->second;
}

int ChartKindOf(int dataType, int codeType)
{
    if (dataType == 1 && codeType == 1)
        return kChartCorporation;
    if (dataType == 2 && codeType == 1)
        return kChartIndividualGeneral;
    if (dataType == 2 && codeType == 2)
        return kChartIndividualRealEstate;
    return 0;
}

}  // namespace qz::schema
