#pragma once
#include <QObject>

class PerfectGridTest : public QObject {
    Q_OBJECT
private slots:
    void rowsColumnsHeadersAndKeys();
    void cellsKeepWideText();
    void arrowKeysPassOverDisabledRows();
    void disabledRowRefusesClick();
    void keyAndFocusEventsAreSignalled();
};

class QtDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void progressShowsCaptionAndInfoWithoutCancel();
    void progressTurnsIntoBarWhenTotalIsKnown();
    void messageBoxCarriesSecondLine();
    void memoLinesKeepEmptyLinesAndReplaceOnlyTheirOwn();
    void engineMessagesOpenTwoLineBoxes();
};

class SyuyakuListTest : public QObject {
    Q_OBJECT
private slots:
    void fillShowsRowsUnderBothHeaderRows();
    void saveButtonWritesTheCsvAndMovesTheFolder();
    void failedSaveIsShownAndStillMovesTheFolder();
    void printStartsANewPageAfterEvery47Rows();
};
