// The whole import run on a large generated extract: the corporation sample with each month's business
// repeated, three years of at least 100 000 entries each (or the number given), converted by RunImport into a real local
// installation (masters, the prior-prior and prior years with their year updates, the current year, the
// dictionaries), as the execute step runs it.
//
// Prints the time of each phase, taken from what the run shows the operator (the progress line, the status,
// the progress dialogs), the total, the process's peak memory (ru_maxrss, which holds the embedded engine
// and its page cache too), and the ratio of the total to the database's own floor for the same journal rows
// (bench/JournalFloor.h), measured in the same run. Goal: the total within three times the floor, peak
// memory under 300 MB. Then the reconciliation of what the run wrote (every difference 0), with its time
// beside the run's: it reads the target's tables grouped in the database, never row by row per account. The extract is written by a child process, so that its writing does not count in the
// peak memory of the run.

#include "bench/ImportSplits.h"
#include "bench/JournalFloor.h"
#include "common/Format.h"
#include "convert/uQZ_ZaimuIO.h"
#include "db/DataModule.h"
#include "tests/support/InstallationFixture.h"
#include "tests/support/SampleExtracts.h"
#include "tests/support/SampleTargets.h"
#include "verify/Reconcile.h"
#include "verify/ReconcileReport.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>

namespace {

using namespace qz;
namespace fs = std::filesystem;
using TClock = std::chrono::steady_clock;

constexpr int kDefaultEntriesPerYear = 100000;
constexpr double kFloorFactorGoal = 3.0;
constexpr long kPeakMemoryGoalKb = 300 * 1024;

long PeakMemoryKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The phases of the run, each lasting from its first sign to the next phase's.
class TTimeline {
public:
    void Enter(const std::string& phase)
    {
        const TClock::time_point now = TClock::now();
        if (!current_.empty())
            Add(current_, now - since_);
        current_ = phase;
        since_ = now;
    }
    void End() { Enter(""); }
    void Print() const
    {
        for (const auto& [phase, duration] : order_)
            std::printf("  %-34s %8.2f s\n", phase.c_str(), std::chrono::duration<double>(duration).count());
    }

private:
    void Add(const std::string& phase, TClock::duration duration)
    {
        for (auto& [name, total] : order_)
            if (name == phase) {
                total += duration;
                return;
            }
        order_.emplace_back(phase, duration);
    }

    std::string current_;
    TClock::time_point since_{};
    std::vector<std::pair<std::string, TClock::duration>> order_;
};

// Which phase a text the operator sees starts; the year label comes from the journal texts.
class TPhases {
public:
    explicit TPhases(TTimeline& timeline) : timeline_(timeline) {}

    void Progress(std::string_view text)
    {
        if (text.starts_with("仕訳をソート中"))
            timeline_.Enter("journal sort table");
        else if (text.starts_with("・開始残高"))
            timeline_.Enter("opening balances and checks");
        else if (text.starts_with("・摘要辞書"))
            timeline_.Enter("dictionaries");
        else if (const std::string year = YearOf(text, "仕訳を読込中です。"); !year.empty())
            timeline_.Enter((year_ = year) + ": journal conversion");
        else if (!text.empty() && text.find("仕訳を書込中") == std::string_view::npos && year_.empty())
            timeline_.Enter("masters");
    }
    void Status(std::string_view text)
    {
        if (text == "期末残高の更新中です。")
            timeline_.Enter(year_ + ": year update");
        else if (text.starts_with("過年度"))
            timeline_.Enter("opening balances and checks");
    }
    void Dialog(std::string_view caption, std::string_view info)
    {
        if (!caption.ends_with("仕訳登録"))
            return;
        timeline_.Enter(year_ + (info.starts_with("仕訳を集計中") ? ": re-total" : ": journal import"));
        splits_[year_].Take(info);
    }
    void PrintSplits() const
    {
        for (const auto& [year, splits] : splits_)
            splits.Print(year + " journal import");
    }

private:
    // "前期" of "・前期仕訳を読込中です。"
    static std::string YearOf(std::string_view text, std::string_view tail)
    {
        constexpr std::string_view head = "・";
        if (!text.starts_with(head) || !text.ends_with(tail))
            return {};
        return std::string(text.substr(head.size(), text.size() - head.size() - tail.size()));
    }

    TTimeline& timeline_;
    std::string year_;
    std::map<std::string, bench::TImportSplits> splits_;
};

class TBenchLines final : public TProgressLines, public TStatusCaption {
public:
    explicit TBenchLines(TPhases& phases) : phases_(phases) {}
    int LineCount() const override { return 2; }
    void SetLine(int index, std::string_view text) override
    {
        if (index == 0)
            phases_.Progress(text);
    }
    void AppendLine(std::string_view text) override { std::printf("    | %.*s\n", static_cast<int>(text.size()), text.data()); }
    void SetCaption(std::string_view text) override
    {
        caption_ = text;
        phases_.Status(text);
    }
    std::string Caption() const override { return caption_; }

private:
    TPhases& phases_;
    std::string caption_;
};

class TBenchDialog final : public TProgressDialog {
public:
    TBenchDialog(TPhases& phases, std::string caption) : phases_(phases), caption_(std::move(caption)) {}
    void SetInfo(std::string_view text) override { phases_.Dialog(caption_, text); }

private:
    TPhases& phases_;
    std::string caption_;
};

class TBenchUi final : public TUserInterface {
public:
    explicit TBenchUi(TPhases& phases) : phases_(phases) { SetUserInterface(this); }
    ~TBenchUi() override { SetUserInterface(nullptr); }
    TBenchUi(const TBenchUi&) = delete;
    TBenchUi& operator=(const TBenchUi&) = delete;
    void ShowMessage(TMessageKind, std::string_view text) override
    {
        std::fprintf(stderr, "message: %.*s\n", static_cast<int>(text.size()), text.data());
    }
    void ProcessEvents() override {}
    void EndApplication() override { throw std::runtime_error("the application was ended"); }
    std::unique_ptr<TProgressDialog> OpenProgress(std::string_view caption) override
    {
        return std::make_unique<TBenchDialog>(phases_, std::string(caption));
    }

private:
    TPhases& phases_;
};

// Writes the extract in a child process and returns when it is there.
void WriteLargeExtract(const fs::path& folder, int entriesPerYear)
{
    std::fflush(stdout);
    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        try {
            const test::TExtractDescription d = test::LargeCorporation(entriesPerYear);
            test::WriteExtract(d, folder);
            for (const test::TExtractYear& year : d.Years)
                std::printf("  year %d: %zu entries\n", year.Code, year.Entries.size());
            std::fflush(stdout);
            _exit(0);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s\n", error.what());
            _exit(1);
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("the extract could not be written");
}

std::int64_t Count(std::string_view sql)
{
    fb::TTransactionScope scope(DM().IBTransactionDAT);
    return test::QueryInt(DM().IBTransactionDAT, sql);
}

long PageCacheKb()
{
    return static_cast<long>(Count("SELECT MON$PAGE_BUFFERS * MON$PAGE_SIZE / 1024 FROM MON$DATABASE"));
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        // A smaller size may be given for a quick look.
        const int entriesPerYear = argc > 1 ? std::stoi(argv[1]) : kDefaultEntriesPerYear;
        test::TTempFolder root;
        test::TScopedEnv env;
        const fs::path extract = root.Path() / "抽出データ（ベンチ）" / "大規模関与先";
        auto begin = TClock::now();
        WriteLargeExtract(extract, entriesPerYear);
        std::printf("extract written in %.1f s\n", std::chrono::duration<double>(TClock::now() - begin).count());

        TTimeline timeline;
        TPhases phases(timeline);
        TBenchUi ui(phases);
        TBenchLines lines(phases);
        TQZaimuIO io;
        timeline.Enter("reading the extract");
        begin = TClock::now();
        io.SetCsvDir(extract);
        timeline.End();
        if (!io.ReadErrors.empty())
            throw std::runtime_error(io.ReadErrorText());
        // The large extract has the sample's years, chart and special accounts.
        test::ChooseMostRecentYear(io, test::SampleExtracts().front().second);
        test::MakeLocalInstallation(root.Path(), env, test::TemplateFileOf(io.ChartKind()));
        ResetDbFatalForTests();
        if (!DM().fnAccDatConnected("", "", false) || !DM().fnGetAccInfo())
            throw std::runtime_error("the data database cannot be attached");
        io.LogMemo = &lines;
        io.StatusPanel = &lines;
        DM().IBTransactionDAT.StartIfInactive();

        std::printf("RunImport\n");
        const auto runBegin = TClock::now();
        const bool succeeded = io.RunImport();
        if (succeeded)
            DM().IBTransactionDAT.Commit();
        timeline.End();
        const double total = std::chrono::duration<double>(TClock::now() - runBegin).count();
        const long peakKb = PeakMemoryKb();
        if (!succeeded || io.PastJournalsSkipped)
            throw std::runtime_error(succeeded ? "a past year was dropped" : "the run failed: " + io.ReadErrorText());
        timeline.Print();
        phases.PrintSplits();
        const std::int64_t entries[] = {Count("SELECT COUNT(*) FROM KAKOSIWAKE2 WHERE TAISHAKU = 1"),
                                        Count("SELECT COUNT(*) FROM KAKOSIWAKE1 WHERE TAISHAKU = 1"),
                                        Count("SELECT COUNT(*) FROM SIWAKE WHERE TAISHAKU = 1")};
        std::printf("  entries stored: prior-prior %lld, prior %lld, current %lld\n", static_cast<long long>(entries[0]),
                    static_cast<long long>(entries[1]), static_cast<long long>(entries[2]));
        const long pageCacheKb = PageCacheKb();
        const fs::path database = fs::path(SystemDef().DataDir) / "qrvacc.fdb";
        DM().AccDatDisconnect("", false, false);

        // The reconciliation of what the run wrote, as convert runs it after a conversion.
        const auto reconcileBegin = TClock::now();
        const TReconciliation reconciliation = ReconcileDataFolder(io, "", SystemDef().DataDir);
        const double reconcileSeconds = std::chrono::duration<double>(TClock::now() - reconcileBegin).count();
        std::printf("reconciliation %.2f s (%.0f%% of the run): %s; peak memory since %ld KB\n", reconcileSeconds,
                    100.0 * reconcileSeconds / total, SummaryLine(reconciliation).c_str(), PeakMemoryKb());
        if (!reconciliation.Agrees())
            throw std::runtime_error("the reconciliation found differences");

        const bench::TJournalFloor floor = bench::MeasureJournalFloor(database, {"KAKOSIWAKE2", "KAKOSIWAKE1", "SIWAKE"});
        const double ratio = total / floor.Seconds;
        std::printf("RunImport total %.2f s (reading the extract before it: %.2f s)\n", total,
                    std::chrono::duration<double>(runBegin - begin).count());
        std::printf("floor: %ld journal rows inserted in %.2f s (%.0f entries/s)\n", floor.Rows, floor.Seconds,
                    floor.EntriesPerSecond());
        std::printf("peak memory %ld KB (the engine's page cache %ld KB of it at most) (%s: under %ld KB)\n", peakKb,
                    pageCacheKb, peakKb < kPeakMemoryGoalKb ? "met" : "NOT met", kPeakMemoryGoalKb);
        std::printf("run/floor = %.2f (%s: at most %.1f)\n", ratio, ratio <= kFloorFactorGoal ? "met" : "NOT met",
                    kFloorFactorGoal);
        return ratio <= kFloorFactorGoal && peakKb < kPeakMemoryGoalKb ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    }
}
