#pragma once
// The chart kinds of the target product: which standard chart of accounts a data set is built on, and so
// which template backup it is restored from.

namespace qz {

inline constexpr int kChartCorporation = 11;
inline constexpr int kChartIndividualGeneral = 21;     // a sole proprietor, general chart
inline constexpr int kChartIndividualRealEstate = 22;  // a sole proprietor, real-estate chart

inline constexpr int kChartKinds[] = {kChartCorporation, kChartIndividualGeneral, kChartIndividualRealEstate};

constexpr bool IsChartKind(int kind)
{
    return kind == kChartCorporation || kind == kChartIndividualGeneral || kind == kChartIndividualRealEstate;
}

}  // namespace qz
