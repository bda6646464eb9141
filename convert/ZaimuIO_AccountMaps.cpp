#include "convert/ZaimuIO_AccountMaps.h"

#include "common/ChartKind.h"
#include "common/TextHelpers.h"

#include <span>
#include <stdexcept>

namespace qz {
namespace {

// One row: the main codes it names ("a-b" a range, items separated by ", ") and its target. A row with a
// side sends the accounts of that balance side to Code and all others to Otherwise.
struct TAccountMapRow {
    std::string_view Mains;
    std::string_view Code;
    std::string_view Side = {};
    std::string_view Otherwise = {};
};

constexpr TAccountMapRow kCorporation[] = {
    {"114-130", "11300"},
    {"156-158", "15500"},
    {"160, 161, 166, 170-179", "16900"},
    {"200, 219, 222-228", "21700", "1", "21800"},
    {"210, 215, 220, 221", "21800", "2", "21700"},
    {"230, 232-237", "23100"},
    {"246, 247", "24500"},
    {"248-250, 256-259", "25500"},
    {"269-275", "27700", "1", "27800"},
    {"279", "27800", "2", "27700"},
    {"280, 286-289", "28500", "1", "27800"},
    {"290, 296-299", "29500"},
    {"300, 302, 308-310, 313-321, 324-326, 329, 330, 334, 338-340, 344, 345, 347-361, 364, 366, 367", "34300"},
    {"377-379", "37600"},
    {"382-389", "38100"},
    {"415-419", "41400", "2", "44400"},
    {"420, 427-439", "42600", "2", "44400"},
    {"440, 445-449", "44400", "1", "41400"},
    {"450, 464-489", "46300", "1", "49400"},
    {"490", "49400", "2", "46300"},
    {"496", "49500", "1", "49400"},
    {"499, 599", "49800"},
    {"520, 524-529", "52300"},
    {"552, 560-592", "55800"},
    {"593", "55200"},
    {"596", "49700"},
    {"600-629, 640-649", "63000"},
    {"700-799", "99900"},
    {"800, 802, 803", "80100"},
    {"805, 806", "80400"},
    {"808, 809", "80700"},
    {"812-824", "81100"},
    {"831-851, 854-856", "83000"},
    {"858, 859", "85700"},
    {"861-869", "86000"},
    {"872", "87100"},
    {"875", "87400"},
    {"879-889", "87800"},
    {"891-899", "89000"},
    {"914-929", "91300"},
    {"938-942", "93700"},
    {"949", "94800"},
    {"963-969", "96200"},
    {"980, 982", "98100"},
};

// The balance-sheet rows both charts of a sole proprietor share.
constexpr TAccountMapRow kIndividualBalanceSheet[] = {
    {"100, 103-107, 109, 110", "10200"},
    {"114-130", "11300"},
    {"135, 136", "13400"},
    {"144-147", "14300"},
    {"155-158", "15400"},
    {"160, 161, 166, 170-179", "16900"},
    {"188, 190, 191, 194-197", "19300"},
    {"198, 199, 278, 279", "37000"},
    {"200, 219, 222-228", "21700", "1", "21800"},
    {"210, 215, 220, 221", "21800", "2", "21700"},
    {"230, 232-237", "23100"},
    {"244-247", "24300"},
    {"248-250, 253-259", "25200"},
    {"260, 269-275", "27700", "1", "27800"},
    {"280", "28100"},
    {"283-289", "28200", "1", "27800"},
    {"290-292, 296-299", "29500"},
    {"300, 302, 308-310, 313-321, 324-326, 329, 330, 334, 338-340, 366-369", "34200"},
    {"343-364", "37300"},
    {"370, 377-389", "37600"},
};

constexpr TAccountMapRow kIndividualGeneral[] = {
    {"405-410, 412-418", "41100", "2", "44100"},
    {"420, 426-439", "42500", "2", "44100"},
    {"440, 442-449", "44100", "1", "41100"},
    {"450, 458-480, 482-489", "45700", "1", "49100"},
    {"490, 492-494", "49100", "2", "45700"},
    {"499, 599", "49800"},
    {"500, 505-507", "50400"},
    {"510, 516", "51500"},
    {"520, 524-529", "52300"},
    {"543, 546-552, 556-558, 560-592", "55500"},
    {"593", "54300"},
    {"596", "49700"},
    {"600-605, 607-649, 696, 697", "69400"},
    {"700-799", "99900"},
    {"801-899", "80000"},
    {"900, 904, 908-929", "90700"},
    {"930, 932-945, 947-949", "94600"},
    {"950, 952-955, 957-970", "95600"},
    {"975-977, 979-985", "97400"},
};

constexpr TAccountMapRow kIndividualRealEstate[] = {
    {"405-418", "40400", "2", "44100"},
    {"420, 426-439, 900-904, 906-949", "42500", "2", "44100"},
    {"440, 442-449", "44100", "1", "40400"},
    {"450-605, 607-649, 950-985", "69700"},
    {"700-799", "99900"},
    {"801-899", "80000"},
};

int MainCodeOf(std::string_view text)
{
    const auto number = TryTextToInt32(text);
    if (!number)
        throw std::logic_error("account map row with a main code that is no number: " + std::string(text));
    return *number;
}

bool Names(const TAccountMapRow& row, int mainCode)
{
    for (const std::string_view item : SplitAt(row.Mains, ", ")) {
        const std::size_t dash = item.find('-');
        const int first = MainCodeOf(item.substr(0, dash));
        const int last = dash == std::string_view::npos ? first : MainCodeOf(item.substr(dash + 1));
        if (mainCode >= first && mainCode <= last)
            return true;
    }
    return false;
}

const TAccountMapRow* FindRow(std::span<const TAccountMapRow> rows, int mainCode)
{
    for (const TAccountMapRow& row : rows)
        if (Names(row, mainCode))
            return &row;
    return nullptr;
}

const TAccountMapRow* FindRow(int chartKind, int mainCode)
{
    switch (chartKind) {
    case kChartCorporation:
        return FindRow(kCorporation, mainCode);
    case kChartIndividualGeneral:
        if (const TAccountMapRow* row = FindRow(kIndividualBalanceSheet, mainCode))
            return row;
        return FindRow(kIndividualGeneral, mainCode);
    case kChartIndividualRealEstate:
        if (const TAccountMapRow* row = FindRow(kIndividualBalanceSheet, mainCode))
            return row;
        return FindRow(kIndividualRealEstate, mainCode);
    default:
        return nullptr;
    }
}

}  // namespace

std::optional<std::string> MappedAccountCode(int chartKind, int mainCode, std::string_view side)
{
    const TAccountMapRow* row = FindRow(chartKind, mainCode);
    if (!row)
        return std::nullopt;
    if (row->Side.empty() || side == row->Side)
        return std::string(row->Code);
    return std::string(row->Otherwise);
}

}  // namespace qz
