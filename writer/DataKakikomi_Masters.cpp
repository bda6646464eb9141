// Print names, departments, branches and the three summary dictionaries.

#include "common/Format.h"
#include "common/LineBlock.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "common/Utf8.h"
#include "journal/TaxCategories.h"
#include "writer/DataKakikomi_Guard.h"
#include "writer/DataKakikomi_Statements.h"
#include "writer/uQZ_DataKakikomi.h"

#include <map>

namespace qz {

using namespace writer::sql;

namespace {

constexpr std::size_t kAssocLimitPerSide = 2999;
constexpr std::size_t kDictionaryLimit = 3000;

// The entry number a dictionary line shows as its reading: "0001" for the first line.
std::string EntryKana(std::size_t index)
{
    const std::string number = std::to_string(100001 + index);
    return number.substr(number.size() - 4);
}

}  // namespace

int THxzMakeData::WritePrintNames()
{
    ShowProgress("・試算表・決算書印刷名称を書込中です。");
    return 0;
}

int THxzMakeData::WriteDepartments(std::string_view block)
{
    return Guarded({"部門:", "部門:"}, -1, [&] {
        ShowProgress("・部門を書込中です。");
        fb::TStatement insert(Transaction());
        insert.Prepare(kInsertDepartment);
        for (const TBlockLine& line : ReadLineBlock(block, Separator)) {
            const std::string code = line.Value("BCODE"), name = line.Value("BNAME");
            ShowProgress(Format("・部門 [%s]%s を書込中です。", TrimWide(code), TrimWide(name)));
            insert.SetString("BCODE", StripAllSpaces(code)).SetString("BNAME", StripAllSpaces(name));
            insert.Execute();
        }
        return 0;
    });
}

int THxzMakeData::WriteBranches(std::string_view block)
{
    return Guarded({"支店:", "支店:"}, -1, [&] {
        ShowProgress("・支店・施設を書込中です。");
        fb::TStatement insert(Transaction()), headOffice(Transaction());
        insert.Prepare(kInsertBranch);
        headOffice.Prepare(kUpdateHeadOffice);
        for (const TBlockLine& line : ReadLineBlock(block, Separator)) {
            const std::string code = line.Value("SCODE"), name = line.Value("SNAME");
            // The template already holds the head office: it is updated, never inserted.
            fb::TStatement& write = code == " " ? headOffice : insert;
            if (code != " ") {
                write.SetString("SCODE", code).SetString("SNAME", name);
                write.SetInt("BUMEX", TryTextToInt(line.Value("BUMEX")).value_or(0));
            }
            for (int n = 1; n <= 7; ++n)
                write.SetString(Format("XSTR%d", n), "");
            write.Execute();
            ShowProgress(Format("・支店・施設 [%s]%s を書込中です。", TrimWide(code), TrimWide(name)));
            Ui().ProcessEvents();
        }
        // Makes everything written since the basic information durable: accounts, special accounts,
        // sub-accounts, departments and branches.
        Transaction().CommitRetaining();
        return 0;
    });
}

int THxzMakeData::UpdateDictionaryTitle(std::string_view branch, std::string_view sortCode, std::string_view title)
{
    fb::TStatement select(Transaction());
    select.Prepare(kSelectDictionaryTitle);
    select.SetString("SCODE", branch).SetString("SORTCODE", sortCode);
    select.Open();
    if (!select.Fetch())
        throw std::runtime_error(Format("摘要辞書の見出し[%s-%s]がありません。", branch, sortCode));
    const int crec = static_cast<int>(select.AsInt(0));
    select.Close();
    fb::TStatement update(Transaction());
    update.Prepare(kUpdateDictionaryTitle);
    update.SetString("TEXT", title).SetInt("CREC", crec);
    update.Execute();
    return crec;
}

bool THxzMakeData::AccountExists(std::string_view kcode)
{
    fb::TStatement count(Transaction());
    count.Prepare(kCountAccount);
    count.SetString("KCODE", kcode);
    count.Open();
    return count.Fetch() && count.AsInt(0) == 1;
}

int THxzMakeData::GetDictionaryTaxCode(int side, std::string_view kcode, std::string_view hcode)
{
    int category = kOutsideTaxCategory;
    if (kcode.empty())
        return category;
    try {
        fb::TStatement account(Transaction());
        account.Prepare(side == 1 ? kSelectAccountDebitTax : kSelectAccountCreditTax);
        account.SetString("KamokuNaibuCD", kcode);
        account.Open();
        if (!account.Fetch())
            return category;
        category = static_cast<int>(account.AsInt(0));
        account.Close();
        if (!Trim(hcode).empty()) {
            // A sub-account's own category wins over its account's.
            fb::TStatement subAccount(Transaction());
            subAccount.Prepare(side == 1 ? kSelectSubAccountDebitTax : kSelectSubAccountCreditTax);
            subAccount.SetString("KamokuNaibuCD", kcode).SetString("HCODE", hcode);
            subAccount.Open();
            if (subAccount.Fetch())
                category = static_cast<int>(subAccount.AsInt(0));
        }
    } catch (...) {
        record_.clear();
        AddError({"摘要辞書(税区分):", "摘要辞書(税区分):"});
    }
    return category;
}

namespace {

// The accounts and tax categories of the dictionary sides, looked up once per code within one dictionary:
// a few thousand entries name the same few accounts over and over.
class TDictionarySides {
public:
    explicit TDictionarySides(THxzMakeData& writer) : writer_(writer) {}

    // Binds both sides of an entry; returns the entry's description for its error lines, after the mark.
    std::string BindEntry(fb::TStatement& insert, const TBlockLine& line, std::string_view mark)
    {
        std::string debitCode, debitSub, creditCode, creditSub;
        Bind(insert, line, "KAR", debitCode, debitSub);
        Bind(insert, line, "KAS", creditCode, creditSub);
        return Format("%s:%s[%s-%s][%s-%s] ", mark, line.Value("TEXT"), debitCode, debitSub, creditCode, creditSub);
    }

private:
    // Binds one side (KAR debit, KAS credit) of an entry: the codes of an account the data set holds with
    // their tax category, or nothing with 910. The bound codes go back for the entry's description.
    void Bind(fb::TStatement& insert, const TBlockLine& line, std::string_view side, std::string& kcode, std::string& hcode)
    {
        const std::string prefix(side);
        const int sideNo = side == "KAR" ? 1 : 2;
        kcode = line.Value(prefix + "_KCODE");
        hcode = line.Value(prefix + "_HCODE");
        if (!kcode.empty() && Exists(kcode)) {
            insert.SetString(prefix + "_KCODE", kcode).SetString(prefix + "_HCODE", hcode);
            insert.SetInt(prefix + "_TAXCODE", TaxCode(sideNo, kcode, hcode));
        } else {
            kcode.clear();
            hcode.clear();
            insert.SetNull(prefix + "_KCODE").SetNull(prefix + "_HCODE").SetInt(prefix + "_TAXCODE", kOutsideTaxCategory);
        }
    }

    bool Exists(const std::string& kcode)
    {
        if (const auto found = exists_.find(kcode); found != exists_.end())
            return found->second;
        return exists_[kcode] = writer_.AccountExists(kcode);
    }
    int TaxCode(int side, const std::string& kcode, const std::string& hcode)
    {
        const std::string key = std::to_string(side) + "/" + kcode + "/" + hcode;
        if (const auto found = taxCodes_.find(key); found != taxCodes_.end())
            return found->second;
        return taxCodes_[key] = writer_.GetDictionaryTaxCode(side, kcode, hcode);
    }

    THxzMakeData& writer_;
    std::map<std::string, bool> exists_;
    std::map<std::string, int> taxCodes_;
};

}  // namespace

int THxzMakeData::WriteAssocSummaries(std::string_view branch, std::string_view block)
{
    return Guarded({"連想摘要:", "連想摘要:%s"}, 1, [&] {
        ShowProgress("・摘要辞書（連想摘要）を書込中です。");
        const int debitTitle = UpdateDictionaryTitle(branch, "47", "連想摘要借方");
        const int creditTitle = UpdateDictionaryTitle(branch, "48", "連想摘要貸方");
        fb::TStatement insert(Transaction());
        insert.Prepare(kInsertDictionaryEntry);
        TDictionarySides sides(*this);
        const std::vector<TBlockLine> lines = ReadLineBlock(block, Separator);
        std::size_t debits = 0, credits = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const TBlockLine& line = lines[i];
            const std::string side = line.Value("CREC");
            // Each side holds at most 2999 entries; a line of neither side has no title to go under.
            std::size_t& count = side == "1" ? debits : credits;
            if ((side != "1" && side != "2") || ++count >= kAssocLimitPerSide + 1)
                continue;
            insert.ClearParams();
            insert.SetInt("CREC", side == "1" ? debitTitle : creditTitle).SetString("KANA", EntryKana(i));
            insert.SetString("TEXT", line.Value("TEXT")).SetString("SCODE", branch);
            record_ = sides.BindEntry(insert, line, side);
            insert.Execute();
        }
        return 0;
    });
}

int THxzMakeData::WriteSingleSummaries(std::string_view branch, std::string_view block)
{
    return Guarded({"単一取引:", "単一取引:%s"}, 1, [&] {
        ShowProgress("・摘要辞書（単一取引）を書込中です。");
        const int title = UpdateDictionaryTitle(branch, "49", "単一取引");
        fb::TStatement insert(Transaction());
        insert.Prepare(kInsertDictionaryEntry);
        TDictionarySides sides(*this);
        const std::vector<TBlockLine> lines = ReadLineBlock(block, Separator);
        for (std::size_t i = 0; i < lines.size() && i < kDictionaryLimit; ++i) {
            const TBlockLine& line = lines[i];
            insert.ClearParams();
            insert.SetInt("CREC", title).SetString("KANA", EntryKana(i));
            insert.SetString("TEXT", line.Value("TEXT")).SetString("SCODE", branch);
            record_ = sides.BindEntry(insert, line, "");
            insert.Execute();
        }
        return 0;
    });
}

int THxzMakeData::WriteAbbrevSummaries(std::string_view branch, std::string_view block)
{
    return Guarded({"略号摘要:", "略号摘要[%s]"}, 1, [&] {
        ShowProgress("・摘要辞書（略号摘要）を書込中です。");
        const int title = UpdateDictionaryTitle(branch, "50", "略号摘要");
        fb::TStatement insert(Transaction());
        insert.Prepare(kInsertDictionaryEntry);
        const std::vector<TBlockLine> lines = ReadLineBlock(block, Separator);
        for (std::size_t i = 0; i < lines.size() && i < kDictionaryLimit; ++i) {
            const TBlockLine& line = lines[i];
            // An abbreviation is a reading of exactly three characters; any other is stored empty.
            const std::string kana = line.Value("KANA");
            insert.ClearParams();
            insert.SetInt("CREC", title).SetString("KANA", CodePointCount(kana) == 3 ? kana : std::string());
            insert.SetString("TEXT", line.Value("TEXT")).SetString("SCODE", branch);
            insert.SetNull("KAR_KCODE").SetNull("KAR_HCODE").SetInt("KAR_TAXCODE", kOutsideTaxCategory);
            insert.SetNull("KAS_KCODE").SetNull("KAS_HCODE").SetInt("KAS_TAXCODE", kOutsideTaxCategory);
            record_ = Format("%d:%s", title, line.Value("TEXT"));
            insert.Execute();
        }
        return 0;
    });
}

}  // namespace qz
