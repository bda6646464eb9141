#include "verify/ReconcileReport.h"

#include "common/Cp932.h"
#include "common/Format.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace qz {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kBalanceKind = "残高";
constexpr std::string_view kJournalKind = "仕訳";

std::string Count(int count)
{
    return std::to_string(count);
}

std::string YearPeriod(const TReconciledYear& year)
{
    return year.Start.ToText() + "～" + year.End.ToText();
}

// A CSV field: quoted when it holds a comma, a quote or a line break, its quotes doubled.
std::string CsvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (const char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

void AddCsvLine(std::string& text, const std::vector<std::string>& cells)
{
    for (std::size_t i = 0; i < cells.size(); ++i)
        text += (i ? "," : "") + CsvField(cells[i]);
    text += "\r\n";
}

void AddCsvTable(std::string& text, const TReportTable& table)
{
    text += "\r\n";
    AddCsvLine(text, {table.Title, Format("%d件", static_cast<int>(table.Rows.size()))});
    AddCsvLine(text, table.Header);
    for (const std::vector<std::string>& row : table.Rows)
        AddCsvLine(text, row);
}

// A file name keeps the client code's letters, digits, "-" and "_".
std::string FileNamePart(std::string_view code)
{
    std::string part;
    for (const char c : code)
        part += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_') ? c : '_';
    return part.empty() ? std::string("client") : part;
}

}  // namespace

std::string_view ResultName(const TReconciliation& reconciliation)
{
    return reconciliation.Agrees() ? "ok" : "differences";
}

std::string SummaryLine(const TReconciliation& reconciliation)
{
    const int compared = static_cast<int>(std::count_if(reconciliation.Years.begin(), reconciliation.Years.end(),
                                                        [](const TReconciledYear& year) { return year.Compared; }));
    const std::string counts = Format("%d年度、科目 %d、残高 %d か所", compared, reconciliation.AccountsCompared(),
                                      reconciliation.MonthsCompared());
    if (reconciliation.Agrees())
        return Format("突合結果: 差異なし（%s）", counts);
    return Format("突合結果: 差異 %d 件（%s）", static_cast<int>(reconciliation.Differences.size()), counts);
}

std::vector<std::string> SummaryLines(const TReconciliation& reconciliation)
{
    std::vector<std::string> lines{SummaryLine(reconciliation)};
    for (const TReconciledYear& year : reconciliation.Years) {
        const std::string head = Format("  %s %s", year.Name, YearPeriod(year));
        if (!year.Compared) {
            lines.push_back(head + "  取り込まれていません: " + year.Reason);
            continue;
        }
        lines.push_back(Format("%s  科目 %d  残高の差異 %d  仕訳の差異 %d", head, year.Accounts, year.BalanceDifferences,
                               year.JournalDifferences));
        lines.push_back(Format("      仕訳 元 %d 件 %s 円 / 変換先 %d 件 %s 円", year.SourceEntries, YenText(year.SourceAmount),
                               year.TargetEntries, YenText(year.TargetAmount)));
    }
    if (!reconciliation.LeftOut.empty())
        lines.push_back(Format("  変換しない科目: %d", static_cast<int>(reconciliation.LeftOut.size())));
    return lines;
}

std::string YenText(TMoney amount, bool grouped)
{
    const std::string text = amount.ToText();
    if (!grouped)
        return text;
    const bool negative = text.starts_with('-');
    const std::size_t digits = negative ? 1 : 0;
    const std::size_t point = std::min(text.find('.'), text.size());
    std::string result = negative ? "-" : "";
    for (std::size_t i = digits; i < point; ++i) {
        if (i > digits && (point - i) % 3 == 0)
            result += ',';
        result += text[i];
    }
    return result + text.substr(point);
}

TReportTable YearTable(const TReconciliation& reconciliation, bool groupedAmounts)
{
    TReportTable table{"年度",
                       {"年度", "会計期間", "状態", "科目", "残高", "残高差異", "仕訳差異", "元の件数", "元の金額", "変換先件数",
                        "変換先金額", "備考"},
                       {}};
    for (const TReconciledYear& year : reconciliation.Years) {
        if (!year.Compared) {
            table.Rows.push_back({year.Name, YearPeriod(year), "取込なし", "", "", "", "", "", "", "", "", year.Reason});
            continue;
        }
        const bool agrees = year.BalanceDifferences == 0 && year.JournalDifferences == 0;
        table.Rows.push_back({year.Name, YearPeriod(year), agrees ? "一致" : "差異あり", Count(year.Accounts), Count(year.Months),
                              Count(year.BalanceDifferences), Count(year.JournalDifferences), Count(year.SourceEntries),
                              YenText(year.SourceAmount, groupedAmounts), Count(year.TargetEntries),
                              YenText(year.TargetAmount, groupedAmounts), ""});
    }
    return table;
}

TReportTable DifferenceTable(const TReconciliation& reconciliation, bool groupedAmounts)
{
    TReportTable table{"差異明細",
                       {"区分", "年度", "月", "支店", "科目", "科目名", "元の科目", "貸借", "元の件数", "変換先件数", "元", "変換先",
                        "差額"},
                       {}};
    for (const TReconcileDifference& difference : reconciliation.Differences) {
        const bool journals = difference.Kind == TDifferenceKind::Journals;
        table.Rows.push_back({std::string(journals ? kJournalKind : kBalanceKind), difference.Year, difference.Period,
                              difference.Branch, difference.AccountCode, difference.AccountName, difference.SourceAccounts,
                              difference.Side, journals ? Count(difference.SourceCount) : std::string(),
                              journals ? Count(difference.TargetCount) : std::string(),
                              YenText(difference.Source, groupedAmounts), YenText(difference.Target, groupedAmounts),
                              YenText(difference.Difference(), groupedAmounts)});
    }
    return table;
}

TReportTable LeftOutTable(const TReconciliation& reconciliation, bool groupedAmounts)
{
    TReportTable table{"変換しない科目", {"年度", "科目コード", "科目名", "期末残高", "理由"}, {}};
    for (const TLeftOutAccount& account : reconciliation.LeftOut)
        table.Rows.push_back({account.Year, account.Code, account.Name, YenText(account.Closing, groupedAmounts), account.Reason});
    return table;
}

std::string ReportClientText(const TReconciliation& reconciliation)
{
    return Format("関与先: %s %s", reconciliation.ClientCode, reconciliation.ClientName);
}

std::string ReportYearsText(const TReconciliation& reconciliation)
{
    std::string text;
    for (const TReconciledYear& year : reconciliation.Years)
        text += (text.empty() ? "" : "、") + year.Name + " " + YearPeriod(year);
    return Format("年度: %s（残高の区分: %s）", text, reconciliation.TaxExcluded ? "税抜き" : "通常");
}

std::string ReportDateText(const TReconciliation& reconciliation)
{
    return "作成日: " + reconciliation.Made.ToText();
}

std::string ReconciliationCsvText(const TReconciliation& reconciliation)
{
    std::string text;
    AddCsvLine(text, {"突合結果", reconciliation.Agrees() ? "差異なし" : "差異あり",
                      Format("%d件", static_cast<int>(reconciliation.Differences.size()))});
    AddCsvLine(text, {"関与先", reconciliation.ClientCode, reconciliation.ClientName});
    AddCsvLine(text, {"作成日", reconciliation.Made.ToText()});
    AddCsvLine(text, {"残高の区分", reconciliation.TaxExcluded ? "税抜き" : "通常"});
    AddCsvTable(text, YearTable(reconciliation, false));
    AddCsvTable(text, DifferenceTable(reconciliation, false));
    AddCsvTable(text, LeftOutTable(reconciliation, false));
    return text;
}

void WriteReconciliationCsv(const fs::path& file, const TReconciliation& reconciliation)
{
    const std::string bytes = EncodeCp932(ReconciliationCsvText(reconciliation));
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw std::runtime_error(Format("突合結果のファイルを書き込めません。<%s>", file.string()));
}

fs::path ReconciliationFile(const fs::path& folder, const TReconciliation& reconciliation, std::string_view extension)
{
    return folder / ("Quorvel_Reconcile_" + FileNamePart(reconciliation.ClientCode) + std::string(extension));
}

}  // namespace qz
