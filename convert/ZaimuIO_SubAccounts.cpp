// Sub-accounts. The target keeps sub-accounts per target account, and several source accounts can land on
// one target account: their sub-accounts are renumbered so that none collide, and merged source accounts
// become sub-accounts themselves. The work is done in the table ONETIME of the data database and ends in
// Writer's SubAccountCodes, from which the sub-account master lines and the aggregated-accounts list are
// made.

#include "common/Format.h"
#include "common/LineBlock.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "convert/ZaimuIO_Statements.h"
#include "convert/uQZ_ZaimuIO.h"
#include "convert/ZaimuIO_StepFailure.h"
#include "db/ErrorReport.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>

namespace qz {

using namespace convert::sql;

namespace {

constexpr std::string_view kLabel = "補助科目コード調整：";
constexpr std::string_view kWholeAccount = " ";   // OLDHCODE of a row that stands for a whole source account
constexpr std::string_view kCatchAll = "99999";   // OLDHCODE of the row for an account's entries without sub-account
constexpr std::string_view kSundryAccount = "99900";
constexpr std::string_view kBalanceSheetLevels = "10;20;30";
constexpr std::string_view kUnregistered = "未登録";
constexpr std::string_view kOthers = "その他";
constexpr int kNameBytes = 28;
constexpr int kOutsideTax = 910;

// One row of ONETIME as a query gives it; the columns the query does not select stay empty.
struct TOnetimeRow {
    std::string OldKCode, OldHCode, OldHUser, NewKCode, NewHCode;
};

using TParams = std::initializer_list<std::pair<std::string_view, std::string_view>>;

// An update of a row's NEWHCODE by its key; the three statements that do it name their parameters apart.
struct TCodeUpdate {
    std::string_view Sql;
    std::string_view NewHCode, OldKCode, OldHCode;
};
constexpr TCodeUpdate kUpdateByKey{kUpdateOnetimeNewHCode, "NEWHCODE", "OLDKCODE", "OLDHCODE"};
constexpr TCodeUpdate kUpdateAccountRow{kUpdateOnetimeAccountRowCode, "_NewHCODE", "_KCODE", "_HCODE"};
constexpr TCodeUpdate kUpdateCollision{kUpdateOnetimeCollisionCode, "NEW_HCODE", "OLD_KCODE", "OLD_HCODE"};

// The statements on ONETIME, each prepared once. They are freed with the object: the table can only be
// dropped when no statement prepared on it is left.
class TOnetime {
public:
    explicit TOnetime(fb::TTransaction& transaction) : transaction_(transaction) {}

    std::vector<TOnetimeRow> Rows(std::string_view sql, TParams params = {})
    {
        fb::TStatement& query = Prepared(sql, params);
        std::vector<TOnetimeRow> rows;
        query.Open();
        while (query.Fetch()) {
            TOnetimeRow& row = rows.emplace_back();
            for (auto [column, field] : {std::pair{"OLDKCODE", &row.OldKCode}, {"OLDHCODE", &row.OldHCode},
                                         {"OLDHUSER", &row.OldHUser}, {"NEWKCODE", &row.NewKCode},
                                         {"NEWHCODE", &row.NewHCode}})
                if (query.HasColumn(column))
                    *field = query.AsString(column);
        }
        query.Close();
        return rows;
    }

    // The first column of the single row a query gives.
    std::string Text(std::string_view sql, TParams params)
    {
        fb::TStatement& query = Opened(sql, params);
        std::string value = query.AsString(0);
        query.Close();
        return value;
    }

    std::int64_t Count(std::string_view sql, TParams params = {})
    {
        fb::TStatement& query = Opened(sql, params);
        const std::int64_t count = query.AsInt(0);
        query.Close();
        return count;
    }

    // A row without user code (one that stands for a whole source account) keeps OLDHUSER NULL.
    void Insert(const TOnetimeRow& row, std::optional<std::string_view> user, int syuyaku)
    {
        fb::TStatement& insert = Prepared(kInsertOnetime, {{"OLDKCODE", row.OldKCode}, {"OLDHCODE", row.OldHCode},
                                                           {"NEWKCODE", row.NewKCode}, {"NEWHCODE", row.NewHCode}});
        if (user)
            insert.SetString("OLDHUSER", *user);
        else
            insert.SetNull("OLDHUSER");
        insert.SetInt("SYUYAKU", syuyaku);
        insert.Execute();
    }

    void InsertCatchAll(std::string_view oldKCode, std::string_view newKCode, std::string_view newHCode)
    {
        Prepared(kInsertOnetimeCatchAll, {{"OLDKCODE", oldKCode}, {"NEWKCODE", newKCode}, {"NEWHCODE", newHCode}})
            .Execute();
    }

    void SetNewHCode(const TCodeUpdate& update, const TOnetimeRow& row, std::string_view code)
    {
        Prepared(update.Sql, {{update.NewHCode, code}, {update.OldKCode, row.OldKCode}, {update.OldHCode, row.OldHCode}})
            .Execute();
    }

private:
    fb::TStatement& Opened(std::string_view sql, TParams params)
    {
        fb::TStatement& query = Prepared(sql, params);
        query.Open();
        if (!query.Fetch())
            throw std::logic_error("no row from " + std::string(sql));
        return query;
    }

    fb::TStatement& Prepared(std::string_view sql, TParams params)
    {
        std::unique_ptr<fb::TStatement>& statement = statements_[sql];
        if (!statement) {
            statement = std::make_unique<fb::TStatement>(transaction_);
            statement->Prepare(sql);
        }
        statement->ClearParams();
        for (const auto& [name, value] : params)
            statement->SetString(name, value);
        return *statement;
    }

    fb::TTransaction& transaction_;
    std::map<std::string_view, std::unique_ptr<fb::TStatement>> statements_;   // by the constant's text
};

// Counts 0, 1, 2, ... and starts again at 0 whenever the key differs from the previous key.
class TGroupCounter {
public:
    int Next(std::string_view key)
    {
        if (started_ && key == key_)
            return ++count_;
        started_ = true;
        key_ = key;
        return count_ = 0;
    }

private:
    bool started_ = false;
    std::string key_;
    int count_ = 0;
};

// The special accounts whose sub-accounts are not converted; an empty slot names no account.
bool IsSpecial(std::string_view code, const std::array<std::string, 3>& specials)
{
    return !code.empty() && std::find(specials.begin(), specials.end(), code) != specials.end();
}

bool IsSpecialEntry(const TCCTHCODE& entry, const std::array<std::string, 3>& specials)
{
    return IsSpecial(entry.OldKCode, specials) || IsSpecial(entry.NewKCode, specials);
}

bool IsBlank(std::string_view text)
{
    return Trim(text).empty();
}

// The last digits of a number's decimal text.
std::string LastDigits(std::int64_t value, int digits)
{
    const std::string text = std::to_string(value);
    return text.size() > static_cast<std::size_t>(digits) ? text.substr(text.size() - static_cast<std::size_t>(digits)) : text;
}

// A sub-account's name as the target holds it: the name, else the second name, cut to the column's width.
std::string SubAccountName(const TZMUCHIWAK& sub)
{
    const std::string& name = IsBlank(sub.Text(column::zmuchiwa::kName)) ? sub.Text(column::zmuchiwa::kSecondName) : sub.Text(column::zmuchiwa::kName);
    return CutSjis(name, kNameBytes);
}

// Builds the sub-account pairs of the selected year in ONETIME (see BuildHojoIndex for the order).
class THojoIndexBuilder {
public:
    THojoIndexBuilder(TQZaimuIO& io, fb::TTransaction& transaction) : io_(io), table_(transaction) {}

    void Run()
    {
        InsertSourceSubAccounts();
        InsertMergedAccounts();
        CountAggregations();
        InsertCatchAllRows();
        if (io_.KamokuKetasu != Digits())
            Renumber(table_.Rows(kSelectOnetimeAccountRows), &TOnetimeRow::NewKCode, kUpdateAccountRow);
        RenumberAggregations();
        ResolveCollisions();
        FillSubAccountCodes();
    }

private:
    int Digits() const { return io_.HojoKetasu; }

    // The n-th code of an account's renumbered sub-accounts: "001", "002", ... A count that would reach the
    // all-nines code (the account's "others") has no code left, and sharing one would merge sub-accounts.
    std::string Numbered(int n, std::string_view account) const
    {
        const int digits = Digits();
        constexpr int kLastOrdinary[] = {0, 7, 97, 997, 9997};   // by digit count: N(997) is "998"
        if (digits < 1 || digits > 4 || n > kLastOrdinary[digits])
            throw std::runtime_error(Format("補助科目が%d桁のコードに収まりません。科目[%s]", digits, account));
        return LastDigits(n + 10001, digits);
    }

    // The sub code of an account code: its main code, with the check digit for four-digit sub-accounts.
    std::string SubCode(std::string_view account)
    {
        const std::string_view main = account.substr(0, 3);
        switch (Digits()) {
        case 3: return std::string(main);
        case 4: return io_.CheckDigit(main);
        default:
            if (io_.StatusPanel)
                io_.StatusPanel->SetCaption(Format("補助科目コードの桁数[%d]エラー ", Digits()));
            return {};
        }
    }

    bool HasRowsOf(std::string_view account) { return table_.Count(kCountOnetimeOfOldKCode, {{"KCODE", account}}) > 0; }

    void InsertWholeAccount(const std::string& oldKCode, const std::string& newKCode, const std::string& newHCode, int syuyaku)
    {
        table_.Insert({oldKCode, std::string(kWholeAccount), {}, newKCode, newHCode}, std::nullopt, syuyaku);
    }

    // Every source sub-account of the year, numbered by its user code unless the extract's codes are longer
    // than the target's; then numbered per account in the order of the user codes.
    void InsertSourceSubAccounts()
    {
        const bool renumbered = io_.HojoKetasuMoto > 4;
        TGroupCounter counter;
        for (const TZMUCHIWAK& sub : io_.Zmuchiwa) {
            if (sub.YearCode() != io_.SentakuNendoCode)
                continue;
            const std::string& account = sub.Text(column::zmuchiwa::kAccount);
            const std::string& user = sub.Text(column::zmuchiwa::kUserCode);
            const int n = counter.Next(account);
            table_.Insert({account, sub.Text(column::zmuchiwa::kSubAccount), user, io_.Writer.ConvertAccountCode(account),
                           renumbered ? Numbered(n, account) : user},
                          user, 0);
        }
        if (renumbered)
            Renumber(table_.Rows(kSelectOnetimeByOldHUser), &TOnetimeRow::OldKCode, kUpdateByKey);
    }

    // A source account merged into another target account becomes a sub-account of it; a branch-numbered
    // one also gives its target account a sub-account of its own. Equal codes are resolved with the collisions.
    void InsertMergedAccounts()
    {
        for (const TCCTCODE& pair : io_.Writer.AccountCodes) {
            if (pair.OldCode == pair.NewCode || pair.Unclassified != 0 || HasRowsOf(pair.OldCode))
                continue;
            const std::string code = SubCode(pair.OldCode);
            if (!pair.OldCode.ends_with("00") && !HasRowsOf(pair.NewCode))
                InsertWholeAccount(pair.NewCode, pair.NewCode, code, 0);
            InsertWholeAccount(pair.OldCode, pair.NewCode, code, 0);
        }
    }

    // The client's code of an aggregated account, for the sub-account that stands for the account itself.
    std::string ClientCodeOf(const std::string& code)
    {
        const std::vector<TCCTCODE>& pairs = io_.Writer.AccountCodes;
        const auto pair = std::find_if(pairs.begin(), pairs.end(), [&](const TCCTCODE& p) { return p.OldCode == code; });
        if (pair == pairs.end())
            return SubCode(code);
        if (const TZMKANJYO* account = io_.YearAccount(pair->NewCode, false))
            return account->Text(column::zmkanjyo::kUserCode);
        return SubCode(pair->NewCode);
    }

    void CountAggregations()
    {
        for (TSYUYAKU& aggregation : io_.Writer.Aggregations) {
            const std::string& code = aggregation.SyuyakuCode;
            aggregation.OwnRows = static_cast<int>(table_.Count(kCountOnetimeOfOldKCode, {{"KCODE", code}}));
            aggregation.MergedAccounts =
                static_cast<int>(table_.Rows(kSelectOnetimeMergedAccounts, {{"KCODE1", code}, {"KCODE2", code}}).size());
            aggregation.MergedMulti =
                static_cast<int>(table_.Rows(kSelectOnetimeMergedMultiAccounts, {{"KCODE1", code}, {"KCODE2", code}}).size());
            // Accounts merged into an account of the year that has no sub-accounts: the account itself
            // becomes one of its sub-accounts, beside the merged ones.
            if (aggregation.OwnRows == 0 && aggregation.MergedAccounts > 0 && io_.IsAccountOfYear(code) &&
                code != kSundryAccount)
                InsertWholeAccount(code, code, ClientCodeOf(code), 1);
        }
    }

    // Each source account with sub-accounts that lands on another account (or on an active aggregation)
    // gets a row for its entries without sub-account.
    void InsertCatchAllRows()
    {
        for (const TOnetimeRow& pair : table_.Rows(kSelectOnetimeAccountPairsWithSubAccounts)) {
            const std::string& account = pair.OldKCode;
            if (account == pair.NewKCode && !io_.Writer.IsActiveAggregation(account))
                continue;
            const std::string target = table_.Rows(kSelectOnetimeNewKCodeOfOldKCode, {{"OLDKCODE", account}}).at(0).NewKCode;
            std::string code = account.substr(0, static_cast<std::size_t>(std::max(Digits(), 0)));
            if (table_.Count(kCountOnetimeOfNewCodes, {{"KCODE", target}, {"HCODE", code}}) > 0) {
                const std::string highest = table_.Text(kSelectOnetimeMaxNewHCode, {{"NEWKCODE", target}});
                const std::optional<std::int64_t> number = TryTextToInt(highest);
                if (!number)
                    throw std::runtime_error(Format("補助科目コード[%s]が数字ではありません。科目[%s]", highest, target));
                code = LastDigits(*number + 10001, Digits());
            }
            table_.InsertCatchAll(account, target, code);
        }
    }

    // The rows in their order get N(0), N(1), ..., counting again from N(0) where the group changes.
    void Renumber(const std::vector<TOnetimeRow>& rows, std::string TOnetimeRow::*group, const TCodeUpdate& update)
    {
        TGroupCounter counter;
        for (const TOnetimeRow& row : rows)
            table_.SetNewHCode(update, row, Numbered(counter.Next(row.*group), row.*group));
    }

    void RenumberAggregations()
    {
        for (const TSYUYAKU& aggregation : io_.Writer.Aggregations)
            if ((aggregation.OwnRows != 0 && aggregation.MergedAccounts != 0) ||
                (aggregation.OwnRows == 0 && aggregation.MergedMulti > 0))
                Renumber(table_.Rows(kSelectOnetimeRowsOfNewKCode, {{"_KCODE", aggregation.SyuyakuCode}}),
                         &TOnetimeRow::NewKCode, kUpdateByKey);
    }

    // A target account on which two rows still share a code gets all its rows numbered afresh.
    void ResolveCollisions()
    {
        std::vector<std::string> accounts;
        for (const TOnetimeRow& collision : table_.Rows(kSelectOnetimeCollisions))
            if (accounts.empty() || accounts.back() != collision.NewKCode)
                accounts.push_back(collision.NewKCode);
        for (const std::string& account : accounts) {
            std::vector<TOnetimeRow> rows = table_.Rows(kSelectOnetimeRowsForCollision, {{"_NEWKCODE", account}});
            for (TOnetimeRow& row : rows)
                row.NewKCode = account;
            Renumber(rows, &TOnetimeRow::NewKCode, kUpdateCollision);
        }
    }

    // The pairs in the order of the target codes, each target account closed by its "others" entry (the
    // all-nines sub-account, where entries of a source sub-account that has no pair of its own go).
    void FillSubAccountCodes()
    {
        const std::int64_t size = table_.Count(kCountOnetime) + static_cast<std::int64_t>(table_.Rows(kSelectOnetimeNewKCodes).size());
        std::vector<TCCTHCODE>& codes = io_.Writer.SubAccountCodes;
        codes.assign(static_cast<std::size_t>(size), {});
        const std::array<std::string, 3> specials = io_.SpecialSubAccountSkips();
        std::size_t i = 0;
        const auto storeOthers = [&] {
            TCCTHCODE others = codes.at(i - 1);
            others.OldHCode.clear();
            others.OldHUser.clear();
            others.NewHCode = io_.Writer.AllNineCode;
            codes.at(i++) = others;
        };
        const std::vector<TOnetimeRow> rows = table_.Rows(kSelectOnetimeAll);
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const TOnetimeRow& row = rows[r];
            if (r > 0 && row.NewKCode != rows[r - 1].NewKCode)
                storeOthers();
            TCCTHCODE entry{row.OldKCode, row.OldHCode, row.OldHUser, row.NewKCode, row.NewHCode};
            if (IsSpecialEntry(entry, specials)) {
                entry.NewHCode = " ";
                entry.OldHUser.clear();
            }
            codes.at(i++) = entry;
        }
        if (!rows.empty())
            storeOthers();
        if (i != codes.size())
            throw std::logic_error(Format("補助科目の件数が合いません（%d/%d）", i, codes.size()));
    }

    TQZaimuIO& io_;
    TOnetime table_;
};

// What a sub-account master line carries besides its codes.
struct TSubAccountMaster {
    std::string Name;
    std::string BpFlag;
    int DebitTax = 0;
    int CreditTax = 0;
};

int TaxCategory(const TQZaimuIO& io, const std::string& tax, std::string_view account)
{
    return TryTextToInt32(io.MapTaxCode(tax, account)).value_or(kOutsideTax);
}

const TZMUCHIWAK* FindSubAccount(const TQZaimuIO& io, std::string_view account, std::string_view subAccount)
{
    for (const TZMUCHIWAK& sub : io.Zmuchiwa)
        if (sub.YearCode() == io.SentakuNendoCode && sub.Text(column::zmuchiwa::kAccount) == account &&
            sub.Text(column::zmuchiwa::kSubAccount) == subAccount)
            return &sub;
    return nullptr;
}

std::string NameOrUnregistered(const TZMUCHIWAK* sub)
{
    const std::string name = sub ? SubAccountName(*sub) : std::string();
    return IsBlank(name) ? std::string(kUnregistered) : name;
}

// A source account merged into another target account: its own name, side and tax categories, or those of
// the source sub-account the entry stands for.
TSubAccountMaster MergedMaster(const TQZaimuIO& io, const TCCTHCODE& entry)
{
    static const TZMKANJYO kNoAccount;
    const TZMKANJYO* found = io.YearAccount(entry.OldKCode, true);
    if (!found)
        ShowError(Format("集約科目[%s]が見つかりません", entry.OldKCode));
    const TZMKANJYO& account = found ? *found : kNoAccount;
    TSubAccountMaster master;
    const std::string& level = account.Text(column::zmkanjyo::kLevel1);
    master.BpFlag = !level.empty() && kBalanceSheetLevels.find(level) != std::string_view::npos ? "B" : "P";
    master.DebitTax = TaxCategory(io, account.Text(column::zmkanjyo::kDebitTax), entry.OldKCode);
    master.CreditTax = TaxCategory(io, account.Text(column::zmkanjyo::kCreditTax), entry.OldKCode);
    if (!IsBlank(entry.OldHCode)) {
        master.Name = NameOrUnregistered(FindSubAccount(io, entry.OldKCode, entry.OldHCode));
    } else {
        // The account's name becomes a sub-account's name: cut to the width of one.
        const std::string name = CutSjis(account.Text(column::zmkanjyo::kName), kNameBytes);
        master.Name = IsBlank(name) ? std::string(kUnregistered) : name;
    }
    return master;
}

// A sub-account of the target account's own source account: the target account's attributes, then the
// source sub-account's name and tax categories.
TSubAccountMaster OwnMaster(const TQZaimuIO& io, const TCCTHCODE& entry)
{
    TSubAccountMaster master;
    const std::vector<TKMKREC>& accounts = io.Writer.Accounts;
    const auto account = std::find_if(accounts.begin(), accounts.end(), [&](const TKMKREC& a) { return a.KCODE == entry.NewKCode; });
    if (account != accounts.end()) {
        master = {account->KNAME, account->BPFLG, account->TAX_LCODE, account->TAX_RCODE};
    }
    if (const TZMUCHIWAK* sub = FindSubAccount(io, entry.OldKCode, entry.OldHCode)) {
        master.Name = NameOrUnregistered(sub);
        master.DebitTax = TaxCategory(io, sub->Text(column::zmuchiwa::kDebitTax), entry.OldKCode);
        master.CreditTax = TaxCategory(io, sub->Text(column::zmuchiwa::kCreditTax), entry.OldKCode);
    }
    return master;
}

}  // namespace

bool TQZaimuIO::BuildHojoIndex()
{
    try {
        ShowProgress("補助科目の索引を作成中です。");
        fb::TTransaction& transaction = Transaction();
        fb::ExecuteImmediate(transaction, kRecreateOnetime);
        transaction.CommitRetaining();
        THojoIndexBuilder(*this, transaction).Run();   // its statements go with it, so the table can be dropped
        fb::ExecuteImmediate(transaction, kDropOnetime);
        transaction.CommitRetaining();

        Writer.SkipSubAccountCodes = SpecialSubAccountSkips();
        HojoIndex.clear();
        for (std::size_t j = 0; j < Writer.SubAccountCodes.size(); ++j) {
            const TCCTHCODE& entry = Writer.SubAccountCodes[j];
            HojoIndex.push_back(Format("補助No[%d] OLD[%s-%s] NEW[%s-%s]", j, entry.OldKCode, entry.OldHCode,
                                       entry.NewKCode, entry.NewHCode));
        }
        return true;
    } catch (...) {
        RecordStepFailure(kLabel, ReadErrors);
    }
    return false;
}

std::string TQZaimuIO::ReadHojo()
{
    ShowProgress("・補助科目を読込中です。");
    const std::array<std::string, 3> specials = SpecialSubAccountSkips();
    TLineBlockBuilder lines;
    for (TCCTHCODE& entry : Writer.SubAccountCodes) {
        if (IsSpecialEntry(entry, specials)) {
            entry.NewHCode = " ";
            continue;
        }
        TSubAccountMaster master = entry.OldKCode != entry.NewKCode ? MergedMaster(*this, entry) : OwnMaster(*this, entry);
        if (entry.OldHCode == kCatchAll || entry.NewHCode == "9999" || entry.NewHCode == "999")
            master.Name = kOthers;
        const std::string kana = UserCodeOf(entry.OldKCode).substr(0, KamokuKetasu == 3 ? 3 : 4);
        lines.AddLine({{"KCODE", entry.NewKCode}, {"HCODE", entry.NewHCode}, {"HKANA", kana}, {"HNAME", master.Name},
                       {"TAX_LCODE", std::to_string(master.DebitTax)}, {"TAX_RCODE", std::to_string(master.CreditTax)},
                       {"BPFLG", master.BpFlag}});
    }
    return lines.Text();
}

int TQZaimuIO::FillSyuyakuList(std::vector<TSyuyakuRow>& rows)
{
    rows.clear();
    try {
        fb::TStatement target(Transaction());
        target.Prepare(kSelectTargetNamesOfSubAccount);
        std::optional<std::pair<std::string, std::string>> lastSource, lastTarget;
        for (const TCCTHCODE& entry : Writer.SubAccountCodes) {
            const TZMUCHIWAK* sub = FindSubAccount(*this, entry.OldKCode, entry.OldHCode);
            const std::string subUser = sub ? sub->Text(column::zmuchiwa::kUserCode) : std::string();
            if (entry.OldKCode == entry.NewKCode && subUser == entry.NewHCode)
                continue;   // nothing changed
            if (entry.OldHCode == kCatchAll || entry.NewHCode == "999" || entry.NewHCode == "9999")
                continue;   // the all-nines codes stand for no sub-account
            TSyuyakuRow& row = rows.emplace_back();
            std::pair<std::string, std::string> source;
            if (const TZMKANJYO* account = YearAccount(entry.OldKCode, true))
                source = {account->Text(column::zmkanjyo::kUserCode),
                          IsBlank(account->Text(column::zmkanjyo::kName)) ? account->Text(column::zmkanjyo::kShortName) : account->Text(column::zmkanjyo::kName)};
            std::pair<std::string, std::string> targetAccount;
            target.SetString("KCODE", entry.NewKCode).SetString("HCODE", entry.NewHCode);
            target.Open();
            if (target.Fetch()) {
                targetAccount = {target.AsString("USERCODE"), target.AsString("KNAME")};
                row.Cells[8] = target.AsString("HNAME");
            }
            target.Close();
            if (source != lastSource)
                std::tie(row.Cells[0], row.Cells[1]) = source;
            if (targetAccount != lastTarget)
                std::tie(row.Cells[5], row.Cells[6]) = targetAccount;
            lastSource = source;
            lastTarget = targetAccount;
            row.Cells[2] = subUser;
            row.Cells[3] = sub ? SubAccountName(*sub) : std::string();
            row.Cells[7] = entry.NewHCode;
        }
        return static_cast<int>(rows.size());
    } catch (...) {
        ReportCurrentException("TQZaimuIO.FillSyuyakuList", "集約科目リストを作成できません。", true);
        rows.clear();
        return -1;
    }
}

}  // namespace qz
