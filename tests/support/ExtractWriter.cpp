#include "tests/support/ExtractWriter.h"

#include "common/Cp932.h"
#include "common/Format.h"
#include "common/PeriodCalendar.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace qz::test {
namespace {

using TFields = std::vector<std::string>;
using TSlots = std::array<std::int64_t, 16>;

// A text field of a file whose reader unquotes: quoted when it holds a comma.
std::string Quoted(const std::string& text)
{
    return text.find(',') == std::string::npos ? text : "\"" + text + "\"";
}

std::string Join(const TFields& fields)
{
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i)
        line += (i == 0 ? "" : ",") + fields[i];
    return line;
}

std::string Digits8(TDate date)
{
    return Format("%04d%02d%02d", date.Year(), date.Month(), date.Day());
}

TFields Filled(std::size_t count, const std::string& filler = "")
{
    return TFields(count, filler);
}

class TFileSet {
public:
    TFileSet(const TExtractDescription& description, const fs::path& folder) : description_(description), folder_(folder) {}

    void Add(const std::string& file, const std::string& line) { lines_[file].push_back(line); }
    void Touch(const std::string& file) { lines_[file]; }

    void Write() const
    {
        for (const auto& [file, lines] : lines_) {
            if (std::find(description_.OmittedFiles.begin(), description_.OmittedFiles.end(), file) !=
                description_.OmittedFiles.end())
                continue;
            const fs::path path = folder_ / (file.starts_with("CM") || file == "TADATAMA.CSV" ? "CM" : "ZM") / file;
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            for (const std::string& line : lines)
                out << EncodeCp932(line) << "\r\n";
            const auto [first, last] = description_.ExtraLines.equal_range(file);
            for (auto it = first; it != last; ++it)
                out << it->second << "\r\n";
            if (!out)
                throw std::runtime_error("cannot write " + path.string());
        }
    }

private:
    const TExtractDescription& description_;
    fs::path folder_;
    std::map<std::string, std::vector<std::string>> lines_;
};

// The balance slot (0-15) of an entry: its month's, or the settlement slot of a closing adjustment. A date
// before the year counts in the first month.
std::size_t SlotIndex(const TExtractYear& year, const TExtractEntry& entry)
{
    const int slot = SlotOfDate(0, entry.ClosingAdjustment ? 1 : 0, entry.Date, year.End, year.Start);
    return static_cast<std::size_t>(std::max(slot, 1) - 1);
}

bool IsNamedSubAccount(const std::string& sub)
{
    return SubAccountKey(sub) != kNoSubAccount;
}

const TExtractAccount& AccountOf(const TExtractDescription& description, const std::string& code)
{
    for (const TExtractAccount& account : description.Accounts)
        if (account.Code == code)
            return account;
    throw std::invalid_argument("extract description: unknown account " + code);
}

// Debit and credit movements per slot of a (branch, account, sub-account or department) key.
struct TMovements {
    TSlots Debit{};
    TSlots Credit{};
};
using TKey = std::tuple<std::string, std::string, std::string>;

std::map<TKey, TMovements> MovementsBy(const TExtractYear& year, bool byDepartment)
{
    std::map<TKey, TMovements> movements;
    for (const TExtractEntry& entry : year.Entries) {
        const std::size_t slot = SlotIndex(year, entry);
        const std::string debitDetail = byDepartment ? entry.DebitDepartment : SubAccountKey(entry.DebitSub);
        const std::string creditDetail = byDepartment ? entry.CreditDepartment : SubAccountKey(entry.CreditSub);
        if (!byDepartment || !debitDetail.empty())
            movements[{entry.Branch, entry.Debit, debitDetail}].Debit[slot] += entry.Amount;
        if (!byDepartment || !creditDetail.empty())
            movements[{entry.Branch, entry.Credit, creditDetail}].Credit[slot] += entry.Amount;
    }
    return movements;
}

// The opening and the movements of one balance row.
struct TBalance {
    std::int64_t Opening = 0;
    TMovements Movements{};

    void Add(const TBalance& other)
    {
        Opening += other.Opening;
        for (std::size_t slot = 0; slot < 16; ++slot) {
            Movements.Debit[slot] += other.Movements.Debit[slot];
            Movements.Credit[slot] += other.Movements.Credit[slot];
        }
    }
};

// The rows of ZMUCHZAN for a year: one per sub-account, and the "00000" row of every account with the
// account's total (what lies on no sub-account plus all its sub-accounts).
std::map<TKey, TBalance> SubAccountBalances(const TExtractYear& year)
{
    std::map<TKey, TBalance> own;
    for (const auto& [key, amount] : year.Opening) {
        const auto& [branch, account, sub] = key;
        own[{branch, account, SubAccountKey(sub)}].Opening += amount;
    }
    for (const auto& [key, movements] : MovementsBy(year, false))
        own[key].Add({.Movements = movements});
    std::map<TKey, TBalance> rows = own;
    for (const auto& [key, balance] : own) {
        const auto& [branch, account, sub] = key;
        if (sub != kNoSubAccount)
            rows[{branch, account, kNoSubAccount}].Add(balance);
    }
    return rows;
}

// A balance line: opening in column 6, then the cumulative debit series (with the opening on a debit
// account) and the cumulative credit series (with the opening on a credit account), 16 slots each.
TFields BalanceLine(const TExtractDescription& description, const TExtractYear& year, const TKey& key,
                    const std::string& kind, std::int64_t opening, const TMovements& movement)
{
    const auto& [branch, account, detail] = key;
    const bool debitSide = AccountOf(description, account).Side != "2";
    TFields fields = {std::to_string(description.ClientNo), std::to_string(year.Code), branch, account, detail, kind,
                      std::to_string(opening)};
    std::int64_t debit = debitSide ? opening : 0, credit = debitSide ? 0 : opening;
    TFields first, second;
    for (std::size_t slot = 0; slot < 16; ++slot) {
        debit += movement.Debit[slot];
        credit += movement.Credit[slot];
        first.push_back(std::to_string(debit));
        second.push_back(std::to_string(credit));
    }
    fields.insert(fields.end(), first.begin(), first.end());
    fields.insert(fields.end(), second.begin(), second.end());
    return fields;
}

void WriteManifest(const TExtractDescription& d, const fs::path& folder)
{
    std::vector<std::string> lines = {"[CommonInf]", "SaveDate=" + d.SaveDate, "SaveTime=" + d.SaveTime,
                                      Format("DBVersion=%d", d.DBVersion), Format("DataVersion=%d", d.DataVersion),
                                      "", "[KanyosakiInf]", Format("KanyosakiCode=%s,%d", d.ClientCode, d.ClientNo),
                                      "KanyosakiName=" + d.ClientName};
    for (std::size_t i = 0; i < d.Years.size(); ++i)
        lines.push_back(Format("JigyouNendo%d=%s-%s,%d", i + 1, d.Years[i].Start.ToText(), d.Years[i].End.ToText(),
                               d.Years[i].Code));
    std::ofstream out(folder / "dtmanage.inf", std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines)
        out << EncodeCp932(line) << "\r\n";
}

void WriteYearMasters(const TExtractDescription& d, const TExtractYear& year, TFileSet& files)
{
    const std::string no = std::to_string(d.ClientNo), code = std::to_string(year.Code);
    files.Add("CMKANSIG.CSV", Join({no, code, "", std::to_string(d.DepartmentDigits), "0", "0"}));
    for (const TExtractBranch& branch : d.Branches)
        files.Add("CMHONTEN.CSV", Join({no, code, branch.Code, branch.OrderKey, branch.Name, "", "", "", "", "", ""}));
    for (const TExtractDepartment& department : d.Departments)
        files.Add("CMBUMON.CSV", Join({no, code, department.Code, department.DisplayCode, department.Name, "", "0", "",
                                       "", "", ""}));
    files.Add("TADATAMA.CSV", Join({no, code, Digits8(year.Start), Digits8(year.End), "", "", "", "", "", "0", "", ""}));

    TFields kannen = Filled(64);
    kannen[0] = no;
    kannen[1] = code;
    kannen[4] = d.ClientKana;
    kannen[5] = Quoted(d.ClientName);
    kannen[6] = d.PostCode;
    kannen[11] = Quoted(d.Address1);
    kannen[12] = Quoted(d.Address2);
    kannen[14] = d.FreeCodes ? "1" : "0";
    kannen[30] = d.BusinessKind;
    kannen[31] = d.Corporation ? "1" : "2";
    kannen[34] = std::to_string(d.AccountDigits);
    kannen[36] = std::to_string(d.SubDigits);
    for (std::size_t c = 42; c <= 57; ++c)
        kannen[c] = "0";
    kannen[59] = d.TaxProcessing;
    kannen[63] = "0";
    files.Add("ZMKANNEN.CSV", Join(kannen));

    for (const auto& [branch, department] : d.ManagedDepartments)
        files.Add("ZMHONKAN.CSV", Join({no, code, branch, department}));
    for (const TExtractAccount& a : d.Accounts) {
        TFields fields = Filled(25);
        fields[0] = no;
        fields[1] = code;
        fields[2] = a.Code;
        fields[3] = a.UserCode;
        fields[4] = a.Level1;
        fields[6] = a.Level2;
        fields[8] = a.Level3;
        fields[11] = Quoted(a.Name);
        fields[12] = Quoted(a.Name);
        fields[13] = a.Side;
        fields[17] = a.Tax1;
        fields[19] = a.Tax2;
        fields[21] = a.CostKind;
        fields[23] = "0";
        files.Add("ZMKANJYO.CSV", Join(fields));
    }
    for (const TExtractSubAccount& s : d.SubAccounts)
        files.Add("ZMUCHIWA.CSV", Join({no, code, s.Account, s.Code, s.UserCode, Quoted(s.Name), "", "", "9901", "", "9901", ""}));
    for (std::size_t i = 0; i < d.Summaries.size(); ++i) {
        const TExtractSummary& s = d.Summaries[i];
        files.Add("ZMRYAKU.CSV", Join({no, code, s.Kana, Quoted(s.Text), ""}));
        // An associative summary belongs to one account and side: the entry's two sides give two of them.
        files.Add("ZMRENSOU.CSV", Join({no, code, Format("%04d", 2 * i + 1), s.DebitAccount, "1", Quoted(s.Text)}));
        files.Add("ZMRENSOU.CSV", Join({no, code, Format("%04d", 2 * i + 2), s.CreditAccount, "2", Quoted(s.Text)}));
        files.Add("ZMSIWAJI.CSV", Join({no, code, Format("%04d", i + 1), s.DebitAccount, s.CreditAccount, "1", "",
                                        Quoted(s.Text), "", "", "", "", ""}));
    }
    TFields kesan = Filled(84);
    kesan[0] = no;
    kesan[1] = code;
    kesan[4] = "1";
    files.Add("ZMKESAN.CSV", Join(kesan));
}

void WriteYearBalances(const TExtractDescription& d, const TExtractYear& year, TFileSet& files)
{
    for (const auto& [key, balance] : SubAccountBalances(year))
        for (const char* kind : {"1", "2"})
            files.Add("ZMUCHZAN.CSV", Join(BalanceLine(d, year, key, kind, balance.Opening, balance.Movements)));
    if (d.Departments.empty())
        return;
    for (const auto& [key, movement] : MovementsBy(year, true))
        for (const char* kind : {"1", "2"})
            files.Add("ZMBUMZAN.CSV", Join(BalanceLine(d, year, key, kind, 0, movement)));
}

// The internal voucher code, 8 characters: "1" and a running number, or for a closing adjustment "2", the
// month of its date and the running number's last five digits.
std::string VoucherCode(const TExtractEntry& entry, int voucher)
{
    return entry.ClosingAdjustment ? Format("2%02d%05d", entry.Date.Month(), voucher % 100000) : Format("1%07d", voucher);
}

// The user code of a sub-account as the client types it; the last digits of its code when the description
// does not list it.
std::string SubAccountUserCode(const TExtractDescription& d, const std::string& account, const std::string& sub)
{
    for (const TExtractSubAccount& s : d.SubAccounts)
        if (s.Account == account && s.Code == sub)
            return s.UserCode;
    const std::size_t digits = std::min<std::size_t>(static_cast<std::size_t>(std::max(d.SubDigits, 1)), sub.size());
    return sub.substr(sub.size() - digits);
}

void WriteYearJournals(const TExtractDescription& d, const TExtractYear& year, TFileSet& files, int& voucher)
{
    const std::string no = std::to_string(d.ClientNo), code = std::to_string(year.Code);
    for (const TExtractEntry& entry : year.Entries) {
        ++voucher;
        const auto side = [&](const char* mark, const std::string& account, const std::string& sub,
                              const std::string& department, const std::string& tax) {
            const bool named = IsNamedSubAccount(sub);
            TFields fields = Filled(25);
            fields[0] = no;
            fields[1] = code;
            fields[2] = entry.Branch;
            fields[3] = VoucherCode(entry, voucher);
            fields[4] = "0";
            fields[5] = mark;
            fields[6] = entry.Voucher;
            fields[7] = Digits8(entry.Date);
            fields[8] = Digits8(entry.Date);
            fields[10] = department;
            fields[13] = account;
            fields[14] = named ? SubAccountUserCode(d, account, sub) : "";
            fields[15] = named ? sub : "";
            fields[16] = tax;
            fields[17] = std::to_string(entry.Amount);
            fields[21] = Quoted(entry.Text);
            fields[22] = Quoted(entry.Text2);
            return Join(fields);
        };
        files.Add("ZMSIWAKE.CSV", side("1", entry.Debit, entry.DebitSub, entry.DebitDepartment, entry.DebitTax));
        files.Add("ZMSIWAKE.CSV", side("2", entry.Credit, entry.CreditSub, entry.CreditDepartment, entry.CreditTax));
    }
}

// With branches in use the head office stands for the whole company; a balance or an entry on it would be
// skipped by whoever reads the extract.
void RefuseHeadOfficeRowsWithBranches(const TExtractDescription& d)
{
    if (d.Branches.size() <= 1)
        return;
    const auto refuse = [](const TExtractYear& year, const std::string& what) {
        throw std::invalid_argument(Format("extract description: branches are in use, but year %d puts %s on the head office",
                                           year.Code, what));
    };
    for (const TExtractYear& year : d.Years) {
        for (const auto& [key, amount] : year.Opening)
            if (std::get<0>(key) == kHeadOffice)
                refuse(year, "the opening balance of " + std::get<1>(key));
        for (const TExtractEntry& entry : year.Entries)
            if (entry.Branch == kHeadOffice)
                refuse(year, "the entry \"" + entry.Text + "\" of " + entry.Date.ToText());
    }
}

}  // namespace

std::string SubAccountKey(const std::string& sub)
{
    return sub.empty() ? kNoSubAccount : sub;
}

std::int64_t ClosingBalance(const TExtractDescription& description, const TExtractYear& year, const std::string& branch,
                            const std::string& account, const std::string& sub)
{
    const std::string subKey = SubAccountKey(sub);
    std::int64_t balance = 0;
    for (const auto& [key, amount] : year.Opening) {
        const auto& [keyBranch, keyAccount, keySub] = key;
        if (keyBranch == branch && keyAccount == account && SubAccountKey(keySub) == subKey)
            balance += amount;
    }
    const bool debitSide = AccountOf(description, account).Side != "2";
    for (const TExtractEntry& entry : year.Entries) {
        if (entry.Branch == branch && entry.Debit == account && SubAccountKey(entry.DebitSub) == subKey)
            balance += debitSide ? entry.Amount : -entry.Amount;
        if (entry.Branch == branch && entry.Credit == account && SubAccountKey(entry.CreditSub) == subKey)
            balance += debitSide ? -entry.Amount : entry.Amount;
    }
    return balance;
}

void WriteExtract(const TExtractDescription& description, const fs::path& folder)
{
    RefuseHeadOfficeRowsWithBranches(description);
    fs::create_directories(folder / "CM");
    fs::create_directories(folder / "ZM");
    WriteManifest(description, folder);
    TFileSet files(description, folder);
    for (const char* file : {"CMKANSIG.CSV", "CMHONTEN.CSV", "CMBUMON.CSV", "TADATAMA.CSV", "ZMKANNEN.CSV", "ZMHONKAN.CSV",
                             "ZMKANJYO.CSV", "ZMRYAKU.CSV", "ZMRENSOU.CSV", "ZMUCHZAN.CSV", "ZMBUMZAN.CSV", "ZMKESAN.CSV",
                             "ZMUCHIWA.CSV", "ZMSIWAJI.CSV", "ZMSIWAKE.CSV"})
        files.Touch(file);
    int voucher = 0;
    // Oldest year first, as the source product writes its files.
    for (auto year = description.Years.rbegin(); year != description.Years.rend(); ++year) {
        WriteYearMasters(description, *year, files);
        WriteYearBalances(description, *year, files);
        WriteYearJournals(description, *year, files, voucher);
    }
    files.Write();
}

}  // namespace qz::test
