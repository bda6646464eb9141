// Sorting and converting the journals of a generated extract as the import run does: three years of
// entries in ZM/ZMSIWAKE.CSV, filled into the sort table, then each year converted into the work file.
// 3 x 10 000 entries, then 3 x 100 000 and 3 x 200 000, each in a freshly restored data database.
//
// Prints the time of each step and the process's peak memory (ru_maxrss) after it, beside the most memory
// the engine has held for the database. The conversion streams the file and the rows: its own memory does not grow with the number
// of lines: the peak grows from the smallest extract to the next only while the engine's page cache (a fixed
// allocation, touched as the database grows) fills, and stays where it is from 100 000 to 200 000 entries
// a year.

#include "common/Cp932.h"
#include "common/Format.h"
#include "convert/uQZ_ZaimuIO.h"
#include "tests/support/TemplateDatabase.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <fstream>

namespace {

using namespace qz;
namespace fs = std::filesystem;
using TClock = std::chrono::steady_clock;

constexpr int kYears[] = {5, 6, 7};   // prior-prior, prior, selected
constexpr const char* kLabels[] = {"前々期", "前期", "当期"};
constexpr int kModes[] = {2, 1, 0};

struct TEntryKind {
    const char* Debit;
    const char* DebitTax;
    const char* Credit;
    const char* CreditTax;
    const char* Summary;
};
constexpr TEntryKind kMix[] = {
    {"10100", "9901", "41100", "0111", "\"雑売上,現金\""},
    {"10300", "9901", "41100", "0111", "商品売上 振込"},
    {"52100", "9151", "10300", "9901", "\"商品仕入,振込\""},
    {"66500", "9151", "10100", "9901", "事務用品"},
    {"66700", "9901", "10100", "9901", "保険料（年払）"},
    {"10100", "9901", "90100", "0911", "受取利息"},
};
const std::string kAccounts[] = {"10100", "10300", "41100", "52100", "66500", "66700", "90100"};

long PeakMemoryKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The most memory the engine has held for the database (its page cache included), read in a transaction
// of its own: the monitoring tables are a snapshot per transaction.
long EngineMemoryKb(fb::TAttachment& attachment)
{
    fb::TTransaction transaction(attachment);
    transaction.Start();
    fb::TStatement query(transaction);
    query.Prepare("SELECT MON$MAX_MEMORY_ALLOCATED / 1024 FROM MON$MEMORY_USAGE WHERE MON$STAT_GROUP = 0");
    query.Open();
    const long kb = query.Fetch() ? static_cast<long>(query.AsInt(0)) : 0;
    query.Close();
    transaction.Commit();
    return kb;
}

// The journal file of three years, written line by line: a debit and a credit line per entry.
void WriteJournalFile(const fs::path& file, int entriesPerYear)
{
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    int voucher = 0;
    for (std::size_t y = 0; y < std::size(kYears); ++y) {
        const TDate start = TDate::Ymd(2023 + static_cast<int>(y), 4, 1);
        for (int n = 0; n < entriesPerYear; ++n) {
            const TEntryKind& kind = kMix[n % std::size(kMix)];
            const TDate date(start.Serial() + n % 365);
            int year = 0, month = 0, day = 0;
            date.Decode(year, month, day);
            const std::string digits = Format("%04d%02d%02d", year, month, day);
            ++voucher;
            for (const auto& [mark, account, tax] :
                 {std::tuple{"1", kind.Debit, kind.DebitTax}, std::tuple{"2", kind.Credit, kind.CreditTax}}) {
                const std::string line = Format("101,%d,00000000,1%07d,0,%s,%d,%s,%s,,,,,%s,,,%s,%d,0,0,0,%s,,",
                                                kYears[y], voucher, mark, n + 1, digits, digits, account, tax,
                                                1000 + n % 9000, kind.Summary);
                out << EncodeCp932(line) << "\r\n";
            }
        }
    }
    if (!out.flush())
        throw std::runtime_error("the journal file cannot be written");
}

double Seconds(TClock::time_point begin)
{
    return std::chrono::duration<double>(TClock::now() - begin).count();
}

void Run(int entriesPerYear)
{
    test::TTempFolder folder;
    WriteJournalFile(folder.Path() / "ZM" / "ZMSIWAKE.CSV", entriesPerYear);
    test::TRestoredTemplate data(11);
    fb::TTransaction transaction(data.Attachment());
    transaction.Start();

    TQZaimuIO context;
    context.SetTransaction(transaction);
    context.CsvDir = folder.Path();
    context.ZenzenkiNendoCode = kYears[0];
    context.ZenkiNendoCode = kYears[1];
    context.SentakuNendoCode = kYears[2];
    AccInfo().SHOUGOU = "株式会社ベンチ商事";
    AccInfo().KIMATU = TDate::Ymd(2026, 3, 31);
    for (const std::string& code : kAccounts) {
        context.Writer.AccountCodes.push_back({code, code});
        TKMKREC account;
        account.KCODE = code;
        account.USERCODE = code.substr(0, 3);
        context.Writer.Accounts.push_back(account);
    }

    std::printf("3 x %d entries (%d lines)\n", entriesPerYear, 6 * entriesPerYear);
    context.CreateJournalSortTable();
    auto begin = TClock::now();
    context.FillJournalSortTable();
    std::printf("  FillJournalSortTable    %6.2f s   peak memory %7ld KB   engine %7ld KB\n", Seconds(begin),
                PeakMemoryKb(), EngineMemoryKb(data.Attachment()));
    for (std::size_t y = 0; y < std::size(kYears); ++y) {
        begin = TClock::now();
        context.ConvertJournals(kYears[y], kModes[y], kLabels[y], folder.Path() / "SIWAKE.TXT");
        const double seconds = Seconds(begin);
        if (context.Writer.AccountLookupError != 0 || !context.ReadErrors.empty())
            throw std::runtime_error("the generated journals did not all convert");
        std::printf("  ConvertJournals, year %d %6.2f s   peak memory %7ld KB   engine %7ld KB   work file %ld KB (%s)\n",
                    kYears[y], seconds, PeakMemoryKb(), EngineMemoryKb(data.Attachment()),
                    static_cast<long>(fs::file_size(folder.Path() / "SIWAKE.TXT") / 1024), kLabels[y]);
    }
    std::fflush(stdout);
    context.DropJournalSortTable();
    transaction.Commit();
}

}  // namespace

int main()
{
    try {
        Run(10000);
        Run(100000);
        Run(200000);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
