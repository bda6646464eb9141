#include "app/PerfectGrid.h"
#include "tests/gui/GuiTests.h"

#include <QSignalSpy>
#include <QTest>

using qz::TPerfectGrid;

namespace {

// Five rows of which 1 and 2 are used (disabled), as on the destination page.
void FillDestinationRows(TPerfectGrid& grid)
{
    grid.SetColumns({"コード", "データ名"}, {60, 300});
    grid.setRowCount(5);
    for (int row = 0; row < grid.rowCount(); ++row)
        grid.SetKey(row, row + 1);
    grid.SetRowEnabled(1, false);
    grid.SetRowEnabled(2, false);
}

}  // namespace

void PerfectGridTest::rowsColumnsHeadersAndKeys()
{
    TPerfectGrid grid;
    grid.SetColumns({"a", "b", "c"}, {45, 120, 25});
    grid.SetColumnGroups({{0, 1, "MendalⅢ"}});
    grid.setRowCount(3);
    grid.SetKey(2, 42);
    grid.show();

    QCOMPARE(grid.columnCount(), 3);
    QCOMPARE(grid.columnWidth(1), 120);
    QCOMPARE(grid.ColumnWidthSum(), 190);
    QCOMPARE(grid.horizontalHeaderItem(1)->text(), QString("b"));
    QCOMPARE(grid.ColumnGroup(1), QString("MendalⅢ"));
    QCOMPARE(grid.ColumnGroup(2), QString());
    QCOMPARE(grid.Key(2), 42);
    QCOMPARE(grid.Key(0), 0);

    // The upper group row makes the header twice as high as a plain one.
    TPerfectGrid plain;
    plain.SetColumns({"a"}, {45});
    QCOMPARE(grid.horizontalHeader()->sizeHint().height(), 2 * plain.horizontalHeader()->sizeHint().height());
    QVERIFY(!grid.grab().isNull());  // paints the group cell spanning its sections

    grid.SetRowEnabled(2, false);
    grid.Clear();
    QCOMPARE(grid.Key(2), 0);
    QVERIFY(grid.RowEnabled(2));
    QCOMPARE(grid.rowCount(), 3);
}

void PerfectGridTest::cellsKeepWideText()
{
    TPerfectGrid grid;
    grid.SetColumns({"a", "b"}, {});
    grid.setRowCount(1);
    const std::string text = "仮 払 消 費 税～ｶﾞ";
    grid.SetCellText(0, 1, text);
    QCOMPARE(grid.CellText(0, 1), text);
    QCOMPARE(grid.CellText(0, 0), std::string());
}

void PerfectGridTest::arrowKeysPassOverDisabledRows()
{
    TPerfectGrid grid;
    FillDestinationRows(grid);
    grid.show();
    grid.setFocus();
    grid.setCurrentCell(0, 0);

    QTest::keyClick(&grid, Qt::Key_Down);
    QCOMPARE(grid.currentRow(), 3);
    QTest::keyClick(&grid, Qt::Key_Up);
    QCOMPARE(grid.currentRow(), 0);
    QTest::keyClick(&grid, Qt::Key_Up);  // nothing enabled above: stays
    QCOMPARE(grid.currentRow(), 0);

    QCOMPARE(grid.EnabledRowFrom(1, 1), 3);
    QCOMPARE(grid.EnabledRowFrom(2, -1), 0);
    QCOMPARE(grid.EnabledRowFrom(5, 1), -1);
}

void PerfectGridTest::disabledRowRefusesClick()
{
    TPerfectGrid grid;
    FillDestinationRows(grid);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.setCurrentCell(0, 0);

    const QRect used = grid.visualItemRect(grid.item(1, 1));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, used.center());
    QCOMPARE(grid.currentRow(), 0);
    QVERIFY(!grid.RowEnabled(1));

    const QRect free = grid.visualRect(grid.model()->index(3, 1));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, free.center());
    QCOMPARE(grid.currentRow(), 3);
}

void PerfectGridTest::keyAndFocusEventsAreSignalled()
{
    TPerfectGrid grid;
    FillDestinationRows(grid);
    QSignalSpy down(&grid, &TPerfectGrid::KeyDown);
    QSignalSpy up(&grid, &TPerfectGrid::KeyUp);
    QSignalSpy focus(&grid, &TPerfectGrid::CellGotFocus);
    grid.show();
    grid.setCurrentCell(3, 1);

    QCOMPARE(focus.count(), 1);
    QCOMPARE(focus.at(0).at(0).toInt(), 3);
    QCOMPARE(focus.at(0).at(1).toInt(), 1);

    QTest::keyClick(&grid, Qt::Key_F3);
    QCOMPARE(down.count(), 1);
    QCOMPARE(down.at(0).at(0).toInt(), int(Qt::Key_F3));
    QCOMPARE(up.count(), 1);
}
