#pragma once
// The reconciliation as the operator reads it: the summary lines, the report's tables (the years, the
// differences, the accounts left out) as header and cell texts, which the CSV file and the PDF both show,
// and the CSV file itself (CP932, CR LF, for a spreadsheet). No Qt.

#include "verify/Reconcile.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

// "ok" or "differences", as the JSON summaries name the result.
std::string_view ResultName(const TReconciliation& reconciliation);
// The summary in one line, and in lines per year (the terminal and the wizard's dialog show them).
std::string SummaryLine(const TReconciliation& reconciliation);
std::vector<std::string> SummaryLines(const TReconciliation& reconciliation);

// An amount in yen as the report shows it: grouped by thousands ("-1,234,567"), or plain for a spreadsheet;
// the decimals only when there are any.
std::string YenText(TMoney amount, bool grouped = true);

struct TReportTable {
    std::string Title;
    std::vector<std::string> Header;
    std::vector<std::vector<std::string>> Rows;   // each as many cells as the header
};
// The amounts grouped for the printout, plain for the CSV file.
TReportTable YearTable(const TReconciliation& reconciliation, bool groupedAmounts);
TReportTable DifferenceTable(const TReconciliation& reconciliation, bool groupedAmounts);
TReportTable LeftOutTable(const TReconciliation& reconciliation, bool groupedAmounts);

// The report's head: the client, the years and the day of the reconciliation.
std::string ReportClientText(const TReconciliation& reconciliation);
std::string ReportYearsText(const TReconciliation& reconciliation);
std::string ReportDateText(const TReconciliation& reconciliation);

// The CSV file's text (UTF-8, CR LF lines; a value with a comma, a quote or a line break is quoted).
std::string ReconciliationCsvText(const TReconciliation& reconciliation);
// Writes it in CP932. Throws std::runtime_error when the file cannot be written (and TEncodingError for a
// character CP932 cannot hold, which names read from the extract and the target never have).
void WriteReconciliationCsv(const std::filesystem::path& file, const TReconciliation& reconciliation);

// The report's file in a folder: "Quorvel_Reconcile_<client code>" with the extension (".csv", ".pdf").
std::filesystem::path ReconciliationFile(const std::filesystem::path& folder, const TReconciliation& reconciliation,
                                         std::string_view extension);

}  // namespace qz
