#include "app/PerfectGrid.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionHeader>

#include <algorithm>

namespace qz {
namespace {

// The row's key and enabled state live on its (hidden) vertical header item.
constexpr int kKeyRole = Qt::UserRole;
constexpr int kDisabledRole = Qt::UserRole + 1;

const TColumnGroup* SpanOf(const std::vector<TColumnGroup>& spans, int column)
{
    const auto found = std::find_if(spans.begin(), spans.end(),
                                    [column](const TColumnGroup& g) { return g.First <= column && column <= g.Last; });
    return found == spans.end() ? nullptr : &*found;
}

}  // namespace

TGroupedHeader::TGroupedHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

void TGroupedHeader::SetGroups(std::vector<TColumnGroup> groups)
{
    groups_ = std::move(groups);
    updateGeometries();
    viewport()->update();
}

void TGroupedHeader::SetCaptionSpans(std::vector<TColumnGroup> spans)
{
    spans_ = std::move(spans);
    viewport()->update();
}

QString TGroupedHeader::GroupText(int column) const
{
    const TColumnGroup* group = SpanOf(groups_, column);
    return group ? group->Text : QString();
}

QString TGroupedHeader::CaptionText(int column) const
{
    const TColumnGroup* span = SpanOf(spans_, column);
    return span ? span->Text : model()->headerData(column, orientation()).toString();
}

QSize TGroupedHeader::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    if (!groups_.empty())
        size.setHeight(size.height() * 2);
    return size;
}

void TGroupedHeader::PaintSpan(QPainter* painter, const QRect& cell, const TColumnGroup& span) const
{
    // Every section of the span draws the whole span cell clipped to itself, so the text sits centred
    // over the span however it is scrolled.
    const int left = sectionViewportPosition(span.First);
    const int right = sectionViewportPosition(span.Last) + sectionSize(span.Last);
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = QRect(left, cell.top(), right - left, cell.height());
    option.text = span.Text;
    option.textAlignment = Qt::AlignCenter;
    option.position = QStyleOptionHeader::OnlyOneSection;
    painter->save();
    painter->setClipRect(cell);
    style()->drawControl(QStyle::CE_Header, &option, painter, this);
    painter->restore();
}

void TGroupedHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    // A column outside every group keeps the full height for its caption.
    QRect lower = rect;
    if (const TColumnGroup* group = SpanOf(groups_, logicalIndex)) {
        const int half = rect.height() / 2;
        PaintSpan(painter, QRect(rect.left(), rect.top(), rect.width(), half), *group);
        lower.setTop(rect.top() + half);
    }
    if (const TColumnGroup* span = SpanOf(spans_, logicalIndex))
        PaintSpan(painter, lower, *span);
    else
        QHeaderView::paintSection(painter, lower, logicalIndex);
}

TPerfectGrid::TPerfectGrid(QWidget* parent) : QTableWidget(parent), header_(new TGroupedHeader(this))
{
    setHorizontalHeader(header_);
    header_->setSectionsClickable(false);
    header_->setMinimumSectionSize(1);  // narrow separator columns keep the width they are given
    verticalHeader()->hide();
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QTableWidget::currentCellChanged, this,
            [this](int row, int column, int, int) { emit CellGotFocus(row, column); });
}

void TPerfectGrid::Clear()
{
    clearContents();
    for (int row = 0; row < rowCount(); ++row)
        delete takeVerticalHeaderItem(row);
}

void TPerfectGrid::SetColumns(const QStringList& captions, const std::vector<int>& widths)
{
    setColumnCount(static_cast<int>(captions.size()));
    setHorizontalHeaderLabels(captions);
    for (int column = 0; column < std::min<int>(columnCount(), static_cast<int>(widths.size())); ++column)
        setColumnWidth(column, widths[static_cast<std::size_t>(column)]);
}

void TPerfectGrid::SetColumnGroups(std::vector<TColumnGroup> groups)
{
    header_->SetGroups(std::move(groups));
}

void TPerfectGrid::SetCaptionSpans(std::vector<TColumnGroup> spans)
{
    header_->SetCaptionSpans(std::move(spans));
}

QString TPerfectGrid::ColumnGroup(int column) const
{
    return header_->GroupText(column);
}

QString TPerfectGrid::ColumnCaption(int column) const
{
    return header_->CaptionText(column);
}

int TPerfectGrid::ColumnWidthSum() const
{
    int sum = 0;
    for (int column = 0; column < columnCount(); ++column)
        sum += isColumnHidden(column) ? 0 : columnWidth(column);
    return sum;
}

QTableWidgetItem* TPerfectGrid::RowHeader(int row) const
{
    return verticalHeaderItem(row);
}

void TPerfectGrid::SetKey(int row, int key)
{
    if (!RowHeader(row))
        setVerticalHeaderItem(row, new QTableWidgetItem);
    RowHeader(row)->setData(kKeyRole, key);
}

int TPerfectGrid::Key(int row) const
{
    const QTableWidgetItem* header = RowHeader(row);
    return header ? header->data(kKeyRole).toInt() : 0;
}

QTableWidgetItem* TPerfectGrid::CellItem(int row, int column)
{
    if (!item(row, column)) {
        setItem(row, column, new QTableWidgetItem);
        ApplyRowFlags(row);
    }
    return item(row, column);
}

void TPerfectGrid::SetCellText(int row, int column, std::string_view utf8)
{
    CellItem(row, column)->setText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

std::string TPerfectGrid::CellText(int row, int column) const
{
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text().toStdString() : std::string();
}

void TPerfectGrid::SetRowEnabled(int row, bool enabled)
{
    if (!RowHeader(row))
        setVerticalHeaderItem(row, new QTableWidgetItem);
    RowHeader(row)->setData(kDisabledRole, !enabled);
    // Every cell of the row carries the state, so that empty cells of a disabled row refuse a click too.
    for (int column = 0; column < columnCount(); ++column)
        CellItem(row, column);
    ApplyRowFlags(row);
}

bool TPerfectGrid::RowEnabled(int row) const
{
    const QTableWidgetItem* header = RowHeader(row);
    return !(header && header->data(kDisabledRole).toBool());
}

void TPerfectGrid::ApplyRowFlags(int row)
{
    const bool enabled = RowEnabled(row);
    for (int column = 0; column < columnCount(); ++column) {
        QTableWidgetItem* cell = item(row, column);
        if (!cell)
            continue;
        Qt::ItemFlags flags = enabled ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
        if (enabled && std::find(editableColumns_.begin(), editableColumns_.end(), column) != editableColumns_.end())
            flags |= Qt::ItemIsEditable;
        cell->setFlags(flags);
    }
}

void TPerfectGrid::SetColumnEditable(int column)
{
    editableColumns_.push_back(column);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    for (int row = 0; row < rowCount(); ++row)
        ApplyRowFlags(row);
}

int TPerfectGrid::EnabledRowFrom(int row, int step) const
{
    for (; row >= 0 && row < rowCount(); row += step)
        if (RowEnabled(row))
            return row;
    return -1;
}

void TPerfectGrid::SetColours(const QColor& text, const QColor& background)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Text, text);
    colours.setColor(QPalette::Base, background);
    setPalette(colours);
}

QModelIndex TPerfectGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    if (action != MoveUp && action != MoveDown)
        return QTableWidget::moveCursor(action, modifiers);
    const int step = action == MoveDown ? 1 : -1;
    const int target = EnabledRowFrom(currentRow() + step, step);
    if (target < 0)
        return currentIndex();  // no enabled row that way: stay
    return model()->index(target, std::max(currentColumn(), 0));
}

void TPerfectGrid::keyPressEvent(QKeyEvent* event)
{
    emit KeyDown(event->key(), event->modifiers());
    QTableWidget::keyPressEvent(event);
}

void TPerfectGrid::keyReleaseEvent(QKeyEvent* event)
{
    emit KeyUp(event->key(), event->modifiers());
    QTableWidget::keyReleaseEvent(event);
}

void TPerfectGrid::focusInEvent(QFocusEvent* event)
{
    QTableWidget::focusInEvent(event);
    if (currentRow() >= 0)
        emit CellGotFocus(currentRow(), currentColumn());
}

}  // namespace qz
