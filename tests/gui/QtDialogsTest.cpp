#include "app/QtDialogs.h"
#include "app/QtUi.h"
#include "tests/gui/GuiTests.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

using qz::TQtProgressDialog;

void QtDialogsTest::progressShowsCaptionAndInfoWithoutCancel()
{
    QWidget owner;
    owner.show();
    TQtProgressDialog dialog(&owner, "年度更新");
    dialog.SetInfo("・勘定科目を書込中です。");
    qz::TProgressWindow* window = dialog.Window();

    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QString("年度更新"));
    QCOMPARE(window->Info(), QString("・勘定科目を書込中です。"));
    QCOMPARE(window->Bar().maximum(), 0);  // busy animation
    QVERIFY(window->findChildren<QAbstractButton*>().isEmpty());

    // Neither Escape nor a close request ends it.
    QTest::keyClick(window, Qt::Key_Escape);
    window->close();
    QVERIFY(window->isVisible());
}

void QtDialogsTest::progressTurnsIntoBarWhenTotalIsKnown()
{
    TQtProgressDialog dialog(nullptr, "x");
    dialog.SetProgress(25, 100);
    const QProgressBar& bar = dialog.Window()->Bar();
    QCOMPARE(bar.maximum(), 100);
    QCOMPARE(bar.value(), 25);

    dialog.SetProgress(3'000'000'000LL, 6'000'000'000LL);  // beyond int: scaled
    QCOMPARE(bar.value() * 2, bar.maximum());

    dialog.SetProgress(0, 0);
    QCOMPARE(bar.maximum(), 0);
}

void QtDialogsTest::messageBoxCarriesSecondLine()
{
    const auto box = qz::MakeMessageBox(nullptr, qz::TMessageKind::Error,
                                        "選択したフォルダには他オペレータによって財務データが作成されています。",
                                        "データ選択画面に戻って、別の場所を選んで下さい。");
    QCOMPARE(box->icon(), QMessageBox::Critical);
    QCOMPARE(box->text(), QString("選択したフォルダには他オペレータによって財務データが作成されています。"));
    QCOMPARE(box->informativeText(), QString("データ選択画面に戻って、別の場所を選んで下さい。"));
    QCOMPARE(box->buttons().size(), 1);

    const auto question = qz::MakeMessageBox(nullptr, qz::TMessageKind::Confirmation, "?");
    QCOMPARE(question->buttons().size(), 2);
    QVERIFY(question->informativeText().isEmpty());
}

void QtDialogsTest::memoLinesKeepEmptyLinesAndReplaceOnlyTheirOwn()
{
    // The confirmation page opens the memo with two empty lines: line 0 for progress, line 1 for the
    // second completion line.
    QPlainTextEdit memo;
    qz::TMemoLines lines(memo);
    lines.AppendLine("");
    lines.AppendLine("");
    lines.AppendLine("前期仕訳\"183件\"を取り込みました。");
    QCOMPARE(lines.LineCount(), 3);
    lines.SetLine(0, "・仕訳を書込中です。");
    lines.SetLine(0, "◎コンバートが完了しました。");
    QCOMPARE(memo.toPlainText(), QString("◎コンバートが完了しました。\n\n前期仕訳\"183件\"を取り込みました。"));
    // A text with the product's CR LF breaks counts as its lines; a line beyond the end is added.
    lines.AppendLine("一行目\r\n二行目");
    lines.SetLine(6, "七行目");
    QCOMPARE(lines.LineCount(), 7);
    QCOMPARE(lines.Line(4), QString("二行目"));
    QCOMPARE(memo.toPlainText().split('\n').size(), 7);
}

void QtDialogsTest::engineMessagesOpenTwoLineBoxes()
{
    qz::TQtUserInterface ui;
    QString seen;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen = box->text() + "|" + box->informativeText() + "|" + QString::number(box->icon());
        box->done(QMessageBox::Ok);
    });
    ui.ShowMessage(qz::TMessageKind::Error, "選択したフォルダには他オペレータによって財務データが作成されています。\r"
                                            "データ選択画面に戻って、別の場所を選んで下さい。");
    QCOMPARE(seen, QString("選択したフォルダには他オペレータによって財務データが作成されています。|"
                           "データ選択画面に戻って、別の場所を選んで下さい。|%1").arg(int(QMessageBox::Critical)));
}
