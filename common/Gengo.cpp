#include "common/Gengo.h"

namespace qz {
namespace {

constexpr TGengo2Rec kGengoTable[] = {
    {"令和", 'R', "2019/05/01", 2019},
    {"平成", 'H', "1989/01/08", 1989},
    {"昭和", 'S', "1926/12/25", 1926},
    {"大正", 'T', "1912/07/30", 1912},
    {"明治", 'M', "1868/09/08", 1868},
};

}  // namespace

std::span<const TGengo2Rec> GengoTable()
{
    return kGengoTable;
}

const std::vector<TGengoRec>& GengoList()
{
    static const std::vector<TGengoRec> list = [] {
        std::vector<TGengoRec> eras;
        for (const TGengo2Rec& era : kGengoTable)
            eras.push_back({std::string(era.Name), era.Letter, *TDate::Parse(era.StartDate), era.FirstYear});
        return eras;
    }();
    return list;
}

TWarekiRec ToWareki(TDate date)
{
    TWarekiRec wareki;
    int year, month, day;
    date.Decode(year, month, day);
    wareki.Year = static_cast<std::int16_t>(year);
    // Only the zero date has no era; dates before 1899-12-30 count negative but are real Meiji dates.
    if (!date.IsZero()) {
        for (const TGengoRec& era : GengoList()) {
            if (era.StartDate <= date) {
                wareki.Name = era.Name;
                wareki.Letter = era.Letter;
                wareki.Year = static_cast<std::int16_t>(year - era.FirstYear + 1);
                break;
            }
        }
    }
    wareki.Month = static_cast<std::int16_t>(month);
    wareki.Day = static_cast<std::int16_t>(day);
    return wareki;
}

}  // namespace qz
