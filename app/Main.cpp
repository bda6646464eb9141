// qzconvert: the wizard. The executable's name decides the edition (qzconvert2 is the revised one).

#include "app/Fonts.h"
#include "app/MainForm.h"
#include "app/QtUi.h"
#include "app/WizardTexts.h"
#include "platform/Startup.h"
#include "platform/SystemDef.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(qz::kMainFormCaption.data(), qz::kMainFormCaption.size()));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/qzconvert.svg")));
    qz::UseJapaneseFonts(application);
    qz::TQtUserInterface ui;
    qz::SetUserInterface(&ui);

    const int exitCode = qz::RunGuarded([&] {
        qz::InitSystemPaths();
        qz::TMainForm form;
        ui.SetMainWindow(&form);
        form.show();
        return QApplication::exec();
    });
    qz::SetUserInterface(nullptr);
    return exitCode;
}
