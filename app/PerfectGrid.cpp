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

}  // namespace

TGroupedHeader::TGroupedHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

void TGroupedHeader::SetGroups(std::vector<TColumnGroup> groups)
{
    groups_ = std::move(groups);
    updateGeometries();
    viewport()->update();
}

const TColumnGroup* TGroupedHeader::GroupOf(int column) const
{
    const auto found = std::find_if(groups_.begin(), groups_.end(),
                                    [column](const TColumnGroup& g) { return g.First <= column && column <= g.Last; });
    return found == groups_.end() ? nullptr : &*found;
}

QString TGroupedHeader::GroupText(int column) const
{
    const TColumnGroup* group = GroupOf(column);
    return group ? group->Text : QString();
}

QSize TGroupedHeader::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    if (!groups_.empty())
        size.setHeight(size.height() * 2);
    return size;
}

void TGroupedHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    const TColumnGroup* group = GroupOf(logicalIndex);
    if (groups_.empty() || !group) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    const int half = rect.height() / 2;
    const QRect upper(rect.left(), rect.top(), rect.width(), half);
    const QRect lower(rect.left(), rect.top() + half, rect.width(), rect.height() - half);

    // Every section of the group draws the whole group cell clipped to itself, so the text sits centred
    // over the group however it is scrolled.
    const int left = sectionViewportPosition(group->First);
    const int right = sectionViewportPosition(group->Last) + sectionSize(group->Last);
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = QRect(left, upper.top(), right - left, upper.height());
    option.text = group->Text;
    option.textAlignment = Qt::AlignCenter;
    option.position = QStyleOptionHeader::OnlyOneSection;
    painter->save();
    painter->setClipRect(upper);
    style()->drawControl(QStyle::CE_Header, &option, painter, this);
    painter->restore();

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

QString TPerfectGrid::ColumnGroup(int column) const
{
    return header_->GroupText(column);
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
    const Qt::ItemFlags flags = RowEnabled(row) ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    for (int column = 0; column < columnCount(); ++column)
        if (QTableWidgetItem* cell = item(row, column))
            cell->setFlags(flags);
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
