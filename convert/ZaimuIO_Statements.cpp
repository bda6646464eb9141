#include "convert/ZaimuIO_Statements.h"

namespace qz {

std::vector<TNamedStatement> ConvertStatements()
{
    using enum TStatementDb;
    return {QZ_NAMED_STATEMENT(Data, convert::sql::kSelectSortedJournalsForLog),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSumCarriedTaxIncludedOfAccount),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSumCarriedTaxIncludedOfSubAccount),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSumCarriedTaxExcludedOfAccount),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSumCarriedTaxExcludedOfSubAccount),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectBranchName),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectAccountName),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectSubAccountName),
            // Sub-account code adjustment and the aggregated-accounts list
            QZ_NAMED_STATEMENT(Data, convert::sql::kRecreateOnetime),
            QZ_NAMED_STATEMENT(Data, convert::sql::kInsertOnetime),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectOnetimeByOldHUser),
            QZ_NAMED_STATEMENT(Data, convert::sql::kUpdateOnetimeNewHCode),
            QZ_NAMED_STATEMENT(Data, convert::sql::kCountOnetimeOfOldKCode),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectOnetimeMergedAccounts),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectOnetimeMergedMultiAccounts),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectOnetimeAccountPairsWithSubAccounts),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectOnetimeNewKCodeOfOldKCode),
            QZ_NAMED_STATEMENT(Data, convert::sql::kInsertOnetimeCatchAll),
            QZ_NAMED_STATEMENT(Data, convert::sql::kCountOnetimeOfNewCodes),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectOnetimeMaxNewHCode),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectOnetimeAccountRows),
            QZ_NAMED_STATEMENT(Data, convert::sql::kUpdateOnetimeAccountRowCode),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectOnetimeRowsOfNewKCode),
            QZ_NAMED_STATEMENT(Data, convert::sql::kCountOnetime),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectOnetimeNewKCodes),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectOnetimeCollisions),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectOnetimeRowsForCollision),
            QZ_NAMED_STATEMENT(Data, convert::sql::kUpdateOnetimeCollisionCode),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectOnetimeAll),
            QZ_NAMED_STATEMENT(Data, convert::sql::kDropOnetime),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectTargetNamesOfSubAccount),
            QZ_NAMED_STATEMENT(Data, convert::sql::kDeleteBranchDepartment),
            // Journals
            QZ_NAMED_STATEMENT(Data, convert::sql::kRecreateJournalSortTable),
            QZ_NAMED_STATEMENT(Data, convert::sql::kDropJournalSortTable),
            QZ_NAMED_STATEMENT(Data, convert::sql::kInsertJournalSortRow),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectSortedJournals),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectSubAccountOfAccount),
            // The import run
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectFirstJournalDateOfYear),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectBranchCodes),
            QZ_NAMED_STATEMENT(Data, convert::sql::kJournalTriggerInactive),
            QZ_NAMED_STATEMENT(Data, convert::sql::kJournalTriggerActive)};
}

}  // namespace qz
