#pragma once
// Consumption-tax rate tables, newest rate first.

#include "common/Date.h"
#include "common/Money.h"

#include <span>
#include <string_view>

namespace qz {

struct TZeiRitu {
    std::string_view Label;
    TMoney Rate;
    int OldRateCode;     // 0 = the rate in force at the entry date; 1 and 2 name the older 3% and 5% rates
    int RateNo;
    std::string_view FromDate;  // "yyyy/mm/dd"
    int Aux1;            // carried with the table, not used by the conversion
    int Aux2;
};

std::span<const TZeiRitu> ZeiRitu5Table();  // the 5% era
std::span<const TZeiRitu> ZeiRitu8Table();  // the 8% era

// The day the 8% rate began.
TDate ZeiRitu8StartDate();

// A valid old-rate code for an entry dated d.
int ValidOldRate(int oldRateCode, TDate entryDate);

}  // namespace qz
