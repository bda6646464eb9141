#pragma once
// The target product's three standard charts of accounts (corporation 11, individual general 21,
// individual real-estate 22), from the chart data file compiled into the program. The template
// databases are built from it and the writer loads its account table from it, so they cannot disagree.

#include <span>
#include <string>

namespace qz::schema {

struct TChartRow {
    int Chart = 0;
    int Seq = 0;
    std::string KCode;       // 5-digit system code
    std::string StdCode;     // standard user code
    std::string KName;
    std::string GroupM0;
    std::string GroupM1;
    std::string GroupM2;
    int BlDac = 0;
    int Dac = 0;
    std::string BpFlg;       // "B" balance sheet, "P" profit and loss
    int TaxLCode = 0;
    int TaxRCode = 0;
    int FunLCode = 0;
    int FunRCode = 0;
    std::string KeihKubu;    // "固" / "変" for cost accounts
};

// The rows of one chart in chart order; throws std::invalid_argument for an unknown chart kind.
std::span<const TChartRow> StandardChart(int chartKind);

// The chart kind (common/ChartKind.h) of a data type and code type of ACCDEF1: 1/1 corporation, 2/1 individual
// general, 2/2 individual real estate; 0 for any other pair.
int ChartKindOf(int dataType, int codeType);

}  // namespace qz::schema
