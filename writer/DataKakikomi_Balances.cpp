// Opening balances, journal posting with the re-total, and clearing the journals of a dropped year.

#include "common/Format.h"
#include "common/LineBlock.h"
#include "common/TextHelpers.h"
#include "db/DbStatements.h"
#include "db/ErrorReport.h"
#include "db/Settings.h"
#include "journal/z5SiwakeIO.h"
#include "platform/SystemDef.h"
#include "writer/DataKakikomi_Guard.h"
#include "writer/DataKakikomi_Statements.h"
#include "writer/uQZ_DataKakikomi.h"

#include <cmath>
#include <filesystem>

namespace fs = std::filesystem;

namespace qz {

using namespace writer::sql;

namespace {

// The slot that closes the month before the first month of input (KAISINO 2 to 12): a quarter's last month
// closes with its settlement slot.
constexpr int kOpeningSlotOfFirstMonth[13] = {0, 0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14};

// Accounts whose credit balance is kept as a negative debit balance (allowances shown under assets).
bool IsContraAssetGroup(std::string_view group)
{
    return group == "1310" || group == "1400" || group == "1410" || group == "1710";
}

TMoney MoneyOf(fb::TStatement& query)
{
    query.Open();
    const TMoney value = query.Fetch() ? query.AsMoney(0) : TMoney();
    query.Close();
    return value;
}

std::string_view JournalErrorLogName(std::string_view yearLabel)
{
    if (yearLabel == "前々期")
        return "SIWAKE_ERR3.LOG";
    if (yearLabel == "前期")
        return "SIWAKE_ERR2.LOG";
    if (yearLabel == "当期")
        return "SIWAKE_ERR1.LOG";
    return "SIWAKE_ERR.LOG";
}

}  // namespace

bool THxzMakeData::HasSubAccountBalances(std::string_view branch, std::string_view kcode)
{
    fb::TStatement count(Transaction());
    count.Prepare(kCountSubAccountBalances);
    count.SetString("SCODE", branch).SetString("KCODE", kcode);
    count.Open();
    return count.Fetch() && count.AsInt(0) > 0;
}

int THxzMakeData::WriteOpeningBalances(std::string_view block, std::string_view accountLevelDepartment)
{
    const std::string department(accountLevelDepartment);
    return Guarded({"開始残高:", "開始残高:%s"}, 1, [&] {
        ShowProgress("・開始残高を書込中です。");
        const TACCINF& info = AccInfo();
        const bool pastMonths = info.KAISINO != 1;
        int slot = 0;
        if (pastMonths) {
            if (info.KAISINO < 2 || info.KAISINO > 12)
                throw std::runtime_error(Format("開始月番号(%d)が正しくありません。", info.KAISINO));
            slot = kOpeningSlotOfFirstMonth[info.KAISINO];
        }
        fb::TTransaction& tr = Transaction();
        fb::TStatement side(tr), addOpening(tr), setOpening(tr), addPast(tr), setPast(tr), clearPast(tr);
        side.Prepare(kSelectAccountGroupAndSide);
        addOpening.Prepare(kAddOpeningBalance);
        setOpening.Prepare(kSetOpeningBalance);
        if (pastMonths) {
            addPast.Prepare(AddPastBalanceOfSlot(slot));
            setPast.Prepare(SetPastBalanceOfSlot(slot));
            clearPast.Prepare(kClearPastBalancesOfRow);
        }
        const auto bindRow = [](fb::TStatement& statement, std::string_view scode, std::string_view kcode,
                                std::string_view hcode, std::string_view bcode) {
            statement.SetString("SCODE", scode).SetString("KCODE", kcode).SetString("HCODE", hcode).SetString("BCODE", bcode);
        };
        const auto describeRow = [&](std::string_view scode, std::string_view kcode, std::string_view hcode,
                                     std::string_view bcode, TMoney amount) {
            record_ = Format("SCODE=[%s] KCODE=[%s] HCODE=[%s] BCODE=[%s] %s", scode, kcode, hcode, bcode, amount.ToText());
        };
        const auto setBalance = [&](std::string_view scode, std::string_view kcode, std::string_view hcode,
                                    std::string_view bcode, TMoney amount) {
            describeRow(scode, kcode, hcode, bcode, amount);
            setOpening.SetMoney("KISHU_KOMI", amount).SetMoney("KISHU_NUKI", amount);
            bindRow(setOpening, scode, kcode, hcode, bcode);
            ExecuteChecked(setOpening, "開始残高(KAMOKU_SZ)");
        };
        const auto setPastBalance = [&](std::string_view scode, std::string_view kcode, std::string_view hcode,
                                        std::string_view bcode, TMoney amount) {
            setPast.SetMoney("ZAN1", amount).SetMoney("ZAN2", amount);
            bindRow(setPast, scode, kcode, hcode, bcode);
            ExecuteChecked(setPast, "過去残高(KAKOZAN)");
        };
        const auto clearPastBalances = [&](std::string_view scode, std::string_view kcode, std::string_view bcode) {
            clearPast.SetString("SCODE", scode).SetString("KCODE", kcode).SetString("BCODE", bcode);
            ExecuteChecked(clearPast, "過去残高(KAKOZAN)");
        };

        for (const TBlockLine& line : ReadLineBlock(block, Separator)) {
            const std::string scode = line.Value("SCODE"), kcode = line.Value("KCODE"), hcode = line.Value("HCODE"),
                              bcode = line.Value("BCODE");
            side.SetString("KCODE", kcode);
            side.Open();
            const bool found = side.Fetch();
            const std::string group = found ? side.AsString("GROUPM0") : std::string();
            const std::int64_t dac = found ? side.AsInt("DAC") : 0;
            side.Close();
            const bool negative = IsContraAssetGroup(group) && TryTextToInt(line.Value("TAISHAKU")).value_or(0) == 2 && dac == 1;
            // An amount that is no number would silently become 0: the step fails and names the row instead.
            const std::optional<TMoney> parsed = TMoney::Parse(line.Value("KAISIZAN"));
            if (!parsed)
                throw std::runtime_error(Format("開始残高の金額[%s]が数値ではありません。SCODE=[%s] KCODE=[%s] HCODE=[%s] BCODE=[%s]",
                                                line.Value("KAISIZAN"), scode, kcode, hcode, bcode));
            const TMoney opening = *parsed;
            const TMoney amount = negative ? -opening : opening;
            describeRow(scode, kcode, hcode, bcode, amount);
            addOpening.SetMoney("KISHU_KOMI", amount).SetMoney("KISHU_NUKI", amount);
            bindRow(addOpening, scode, kcode, hcode, bcode);
            ExecuteChecked(addOpening, "開始残高(KAMOKU_SZ)");
            if (pastMonths && hcode != AllNineCode) {
                addPast.SetMoney("ZAN1", amount).SetMoney("ZAN2", amount);
                bindRow(addPast, scode, kcode, hcode, bcode);
                ExecuteChecked(addPast, "過去残高(KAKOZAN)");
            }
        }

        // Accounts with sub-accounts: what the named sub-accounts do not explain goes to the all-nines one.
        fb::TStatement accountTotal(tr), namedTotal(tr);
        accountTotal.Prepare(kSumAccountLevelOpening);
        namedTotal.Prepare(kSumNamedSubAccountOpening);
        for (const auto& [scode, kcode] : BalanceAccounts(kSelectBalanceAccountsWithSubAccounts)) {
            if (!HasSubAccountBalances(scode, kcode))
                continue;
            accountTotal.SetString("SCODE", scode).SetString("KCODE", kcode);
            namedTotal.SetString("SCODE", scode).SetString("KCODE", kcode).SetString("ALL9", AllNineCode);
            const TMoney rest = MoneyOf(accountTotal) - MoneyOf(namedTotal);
            setBalance(scode, kcode, AllNineCode, department, rest);
            setBalance(scode, kcode, " ", department, TMoney());
            if (pastMonths) {
                setPastBalance(scode, kcode, AllNineCode, department, rest);
                clearPastBalances(scode, kcode, department);
            }
        }

        // With departments, what the named departments do not explain goes to the common department "00".
        if (info.BUMON != 0) {
            fb::TStatement allDepartments(tr), namedDepartments(tr);
            allDepartments.Prepare(kSelectAllDepartmentOpening);
            namedDepartments.Prepare(kSumNamedDepartmentOpening);
            for (const auto& [scode, kcode] : BalanceAccounts(kSelectBalanceAccounts)) {
                if (HasSubAccountBalances(scode, kcode))
                    continue;
                allDepartments.SetString("SCODE", scode).SetString("KCODE", kcode);
                namedDepartments.SetString("SCODE", scode).SetString("KCODE", kcode);
                const TMoney rest = MoneyOf(allDepartments) - MoneyOf(namedDepartments);
                setBalance(scode, kcode, " ", "00", rest);
                setBalance(scode, kcode, " ", " ", TMoney());
                if (pastMonths) {
                    setPastBalance(scode, kcode, " ", "00", rest);
                    clearPastBalances(scode, kcode, " ");
                }
            }
        }

        // Input from the start of the year: profit-and-loss accounts open at nothing.
        if (info.KISHU == info.KAISI) {
            fb::TStatement clear(tr);
            clear.Prepare(kClearProfitAndLossOpening);
            clear.Execute();
        }
        return 0;
    });
}

std::vector<std::pair<std::string, std::string>> THxzMakeData::BalanceAccounts(std::string_view sql)
{
    std::vector<std::pair<std::string, std::string>> accounts;
    fb::TStatement select(Transaction());
    select.Prepare(sql);
    select.Open();
    while (select.Fetch())
        accounts.emplace_back(select.AsString("SCODE"), select.AsString("KCODE"));
    select.Close();
    return accounts;
}

void THxzMakeData::ReTotal(TProgressDialog& dialog)
{
    fb::TTransaction& tr = Transaction();
    fb::ExecuteImmediate(tr, kCreateReTotalException);
    tr.CommitRetaining();
    fb::ExecuteImmediate(tr, kCreateReTotal);
    tr.CommitRetaining();
    const auto dropProcedure = [&] {
        fb::ExecuteImmediate(tr, kDropReTotal);
        tr.CommitRetaining();
        fb::ExecuteImmediate(tr, kDropReTotalException);
        tr.CommitRetaining();
    };
    try {
        fb::TStatement run(tr);
        run.Prepare(kRunReTotal);
        run.Open();
        while (run.Fetch()) {
            // Two journal rows make one entry.
            dialog.SetInfo(Format("仕訳を集計中[%d]件、しばらくお待ちください…", std::llround(run.AsInt(0) * 0.5)));
            Ui().ProcessEvents();
        }
        run.Close();
        run.Free();
        dropProcedure();
    } catch (...) {
        // The run has failed; the procedure is still taken away, so the next run does not meet it.
        tr.RollbackRetaining();
        try {
            dropProcedure();
        } catch (const std::exception& error) {
            Errors.push_back(std::string("仕訳:") + error.what());
        }
        throw;
    }
}

int THxzMakeData::PostJournals(const fs::path& file, std::string_view voucherBlock, std::string_view yearLabel)
{
    // A year whose codes did not all convert is not posted at all.
    if (const int lookupErrors = AccountLookupError + SubAccountLookupError; lookupErrors != 0)
        return lookupErrors;
    ShowProgress(Format("・%s仕訳を書込中です。", yearLabel));
    int result = 1;
    const std::unique_ptr<TProgressDialog> dialog = Ui().OpenProgress(std::string(yearLabel) + "仕訳登録");
    dialog->SetInfo("");
    try {
        TSiwakeTextIO import;
        import.FieldSeparator = "\t";
        import.Progress = dialog.get();
        import.SetTransaction(Transaction());
        import.BranchCode = "01";
        import.AllBranches = true;
        import.RespectLock = false;
        import.WriteImportLog = true;
        import.ReadVoucherNo = true;
        if (!import.Import(file, "\t")) {
            Errors.emplace_back("仕訳の登録に失敗しました。[SiwakeIO Error]");
            if (!import.RefusalReason.empty())
                Errors.push_back(import.RefusalReason);
        } else if (import.RejectedCount > 0) {
            ShowProgress("");
            const std::string_view logName = JournalErrorLogName(yearLabel);
            WriteCp932Lines((fs::path(SystemDef().DocumentsDir) / std::string(logName)).string(), import.RejectedLines,
                            false, TUnencodable::Escape);
            Errors.push_back(std::string(yearLabel) + "仕訳");
            Errors.push_back(Format("  \"%d件\"を取り込みました。", import.ImportedCount));
            Errors.push_back(Format("  \"%d件\"の取り込みに失敗しました。", import.RejectedCount));
            Errors.push_back(Format("  原因についてはマイドキュメントの\"%s\"を参照してください。", logName));
        } else {
            result = Guarded({"仕訳:", "仕訳:"}, 1, [&] {
                UnlinkVouchers(voucherBlock);
                ReTotal(*dialog);
                if (ProgressList)
                    ProgressList->AppendLine(Format("%s仕訳\"%d件\"を取り込みました。", yearLabel, import.ImportedCount));
                return 0;
            });
        }
    } catch (...) {
        record_.clear();
        AddError({"仕訳:", "仕訳:"});
    }
    // Once imported the work file is used up, whatever the outcome; a file that cannot be removed is only
    // left behind in the temporary folder. A failed import may have ended the transaction: the next step
    // finds it started again.
    std::error_code ignored;
    fs::remove(file, ignored);
    Transaction();
    return result;
}

// Entries that came with a voucher link lose it; then the voucher numbers used for it are cleared.
void THxzMakeData::UnlinkVouchers(std::string_view voucherBlock)
{
    const std::vector<TBlockLine> lines = ReadLineBlock(voucherBlock, Separator);
    if (lines.empty())
        return;
    fb::TStatement unlink(Transaction());
    unlink.Prepare(kUnlinkVoucher);
    for (const TBlockLine& line : lines) {
        const auto voucher = TryTextToInt(line.Value("DNUM"));
        if (!voucher || *voucher <= 0)
            continue;
        unlink.SetInt("DNUM", *voucher);
        unlink.Execute();
    }
    fb::TStatement clear(Transaction());
    clear.Prepare(kClearVoucherNumbers);
    clear.Execute();
}

int THxzMakeData::DeletePastJournals()
{
    return Guarded({"過去仕訳削除:", "過去仕訳削除:"}, 1, [&] {
        fb::TTransaction& tr = Transaction();
        // A dropped year leaves no past figure anywhere: its balances carried into KAKOZAN and KAMOKU_MS
        // would show as the next year's prior-year figures.
        for (const std::string_view statement : {kDeletePastJournals1, kDeletePastJournals2, kDeleteJournals,
                                                 kClearOpeningBalances, kClearMonthTotals, kClearTaxTotals,
                                                 kClearJournalCounts, kClearPastBalances, kClearPriorYearFigures})
            fb::ExecuteImmediate(tr, statement);
        for (const std::string& generator : qz::sql::JournalNumberGenerators())
            fb::ExecuteImmediate(tr, Format(qz::sql::kSetGenerator, generator, 0));
        WriteAccReg(tr, "基本設定", "過去明細取り込み", kRegInt, TRegValue::OfInt(0));
        return 0;
    });
}

}  // namespace qz
