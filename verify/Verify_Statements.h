#pragma once
// Every statement the reconciliation sends, in one place. Each reads the target's own tables grouped in the
// database, so the time does not grow with one query per account. The statement-catalog test prepares
// each of them (VerifyStatements below lists them).

#include "db/DbStatements.h"

#include <string_view>
#include <vector>

namespace qz::verify::sql {

// The target accounts: name and the DAC that tells the side they keep their balance on.
inline constexpr std::string_view kSelectAccounts = "SELECT KCODE, KNAME, DAC FROM KAMOKUMST";

// ---- The current year: the opening balances per branch and account (every sub-account and department
// summed), the movements of every slot tax-included and tax-excluded, and the year's consumption tax per
// slot of the two tax classes the tax-excluded view adds to the tax accounts (1 received, 2 paid).
inline constexpr std::string_view kSumOpeningBalances =
    "SELECT SCODE, KCODE, SUM(KISHU_KOMI), SUM(KISHU_NUKI) FROM KAMOKU_SZ GROUP BY SCODE, KCODE";
inline constexpr std::string_view kSumSlotMovements =
    "SELECT SCODE, KCODE, MNUM, SUM(KAR_NUK + KAR_TAX - KAS_NUK - KAS_TAX), "
    "SUM(KAR_NUK - KAR_IKKATSU - KAS_NUK + KAS_IKKATSU) FROM KAMOKU_MS GROUP BY SCODE, KCODE, MNUM";
inline constexpr std::string_view kSumSlotTax =
    "SELECT SCODE, MNUM, KKUBUN, SUM(KAR - KAS) FROM KAMOKU_TAX WHERE KKUBUN IN (1, 2) GROUP BY SCODE, MNUM, KKUBUN";

// ---- A past year (NENDO 1 the prior year, 2 the one before): the opening and the movements of every slot,
// tax-included then tax-excluded, per branch and account.
inline constexpr std::string_view kSumPastBalances =
    "SELECT SCODE, KCODE, SUM(KISHU), "
    "SUM(KOMIZAN_1), SUM(KOMIZAN_2), SUM(KOMIZAN_3), SUM(KOMIZAN_4), SUM(KOMIZAN_5), SUM(KOMIZAN_6), "
    "SUM(KOMIZAN_7), SUM(KOMIZAN_8), SUM(KOMIZAN_9), SUM(KOMIZAN_10), SUM(KOMIZAN_11), SUM(KOMIZAN_12), "
    "SUM(KOMIZAN_13), SUM(KOMIZAN_14), SUM(KOMIZAN_15), SUM(KOMIZAN_16), "
    "SUM(NUKIZAN_1), SUM(NUKIZAN_2), SUM(NUKIZAN_3), SUM(NUKIZAN_4), SUM(NUKIZAN_5), SUM(NUKIZAN_6), "
    "SUM(NUKIZAN_7), SUM(NUKIZAN_8), SUM(NUKIZAN_9), SUM(NUKIZAN_10), SUM(NUKIZAN_11), SUM(NUKIZAN_12), "
    "SUM(NUKIZAN_13), SUM(NUKIZAN_14), SUM(NUKIZAN_15), SUM(NUKIZAN_16) "
    "FROM KAKOZAN WHERE NENDO = :NENDO GROUP BY SCODE, KCODE";

// ---- The live journal rows of a year per calendar month and side: count and amount. The current year's
// table, then the prior year's and the one before's.
inline constexpr std::string_view kSumCurrentJournals =
    "SELECT EXTRACT(YEAR FROM HIZUKE), EXTRACT(MONTH FROM HIZUKE), TAISHAKU, COUNT(*), SUM(KINGAKU) "
    "FROM SIWAKE WHERE DELFLG = 0 GROUP BY 1, 2, 3";
inline constexpr std::string_view kSumPriorJournals =
    "SELECT EXTRACT(YEAR FROM HIZUKE), EXTRACT(MONTH FROM HIZUKE), TAISHAKU, COUNT(*), SUM(KINGAKU) "
    "FROM KAKOSIWAKE1 WHERE DELFLG = 0 GROUP BY 1, 2, 3";
inline constexpr std::string_view kSumPriorPriorJournals =
    "SELECT EXTRACT(YEAR FROM HIZUKE), EXTRACT(MONTH FROM HIZUKE), TAISHAKU, COUNT(*), SUM(KINGAKU) "
    "FROM KAKOSIWAKE2 WHERE DELFLG = 0 GROUP BY 1, 2, 3";

}  // namespace qz::verify::sql

namespace qz {

std::vector<TNamedStatement> VerifyStatements();

}  // namespace qz
