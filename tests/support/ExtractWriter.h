#pragma once
// Writes an extract folder of the source product (dtmanage.inf, CM/, ZM/) in CP932 with CR LF from a
// compact description, for tests and for the sample extracts. Balances are derived from the opening
// balances and the journal entries, so the monthly figures always agree with the journals.
// The files follow the source product's conventions:
// - a journal side without a sub-account leaves its sub-account columns (user code, code) empty; in the
//   balance files "00000" stands for "no sub-account";
// - the balance row "00000" of an account carries the account's total, its sub-accounts included, beside
//   one row per sub-account;
// - with branches in use the head office stands for the whole company: no balance and no journal lies on it
//   (the writer refuses such a description);
// - the two 16-slot series are running totals, the opening included on the account's own side.

#include "common/Date.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace qz::test {

struct TExtractAccount {
    std::string Code{};        // 5-digit system code: 3-digit main code and 2-digit branch number
    std::string UserCode{};    // the client's own code
    std::string Level1{};      // classification "10", "20", "30" (balance sheet), "40", "50", "90", "99"
    std::string Level2{};
    std::string Level3{};
    std::string Name{};        // may hold commas (written quoted)
    std::string Side = "1";  // "1" debit, "2" credit
    std::string Tax1 = "9901";
    std::string Tax2 = "9901";
    std::string CostKind{};    // "1" fixed, "2" variable, or empty
};

struct TExtractSubAccount {
    std::string Account{};     // system code
    std::string Code{};        // sub-account code, e.g. "00001"
    std::string UserCode{};
    std::string Name{};
};

struct TExtractBranch {
    std::string Code{};        // "00000000" is the head office
    std::string OrderKey{};
    std::string Name{};
};

struct TExtractDepartment {
    std::string Code{};
    std::string DisplayCode{};
    std::string Name{};
};

// One journal entry: a debit line and a credit line of ZMSIWAKE.CSV. A sub-account "00000" or empty means
// none.
struct TExtractEntry {
    TDate Date{};
    std::string Debit{};
    std::string Credit{};
    std::int64_t Amount = 0;
    std::string Text{};
    std::string DebitSub = "00000";
    std::string CreditSub = "00000";
    std::string DebitTax = "9901";
    std::string CreditTax = "9901";
    std::string Branch = "00000000";
    std::string DebitDepartment{};
    std::string CreditDepartment{};
    std::string Voucher{};
    std::string Text2{};
    // A closing adjustment: its voucher code starts with "2" and its month, and it lands in the settlement
    // slot (the year-end slot when dated on the last day).
    bool ClosingAdjustment = false;
};

struct TExtractYear {
    int Code = 0;
    TDate Start{};
    TDate End{};
    // Opening balance per (branch, account, sub-account), in whole yen on the account's own side; the
    // sub-account "00000" (or empty) is the part that lies on no sub-account.
    std::map<std::tuple<std::string, std::string, std::string>, std::int64_t> Opening{};
    std::vector<TExtractEntry> Entries{};
};

struct TExtractSummary {
    std::string Kana{};
    std::string Text{};
    std::string DebitAccount{};
    std::string CreditAccount{};
};

struct TExtractDescription {
    std::string ClientCode = "000123";
    int ClientNo = 1;
    std::string ClientName = "㈱山田商事";
    std::string ClientKana = "ヤマダショウジ";
    std::string PostCode = "100-0001";
    std::string Address1 = "東京都千代田区千代田１－１";
    std::string Address2 = "髙橋ビル３Ｆ";
    std::string SaveDate = "2026/05/31";
    std::string SaveTime = "10:15:00";
    int DBVersion = 1;
    int DataVersion = 3;
    bool Corporation = true;
    std::string BusinessKind = "01";  // "03" real estate
    bool FreeCodes = false;
    int AccountDigits = 3;
    int SubDigits = 3;
    int DepartmentDigits = 2;
    std::string TaxProcessing = "1";
    std::vector<TExtractYear> Years{};  // the most recent first, as the manifest lists them
    std::vector<TExtractAccount> Accounts{};
    std::vector<TExtractSubAccount> SubAccounts{};
    std::vector<TExtractBranch> Branches{{"00000000", "000", "本店"}};  // more than one: branches in use
    std::vector<TExtractDepartment> Departments{};
    std::vector<std::pair<std::string, std::string>> ManagedDepartments{};  // (branch code, department code)
    std::vector<TExtractSummary> Summaries{};
    // Lines written after the generated ones, raw (CP932 bytes), per file name: deliberately bad input.
    std::multimap<std::string, std::string> ExtraLines{};
    // Files left out of the extract (file names such as "ZMRYAKU.CSV").
    std::vector<std::string> OmittedFiles{};
};

inline const std::string kHeadOffice = "00000000";
inline const std::string kNoSubAccount = "00000";

// The code of a sub-account in the balance files: "00000" for none (given as "00000" or empty).
std::string SubAccountKey(const std::string& sub);

// Writes the folder (created, or replaced file by file). Throws std::invalid_argument for a description
// that breaks the conventions above.
void WriteExtract(const TExtractDescription& description, const std::filesystem::path& folder);

// The balance of an account and sub-account at the end of a year (opening plus movements, on its side);
// the sub-account "00000" (or empty) gives the part that lies on no sub-account.
std::int64_t ClosingBalance(const TExtractDescription& description, const TExtractYear& year,
                            const std::string& branch, const std::string& account, const std::string& sub);

}  // namespace qz::test
