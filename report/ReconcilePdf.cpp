#include "report/ReconcilePdf.h"

#include "common/Format.h"
#include "report/Fonts.h"
#include "verify/ReconcileReport.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <span>
#include <stdexcept>

namespace qz {
namespace {

// Painted in tenths of a millimetre from the corner inside the margins.
constexpr double kUnitsPerInch = 254.0;
constexpr double kMarginMillimetres = 10.0;
constexpr double kWidth = 2770.0;            // A4 landscape less the margins
constexpr double kLineHeight = 45.0;
constexpr double kBodyTop = 215.0;
constexpr double kHeadRule = 185.0;
constexpr double kCellPadding = 10.0;
constexpr int kTitlePoints = 14;
constexpr int kHeadPoints = 9;
constexpr int kBodyPoints = 8;

// A table's columns: width and whether the texts stand right (numbers, amounts).
struct TColumn {
    double Width;
    bool Right;
};
constexpr TColumn kYearColumns[] = {{120, false}, {360, false}, {150, false}, {110, true},  {140, true},  {150, true},
                                    {150, true},  {170, true},  {270, true},  {190, true},  {270, true},  {690, false}};
constexpr TColumn kDifferenceColumns[] = {{90, false},  {100, false}, {240, false}, {80, false}, {120, false},
                                          {300, false}, {540, false}, {180, false}, {150, true}, {170, true},
                                          {260, true},  {260, true},  {260, true}};
constexpr TColumn kLeftOutColumns[] = {{150, false}, {200, false}, {500, false}, {300, true}, {1620, false}};

enum class TLineKind { Summary, Title, Header, Row, Text, Blank };

struct TTable {
    TReportTable Content;
    std::span<const TColumn> Columns;
};

struct TLine {
    TLineKind Kind = TLineKind::Blank;
    const TTable* Table = nullptr;
    const std::vector<std::string>* Cells = nullptr;
    QString Text;
};

QString FromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The report's lines, then the same cut into pages.
class TDocument {
public:
    explicit TDocument(const TReconciliation& reconciliation)
        : years_{YearTable(reconciliation, true), kYearColumns},
          differences_{DifferenceTable(reconciliation, true), kDifferenceColumns},
          leftOut_{LeftOutTable(reconciliation, true), kLeftOutColumns}
    {
        lines_.push_back({TLineKind::Summary, nullptr, nullptr, FromUtf8(SummaryLine(reconciliation))});
        AddTable(years_, "");
        for (const TReconciledYear& year : reconciliation.Years)
            if (!year.Compared)
                lines_.push_back({TLineKind::Text, nullptr, nullptr, FromUtf8(year.Name + ": " + year.Reason)});
        AddTable(differences_, "差異はありません。");
        if (!leftOut_.Content.Rows.empty())
            AddTable(leftOut_, "");
        Paginate();
    }

    const std::vector<std::vector<TLine>>& Pages() const { return pages_; }

private:
    void AddTable(const TTable& table, std::string_view whenEmpty)
    {
        lines_.push_back({});
        lines_.push_back({TLineKind::Title, &table, nullptr,
                          FromUtf8(Format("%s（%d件）", table.Content.Title, static_cast<int>(table.Content.Rows.size())))});
        if (table.Content.Rows.empty() && !whenEmpty.empty()) {
            lines_.push_back({TLineKind::Text, &table, nullptr, FromUtf8(std::string(whenEmpty))});
            return;
        }
        lines_.push_back({TLineKind::Header, &table, &table.Content.Header, {}});
        for (const std::vector<std::string>& row : table.Content.Rows)
            lines_.push_back({TLineKind::Row, &table, &row, {}});
    }

    // A blank line does not begin a page; a table's rows continued on a new page come under its header again.
    void Paginate()
    {
        std::vector<TLine> page;
        for (const TLine& line : lines_) {
            if (static_cast<int>(page.size()) == kReconcileLinesPerPage) {
                pages_.push_back(std::move(page));
                page.clear();
                if (line.Kind == TLineKind::Blank)
                    continue;
                if (line.Kind == TLineKind::Row)
                    page.push_back({TLineKind::Header, line.Table, &line.Table->Content.Header, {}});
            }
            page.push_back(line);
        }
        pages_.push_back(std::move(page));
    }

    TTable years_, differences_, leftOut_;
    std::vector<TLine> lines_;
    std::vector<std::vector<TLine>> pages_;
};

// Sized in the painter's units, so that the page's scale does not apply the device's resolution twice.
QFont PrintFont(int points, bool bold = false)
{
    QFont font = JapaneseFont(TFontFace::Gothic, points, bold);
    font.setPixelSize(qRound(points * kUnitsPerInch / 72.0));
    return font;
}

void DrawText(QPainter& painter, const QRectF& box, const QString& text, Qt::Alignment align)
{
    const QString shown = painter.fontMetrics().elidedText(text, Qt::ElideRight, qRound(box.width()));
    painter.drawText(box, static_cast<int>(align | Qt::AlignVCenter), shown);
}

void DrawRule(QPainter& painter, double y, double width)
{
    painter.setPen(QPen(Qt::black, width));
    painter.drawLine(QPointF(0, y), QPointF(kWidth, y));
}

void PaintHead(QPainter& painter, const TReconciliation& reconciliation, int page, int pages)
{
    painter.setFont(PrintFont(kTitlePoints, true));
    DrawText(painter, QRectF(0, 0, kWidth, 70), QStringLiteral("変換結果の突合表"), Qt::AlignHCenter);
    painter.setFont(PrintFont(kHeadPoints));
    DrawText(painter, QRectF(0, 80, kWidth * 0.7, 45), FromUtf8(ReportClientText(reconciliation)), Qt::AlignLeft);
    DrawText(painter, QRectF(kWidth * 0.7, 80, kWidth * 0.3, 45), FromUtf8(ReportDateText(reconciliation)), Qt::AlignRight);
    DrawText(painter, QRectF(0, 125, kWidth * 0.85, 45), FromUtf8(ReportYearsText(reconciliation)), Qt::AlignLeft);
    DrawText(painter, QRectF(kWidth * 0.85, 125, kWidth * 0.15, 45), QString::fromUtf8(Format("%d / %d", page, pages).c_str()),
             Qt::AlignRight);
    DrawRule(painter, kHeadRule, 4);
}

void PaintCells(QPainter& painter, const TTable& table, const std::vector<std::string>& cells, double top)
{
    double x = 0;
    for (std::size_t i = 0; i < table.Columns.size() && i < cells.size(); ++i) {
        const TColumn& column = table.Columns[i];
        DrawText(painter, QRectF(x + kCellPadding, top, column.Width - 2 * kCellPadding, kLineHeight), FromUtf8(cells[i]),
                 column.Right ? Qt::AlignRight : Qt::AlignLeft);
        x += column.Width;
    }
}

void PaintLine(QPainter& painter, const TLine& line, double top)
{
    switch (line.Kind) {
    case TLineKind::Blank: return;
    case TLineKind::Summary:
    case TLineKind::Title:
        painter.setFont(PrintFont(kHeadPoints + 1, true));
        DrawText(painter, QRectF(0, top, kWidth, kLineHeight), line.Text, Qt::AlignLeft);
        return;
    case TLineKind::Text:
        painter.setFont(PrintFont(kBodyPoints));
        DrawText(painter, QRectF(kCellPadding, top, kWidth, kLineHeight), line.Text, Qt::AlignLeft);
        return;
    case TLineKind::Header:
        painter.setFont(PrintFont(kBodyPoints, true));
        PaintCells(painter, *line.Table, *line.Cells, top);
        DrawRule(painter, top + kLineHeight - 2, 2);
        return;
    case TLineKind::Row:
        painter.setFont(PrintFont(kBodyPoints));
        PaintCells(painter, *line.Table, *line.Cells, top);
        painter.setPen(QPen(Qt::gray, 1));
        painter.drawLine(QPointF(0, top + kLineHeight - 1), QPointF(kWidth, top + kLineHeight - 1));
        painter.setPen(QPen(Qt::black));
        return;
    }
}

void PaintPage(QPainter& painter, const TReconciliation& reconciliation, const TDocument& document, int page)
{
    PaintHead(painter, reconciliation, page + 1, static_cast<int>(document.Pages().size()));
    const std::vector<TLine>& lines = document.Pages()[static_cast<std::size_t>(page)];
    for (std::size_t i = 0; i < lines.size(); ++i)
        PaintLine(painter, lines[i], kBodyTop + static_cast<double>(i) * kLineHeight);
}

}  // namespace

void PrepareReconciliationDevice(QPagedPaintDevice& device)
{
    const QMarginsF margins(kMarginMillimetres, kMarginMillimetres, kMarginMillimetres, kMarginMillimetres);
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, margins, QPageLayout::Millimeter));
}

void PaintReconciliation(QPagedPaintDevice& device, const TReconciliation& reconciliation)
{
    const TDocument document(reconciliation);
    QPainter painter(&device);
    if (!painter.isActive())
        throw std::runtime_error("突合表を印刷できません。");
    const double dotsPerUnit = device.logicalDpiX() / kUnitsPerInch;
    painter.setTransform(QTransform::fromScale(dotsPerUnit, dotsPerUnit));
    for (int page = 0; page < static_cast<int>(document.Pages().size()); ++page) {
        if (page > 0)
            device.newPage();
        PaintPage(painter, reconciliation, document, page);
    }
    painter.end();
}

void PaintReconciliationPage(QPainter& painter, const TReconciliation& reconciliation, int page)
{
    const TDocument document(reconciliation);
    if (page >= 0 && page < static_cast<int>(document.Pages().size()))
        PaintPage(painter, reconciliation, document, page);
}

int ReconciliationPageCount(const TReconciliation& reconciliation)
{
    return static_cast<int>(TDocument(reconciliation).Pages().size());
}

void WriteReconciliationPdf(const std::filesystem::path& file, const TReconciliation& reconciliation)
{
    QPdfWriter writer(QString::fromStdString(file.string()));
    writer.setTitle(QStringLiteral("変換結果の突合表"));
    writer.setCreator(QStringLiteral("QZCONVERT"));
    PrepareReconciliationDevice(writer);
    try {
        PaintReconciliation(writer, reconciliation);
    } catch (const std::runtime_error&) {
        throw std::runtime_error(Format("突合表のファイルを書き込めません。<%s>", file.string()));
    }
}

}  // namespace qz
