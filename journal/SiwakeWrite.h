#pragma once
// The journal writer: validates an entry against the data set (period, audit lock, accounts, sub-accounts,
// departments, tax categories, amount) and stores it through the posting procedures.
//
// Validation reads AccInfo() (period, closing day, audit lock, taxation) and SpecialAccountCodes() (the
// tax-paid, tax-received and sundry accounts); storing runs as SystemDef().UserCode.

#include "db/Firebird.h"
#include "journal/KamokuArray.h"
#include "journal/SiwakeRec.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace qz {

class TSiwakeWrite {
public:
    // The wording of the messages: at the desk, or while importing a file.
    enum class TMode { Interactive = 0, Import = 1 };

    // What TestSiwake checks; all on.
    struct TChecks {
        bool Period = true;        // the date in the period, the settlement flag, the audit lock
        bool AccountCodes = true;  // account, sub-account and department of each side
        bool TaxCodes = true;      // the tax categories and their rules
        bool Amount = true;
        bool CleanTexts = true;    // TAB, CR and LF out of the summary and the partner text
    };

    TSiwakeWrite(fb::TTransaction& transaction, TMode mode);
    ~TSiwakeWrite();
    TSiwakeWrite(const TSiwakeWrite&) = delete;
    TSiwakeWrite& operator=(const TSiwakeWrite&) = delete;

    TChecks Checks;

    // True when the entry may be stored: fills each side's group, names, cash-flow code, tax class and
    // side, the system code of its account, and the entry's MNUM. Otherwise the code (1-3 the date,
    // 11-15 the debit side, 21-25 the credit side, 31 the amount) and its message. A valid entry may still
    // carry a notice in the message. Database errors are logged and passed on.
    bool TestSiwake(TSiwakeRec& rec, int& errorCode, std::string& message);

    // Stores a new entry (REC 0) or replaces a stored one. The REC of the stored entry, or -1 (the entry
    // to replace is gone) / -2 (it was changed meanwhile; the new version is stored all the same).
    int PutSiwake(TSiwakeRec& rec);

    // Reads the balance rows of the branch (again, when they were read before). The rows of every branch
    // read stay, so entries of several branches that interleave do not read them again and again.
    void GetKamokuArray(const std::string& branch);
    // The rows read for the branch, or nullptr when GetKamokuArray has not read them.
    const TKamokuArray* KamokuRows(const std::string& branch) const;

private:
    struct TFailure {
        int Code;
        std::string Text;
    };
    enum class TSide { Debit, Credit };
    class TSideQueries;

    std::optional<TFailure> Validate(TSiwakeRec& rec, std::string& notice);
    std::optional<TFailure> CheckPeriod(TSiwakeRec& rec) const;
    std::optional<TFailure> CheckAudit(const TSiwakeRec& rec) const;
    std::optional<TFailure> CheckSide(TSiwakeRec& rec, TSide side, std::string& notice);
    std::optional<TFailure> ResolveAccount(const std::string& branch, TSiwakeSide& own, TSide side);
    std::optional<TFailure> CheckTaxCategory(TSiwakeSide& own, TSiwakeSide& other, TSide side, std::string& notice) const;
    std::optional<TFailure> CheckAmount(const TSiwakeRec& rec) const;
    std::string Wording(std::string_view interactive, std::string_view import) const;
    std::string SideWording(TSide side, std::string_view interactive, std::string_view import) const;

    fb::TStatement& StoreStatement(bool insert);
    void BindEntry(fb::TStatement& statement, const TSiwakeRec& rec) const;

    fb::TTransaction& transaction_;
    TMode mode_;
    std::unique_ptr<TSideQueries> sideQueries_;
    std::unique_ptr<fb::TStatement> insert_, update_;
    std::map<std::string, TKamokuArray> kamokuRows_;
};

}  // namespace qz
