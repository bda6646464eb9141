#include "app/QtUi.h"
#include "tests/gui/WizardTests.h"

#include <QApplication>
#include <QTest>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The engine's boxes open as the wizard's do, where the tests answer them.
    qz::TQtUserInterface ui;
    qz::SetUserInterface(&ui);
    qz::WizardTest wizard;
    const int failures = QTest::qExec(&wizard, argc, argv);
    qz::SetUserInterface(nullptr);
    return failures == 0 ? 0 : 1;
}
