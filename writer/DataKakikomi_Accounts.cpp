// Accounts, sub-accounts and special accounts.

#include "common/ChartKind.h"
#include "common/Format.h"
#include "common/LineBlock.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "db/DataModule.h"
#include "journal/TaxCategories.h"
#include "writer/DataKakikomi_Guard.h"
#include "writer/DataKakikomi_Statements.h"
#include "writer/uQZ_DataKakikomi.h"

namespace qz {

using namespace writer::sql;

namespace {


// A tax category of a block line; 910 (outside the tax) when it is no number.
int TaxCategory(const std::string& text)
{
    return static_cast<int>(TryTextToInt32(Trim(text)).value_or(kOutsideTaxCategory));
}

std::int64_t CountOf(fb::TStatement& count)
{
    count.Open();
    const std::int64_t rows = count.Fetch() ? count.AsInt(0) : 0;
    count.Close();
    return rows;
}

// Special accounts pass through these codes so that two of them can swap codes without ever sharing one.
std::string TemporarySpecialCode(std::size_t index)
{
    return std::to_string(65000 + 100 * index);
}

struct TNoteAccount {
    std::string_view Start, Name, Group;
};
constexpr TNoteAccount kNoteAccounts[] = {
    {"15100", "受取手形", "1130"}, {"30500", "割引手形", "2100"}, {"30600", "裏書手形", "2100"}};

}  // namespace

int THxzMakeData::WriteAccounts()
{
    return Guarded({"科目:", "科目: %s"}, -1, [&] {
        ShowProgress("・勘定科目を書込中です。");
        // Every user code is freed first, so that two accounts may exchange their codes.
        fb::TStatement temporary(Transaction());
        temporary.Prepare(kSetTemporaryUserCode);
        for (std::size_t i = 0; i < Accounts.size(); ++i) {
            temporary.SetString("USERCODE", Format("A%03d", i + 1)).SetString("KCODE", Accounts[i].KCODE);
            temporary.Execute();
        }
        fb::TStatement update(Transaction());
        update.Prepare(kUpdateAccount);
        for (std::size_t i = 0; i < Accounts.size(); ++i) {
            const TKMKREC& account = Accounts[i];
            record_ = Format("No=%d コード[\"%s\",\"%s\",\"%s\"]%s", i, account.KCODE, account.StdCode, account.USERCODE,
                             account.KNAME);
            update.SetString("USERCODE", account.USERCODE).SetString("KNAME", StripAllSpaces(account.KNAME));
            update.SetInt("USE", account.USE).SetString("HOJOSW", account.HOJOSW);
            update.SetInt("TAX_LCODE", account.TAX_LCODE).SetInt("TAX_RCODE", account.TAX_RCODE);
            update.SetString("KEIHKUBU", account.KEIHKUBU).SetString("KCODE", account.KCODE);
            update.Execute();
        }
        return 0;
    });
}

void THxzMakeData::CreateSubAccountBalances(std::string_view branch, std::string_view kcode, std::string_view hcode)
{
    // The procedure creates the balance rows while it is read.
    fb::TStatement procedure(Transaction());
    procedure.Prepare(kCreateSubAccountBalances);
    procedure.SetString("PSCODE", branch).SetString("PKCODE", kcode).SetString("PHCODE", hcode);
    procedure.Open();
    while (procedure.Fetch()) {
    }
    procedure.Close();
}

int THxzMakeData::WriteSubAccounts(std::string_view block)
{
    return Guarded({"補助:", "補助: %s"}, -1, [&] {
        ShowProgress("・補助科目を書込中です。");
        fb::TTransaction& tr = Transaction();
        fb::TStatement countOfAccount(tr), mark(tr), countOne(tr), update(tr), insert(tr);
        countOfAccount.Prepare(kCountSubAccountsOfAccount);
        mark.Prepare(kMarkAccountWithSubAccounts);
        countOne.Prepare(kCountSubAccount);
        update.Prepare(kUpdateSubAccount);
        insert.Prepare(kInsertSubAccount);
        const std::vector<TBlockLine> lines = ReadLineBlock(block, Separator);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const TBlockLine& line = lines[i];
            const std::string kcode = line.Value("KCODE"), hcode = line.Value("HCODE");
            // An account already holding two rows (its own and a sub-account) is marked as one with sub-accounts.
            countOfAccount.SetString("SYSCODE", kcode);
            if (CountOf(countOfAccount) >= 2) {
                mark.SetString("SYSCODE", kcode);
                mark.Execute();
            }
            record_ = Format("No=%d コード[\"%s\"-\"%s\"]%s", i, kcode, hcode, line.Value("HNAME"));
            countOne.SetString("KCODE", kcode).SetString("HCODE", hcode);
            const int taxDebit = TaxCategory(line.Value("TAX_LCODE")), taxCredit = TaxCategory(line.Value("TAX_RCODE"));
            if (CountOf(countOne) > 0) {
                update.SetString("HNAME", line.Value("HNAME")).SetInt("TAX_LCODE", taxDebit).SetInt("TAX_RCODE", taxCredit);
                update.SetString("BPFLG", line.Value("BPFLG")).SetString("OLD_KCODE", kcode).SetString("OLD_HCODE", hcode);
                update.Execute();
            } else {
                insert.ClearParams();
                insert.SetString("KCODE", kcode).SetString("HCODE", hcode).SetString("HKANA", line.Value("HKANA"));
                insert.SetString("HNAME", hcode == AllNineCode ? std::string("その他") : line.Value("HNAME"));
                insert.SetInt("TAX_LCODE", taxDebit).SetInt("TAX_RCODE", taxCredit).SetString("BPFLG", line.Value("BPFLG"));
                insert.Execute();
            }
            CreateSubAccountBalances(" ", kcode, hcode);
        }
        record_.clear();

        // Every account with a real sub-account gets its all-nines sub-account "その他".
        fb::TStatement accounts(tr), countAllNine(tr), attributes(tr);
        accounts.Prepare(kSelectAccountsWithSubAccounts);
        countAllNine.Prepare(kCountAllNineSubAccount);
        attributes.Prepare(kSelectAccountTaxAndSide);
        std::vector<std::string> withSubAccounts;
        accounts.Open();
        while (accounts.Fetch())
            withSubAccounts.push_back(accounts.AsString(0));
        accounts.Close();
        for (const std::string& kcode : withSubAccounts) {
            countAllNine.SetString("KCODE", kcode).SetString("HCODE", AllNineCode);
            if (CountOf(countAllNine) != 0)
                continue;
            attributes.SetString("SYSCODE", kcode);
            attributes.Open();
            if (!attributes.Fetch())
                throw std::runtime_error(Format("科目[%s]がありません。", kcode));
            insert.ClearParams();
            insert.SetString("KCODE", kcode).SetString("HCODE", AllNineCode).SetString("HNAME", "その他");
            insert.SetInt("TAX_LCODE", attributes.AsInt("TAX_LCODE")).SetInt("TAX_RCODE", attributes.AsInt("TAX_RCODE"));
            insert.SetString("BPFLG", attributes.AsString("BPFLG"));
            attributes.Close();
            insert.Execute();
            CreateSubAccountBalances(" ", kcode, AllNineCode);
        }

        fb::TStatement rename(tr);
        rename.Prepare(kRenameAccount);
        for (const auto& [kcode, name] : {std::pair{"49700", "期首商品製品棚卸高"}, std::pair{"49800", "期末商品製品棚卸高"}}) {
            rename.SetString("KNAME", name).SetString("KCODE", kcode);
            rename.Execute();
        }
        return 0;
    });
}

void THxzMakeData::AddNoteAccount(std::string_view start, std::string_view name, std::string_view group)
{
    fb::TStatement first(Transaction());
    first.Prepare(Format(kSelectFirstFreeNoteCode, group, start));
    first.Open();
    const std::string code = first.Fetch() && !first.IsNull(0) ? first.AsString(0) : std::string();
    first.Close();
    // Without a free account in the group the template offers no place for the note account.
    if (code.empty())
        return;
    fb::TStatement insert(Transaction());
    insert.Prepare(kInsertNoteAccount);
    insert.SetString("NEWCODE", code).SetString("NEWNAME", name);
    insert.Execute();
}

TSpecialCode THxzMakeData::ReadSpecialAccount(std::string_view name)
{
    const TSpecialCode codes = ReadSpecialCode(Transaction(), name);
    SpecialAccountCodes().Set(name, codes);
    return codes;
}

int THxzMakeData::WriteSpecialAccounts(int dataType, std::string_view block)
{
    const bool corporation = dataType == kChartCorporation;
    // The note accounts are taken out before the special accounts move; a failure here is the caller's.
    if (corporation) {
        fb::TStatement remove(Transaction());
        remove.Prepare(kDeleteNoteAccount);
        for (const TNoteAccount& note : kNoteAccounts) {
            remove.SetString("KCODE", note.Start);
            remove.Execute();
        }
    }
    return Guarded({"特定科目:", "特定科目:"}, -1, [&] {
        ShowProgress("・特定科目を書込中です。");
        const std::vector<TBlockLine> lines = ReadLineBlock(block, Separator);
        fb::TStatement move(Transaction());
        move.Prepare(kSetSpecialAccountCode);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            move.SetString("KCODE", TemporarySpecialCode(i)).SetString("KNAME", lines[i].Value("KNAME"));
            move.Execute();
        }
        for (const TBlockLine& line : lines) {
            move.SetString("KCODE", line.Value("KCODE")).SetString("KNAME", line.Value("KNAME"));
            move.Execute();
        }
        if (corporation)
            for (const TNoteAccount& note : kNoteAccounts)
                AddNoteAccount(note.Start, note.Name, note.Group);
        const std::vector<std::string_view> names =
            corporation ? std::vector<std::string_view>{"現金", "仮払消費税", "仮受消費税", "繰越利益剰余金", "諸口"}
                        : std::vector<std::string_view>{"現金", "仮払消費税", "事業主貸", "仮受消費税", "事業主借", "元入金", "諸口"};
        for (const std::string_view name : names)
            ReadSpecialAccount(name);
        return 0;
    });
}

}  // namespace qz
