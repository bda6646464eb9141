#include "app/ReconcileForm.h"

#include "app/PerfectGrid.h"
#include "app/QtDialogs.h"
#include "platform/SystemDef.h"
#include "report/ReconcilePdf.h"
#include "verify/ReconcileReport.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace qz {
namespace {

QPushButton* AddButton(QHBoxLayout& row, QWidget* owner, const char* name, const char* caption)
{
    auto* button = new QPushButton(QString::fromUtf8(caption), owner);
    button->setObjectName(name);
    button->setAutoDefault(false);
    row.addWidget(button);
    return button;
}

}  // namespace

TFReconcileReport::TFReconcileReport(const TReconciliation& reconciliation, QWidget* parent)
    : QDialog(parent), reconciliation_(reconciliation), summary_(new QPlainTextEdit(this)), grid_(new TPerfectGrid(this))
{
    setObjectName("TFReconcileReport");
    setWindowTitle(QStringLiteral("照合結果"));
    ChooseSaveFile = [this](const std::filesystem::path& proposed) {
        const QString file = QFileDialog::getSaveFileName(this, QString(), FromUtf8(proposed.string()), "*.csv");
        return file.isEmpty() ? std::filesystem::path() : std::filesystem::path(file.toStdString());
    };

    summary_->setObjectName("MEMO_SUMMARY");
    summary_->setReadOnly(true);
    summary_->setLineWrapMode(QPlainTextEdit::NoWrap);
    for (const std::string& line : SummaryLines(reconciliation_))
        summary_->appendPlainText(FromUtf8(line));
    summary_->setFixedHeight(140);

    // The differences as the report lists them; an agreeing conversion leaves the grid empty.
    const TReportTable differences = DifferenceTable(reconciliation_, true);
    grid_->setObjectName("GRID");
    QStringList captions;
    std::vector<int> widths;
    for (const std::string& caption : differences.Header) {
        captions << FromUtf8(caption);
        widths.push_back(110);
    }
    grid_->SetColumns(captions, widths);
    grid_->setRowCount(static_cast<int>(differences.Rows.size()));
    for (std::size_t row = 0; row < differences.Rows.size(); ++row)
        for (std::size_t column = 0; column < differences.Rows[row].size(); ++column)
            grid_->SetCellText(static_cast<int>(row), static_cast<int>(column), differences.Rows[row][column]);
    grid_->resizeColumnsToContents();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    connect(AddButton(*buttons, this, "BTN_SAVE", "ﾌｧｲﾙ保存"), &QPushButton::clicked, this, &TFReconcileReport::SaveClicked);
    connect(AddButton(*buttons, this, "BTN_PREVIEW", "プレビュー"), &QPushButton::clicked, this, &TFReconcileReport::PreviewClicked);
    connect(AddButton(*buttons, this, "BTN_PRINT", "印刷"), &QPushButton::clicked, this, &TFReconcileReport::PrintClicked);
    connect(AddButton(*buttons, this, "BTN_CLOSE", "閉じる"), &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(new QLabel(FromUtf8(differences.Title), this));
    layout->addWidget(grid_, 1);
    layout->addLayout(buttons);
    resize(900, 560);
}

TFReconcileReport::~TFReconcileReport() = default;

bool TFReconcileReport::SaveTo(const std::filesystem::path& file)
{
    try {
        WriteReconciliationCsv(file, reconciliation_);
        return true;
    } catch (const std::exception& error) {
        ShowMessageBox(this, TMessageKind::Error, error.what());
        return false;
    }
}

void TFReconcileReport::SaveClicked()
{
    const std::filesystem::path file = ChooseSaveFile(ReconciliationFile(SystemDef().DocumentsDir, reconciliation_, ".csv"));
    if (!file.empty())
        SaveTo(file);
}

void TFReconcileReport::PreviewClicked()
{
    QPrinter printer(QPrinter::HighResolution);
    PrepareReconciliationDevice(printer);
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { PaintReconciliation(*target, reconciliation_); });
    preview.exec();
}

void TFReconcileReport::PrintClicked()
{
    QPrinter printer(QPrinter::HighResolution);
    PrepareReconciliationDevice(printer);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        PaintReconciliation(printer, reconciliation_);
}

}  // namespace qz
