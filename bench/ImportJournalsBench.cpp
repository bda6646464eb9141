// Importing journal files of 10 000 and 100 000 lines as the conversion imports them (TAB separator, every
// branch, the import log, the voucher number read, the totals trigger switched off), next to the
// database's own floor measured in the same run: the rows the import stored, inserted again into a fresh
// database as plain INSERT INTO SIWAKE through one prepared statement, with the same trigger state.
//
// Prints the entries per second of the import and of the floor for each size and the peak memory after
// each import. Targets: the import at least a third of the floor; its rate at 100 000 at least 80 % of
// its rate at 10 000; peak memory flat in the number of lines. The last line reads "import/floor R".

#include "bench/ImportSplits.h"
#include "bench/JournalFloor.h"
#include "common/Cp932.h"
#include "common/Format.h"
#include "convert/ZaimuIO_Statements.h"
#include "journal/z5SiwakeIO.h"
#include "tests/support/InstallationFixture.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <fstream>

namespace {

using namespace qz;
namespace fs = std::filesystem;
using TClock = std::chrono::steady_clock;

constexpr std::string_view kCompany = "株式会社ベンチ商事";

// One kind of entry of the generated mix: accounts by user code, sub-accounts of the bank account, the
// two departments, the categories of the accounts (0), tax included, excluded, or none.
struct TEntryKind {
    const char* Debit;
    const char* DebitSub;
    const char* Credit;
    const char* CreditSub;
    const char* CalcMode;
    const char* Summary;
};
constexpr TEntryKind kMix[] = {
    {"101", "", "411", "", "0", "雑売上 現金"},
    {"103", "001", "401", "", "0", "商品売上 振込"},
    {"452", "", "103", "002", "0", "商品仕入 振込"},
    {"673", "", "101", "", "1", "事務用品 税抜"},
    {"657", "", "103", "001", "2", "保険料"},
    {"101", "", "900", "", "2", "受取利息"},
    {"652", "", "101", "", "0", "水道光熱費"},
};

void Exec(std::string_view sql)
{
    fb::TTransactionScope scope(DM().IBTransactionDAT);
    fb::ExecuteImmediate(DM().IBTransactionDAT, sql);
    scope.Commit();
}

// The data set of a run: a restored template with two departments, two bank sub-accounts, the company
// name, the trigger off; attached through the data module with its basic information read.
void PrepareDataSet(const fs::path& folder)
{
    schema::RestoreWithTool(test::TemplateFolder() / "QrvAcc11.610", folder / "qrvacc.fdb");
    SystemDef().DataDir = folder.string();
    if (!DM().fnAccDatConnected("", "", false))
        throw std::runtime_error("the data database cannot be attached");
    Exec(Format("UPDATE ACCDEF1 SET SHOUGOU='%s'", kCompany));
    Exec("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('10', '営業部')");
    Exec("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('20', '管理部')");
    for (const char* sub : {"001", "002"}) {
        Exec(Format("INSERT INTO HOJOMST (KCODE, HCODE, HNAME, BPFLG) VALUES ('10300', '%s', '銀行%s', 'B')", sub, sub));
        Exec(Format("EXECUTE PROCEDURE SP_HOJO_KAMOKUSZ_INS ' ', '10300', '%s'", sub));
    }
    Exec(convert::sql::kJournalTriggerInactive);
    if (!DM().fnGetAccInfo())
        throw std::runtime_error("the basic information cannot be read");
}

// Writes the journal file line by line, as the journal conversion writes it.
void WriteJournalFile(const fs::path& file, int lines)
{
    std::ofstream out(file, std::ios::binary);
    out << EncodeCp932(kCompany) << "\r\n";
    const TDate start = TDate::Ymd(2025, 4, 1);
    for (int n = 0; n < lines; ++n) {
        const TEntryKind& kind = kMix[n % std::size(kMix)];
        const TDate date(start.Serial() + n % 365);
        const char* department = n % 2 == 0 ? "10" : "20";
        const std::string line =
            Format("%s\t0\t%d\t%d\t\t\t%s\t%s\t%s\t0\t\t%s\t%s\t%s\t0\t%d\t0\t0\t1\t%s\t0\t\"%s %d\"\t\"取引先\"\t0\t0\t\"\"\t\t\t\t2025/05/01",
                   date.ToText(), n + 1, n / 10 + 1, kind.Debit, kind.DebitSub, department, kind.Credit, kind.CreditSub,
                   department, 1000 + n % 9000, kind.CalcMode, kind.Summary, n);
        out << EncodeCp932(line) << "\r\n";
    }
    if (!out.flush())
        throw std::runtime_error("the journal file cannot be written");
}

long PeakMemoryKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The import's progress dialog: it only times the import.
class TSplitDialog final : public TProgressDialog {
public:
    void SetInfo(std::string_view text) override { Splits.Take(text); }
    bench::TImportSplits Splits;
};

struct TImportResult {
    double Rate = 0;
    bench::TImportSplits Splits;
    long PeakKb = 0;
    long PageCacheKb = 0;  // the engine's page cache of the data database, which fills as the database grows
};

long PageCacheKb()
{
    fb::TTransactionScope scope(DM().IBTransactionDAT);
    fb::TStatement query(DM().IBTransactionDAT);
    query.Prepare("SELECT MON$PAGE_BUFFERS * MON$PAGE_SIZE / 1024 FROM MON$DATABASE");
    query.Open();
    return query.Fetch() ? static_cast<long>(query.AsInt(0)) : 0;
}

TImportResult ImportJournals(const fs::path& folder, int lines)
{
    PrepareDataSet(folder);
    const fs::path file = folder / "SIWAKE.TXT";
    WriteJournalFile(file, lines);
    TSiwakeTextIO io;
    io.SetTransaction(DM().IBTransactionDAT);
    io.AllBranches = true;
    io.BranchCode = "01";
    io.RespectLock = false;
    io.WriteImportLog = true;
    io.ReadVoucherNo = true;
    TSplitDialog dialog;
    io.Progress = &dialog;
    const auto begin = TClock::now();
    if (!io.Import(file, "\t"))
        throw std::runtime_error("the journal file was refused");
    const double seconds = std::chrono::duration<double>(TClock::now() - begin).count();
    if (io.ImportedCount != lines)
        throw std::runtime_error(Format("%d lines rejected, the first: %s", io.RejectedCount,
                                        io.RejectedLines.empty() ? "" : io.RejectedLines.front()));
    const TImportResult result{lines / seconds, dialog.Splits, PeakMemoryKb(), PageCacheKb()};
    DM().AccDatDisconnect("", false, false);
    return result;
}

}  // namespace

int main()
{
    try {
        test::TTempFolder root;
        test::TScopedEnv env;
        // Each size gets a data folder of its own beside the installation's first one.
        const fs::path data = test::MakeLocalInstallation(root.Path(), env).parent_path();
        constexpr int kSizes[] = {10000, 100000};
        const fs::path folders[] = {data / "0002", data / "0003"};

        // Both imports before both floors, so that the peak memory after each import is the import's.
        TImportResult imports[2];
        for (int i = 0; i < 2; ++i) {
            imports[i] = ImportJournals(folders[i], kSizes[i]);
            std::printf("%7d lines: import %8.0f entries/s, peak memory %ld KB\n", kSizes[i], imports[i].Rate, imports[i].PeakKb);
            imports[i].Splits.Print(Format("%d lines", kSizes[i]));
            std::fflush(stdout);
        }
        double floors[2];
        for (int i = 0; i < 2; ++i) {
            floors[i] = bench::MeasureJournalFloor(folders[i] / "qrvacc.fdb", {"SIWAKE"}).EntriesPerSecond();
            std::printf("%7d lines: floor  %8.0f entries/s, import/floor %.2f\n", kSizes[i], floors[i], imports[i].Rate / floors[i]);
            std::fflush(stdout);
        }
        const double growth = imports[1].Rate / imports[0].Rate;
        const double ratio = imports[1].Rate / floors[1];
        // The file is streamed: what peak memory may gain from 10 000 to 100 000 lines is the engine's page
        // cache filling up with the larger database, not the import's own memory.
        const long memoryGrowth = imports[1].PeakKb - imports[0].PeakKb;
        const bool memoryFlat = memoryGrowth <= imports[1].PageCacheKb;
        std::printf("import rate at 100000 / at 10000 = %.2f (%s: at least 0.80)\n", growth, growth >= 0.8 ? "met" : "NOT met");
        std::printf("peak memory grew %ld KB from 10000 to 100000 lines, the engine's page cache is %ld KB (%s: within it)\n",
                    memoryGrowth, imports[1].PageCacheKb, memoryFlat ? "met" : "NOT met");
        std::printf("import/floor at 100000 = %.2f (%s: at least 0.33)\n", ratio, ratio >= 1.0 / 3 ? "met" : "NOT met");
        std::printf("import/floor %.2f\n", ratio);
        return growth >= 0.8 && ratio >= 1.0 / 3 && memoryFlat ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    }
}
