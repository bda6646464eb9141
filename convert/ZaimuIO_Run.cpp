// The year-by-year import run: the masters once, then the prior-prior, prior and current years, each past
// year written as the current one and rolled into the next by the year update. A past year that fails is
// dropped with every past figure it left; a failure of the current year fails the run, which then writes
// the conversion error log.

#include "common/Format.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "convert/ZaimuIO_StepFailure.h"
#include "convert/ZaimuIO_Statements.h"
#include "convert/uQZ_ZaimuIO.h"
#include "db/DataModule.h"
#include "platform/ShellFolders.h"
#include "platform/SystemDef.h"

#include <algorithm>
#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace qz {

using namespace convert::sql;

namespace {

constexpr std::string_view kErrorLogName = "Quorvel_ConvertError.log";
constexpr std::string_view kJournalErrorLogs[] = {"SIWAKE_ERR3.LOG", "SIWAKE_ERR2.LOG", "SIWAKE_ERR1.LOG", "SIWAKE_ERR.LOG"};
constexpr std::string_view kMissingCodesLine = "MendalⅢの当期科目に登録されていません。";

// What differs between the three years of a run.
struct TYearKind {
    std::string_view Label;      // the journal conversion's and the writer's year label
    int Mode;                    // of the balance block and of the journal conversion
    std::string_view Status;     // while its journals are written (empty: the status is cleared)
    std::string_view Mismatch;   // the continuity check's lines when the carried balances differ
    std::string_view Cleared;
};
constexpr TYearKind kPriorPriorYear{"前々期", 2, "過年度（前々期）仕訳を登録中です。", "", ""};
constexpr TYearKind kPriorYear{"前期", 1, "過年度（前期）仕訳を登録中です。", "前々期末残高と前期期首残高が一致しません。",
                               "過年度残高(前々期)をクリアしました。"};
constexpr TYearKind kCurrentYear{"当期", 0, "", "前期末残高と期首残高が一致しません。", "過年度残高をクリアしました。"};

// The documents folder as the error log is written to it; nothing when it cannot be determined.
std::optional<fs::path> ErrorLogFolder()
{
    try {
        return fs::path(ShellFolderPath(CSIDL_PERSONAL));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// The operator's lines, passed on and kept: the error log of a failed run holds the whole text the operator
// saw. Lines the memo held before the run are not readable through it and count as empty.
class TMemoMirror final : public TProgressLines {
public:
    explicit TMemoMirror(TProgressLines* target)
        : target_(target), lines_(static_cast<std::size_t>(target ? std::max(target->LineCount(), 0) : 1))
    {
    }
    int LineCount() const override { return static_cast<int>(lines_.size()); }
    void SetLine(int index, std::string_view text) override
    {
        if (target_)
            target_->SetLine(index, text);
        if (index < 0)
            return;
        if (static_cast<std::size_t>(index) >= lines_.size())
            lines_.resize(static_cast<std::size_t>(index) + 1);
        lines_[static_cast<std::size_t>(index)] = text;
    }
    void AppendLine(std::string_view text) override
    {
        if (target_)
            target_->AppendLine(text);
        lines_.emplace_back(text);
    }
    // The lines from index on, joined by a blank (skipped-journal lines of the year begin with blanks).
    std::string LinesFrom(int index) const
    {
        std::string text;
        for (std::size_t i = static_cast<std::size_t>(std::max(index, 0)); i < lines_.size(); ++i)
            if (!Trim(lines_[i]).empty())
                text += (text.empty() ? "" : " ") + Trim(lines_[i]);
        return text;
    }
    // Every line followed by CR LF.
    std::string Text() const
    {
        std::string text;
        for (const std::string& line : lines_)
            text += line + "\r\n";
        return text;
    }

private:
    TProgressLines* target_;
    std::vector<std::string> lines_;
};

}  // namespace

// One run of RunImport: the steps, and what they share (the mirrored memo, the work file, whether the
// database holds a rolled-forward past year, the balance mismatch lines).
class TImportRun {
public:
    explicit TImportRun(TQZaimuIO& io) : io_(io), memoOfCaller_(io.LogMemo), memo_(io.LogMemo)
    {
        io_.LogMemo = &memo_;
    }
    ~TImportRun()
    {
        io_.LogMemo = memoOfCaller_;
        io_.Writer.ProgressList = memoOfCaller_;
    }
    TImportRun(const TImportRun&) = delete;
    TImportRun& operator=(const TImportRun&) = delete;

    bool Run()
    {
        bool succeeded = false;
        try {
            succeeded = Steps();
        } catch (...) {
            // A database error of a reading step ends the run like any failed step: told, and in the log.
            RecordStepFailure("コンバート：", io_.ReadErrors);
        }
        Close(succeeded);
        return succeeded;
    }

private:
    enum class TOutcome { Kept, Dropped, Abort };

    bool Steps()
    {
        io_.PastJournalsSkipped = false;
        io_.DroppedYears.clear();
        io_.ReadErrors.clear();
        io_.DeleteOldLogs();
        PrepareWriter();
        io_.ExecDataSql(kJournalTriggerInactive);
        io_.CreateJournalSortTable();
        sortTableCreated_ = true;
        io_.FillJournalSortTable();
        io_.KaisiTukiNo = io_.FirstInputMonth(io_.SentakuNendoCode, io_.Kisyu.Month());
        io_.KaisiTuki = TQZaimuIO::InputMonthStart(io_.KaisiTukiNo, io_.Simebi, io_.Kisyu);
        templateKind_ = io_.ChartKind();
        if (!io_.WriteMasters(templateKind_))
            return false;
        workFile_ = fs::path(SystemDef().TempDir) / "SIWAKE.TXT";
        // Past years only when the selected year is entered from its first month on.
        if (io_.KaisiTukiNo == 1 && !PastYears())
            return false;
        if (!CurrentYear() || !Dictionaries())
            return false;
        // The balances are read tax-included while the years are imported; from now on the data set's own way.
        AccInfo().TAXDEFUH = io_.TaxDefault;
        if (io_.Writer.WriteTaxDefault(io_.TaxDefault) != 0)
            return false;
        io_.ExecDataSql(kJournalTriggerActive);
        return true;
    }

    void PrepareWriter()
    {
        THxzMakeData& writer = io_.Writer;
        writer.ClearErrors();
        writer.ProgressList = &memo_;
        writer.ProgressLine = 0;
        writer.StatusControl = io_.StatusPanel;
        io_.SetTransaction(DM().IBTransactionDAT);
        io_.HojoKetasu = std::clamp(io_.HojoKetasu, 0, 4);
        writer.AllNineCode = std::string("99999").substr(5 - static_cast<std::size_t>(io_.HojoKetasu));
        io_.ShowStatus("");
    }

    void ResetLookups()
    {
        io_.Writer.AccountLookupError = 0;
        io_.Writer.SubAccountLookupError = 0;
        io_.Writer.MissingCodes.clear();
    }

    // The fiscal period of the year about to be written, into the basic information and ACCDEF1.
    bool WritePeriod(TDate start, TDate end, int closingDay, int startNo, TDate inputStart)
    {
        TACCINF& info = AccInfo();
        info.KISHU = start;
        info.KIMATU = end;
        info.SIME = closingDay;
        info.KAISI = inputStart;
        info.KAISINO = startNo;
        return io_.Writer.WriteFiscalPeriod(templateKind_, startNo) == 0;
    }

    // The manifest's entry of a year, found by its code: the year list and the year records need not list
    // the years in the same order.
    const TJigyouNendo& ManifestEntry(int code) const
    {
        const int count = std::clamp(io_.Dtmanage.NendoCount, 0, static_cast<int>(io_.Dtmanage.Nendo.size()));
        const auto end = io_.Dtmanage.Nendo.begin() + count;
        const auto found = std::find_if(io_.Dtmanage.Nendo.begin(), end, [&](const TJigyouNendo& entry) { return entry.Code == code; });
        if (found == end)
            throw std::runtime_error(Format("事業年度(内部コード%d)が dtmanage.inf にありません。", code));
        return *found;
    }

    // The past years: the prior-prior year, then the prior year. Only the clearing step of a dropped
    // year, and the prior year's balances written onto nothing or onto a checked carry-over, fail the run.
    bool PastYears()
    {
        const bool hasPriorPrior = io_.ZenzenkiNendoCode != -1;
        bool priorPriorDropped = false;
        if (hasPriorPrior) {
            const TJigyouNendo& entry = ManifestEntry(io_.ZenzenkiNendoCode);
            const int startNo = io_.FirstInputMonth(io_.ZenzenkiNendoCode, entry.Start.Month());
            const TOutcome outcome = PastYear(kPriorPriorYear, io_.ZenzenkiNendoCode, startNo,
                                              TQZaimuIO::InputMonthStart(startNo, entry.Simebi, entry.Start), TOutcome::Dropped);
            if (outcome == TOutcome::Abort)
                return false;
            priorPriorDropped = outcome == TOutcome::Dropped;
            io_.PastJournalsSkipped = priorPriorDropped;
        }
        ResetLookups();
        if (io_.ZenkiNendoCode == -1)
            return true;
        const TJigyouNendo& entry = ManifestEntry(io_.ZenkiNendoCode);
        int startNo = 1;
        TDate inputStart = entry.Start;
        if (!hasPriorPrior) {
            startNo = io_.FirstInputMonth(io_.ZenkiNendoCode, entry.Start.Month());
            inputStart = TQZaimuIO::InputMonthStart(startNo, entry.Simebi, entry.Start);
        }
        // With nothing below it (no prior-prior year) the prior year's balances must be written; onto the
        // cleared data set of a dropped prior-prior year they may fail the year alone.
        const TOutcome outcome = PastYear(kPriorYear, io_.ZenkiNendoCode, startNo, inputStart,
                                          priorPriorDropped ? TOutcome::Dropped : TOutcome::Abort);
        if (outcome == TOutcome::Abort)
            return false;
        if (outcome == TOutcome::Dropped)
            io_.PastJournalsSkipped = true;
        return true;
    }

    TOutcome PastYear(const TYearKind& year, int code, int startNo, TDate inputStart, TOutcome onBalanceFailure)
    {
        ResetLookups();
        errorsOfYearStart_ = io_.Writer.Errors.size();
        const auto drop = [&](int linesBefore, std::string_view fallback) {
            return Drop({code, Format("%s%s", year.Label, fallback)}, linesBefore);
        };
        const TJigyouNendo& entry = ManifestEntry(code);
        if (!WritePeriod(entry.Start, entry.End, entry.Simebi, startNo, inputStart))
            return onBalanceFailure == TOutcome::Dropped ? drop(memo_.LineCount(), "の会計期間を書き込めません。") : TOutcome::Abort;
        io_.ShowStatus(year.Status);
        switch (OpeningBalances(year, code, startNo, onBalanceFailure)) {
        case TOutcome::Kept: break;
        case TOutcome::Dropped: return drop(memo_.LineCount(), "の開始残高を書き込めません。");
        case TOutcome::Abort: return TOutcome::Abort;
        }
        if (const int linesBefore = memo_.LineCount(), result = PostJournals(year, code); result != 0) {
            ReportRefusedPastYear(year, result);
            return drop(linesBefore, "仕訳の取込を中止しました。");
        }
        if (!io_.RunYearUpdate())
            return drop(memo_.LineCount(), "の期末残高の更新に失敗しました。");
        keptYears_.push_back(code);
        return TOutcome::Kept;
    }

    // The selected year, whose every failure fails the run.
    bool CurrentYear()
    {
        ResetLookups();
        io_.KaisiTukiNo = io_.FirstInputMonth(io_.SentakuNendoCode, io_.Kisyu.Month());
        io_.KaisiTuki = TQZaimuIO::InputMonthStart(io_.KaisiTukiNo, io_.Simebi, io_.Kisyu);
        AccInfo().NENDO = io_.NendoNo;
        if (!WritePeriod(io_.Kisyu, io_.Kimatu, io_.Simebi, io_.KaisiTukiNo, io_.KaisiTukiNo == 1 ? io_.Kisyu : io_.KaisiTuki))
            return false;
        io_.ShowStatus(kCurrentYear.Status);
        if (OpeningBalances(kCurrentYear, io_.SentakuNendoCode, io_.KaisiTukiNo, TOutcome::Abort) != TOutcome::Kept)
            return false;
        if (const int result = PostJournals(kCurrentYear, io_.SentakuNendoCode); result != 0) {
            ReportRefusedCurrentYear(result);
            return false;
        }
        return true;
    }

    // The year's opening balances. On a rolled-forward year they are already there, carried by the year
    // update, unless they differ from the extract's: then every past figure is cleared and the year opens
    // with its own balances. onFailure is what a failed write of the balances means.
    TOutcome OpeningBalances(const TYearKind& year, int code, int startNo, TOutcome onFailure)
    {
        if (!keptYears_.empty()) {
            if (io_.CheckCarryOver(code, balanceDiff_))
                return TOutcome::Kept;
            AppendLines({std::string(year.Mismatch), std::string(year.Cleared)});
            AppendLines(balanceDiff_);
            if (!ClearPastData(Format("%s%s", year.Mismatch, year.Cleared)))
                return TOutcome::Abort;
            onFailure = TOutcome::Abort;
        }
        const std::string block = io_.ReadKaisiZan(code, startNo, year.Mode);
        if (io_.Writer.WriteOpeningBalances(block, io_.Writer.ConvertDepartmentCode("")) == 0)
            return TOutcome::Kept;
        return onFailure;
    }

    // 0, or the writer's result: 2 for a 4.5 % or 6.0 % tax, the lookup errors, 1 for any other failure.
    int PostJournals(const TYearKind& year, int code)
    {
        const std::string vouchers = io_.ConvertJournals(code, year.Mode, year.Label, workFile_);
        return io_.Writer.PostJournals(workFile_, vouchers, year.Label);
    }

    void ReportRefusedPastYear(const TYearKind& year, int result)
    {
        AppendLines({Format("%s仕訳の取込を中止しました。", year.Label)});
        if (!io_.Writer.MissingCodes.empty())
            AppendMissingCodes();
        else if (result == kLookupUnsupportedRate)
            AppendUnsupportedRates("4.5％または、6.0％の消費税が含まれています。");
    }

    void ReportRefusedCurrentYear(int result)
    {
        if (!io_.Writer.MissingCodes.empty()) {
            AppendLines({"", "コンバートを中止しました。"});
            AppendMissingCodes();
        }
        if (result == kLookupUnsupportedRate) {
            AppendLines({"", "コンバートを中止しました。"});
            AppendUnsupportedRates("当期仕訳に4.5％または、6.0％の消費税が含まれています。");
        }
    }

    void AppendMissingCodes()
    {
        std::vector<std::string> lines{std::string(kMissingCodesLine)};
        for (const std::string_view code : SplitAt(io_.Writer.MissingCodes, "\r\n"))
            lines.emplace_back(code);
        AppendLines(lines);
    }

    void AppendUnsupportedRates(std::string_view head)
    {
        AppendLines({std::string(head)});
        AppendLines(io_.CodeWork);
    }

    void AppendLines(const std::vector<std::string>& lines)
    {
        for (const std::string& line : lines)
            memo_.AppendLine(line);
    }

    // Drops the past year being written: the data set keeps no past data at all. The writer's reasons for
    // the failure go to the operator's lines, since a completed run shows no error log; the lines told from
    // linesBefore on are the year's reason (the fallback's text when there are none).
    TOutcome Drop(TDroppedYear year, int linesBefore)
    {
        const std::vector<std::string>& errors = io_.Writer.Errors;
        AppendLines({errors.begin() + static_cast<std::ptrdiff_t>(std::min(errorsOfYearStart_, errors.size())), errors.end()});
        if (std::string told = memo_.LinesFrom(linesBefore); !told.empty())
            year.Reason = std::move(told);
        io_.DroppedYears.push_back(year);
        return ClearPastData(year.Reason) ? TOutcome::Dropped : TOutcome::Abort;
    }

    // Every past figure goes; the years rolled forward so far are dropped with the reason.
    bool ClearPastData(const std::string& reason)
    {
        if (io_.Writer.DeletePastJournals() != 0)
            return false;
        for (const int code : keptYears_)
            io_.DroppedYears.push_back({code, reason});
        keptYears_.clear();
        return true;
    }

    // The three summary dictionaries, each for every branch.
    bool Dictionaries()
    {
        const std::vector<std::string> branches = BranchCodes();
        using TWrite = int (THxzMakeData::*)(std::string_view, std::string_view);
        const auto forEachBranch = [&](const std::string& block, TWrite write) {
            return std::all_of(branches.begin(), branches.end(),
                               [&](const std::string& branch) { return (io_.Writer.*write)(branch, block) == 0; });
        };
        return forEachBranch(io_.BuildRensouBlock(), &THxzMakeData::WriteAssocSummaries) &&
               forEachBranch(io_.BuildSiwajiBlock(), &THxzMakeData::WriteSingleSummaries) &&
               forEachBranch(io_.BuildRyakuBlock(), &THxzMakeData::WriteAbbrevSummaries);
    }

    std::vector<std::string> BranchCodes()
    {
        fb::TStatement query(io_.Transaction());
        query.Prepare(kSelectBranchCodes);
        query.Open();
        std::vector<std::string> codes;
        while (query.Fetch())
            codes.push_back(query.AsString(0));
        return codes;
    }

    // Whatever happened: the error log of a failed run, then the sort table goes.
    void Close(bool succeeded)
    {
        if (!succeeded)
            WriteErrorLog();
        if (sortTableCreated_) {
            try {
                io_.DropJournalSortTable();
            } catch (...) {
                RecordStepFailure("仕訳ソート：", io_.ReadErrors);
            }
        }
        balanceDiff_.clear();
    }

    void WriteErrorLog()
    {
        io_.ReadErrors.emplace_back();
        io_.ReadErrors.insert(io_.ReadErrors.end(), io_.Writer.Errors.begin(), io_.Writer.Errors.end());
        io_.WriteErrorLog(memo_.Text() + io_.ReadErrorText());
        // WriteErrorLog shows its own failure; the status tells of the file only when it is there.
        const std::optional<fs::path> folder = ErrorLogFolder();
        std::error_code ignored;
        if (folder && fs::exists(*folder / std::string(kErrorLogName), ignored))
            io_.ShowStatus(Format("マイドキュメントに\"%s\"を作成しました。", kErrorLogName));
    }

    TQZaimuIO& io_;
    TProgressLines* memoOfCaller_;
    TMemoMirror memo_;
    int templateKind_ = 0;
    fs::path workFile_;
    bool sortTableCreated_ = false;
    std::vector<int> keptYears_;           // the rolled-forward past years the data set holds
    std::size_t errorsOfYearStart_ = 0;    // the writer's errors before the past year being written
    std::vector<std::string> balanceDiff_;
};

bool TQZaimuIO::RunImport()
{
    TImportRun run(*this);
    return run.Run();
}

void TQZaimuIO::ExecDataSql(std::string_view sql)
{
    fb::TTransaction& transaction = Transaction();
    fb::ExecuteImmediate(transaction, sql);
    transaction.CommitRetaining();
}

void TQZaimuIO::DeleteOldLogs()
{
    std::error_code ignored;
    if (const std::optional<fs::path> folder = ErrorLogFolder())
        fs::remove(*folder / std::string(kErrorLogName), ignored);
    // The journal import writes its error files where the program keeps the documents folder.
    const fs::path documents(SystemDef().DocumentsDir);
    if (!documents.empty())
        for (const std::string_view name : kJournalErrorLogs)
            fs::remove(documents / std::string(name), ignored);
}

}  // namespace qz
