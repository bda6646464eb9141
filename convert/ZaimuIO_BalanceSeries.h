#pragma once
// How the balance files (ZMUCHZAN, ZMBUMZAN) are read: a record of a year and balance kind, the side an
// account keeps its balance on, and the balance at the end of a slot from the two running series. The
// opening-balance lines and the reconciliation read them the same way.

#include "common/Money.h"
#include "convert/ZaimuIO_Records.h"

#include <string_view>
#include <vector>

namespace qz::balance_series {

// A record of the year (internal code) whose balance kind column holds kind ("1", "2").
bool IsOfYear(const TExtractRecord& record, int year, std::string_view kind);

// The side the account keeps its balance on in the year: 2 (credit) when the year's account record says
// "2", else 1 (debit), also when the year has no record of the account.
int SideOf(const std::vector<TZMKANJYO>& accounts, int year, std::string_view account);

// The balance at the end of slot 1-16 on the side: side 1 the first series minus the second, side 2 the
// second minus the first (both series are running totals with the opening); slot 0 is the opening.
TMoney AtSlotEnd(const TExtractRecord& record, int slot, int side);

// The balance at the start of input month 1-12: the opening for the first month, else the end of the
// month before (its month column, not a settlement column).
TMoney AtMonthStart(const TExtractRecord& record, int month, int side);

}  // namespace qz::balance_series
