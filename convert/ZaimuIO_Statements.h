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

// ---- Opening balances: the check of the balances the year update carried into the prior year (NENDO 1),
// tax-included and tax-excluded, per account and per sub-account; the names of the mismatch lines.
inline constexpr std::string_view kSumCarriedTaxIncludedOfAccount =
    "SELECT SUM(KISHU +KOMIZAN_1 +KOMIZAN_2  +KOMIZAN_3  +KOMIZAN_4  +KOMIZAN_5  +KOMIZAN_6  +KOMIZAN_7  +KOMIZAN_8 +  KOMIZAN_9 +KOMIZAN_10 +KOMIZAN_11 +KOMIZAN_12 +KOMIZAN_13 +KOMIZAN_14 +KOMIZAN_15 +KOMIZAN_16)  FROM KAKOZAN WHERE SCODE=:SCODE AND KCODE=:KCODE AND NENDO=1";
inline constexpr std::string_view kSumCarriedTaxIncludedOfSubAccount =
    "SELECT SUM(KISHU +KOMIZAN_1 +KOMIZAN_2  +KOMIZAN_3  +KOMIZAN_4  +KOMIZAN_5  +KOMIZAN_6  +KOMIZAN_7  +KOMIZAN_8 +  KOMIZAN_9 +KOMIZAN_10 +KOMIZAN_11 +KOMIZAN_12 +KOMIZAN_13 +KOMIZAN_14 +KOMIZAN_15 +KOMIZAN_16)  FROM KAKOZAN WHERE SCODE=:SCODE AND KCODE=:KCODE AND HCODE=:HCODE AND NENDO=1";
inline constexpr std::string_view kSumCarriedTaxExcludedOfAccount =
    "SELECT SUM(KISHU +NUKIZAN_1 +NUKIZAN_2  +NUKIZAN_3  +NUKIZAN_4  +NUKIZAN_5  +NUKIZAN_6  +NUKIZAN_7  +NUKIZAN_8 +  NUKIZAN_9 +NUKIZAN_10 +NUKIZAN_11 +NUKIZAN_12 +NUKIZAN_13 +NUKIZAN_14 +NUKIZAN_15 +NUKIZAN_16)  FROM KAKOZAN WHERE SCODE=:SCODE AND KCODE=:KCODE AND NENDO=1";
inline constexpr std::string_view kSumCarriedTaxExcludedOfSubAccount =
    "SELECT SUM(KISHU +NUKIZAN_1 +NUKIZAN_2  +NUKIZAN_3  +NUKIZAN_4  +NUKIZAN_5  +NUKIZAN_6  +NUKIZAN_7  +NUKIZAN_8 +  NUKIZAN_9 +NUKIZAN_10 +NUKIZAN_11 +NUKIZAN_12 +NUKIZAN_13 +NUKIZAN_14 +NUKIZAN_15 +NUKIZAN_16)  FROM KAKOZAN WHERE SCODE=:SCODE AND KCODE=:KCODE AND HCODE=:HCODE AND NENDO=1";
inline constexpr std::string_view kSelectBranchName =
    "SELECT SNAME FROM SISETUMST WHERE SCODE=:CODE";
inline constexpr std::string_view kSelectAccountName =
    "SELECT KNAME FROM KAMOKUMST WHERE KCODE=:CODE";
inline constexpr std::string_view kSelectSubAccountName =
    "SELECT HNAME FROM HOJOMST WHERE KCODE=:KCODE AND HCODE=:HCODE";

}  // namespace qz::convert::sql

namespace qz {

std::vector<TNamedStatement> ConvertStatements();

}  // namespace qz
