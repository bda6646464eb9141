#include "app/QtDialogs.h"
#include "tests/gui/GuiTests.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QLabel>
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
