#include "common/ZeiRitu.h"

namespace qz {
namespace {

constexpr TZeiRitu kZeiRitu5[] = {
    {"5%", TMoney::FromYen(5), 0, 1, "1997/04/01", 1, 0},
    {"3%", TMoney::FromYen(3), 1, 0, "1989/04/01", 1, 0},
};

constexpr TZeiRitu kZeiRitu8[] = {
    {"8%", TMoney::FromYen(8), 0, 2, "2014/04/01", 6, 1},
    {"5%", TMoney::FromYen(5), 2, 1, "1997/04/01", 1, 0},
    {"3%", TMoney::FromYen(3), 1, 0, "1989/04/01", 1, 0},
};

TDate StartOf(const TZeiRitu& rate)
{
    return *TDate::Parse(rate.FromDate);
}

}  // namespace

std::span<const TZeiRitu> ZeiRitu5Table() { return kZeiRitu5; }
std::span<const TZeiRitu> ZeiRitu8Table() { return kZeiRitu8; }

TDate ZeiRitu8StartDate()
{
    return StartOf(kZeiRitu8[0]);
}

int ValidOldRate(int oldRateCode, TDate entryDate)
{
    if (entryDate < ZeiRitu8StartDate())
        return oldRateCode > 1 ? 0 : oldRateCode;

    int defaultCode = 0;
    for (const TZeiRitu& rate : kZeiRitu8) {
        if (StartOf(rate) <= entryDate) {
            defaultCode = rate.OldRateCode;
            break;
        }
    }
    for (const TZeiRitu& rate : kZeiRitu8)
        if (rate.OldRateCode == oldRateCode && StartOf(rate) <= entryDate)
            return oldRateCode;
    return defaultCode;
}

}  // namespace qz
