#pragma once
// Every statement the conversion context sends, in one place. The statement-catalog test prepares each
// of them (ConvertStatements below lists them).

#include "db/DbStatements.h"

#include <string_view>
#include <vector>

namespace qz::convert::sql {

// The journal sort table, dumped into the conversion error log.
inline constexpr std::string_view kSelectSortedJournalsForLog =
    "SELECT TEXT FROM ONETIME_SIWAKE ORDER BY JIGYOUNENDONAIBUCD ,TORIHIKIBI,HONSITENNAIBUCD ,"
    "DENPYOUNAIBUCD ,TAISYAKUKUBUN ";

}  // namespace qz::convert::sql

namespace qz {

std::vector<TNamedStatement> ConvertStatements();

}  // namespace qz
