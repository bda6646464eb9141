#pragma once
// The grid of the wizard's pages and of the aggregated-accounts list: a table with a hidden key per row,
// rows that can be disabled (they cannot be selected, and the arrow keys pass over them), UTF-8 cell texts,
// an optional upper header row of column groups, and the key and focus events as signals.

#include <QColor>
#include <QHeaderView>
#include <QTableWidget>

#include <string>
#include <string_view>
#include <vector>

namespace qz {

// A text centred over the columns first..last: a group of the upper header row, or a caption spanning columns.
struct TColumnGroup {
    int First;
    int Last;
    QString Text;
};

// Horizontal header with an optional upper row of column groups above the column captions; a caption can
// span several columns too.
class TGroupedHeader final : public QHeaderView {
public:
    explicit TGroupedHeader(QWidget* parent);
    void SetGroups(std::vector<TColumnGroup> groups);
    void SetCaptionSpans(std::vector<TColumnGroup> spans);
    QString GroupText(int column) const;
    // The caption shown over the column: its span's text, else its own caption.
    QString CaptionText(int column) const;
    QSize sizeHint() const override;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    void PaintSpan(QPainter* painter, const QRect& cell, const TColumnGroup& span) const;
    std::vector<TColumnGroup> groups_;
    std::vector<TColumnGroup> spans_;
};

class TPerfectGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit TPerfectGrid(QWidget* parent = nullptr);

    // Empties every cell and key and enables every row; the row and column counts stay.
    void Clear();
    void SetColumns(const QStringList& captions, const std::vector<int>& widths);
    void SetColumnGroups(std::vector<TColumnGroup> groups);
    void SetCaptionSpans(std::vector<TColumnGroup> spans);  // lower-row captions over several columns
    QString ColumnGroup(int column) const;
    QString ColumnCaption(int column) const;
    int ColumnWidthSum() const;

    void SetKey(int row, int key);
    int Key(int row) const;  // 0 when the row has no key

    void SetCellText(int row, int column, std::string_view utf8);
    std::string CellText(int row, int column) const;

    void SetRowEnabled(int row, bool enabled);
    bool RowEnabled(int row) const;
    // The nearest enabled row from `row` on in the direction step (+1 or -1), or -1.
    int EnabledRowFrom(int row, int step) const;

    void SetColours(const QColor& text, const QColor& background);
    // The operator may type into the cells of the column (of enabled rows).
    void SetColumnEditable(int column);

signals:
    void KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void KeyUp(int key, Qt::KeyboardModifiers modifiers);
    void CellGotFocus(int row, int column);

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    QTableWidgetItem* RowHeader(int row) const;
    QTableWidgetItem* CellItem(int row, int column);
    void ApplyRowFlags(int row);

    TGroupedHeader* header_;
    std::vector<int> editableColumns_;
};

}  // namespace qz
