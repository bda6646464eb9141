#include "writer/DataKakikomi_Statements.h"

#include "common/Format.h"

namespace qz {

namespace writer::sql {

namespace {

constexpr std::string_view kPastBalanceCondition =
    " WHERE (NENDO=0) AND (SCODE=:SCODE) AND (BCODE=:BCODE) AND (KCODE=:KCODE) AND (HCODE=:HCODE)";

}  // namespace

// The texts of the slots below 10 carry blanks that the later slots lack; both are kept as they are.
std::string AddPastBalanceOfSlot(int slot)
{
    return Format(slot < 10 ? "UPDATE KAKOZAN SET KOMIZAN_%d= KOMIZAN_%d+ :ZAN1,NUKIZAN_%d =NUKIZAN_%d+ :ZAN2"
                            : "UPDATE KAKOZAN SET KOMIZAN_%d=KOMIZAN_%d+:ZAN1,NUKIZAN_%d=NUKIZAN_%d+:ZAN2",
                  slot, slot, slot, slot) +
           std::string(kPastBalanceCondition);
}

std::string SetPastBalanceOfSlot(int slot)
{
    return Format(slot < 10 ? "UPDATE KAKOZAN SET KOMIZAN_%d= :ZAN1, NUKIZAN_%d= :ZAN2"
                            : "UPDATE KAKOZAN SET KOMIZAN_%d=:ZAN1, NUKIZAN_%d=:ZAN2",
                  slot, slot) +
           std::string(kPastBalanceCondition);
}

}  // namespace writer::sql

std::vector<TNamedStatement> WriterStatements()
{
    using enum TStatementDb;
    using namespace writer::sql;
    std::vector<TNamedStatement> statements = {
        QZ_NAMED_STATEMENT(Data, kUpdateBasicInformation),
        QZ_NAMED_STATEMENT(Data, kUpdateFiscalPeriod),
        QZ_NAMED_STATEMENT(Data, kUpdateTaxDefault),
        QZ_NAMED_STATEMENT(Data, kSetTemporaryUserCode),
        QZ_NAMED_STATEMENT(Data, kUpdateAccount),
        QZ_NAMED_STATEMENT(Data, kRenameAccount),
        QZ_NAMED_STATEMENT(Data, kSelectAccountAttributes),
        QZ_NAMED_STATEMENT(Data, kCountAccount),
        QZ_NAMED_STATEMENT(Data, kCountSubAccountsOfAccount),
        QZ_NAMED_STATEMENT(Data, kMarkAccountWithSubAccounts),
        QZ_NAMED_STATEMENT(Data, kCountSubAccount),
        QZ_NAMED_STATEMENT(Data, kUpdateSubAccount),
        QZ_NAMED_STATEMENT(Data, kInsertSubAccount),
        QZ_NAMED_STATEMENT(Data, kSelectAccountsWithSubAccounts),
        QZ_NAMED_STATEMENT(Data, kCountAllNineSubAccount),
        QZ_NAMED_STATEMENT(Data, kSelectAccountTaxAndSide),
        QZ_NAMED_STATEMENT(Data, kCreateSubAccountBalances),
        QZ_NAMED_STATEMENT(Data, kDeleteNoteAccount),
        QZ_NAMED_STATEMENT(Data, kSetSpecialAccountCode),
        QZ_NAMED_STATEMENT(Data, kInsertNoteAccount),
        QZ_NAMED_STATEMENT(Data, kInsertDepartment),
        QZ_NAMED_STATEMENT(Data, kInsertBranch),
        QZ_NAMED_STATEMENT(Data, kUpdateHeadOffice),
        QZ_NAMED_STATEMENT(Data, kSelectDictionaryTitle),
        QZ_NAMED_STATEMENT(Data, kUpdateDictionaryTitle),
        QZ_NAMED_STATEMENT(Data, kSelectAccountDebitTax),
        QZ_NAMED_STATEMENT(Data, kSelectAccountCreditTax),
        QZ_NAMED_STATEMENT(Data, kSelectSubAccountDebitTax),
        QZ_NAMED_STATEMENT(Data, kSelectSubAccountCreditTax),
        QZ_NAMED_STATEMENT(Data, kInsertDictionaryEntry),
        QZ_NAMED_STATEMENT(Data, kSelectAccountGroupAndSide),
        QZ_NAMED_STATEMENT(Data, kAddOpeningBalance),
        QZ_NAMED_STATEMENT(Data, kSelectBalanceAccountsWithSubAccounts),
        QZ_NAMED_STATEMENT(Data, kCountSubAccountBalances),
        QZ_NAMED_STATEMENT(Data, kSumAccountLevelOpening),
        QZ_NAMED_STATEMENT(Data, kSumNamedSubAccountOpening),
        QZ_NAMED_STATEMENT(Data, kSetOpeningBalance),
        QZ_NAMED_STATEMENT(Data, kClearPastBalancesOfRow),
        QZ_NAMED_STATEMENT(Data, kSelectBalanceAccounts),
        QZ_NAMED_STATEMENT(Data, kSelectAllDepartmentOpening),
        QZ_NAMED_STATEMENT(Data, kSumNamedDepartmentOpening),
        QZ_NAMED_STATEMENT(Data, kClearProfitAndLossOpening),
        QZ_NAMED_STATEMENT(Data, kUnlinkVoucher),
        QZ_NAMED_STATEMENT(Data, kClearVoucherNumbers),
        QZ_NAMED_STATEMENT(Data, kRunReTotal),
        QZ_NAMED_STATEMENT(Data, kDropReTotal),
        QZ_NAMED_STATEMENT(Data, kDeletePastJournals1),
        QZ_NAMED_STATEMENT(Data, kDeletePastJournals2),
        QZ_NAMED_STATEMENT(Data, kDeleteJournals),
        QZ_NAMED_STATEMENT(Data, kClearOpeningBalances),
        QZ_NAMED_STATEMENT(Data, kClearMonthTotals),
        QZ_NAMED_STATEMENT(Data, kClearTaxTotals),
        QZ_NAMED_STATEMENT(Data, kClearJournalCounts),
        QZ_NAMED_STATEMENT(Data, kClearPastBalances),
        QZ_NAMED_STATEMENT(Data, kClearPriorYearFigures),
        QZ_NAMED_STATEMENT(Data, kCreateReTotalException),
        QZ_NAMED_STATEMENT(Data, kDropReTotalException),
        QZ_NAMED_STATEMENT(Data, kCreateReTotal),
    };
    for (int slot = 1; slot <= 16; ++slot) {
        statements.push_back({Format("AddPastBalanceOfSlot(%d)", slot), Data, AddPastBalanceOfSlot(slot)});
        statements.push_back({Format("SetPastBalanceOfSlot(%d)", slot), Data, SetPastBalanceOfSlot(slot)});
    }
    for (const auto& [group, start] : {std::pair{"1130", "15100"}, std::pair{"2100", "30500"}, std::pair{"2100", "30600"}})
        statements.push_back({Format("kSelectFirstFreeNoteCode(%s)", start), Data, Format(kSelectFirstFreeNoteCode, group, start)});
    return statements;
}

}  // namespace qz
