#pragma once
// The aggregated-accounts list: the form shown after a conversion that folded source accounts into one
// target account, which the operator can save as CSV or print before the list is gone for good.

#include <QDialog>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QPainter;
class QPrinter;
class QPushButton;

namespace qz {

class TPerfectGrid;
struct TSyuyakuRow;  // convert/uQZ_ZaimuIO.h, which moc cannot read

// A4 portrait over the whole paper, no margins, one copy, titled for the print queue. Called before the
// print dialog, so that the operator's choices there win.
void PrepareSyuyakuPrinter(QPrinter& printer);

// Paints the list on the printer's pages: a page head on every page, 47 rows a page. The painter is
// active on the printer.
void PaintSyuyakuList(QPainter& painter, QPrinter& printer, const std::vector<TSyuyakuRow>& rows,
                      std::string_view tradeName);

class TFSHUYAKUKAMOKU : public QDialog {
    Q_OBJECT
public:
    explicit TFSHUYAKUKAMOKU(QWidget* parent = nullptr);
    ~TFSHUYAKUKAMOKU() override;

    // Shows the rows in the grid; returns their number.
    int Fill(const std::vector<TSyuyakuRow>& rows, std::string tradeName);

    // Writes the CSV file; a failure is shown in an error box. The file's folder becomes the save folder
    // either way.
    bool SaveTo(const std::filesystem::path& file);

    const std::filesystem::path& SaveFolder() const { return saveFolder_; }
    TPerfectGrid& Grid() { return *grid_; }

    // Asks the operator for the file to save, given the proposed one; empty when cancelled. The save
    // dialog unless replaced.
    std::function<std::filesystem::path(const std::filesystem::path& proposed)> ChooseSaveFile;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SaveClicked();
    void PreviewClicked();
    void PrintClicked();
    std::filesystem::path ChooseWithDialog(const std::filesystem::path& proposed);
    QPushButton* AddButton(const char* objectName, const char* caption, void (TFSHUYAKUKAMOKU::*clicked)());

    TPerfectGrid* grid_;
    QPushButton* printButton_ = nullptr;
    std::vector<TSyuyakuRow> rows_;
    std::string tradeName_;
    std::filesystem::path saveFolder_;
    std::filesystem::path proposedFile_;
};

}  // namespace qz
