#pragma once
// The target writer: writes what the conversion made of an extract into the freshly restored data
// database of the target product, and carries the code tables through which every source code is
// converted.
//
// Order of use: the conversion context owns one writer. Before the first write the import run clears
// the errors, sets the progress lines and line, the status caption, the transaction (SetTransaction) and
// the all-nines code; the conversion fills the code tables (LoadAccountTable, BuildAggregationTable, the
// pairs) between the writes. Then, in this order: WriteBasicInfo; WriteAccounts, WritePrintNames,
// WriteSpecialAccounts, WriteSubAccounts, WriteDepartments, WriteBranches; per imported year
// WriteFiscalPeriod, WriteOpeningBalances and PostJournals (DeletePastJournals when an earlier year is
// dropped); per branch the three dictionaries; WriteTaxDefault last. A write that fails returns its
// failure value and leaves its reasons in Errors; the run stops there.

#include "common/Money.h"
#include "common/Ui.h"
#include "db/AccInfo.h"
#include "db/Firebird.h"

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

// One target account.
struct TKMKREC {
    std::string KCODE;        // system code
    std::string StdCode;      // standard user code (3 digits)
    std::string USERCODE;
    std::string GROUPM1, GROUPM2;
    std::string SpareText;
    std::string KNAME;
    int USE = 0;
    int BLDAC = 0, DAC = 0;
    int SpareInt = 0;
    int TAX_LCODE = 0, TAX_RCODE = 0;   // debit-side and credit-side tax categories
    int FUN_LCODE = 0, FUN_RCODE = 0;
    std::string BPFLG;
    std::string HOJOSW;                 // sub-account mark
    std::string KEIHKUBU;               // expense class
    std::array<int, 4> Spare{};
};

// One code pair: a source code and its target code.
struct TCCTCODE {
    std::string OldCode;
    std::string NewCode;
    int Unclassified = 0;   // 1: an account sent to 99900 for want of a classification
};

// One sub-account pair. A source sub-account "99999" stands for the account without sub-account.
struct TCCTHCODE {
    std::string OldKCode, OldHCode, OldHUser, NewKCode, NewHCode;
};

// One aggregated account (集約科目): rows of its own, source accounts merged into it, and how many of
// those bring more than one row; MergedMulti above 0 makes it active.
struct TSYUYAKU {
    std::string SyuyakuCode;
    int OwnRows = 0, MergedAccounts = 0, MergedMulti = 0;
};

// Kinds of a failed code lookup.
constexpr int kLookupAccountMissing = 10;
constexpr int kLookupUserCodeMissing = 20;
constexpr int kLookupUnsupportedRate = 2;   // set by the journal conversion for a 4.5 % or 6.0 % tax
constexpr int kLookupSubAccountMissing = 10;

class THxzMakeData {
public:
    THxzMakeData();

    // Set by the import run before the first write.
    std::string AllNineCode;                   // "999" or "9999"
    std::string Separator = "\t";              // of the KEY=value line blocks
    TProgressLines* ProgressList = nullptr;
    int ProgressLine = 0;
    TStatusCaption* StatusControl = nullptr;
    std::vector<std::string> Errors;

    // Code tables.
    std::vector<TKMKREC> Accounts;
    std::vector<TCCTCODE> BranchCodes, DepartmentCodes, AccountCodes;
    std::vector<TCCTHCODE> SubAccountCodes;
    std::vector<TSYUYAKU> Aggregations;

    // Lookup state, read by the import run after each step.
    int SubAccountMessageBudget = 100;
    std::array<std::string, 3> SkipSubAccountCodes;
    int AccountLookupError = 0;
    int SubAccountLookupError = 0;
    std::string MissingCodes;   // one entry per line

    void SetTransaction(fb::TTransaction& transaction);
    void ClearErrors() { Errors.clear(); }
    std::string GetErrorText() const;   // CR LF joined

    // Basic information and fiscal period (0 success, -1 failure).
    int WriteBasicInfo(const TACCINF& info);
    int WriteFiscalPeriod(int dataType, int startPeriod);
    int WriteTaxDefault(int taxDefault);

    // Accounts, sub-accounts, special accounts (0 / -1).
    int WriteAccounts();
    int WriteSubAccounts(std::string_view block);
    int WriteSpecialAccounts(int dataType, std::string_view block);
    void CreateSubAccountBalances(std::string_view branch, std::string_view kcode, std::string_view hcode);
    void AddNoteAccount(std::string_view start, std::string_view name, std::string_view group);
    TSpecialCode ReadSpecialAccount(std::string_view name);

    // Print names, departments, branches (0 / -1) and dictionaries (0 / 1).
    int WritePrintNames();
    int WriteDepartments(std::string_view block);
    int WriteBranches(std::string_view block);
    int WriteAssocSummaries(std::string_view branch, std::string_view block);
    int WriteSingleSummaries(std::string_view branch, std::string_view block);
    int WriteAbbrevSummaries(std::string_view branch, std::string_view block);
    int UpdateDictionaryTitle(std::string_view branch, std::string_view sortCode, std::string_view title);
    int GetDictionaryTaxCode(int side, std::string_view kcode, std::string_view hcode);
    bool AccountExists(std::string_view kcode);

    // Balances and journals (0 / 1; PostJournals also the lookup errors of its year).
    int WriteOpeningBalances(std::string_view block, std::string_view accountLevelDepartment);
    int PostJournals(const std::filesystem::path& file, std::string_view voucherBlock, std::string_view yearLabel);
    int DeletePastJournals();
    bool HasSubAccountBalances(std::string_view branch, std::string_view kcode);

    // Code tables and lookups.
    void BuildAggregationTable(int dataType);
    void LoadAccountTable(int size);
    std::string ConvertAccountCode(std::string_view code);
    // The source's total and computed lines (39000-39900, 98600-99400, 99500-99800): no account of their own,
    // so the account index gives them no target.
    static bool IsTotalLineCode(std::string_view code);
    std::string ConvertToUserCode(std::string_view code);
    std::string ConvertBranchCode(std::string_view code) const;
    std::string ConvertDepartmentCode(std::string_view code) const;
    std::string FindSubAccountTarget(std::string_view account, std::string_view subAccount) const;
    bool HasSubAccountSource(std::string_view account) const;
    std::string ConvertSubAccountCode(std::string_view account, std::string_view subAccount, bool pastYear,
                                      std::string_view description);
    bool IsActiveAggregation(std::string_view kcode) const;
    std::string LookupSubAccountCode(std::string_view account, std::string_view defaultCode, bool flag) const;

private:
    // The labels a failed step reports with: plain, and with the description of the record it was writing
    // ("%s" marks where the description goes).
    struct TLabel {
        std::string_view Plain;
        std::string_view WithRecord;
    };
    template <typename Work>
    int Guarded(TLabel label, int failure, Work work);
    void AddError(TLabel label);
    fb::TTransaction& Transaction();
    void ShowProgress(std::string_view text);
    void AddMissingCode(const std::string& entry);
    void SetStatus(const std::string& text);
    void ExecuteChecked(fb::TStatement& statement, std::string_view what);
    std::vector<std::pair<std::string, std::string>> BalanceAccounts(std::string_view sql);
    void UnlinkVouchers(std::string_view voucherBlock);
    void ReTotal(TProgressDialog& dialog);

    fb::TTransaction* transaction_ = nullptr;
    std::string record_;   // the record the current step writes, for its error lines
};

}  // namespace qz
