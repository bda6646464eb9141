#pragma once
// The steps of the next-year update and the rules they follow. Every step runs in the update's one
// write/consistency transaction and passes every failure on, so that the thread rolls the whole update back.

#include "common/Date.h"
#include "common/Money.h"
#include "db/Firebird.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qz::yearupdate {

// The period that follows a closed fiscal year.
struct TNextPeriod {
    TDate Kishu;
    TDate Kimatu;
    int ClosingDay = 0;  // 1-28, or 99 for the month end
};
// The period after the one ending on kimatu: it starts the next day and ends on the closing day of the
// month 11 months later (12 when the start lies after the closing day). A period that ends on the last
// day of its month, or after the 28th, closes at month ends; one that ends on the 28th of a longer month
// keeps the 28th (a leap February's 28th included), so that no period comes out a month short.
TNextPeriod NextFiscalPeriod(TDate kimatu);

// Depreciation methods of a fixed asset (KS_SISAN.GSHOUHOU).
enum TDepreciationMethod : int {
    kNotDepreciated = 0,   // land, works of art
    kStraightLine = 1,     // 定額法
    kDeclining200 = 2,     // 200%定率法
    kDeclining250 = 3,     // 250%定率法
};

// The data set's transitional measures ("減価償却設定").
struct TDepreciationSettings {
    bool DecliningAt250 = false;  // "250%定率法で償却する経過措置": 200% assets are depreciated at 250%
    bool DecliningAt200 = false;  // "200%定率法で償却する経過措置": 250% assets are depreciated at 200%
};

struct TFixedAsset {
    std::int64_t Rec = 0;
    int Method = kNotDepreciated;
    int UsefulLife = 0;   // years (TAIYOUYY)
    TMoney Rate;          // SYOURITU; 0 when the rate follows from the useful life
    TMoney Base;          // KISOKIN, the acquisition cost
    TMoney ClosingValue;  // MATUMISYOUKIN of the year being closed
};

// The new year of an asset: it opens at the old closing value; whole yen.
struct TAssetYear {
    std::int64_t Opening = 0;
    std::int64_t Depreciation = 0;
    std::int64_t Closing = 0;
};
TAssetYear NextAssetYear(const TFixedAsset& asset, const TDepreciationSettings& settings);

// What the update needs of the data set, taken from the basic information when the worker is created.
struct TYearUpdateInputs {
    int TaxMethod = 0;          // 0 balances tax-included, 1 tax-excluded
    int StartNo = 1;            // KAISINO: the month of the period with which the year's balances begin
    int DataType = 1;           // 1 corporation, 2 sole proprietor, 3 medical corporation
    bool Medical = false;       // DATATYPE 3 with CODETYPE 1
    bool CarryJournals = false; // "基本設定"/"過去明細取り込み" = 1: the journals move to the past years
    bool BranchesInUse = false; // SITEN = 1: the blank branch takes no part in the balance steps
    std::string SuspenseAccount, PaidTaxAccount, ReceivedTaxAccount, RetainedEarningsAccount;  // system codes
    int Nendo = 0;
    TDate ZKishu, Kishu, Kimatu;
    int Kurikosi1 = 0;
    bool HasKurikosi = false;
    TNextPeriod Next;
    TDepreciationSettings Depreciation;
};

// Steps, in the order the update runs them.
// The side an account keeps its balance on, by its DAC: 1 debit (DAC 1, 4) or -1 credit (2, 3). Throws for
// any other DAC, which no balance can be read by.
int BalanceSign(std::int64_t dac, std::string_view kcode);

void ShiftPastBalances(fb::TTransaction& tr, const TYearUpdateInputs& in);
void CarryBalancesForward(fb::TTransaction& tr, const TYearUpdateInputs& in);
void ClearYearAmounts(fb::TTransaction& tr, const TYearUpdateInputs& in);
void ResetTaxRecords(fb::TTransaction& tr, const TYearUpdateInputs& in);
void ResetSettlementRecords(fb::TTransaction& tr, const TYearUpdateInputs& in);
void RollFixedAssets(fb::TTransaction& tr, const TYearUpdateInputs& in);
void ShiftEmployeeNumbers(fb::TTransaction& tr, const TYearUpdateInputs& in);
void RollAttachedStatements(fb::TTransaction& tr, const TYearUpdateInputs& in);
void ClearBusinessReport(fb::TTransaction& tr, const TYearUpdateInputs& in);
void MoveJournals(fb::TTransaction& tr, const TYearUpdateInputs& in);
void UpdateBasicInformation(fb::TTransaction& tr, const TYearUpdateInputs& in);
void TrimOperationHistory(fb::TTransaction& tr, const TYearUpdateInputs& in);

// Shared by the steps: runs a statement without parameters.
void ExecuteStatement(fb::TTransaction& tr, std::string_view sql);
// The branch codes in the first column of a select, read completely (an empty code counts as " "); the
// blank branch left out when asked.
std::vector<std::string> BranchCodes(fb::TTransaction& tr, std::string_view sql, bool skipBlank = false);
// The same from a select prepared (and bound) by the caller.
std::vector<std::string> BranchCodes(fb::TStatement& select, bool skipBlank = false);
// The code as the balance tables key it: an empty code is " ".
std::string KeyCode(std::string code);

}  // namespace qz::yearupdate
