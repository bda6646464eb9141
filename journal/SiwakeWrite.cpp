#include "journal/SiwakeWrite.h"

#include "common/Format.h"
#include "common/PeriodCalendar.h"
#include "db/AccInfo.h"
#include "db/ErrorReport.h"
#include "journal/SiwakeLine.h"
#include "journal/SiwakeStatements.h"
#include "journal/TaxCategories.h"
#include "platform/SystemDef.h"

#include <stdexcept>

namespace qz {
namespace {

// Each message in the interactive and in the import wording. The texts of a side follow "借方" or "貸方".
struct TWording {
    std::string_view Interactive;
    std::string_view Import;
};
constexpr TWording kOutsidePeriod{"日付が会計期間外または、決算区分の指定が不正です。", "日付が会計期間外または、決算区分の設定が不正です。"};
constexpr TWording kAudited{"監査済みの仕訳は訂正できません。", "監査済みの仕訳が設定されました。"};
constexpr TWording kAuditedDate{"監査済みの日付は入力できません。", "日付に監査済みの日付が設定されました。"};
constexpr TWording kAccountNotFound{"の科目コードが見つかりません。", "の科目コードの設定が不正です。"};
constexpr TWording kSubAccountMissing{"の補助コードを入力してください。", "の補助コードの設定が不正です。"};
constexpr TWording kDepartmentMissing{"の部門コードが見つかりません。", "の部門コードの設定が不正です。"};
constexpr TWording kTaxCodeInvalid{"の消費税コードを確認してください。", "の消費税コードの設定が不正です。"};
constexpr TWording kAmountZero{"金額を入力してください。", "金額の設定が不正です。"};
constexpr TWording kAmountNegative{"マイナス金額は入力できません。", "金額にマイナス値が設定されました。"};

constexpr int kUnrestrictedLevel = 9;  // the level the audit lock does not hold back

TTaxAccount TaxAccountOf(std::string_view userCode)
{
    const auto is = [&](std::string_view name) {
        const std::string& code = SpecialAccountCodes().Get(name).UserCode;
        return !code.empty() && code == userCode;
    };
    if (is("仮払消費税"))
        return TTaxAccount::TaxPaid;
    if (is("仮受消費税"))
        return TTaxAccount::TaxReceived;
    if (is("諸口"))
        return TTaxAccount::Sundry;
    return TTaxAccount::Other;
}

// A time stamp as Firebird reads it from text.
std::string TimestampText(const TDateTime& time)
{
    int year = 0, month = 0, day = 0;
    time.Date.Decode(year, month, day);
    const int seconds = time.SecondsOfDay;
    return Format("%04d-%02d-%02d %02d:%02d:%02d", year, month, day, seconds / 3600, seconds / 60 % 60, seconds % 60);
}

bool IsZero(const TDateTime& time)
{
    return time.Date.IsZero() && time.SecondsOfDay == 0;
}

}  // namespace

// The balance row of a side, and the two counts, from the database; each statement is prepared once.
class TSiwakeWrite::TSideQueries {
public:
    explicit TSideQueries(fb::TTransaction& transaction)
        : row_(transaction), rowOfDepartment_(transaction), withoutDepartment_(transaction), departments_(transaction)
    {
        row_.Prepare(journal::sql::kSelectSideRow);
        rowOfDepartment_.Prepare(journal::sql::kSelectSideRowOfDepartment);
        withoutDepartment_.Prepare(journal::sql::kCountRowsWithoutDepartment);
        departments_.Prepare(journal::sql::kCountDepartmentRows);
    }

    std::optional<TKamokuRec> Find(const std::string& branch, const std::string& userCode, const std::string& hcode,
                                   const std::optional<std::string>& bcode)
    {
        fb::TStatement& query = bcode ? rowOfDepartment_ : row_;
        query.SetString("SCODE", branch).SetString("USERCODE", userCode).SetString("HCODE", hcode);
        if (bcode)
            query.SetString("BCODE", *bcode);
        query.Open();
        std::optional<TKamokuRec> found;
        if (query.Fetch())
            found = ReadKamokuRec(query);
        query.Close();
        return found;
    }

    int CountWithoutDepartment(const std::string& branch, const std::string& userCode)
    {
        return Count(withoutDepartment_, branch, userCode);
    }
    int CountDepartmentRows(const std::string& branch, const std::string& userCode)
    {
        return Count(departments_, branch, userCode);
    }

private:
    static int Count(fb::TStatement& query, const std::string& branch, const std::string& userCode)
    {
        query.SetString("SCODE", branch).SetString("USERCODE", userCode);
        query.Open();
        const int count = query.Fetch() ? static_cast<int>(query.AsInt(0)) : 0;
        query.Close();
        return count;
    }

    fb::TStatement row_, rowOfDepartment_, withoutDepartment_, departments_;
};

TSiwakeWrite::TSiwakeWrite(fb::TTransaction& transaction, TMode mode) : transaction_(transaction), mode_(mode) {}

TSiwakeWrite::~TSiwakeWrite() = default;

bool TSiwakeWrite::TestSiwake(TSiwakeRec& rec, int& errorCode, std::string& message)
{
    errorCode = 0;
    message.clear();
    try {
        if (const std::optional<TFailure> failure = Validate(rec, message)) {
            errorCode = failure->Code;
            message = failure->Text;
            return false;
        }
        return true;
    } catch (const fb::TFbError& error) {
        ReportDbError(error, "TSiwakeWrite.TestSiwake", "", false);
        throw;
    }
}

std::optional<TSiwakeWrite::TFailure> TSiwakeWrite::Validate(TSiwakeRec& rec, std::string& notice)
{
    if (Checks.Period) {
        if (auto failure = CheckPeriod(rec))
            return failure;
        if (auto failure = CheckAudit(rec))
            return failure;
    }
    for (const TSide side : {TSide::Debit, TSide::Credit})
        if (auto failure = CheckSide(rec, side, notice))
            return failure;
    if (Checks.Amount)
        if (auto failure = CheckAmount(rec))
            return failure;
    if (Checks.CleanTexts) {
        rec.TEKTEXT = WithoutLineBreaks(rec.TEKTEXT);
        rec.TORTEXT = WithoutLineBreaks(rec.TORTEXT);
    }
    return std::nullopt;
}

std::optional<TSiwakeWrite::TFailure> TSiwakeWrite::CheckPeriod(TSiwakeRec& rec) const
{
    const TACCINF& info = AccInfo();
    rec.MNUM = SlotOfDate(info.SIME, rec.KESSAN, rec.HIZUKE, info.KIMATU, info.KISHU);
    const bool settlementValid = rec.KESSAN == 0 || rec.KESSAN == 1;
    if (rec.MNUM == -1 || !settlementValid || rec.HIZUKE < info.KAISI || rec.HIZUKE > info.KIMATU)
        return TFailure{1, Wording(kOutsidePeriod.Interactive, kOutsidePeriod.Import)};
    return std::nullopt;
}

std::optional<TSiwakeWrite::TFailure> TSiwakeWrite::CheckAudit(const TSiwakeRec& rec) const
{
    const TACCINF& info = AccInfo();
    if (info.KANSA_LOCK != 1 || SystemDef().UserLevel == kUnrestrictedLevel)
        return std::nullopt;
    if (!IsZero(rec.CTIME))
        return TFailure{2, Wording(kAudited.Interactive, kAudited.Import)};
    if (!info.KANSA_DATE.IsZero() && rec.HIZUKE <= info.KANSA_FIXDATE)
        return TFailure{3, Wording(kAuditedDate.Interactive, kAuditedDate.Import)};
    return std::nullopt;
}

std::optional<TSiwakeWrite::TFailure> TSiwakeWrite::CheckSide(TSiwakeRec& rec, TSide side, std::string& notice)
{
    TSiwakeSide& own = side == TSide::Debit ? rec.L : rec.R;
    TSiwakeSide& other = side == TSide::Debit ? rec.R : rec.L;
    if (Checks.AccountCodes)
        if (auto failure = ResolveAccount(rec.SCODE, own, side))
            return failure;
    if (Checks.TaxCodes)
        return CheckTaxCategory(own, other, side, notice);
    return std::nullopt;
}

// The side's balance row, and the two counts, come from the branch's rows when they have been read (the
// import reads them once per branch) and from the database otherwise: the same join over the same rows.
std::optional<TSiwakeWrite::TFailure> TSiwakeWrite::ResolveAccount(const std::string& branch, TSiwakeSide& own, TSide side)
{
    const int code = side == TSide::Debit ? 11 : 21;
    const std::string scode = SiwakeCode(branch), hcode = SiwakeCode(own.HCODE), bcode = SiwakeCode(own.BCODE);
    const bool subAccountGiven = hcode != " ", departmentGiven = bcode != " ";
    const TKamokuArray* rows = KamokuRows(scode);
    if (!rows && !sideQueries_)
        sideQueries_ = std::make_unique<TSideQueries>(transaction_);
    std::optional<TKamokuRec> row;
    if (rows) {
        if (const TKamokuRec* found = rows->Find(own.KCODE, hcode, departmentGiven ? std::optional<std::string_view>(bcode) : std::nullopt))
            row = *found;
    } else {
        row = sideQueries_->Find(scode, own.KCODE, hcode, departmentGiven ? std::optional(bcode) : std::nullopt);
    }
    if (!row)
        return TFailure{code, SideWording(side, kAccountNotFound.Interactive, kAccountNotFound.Import)};
    own.KGROUP = row->GROUPM1;
    own.SIKIN = side == TSide::Debit ? row->FUN_LCODE : row->FUN_RCODE;
    own.HCODE = row->HCODE;
    own.BCODE = row->BCODE;
    own.KNAME = row->KNAME;
    own.HNAME = row->HNAME;
    own.BNAME = row->BNAME;
    own.SystemCode = row->KCODE;
    const auto withoutDepartment = [&] {
        return rows ? rows->CountWithoutDepartment(own.KCODE) : sideQueries_->CountWithoutDepartment(scode, own.KCODE);
    };
    const auto departmentRows = [&] {
        return rows ? rows->CountDepartmentRows(own.KCODE) : sideQueries_->CountDepartmentRows(scode, own.KCODE);
    };
    if (!subAccountGiven && withoutDepartment() > 1)
        return TFailure{code, SideWording(side, kSubAccountMissing.Interactive, kSubAccountMissing.Import)};
    if (!departmentGiven && departmentRows() > 1)
        return TFailure{code, SideWording(side, kDepartmentMissing.Interactive, kDepartmentMissing.Import)};
    return std::nullopt;
}

std::optional<TSiwakeWrite::TFailure> TSiwakeWrite::CheckTaxCategory(TSiwakeSide& own, TSiwakeSide& other, TSide side,
                                                                     std::string& notice) const
{
    const int base = side == TSide::Debit ? 10 : 20;
    const TACCINF& info = AccInfo();
    const bool simplified = info.TAXKANNI == 1;
    own.TAXCODE = NormaliseTaxCategory(own.TAXCODE, simplified, info.TAXJIGYOU);
    const TTaxCategory* category = FindTaxCategory(own.TAXCODE);
    if (!category)
        return TFailure{base + 2, SideWording(side, kTaxCodeInvalid.Interactive, kTaxCodeInvalid.Import)};
    own.TAXDC = category->TAXDC;
    own.TAXUH = category->TAXUH;

    const TTaxAccount account = TaxAccountOf(own.KCODE);
    const TAccountRule rule = CheckTaxAccountRule(account, own.TAXCODE, simplified);
    if (!rule.Allowed)
        return TFailure{base + 3, std::string(rule.Text)};
    if (!rule.Text.empty())
        notice = rule.Text;
    const bool taxAccount = account == TTaxAccount::TaxPaid || account == TTaxAccount::TaxReceived;
    if (taxAccount && !IsOutsideCategory(other.TAXCODE)) {
        other.TAXCODE = kUntaxedPurchaseCategory;
        return TFailure{base + 4, std::string(kOppositeSideRule)};
    }
    if (account == TTaxAccount::Sundry && !IsOutsideCategory(own.TAXCODE)) {
        own.TAXCODE = kUntaxedPurchaseCategory;
        return TFailure{base + 5, std::string(kSundryRule)};
    }
    return std::nullopt;
}

std::optional<TSiwakeWrite::TFailure> TSiwakeWrite::CheckAmount(const TSiwakeRec& rec) const
{
    if (rec.KINGAKU < TMoney())
        return TFailure{31, Wording(kAmountNegative.Interactive, kAmountNegative.Import)};
    if (rec.KINGAKU < TMoney::FromYen(1))
        return TFailure{31, Wording(kAmountZero.Interactive, kAmountZero.Import)};
    return std::nullopt;
}

std::string TSiwakeWrite::Wording(std::string_view interactive, std::string_view import) const
{
    return std::string(mode_ == TMode::Import ? import : interactive);
}

std::string TSiwakeWrite::SideWording(TSide side, std::string_view interactive, std::string_view import) const
{
    return (side == TSide::Debit ? "借方" : "貸方") + Wording(interactive, import);
}

fb::TStatement& TSiwakeWrite::StoreStatement(bool insert)
{
    std::unique_ptr<fb::TStatement>& statement = insert ? insert_ : update_;
    if (!statement) {
        const TACCINF& info = AccInfo();
        const bool before61 = info.VerMajor < 6 || (info.VerMajor == 6 && info.VerMinor1 == 0);
        statement = std::make_unique<fb::TStatement>(transaction_);
        statement->Prepare(!insert ? journal::sql::kUpdateJournal
                           : before61 ? journal::sql::kInsertJournalBefore61
                                      : journal::sql::kInsertJournal);
    }
    return *statement;
}

void TSiwakeWrite::BindEntry(fb::TStatement& statement, const TSiwakeRec& rec) const
{
    statement.SetDate("HIZUKE", rec.HIZUKE).SetInt("MNUM", rec.MNUM).SetInt("KESSAN", rec.KESSAN);
    statement.SetInt("SDAYNUM", rec.SDAYNUM).SetInt("MDAYNUM", rec.MDAYNUM).SetInt("DNUM", rec.DNUM).SetInt("SNUM", rec.SNUM);
    statement.SetString("SCODE", rec.SCODE);
    for (const auto& [prefix, side] : {std::pair<std::string, const TSiwakeSide*>{"L_", &rec.L}, {"R_", &rec.R}}) {
        // The system code the validation found, so the procedure cannot take a user code for another
        // account's system code.
        statement.SetString(prefix + "KGROUP", side->KGROUP)
            .SetString(prefix + "KCODE", side->SystemCode.empty() ? side->KCODE : side->SystemCode)
            .SetString(prefix + "HCODE", side->HCODE)
            .SetString(prefix + "BCODE", side->BCODE)
            .SetString(prefix + "KNAME", side->KNAME)
            .SetString(prefix + "HNAME", side->HNAME)
            .SetString(prefix + "BNAME", side->BNAME)
            .SetInt(prefix + "TAXCODE", side->TAXCODE)
            .SetInt(prefix + "TAXUH", side->TAXUH)
            .SetInt(prefix + "TAXDC", side->TAXDC)
            .SetMoney(prefix + "NUK", side->NUK)
            .SetMoney(prefix + "ZEI", side->ZEI)
            .SetMoney(prefix + "RIT", side->RIT)
            .SetInt(prefix + "SIKIN", side->SIKIN);
    }
    statement.SetMoney("KINGAKU", rec.KINGAKU).SetMoney("ZEIGAKU", rec.ZEIGAKU).SetInt("ZEIRITUNO", rec.ZEIRITUNO);
    statement.SetInt("AUTCALCU", rec.AUTCALCU).SetInt("TAXCALCU", rec.TAXCALCU).SetInt("OLDRATE", rec.OLDRATE);
    statement.SetInt("TEKCODE", rec.TEKCODE).SetString("TEKTEXT", rec.TEKTEXT);
    statement.SetInt("TORCODE", rec.TORCODE).SetString("TORTEXT", rec.TORTEXT);
    statement.SetInt("FUSEN1", rec.FUSEN1).SetInt("FUSEN2", rec.FUSEN2).SetInt("FUSEN3", rec.FUSEN3);
    statement.SetInt("FUSEN4", rec.FUSEN4).SetInt("FUSEN5", rec.FUSEN5);
    if (IsZero(rec.CTIME))
        statement.SetNull("CTIME");
    else
        statement.SetString("CTIME", TimestampText(rec.CTIME));
    statement.SetString("COMMENT", rec.COMMENT).SetString("AO_COMMENT", rec.AO_COMMENT).SetString("LINKKEY", rec.LINKKEY);
    statement.SetInt("LINKKUB", rec.LINKKUB).SetInt("LINKREC", rec.LINKREC).SetInt("LOCALFLG", rec.LOCALFLG);
    statement.SetInt("Reserve1", rec.Reserve1).SetInt("Reserve2", rec.Reserve2).SetInt("OPNCODE", SystemDef().UserCode);
}

int TSiwakeWrite::PutSiwake(TSiwakeRec& rec)
{
    const bool insert = rec.REC == 0;
    fb::TStatement& statement = StoreStatement(insert);
    BindEntry(statement, rec);
    if (!insert)
        statement.SetInt("REC", rec.REC).SetInt("SWKREC", rec.SWKREC).SetInt("SWKNO", rec.SWKNO).SetInt("DELFLG", rec.DELFLG);
    statement.Open();
    if (!statement.Fetch())
        throw std::runtime_error("仕訳の登録手続きが結果を返しませんでした。");
    const auto value = [&](std::string_view column) { return static_cast<int>(statement.AsInt(column)); };
    int result = 0;
    if (insert) {
        rec.REC = value("NEWREC");
        rec.SWKREC = value("NEWSWKREC");
        // The sequence a new entry is stored with; a later replacement is compared with it.
        rec.SWKNO = 1;
        rec.SDAYNUM = value("NEWSDAYNUM");
        rec.SITREC = value("NEWSITREC");
        rec.StoreTime = TDateTime::Now();
        result = rec.REC;
    } else if (const int uprec = value("UPREC"); uprec == -2) {
        rec.REC = value("NEWREC");
        result = -2;
    } else if (uprec == -1) {
        result = -1;
    } else {
        rec.REC = value("NEWREC");
        rec.SWKREC = value("NEWSWKREC");
        rec.SWKNO = value("NEWSWKNO");
        rec.SDAYNUM = value("NEWSDAYNUM");
        rec.StoreTime = TDateTime::Now();
        result = rec.REC;
    }
    statement.Close();
    return result;
}

void TSiwakeWrite::GetKamokuArray(const std::string& branch)
{
    kamokuRows_[branch].Load(transaction_, branch);
}

const TKamokuArray* TSiwakeWrite::KamokuRows(const std::string& branch) const
{
    const auto found = kamokuRows_.find(branch);
    return found == kamokuRows_.end() ? nullptr : &found->second;
}

}  // namespace qz
