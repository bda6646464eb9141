#pragma once
// The reconciliation of a completed conversion on screen: the summary, the differences in a grid, and the
// report saved as a CSV file, previewed or printed (the same pages as the PDF of the command line).

#include <QDialog>

#include <filesystem>
#include <functional>

class QPlainTextEdit;

namespace qz {

class TPerfectGrid;
struct TReconciliation;   // verify/Reconcile.h, which moc cannot read

class TFReconcileReport : public QDialog {
    Q_OBJECT
public:
    TFReconcileReport(const TReconciliation& reconciliation, QWidget* parent = nullptr);
    ~TFReconcileReport() override;

    // Writes the CSV file; a failure is shown in an error box.
    bool SaveTo(const std::filesystem::path& file);

    // Asks for the file to save, given the proposed one; empty when cancelled. The save dialog unless
    // replaced.
    std::function<std::filesystem::path(const std::filesystem::path& proposed)> ChooseSaveFile;

private:
    void SaveClicked();
    void PreviewClicked();
    void PrintClicked();

    const TReconciliation& reconciliation_;
    QPlainTextEdit* summary_;
    TPerfectGrid* grid_;
};

}  // namespace qz
