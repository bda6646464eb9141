// The reconciliation's report files: the CSV file a spreadsheet reads back cell for cell in CP932, and the
// PDF with its pages on A4.

#include "common/Cp932.h"
#include "report/ReconcilePdf.h"
#include "tests/support/TempFolder.h"
#include "verify/ReconcileReport.h"

#include <QGuiApplication>
#include <QPageLayout>
#include <QPdfWriter>

#include <gtest/gtest.h>

namespace qz {
namespace {

namespace fs = std::filesystem;

// A reconciliation of three compared years with the given number of balance differences.
TReconciliation WithDifferences(int count)
{
    TReconciliation reconciliation;
    reconciliation.ClientCode = "000123";
    reconciliation.ClientName = "㈱山田商事";
    reconciliation.Made = TDate::Ymd(2026, 5, 31);
    for (const char* name : {"当期", "前期", "前々期"})
        reconciliation.Years.push_back({.Name = name, .Code = 5, .Start = TDate::Ymd(2025, 4, 1), .End = TDate::Ymd(2026, 3, 31),
                                        .Compared = true, .Accounts = 40, .Months = 680});
    for (int i = 0; i < count; ++i)
        reconciliation.Differences.push_back({.Year = "当期", .Slot = 5, .Period = "2025年8月", .Branch = "01",
                                              .AccountCode = "10100", .AccountName = "現金", .SourceAccounts = "10100 現金",
                                              .Source = TMoney::FromYen(1000 + i), .Target = TMoney::FromYen(1001 + i)});
    return reconciliation;
}

// Splits CSV text the way a spreadsheet reads it: quoted fields may hold commas, doubled quotes and line
// breaks; records end with CR LF.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text)
{
    std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::string& field = records.back().back();
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            records.back().emplace_back();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            records.emplace_back(1);
        } else {
            field += c;
        }
    }
    records.pop_back();   // after the last CR LF
    return records;
}

int PdfPageCount(const std::string& bytes)
{
    int pages = 0;
    for (std::size_t at = bytes.find("/Type /Page"); at != std::string::npos; at = bytes.find("/Type /Page", at + 1))
        pages += bytes.compare(at, 12, "/Type /Pages") != 0;
    return pages;
}

TEST(ReconcileCsv, ASpreadsheetReadsBackEveryCellOfTheDetailInCp932)
{
    TReconciliation reconciliation = WithDifferences(1);
    TReconcileDifference& difference = reconciliation.Differences.front();
    difference.AccountName = "売掛金,\"大口\"";
    difference.SourceAccounts = "15200 売掛金、15210 売掛金（髙橋）";
    difference.Source = TMoney::FromYen(-1234567);
    const test::TTempFolder folder;
    const fs::path file = ReconciliationFile(folder.Path(), reconciliation, ".csv");
    WriteReconciliationCsv(file, reconciliation);

    const std::string bytes = test::ReadBytes(file);
    EXPECT_NE(bytes.find("\x87\x8a"), std::string::npos);   // ㈱ in CP932
    const std::string text = DecodeCp932(bytes);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::count(text.begin(), text.end(), '\r'));
    const std::vector<std::vector<std::string>> records = ParseCsv(text);
    const auto header = std::find_if(records.begin(), records.end(),
                                     [](const auto& record) { return !record.empty() && record[0] == "区分"; });
    ASSERT_NE(header, records.end());
    ASSERT_NE(header + 1, records.end());
    const std::vector<std::string>& row = *(header + 1);
    ASSERT_EQ(row.size(), header->size());
    const auto cell = [&](std::string_view name) {
        return row[static_cast<std::size_t>(std::find(header->begin(), header->end(), name) - header->begin())];
    };
    EXPECT_EQ(cell("科目名"), "売掛金,\"大口\"");
    EXPECT_EQ(cell("元の科目"), "15200 売掛金、15210 売掛金（髙橋）");
    EXPECT_EQ(cell("元"), "-1234567");
    EXPECT_EQ(cell("差額"), std::to_string(1001 + 1234567));
    EXPECT_EQ(cell("月"), "2025年8月");
}

TEST(ReconcilePdf, TheDetailRunsOnToFurtherPagesOfA4)
{
    // 35 lines a page: the summary, a blank, the years' title, header and three rows, a blank, the
    // differences' title and header leave 25 rows on the first page; later pages repeat the header.
    const std::pair<int, int> differencesAndPages[] = {{0, 1}, {25, 1}, {26, 2}, {100, 4}};
    const test::TTempFolder folder;
    for (const auto& [differences, pages] : differencesAndPages) {
        const TReconciliation reconciliation = WithDifferences(differences);
        const fs::path file = folder.Path() / "突合表" / (std::to_string(differences) + ".pdf");
        fs::create_directories(file.parent_path());
        WriteReconciliationPdf(file, reconciliation);
        const std::string bytes = test::ReadBytes(file);
        EXPECT_EQ(PdfPageCount(bytes), pages) << differences;
        EXPECT_EQ(ReconciliationPageCount(reconciliation), pages) << differences;
        EXPECT_NE(bytes.find("/MediaBox [0 0 842.000000 595.000000]"), std::string::npos) << bytes.substr(0, 2000);
    }
}

TEST(ReconcilePdf, AFileThatCannotBeWrittenIsAnError)
{
    const test::TTempFolder folder;
    EXPECT_THROW(WriteReconciliationPdf(folder.Path() / "no such folder" / "x.pdf", WithDifferences(1)), std::runtime_error);
}

}  // namespace
}  // namespace qz
