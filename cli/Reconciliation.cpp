#include "cli/Reconciliation.h"

#include "common/Format.h"
#include "report/ReconcilePdf.h"
#include "verify/ReconcileReport.h"

#include <QGuiApplication>

#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace fs = std::filesystem;

namespace qz::cli {
namespace {

constexpr std::size_t kDetailLinesShown = 50;

// Qt's own notices (a missing runtime folder, font fallbacks) are not the operator's business; its errors
// still reach standard error.
void QtErrorsOnly(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

// Qt paints the PDF; the command line has no display, so the application runs on the offscreen platform
// unless the operator chose another. It is made only when a PDF is written.
void EnsureGuiApplication()
{
    if (QGuiApplication::instance())
        return;
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(QtErrorsOnly);
    static int argc = 1;
    static char name[] = "qzconvert-cli";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
    // Qt takes the whole locale from the environment; numbers stay as the program writes them.
    std::setlocale(LC_NUMERIC, "C");
}

std::string CurrentExceptionText()
{
    try {
        throw;
    } catch (const std::exception& error) {
        return ErrorText(error);
    } catch (...) {
        return "不明なエラーが発生しました。";
    }
}

TJson PathJson(const std::optional<fs::path>& path)
{
    return path ? TJson(path->string()) : TJson();
}

}  // namespace

std::string_view TReconcileRun::Result() const
{
    return Report ? ResultName(*Report) : std::string_view("failed");
}

int TReconcileRun::Differences() const
{
    return Report ? static_cast<int>(Report->Differences.size()) : 0;
}

TReconcileRun RunReconciliation(TQZaimuIO& io, const std::string& host, const std::string& folder,
                                const TReconcileOptions& options)
{
    TReconcileRun run;
    try {
        run.Report = ReconcileDataFolder(io, host, folder, options);
    } catch (...) {
        run.Failure = CurrentExceptionText();
    }
    return run;
}

void WriteReconciliationFiles(TReconcileRun& run, const fs::path& folder)
{
    if (!run.Report)
        return;
    try {
        fs::create_directories(folder);
        const fs::path csv = ReconciliationFile(folder, *run.Report, ".csv");
        WriteReconciliationCsv(csv, *run.Report);
        run.Csv = csv;
        const fs::path pdf = ReconciliationFile(folder, *run.Report, ".pdf");
        EnsureGuiApplication();
        WriteReconciliationPdf(pdf, *run.Report);
        run.Pdf = pdf;
    } catch (...) {
        run.FileError = CurrentExceptionText();
    }
}

TJson ReconcileJson(const TReconcileRun& run)
{
    TJson json = TJson::Object();
    json.Set("result", run.Result()).Set("differences", run.Differences()).Set("csv", PathJson(run.Csv)).Set("pdf", PathJson(run.Pdf));
    if (!run.Failure.empty())
        json.Set("error", run.Failure);
    if (!run.FileError.empty())
        json.Set("file_error", run.FileError);
    return json;
}

void PrintReconciliation(TOutput& output, const TReconcileRun& run, bool withDetail)
{
    if (!run.Report) {
        output.Line("突合できません: " + run.Failure);
        return;
    }
    const TReconciliation& report = *run.Report;
    if (!withDetail) {
        output.Line("  " + SummaryLine(report));
    } else {
        for (const std::string& line : SummaryLines(report))
            output.Line(line);
        const TReportTable differences = DifferenceTable(report, true);
        if (!differences.Rows.empty())
            output.Line("差異:");
        for (std::size_t i = 0; i < differences.Rows.size() && i < kDetailLinesShown; ++i) {
            const std::vector<std::string>& row = differences.Rows[i];
            std::string line = "   ";
            for (std::size_t cell = 0; cell < row.size(); ++cell)
                if (!row[cell].empty())
                    line += " " + differences.Header[cell] + "=" + row[cell];
            output.Line(line);
        }
        if (differences.Rows.size() > kDetailLinesShown)
            output.Line(Format("    ほか %d 件（CSV ファイルを参照してください）", static_cast<int>(differences.Rows.size() - kDetailLinesShown)));
    }
    if (run.Csv)
        output.Line("  突合表 (CSV): " + run.Csv->string());
    if (run.Pdf)
        output.Line("  突合表 (PDF): " + run.Pdf->string());
    if (!run.FileError.empty())
        output.Line("  突合表を保存できません: " + run.FileError);
}

}  // namespace qz::cli
