#include "tests/gui/GuiTests.h"

#include <QApplication>
#include <QTest>

int main(int argc, char** argv)
{
    // Run anywhere, also without CTest's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int failures = 0;
    PerfectGridTest grid;
    failures += QTest::qExec(&grid, argc, argv);
    QtDialogsTest dialogs;
    failures += QTest::qExec(&dialogs, argc, argv);
    SyuyakuListTest list;
    failures += QTest::qExec(&list, argc, argv);
    return failures == 0 ? 0 : 1;
}
