// Takes pictures of the wizard converting the corporation sample into a fresh installation: the four pages,
// the completed run, the aggregated-accounts list and the reconciliation's report, as PNG files in the folder given. Run it under a real
// X server (scripts/screenshots.sh starts Xvfb) so that the pictures show what an operator sees.

#include "app/Fonts.h"
#include "app/MainForm.h"
#include "app/QtUi.h"
#include "db/DataModule.h"
#include "tests/gui/WizardDriver.h"
#include "tests/support/TempFolder.h"

#include <QApplication>
#include <QTest>

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

bool Save(QWidget& window, const fs::path& file)
{
    QCoreApplication::processEvents();
    const bool saved = window.grab().save(QString::fromStdString(file.string()), "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "could not write", file.string().c_str());
    return saved;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    const fs::path output = fs::absolute(argv[1]);
    fs::create_directories(output);
    qz::UseJapaneseFonts(application);
    qz::TQtUserInterface ui;
    qz::SetUserInterface(&ui);

    qz::test::TTempFolder root;
    qz::test::TScopedEnv env;
    qz::test::MakeWizardInstallation(root.Path(), env, false);
    const fs::path extract = root.Path() / "抽出データ（髙橋）" / "関与先①";
    qz::test::WriteExtract(qz::test::Sample("corporation"), extract);

    bool saved = true;
    qz::test::TModalAnswerer answerer;
    answerer.Seen = [&](QWidget& window) {
        if (window.objectName() == "TFReconcileReport")
            saved = Save(window, output / "7-reconciliation.png") && saved;
        else if (window.findChild<qz::TPerfectGrid*>())
            saved = Save(window, output / "6-aggregated-list.png") && saved;
    };
    {
        qz::TMainForm form;
        form.ChooseFolder = [&](const QString&) { return QString::fromStdString(extract.string()); };
        ui.SetMainWindow(&form);
        form.show();
        // Active, so that the status panel shows the hint of the focused control as it would on a desktop.
        form.activateWindow();
        if (!QTest::qWaitForWindowExposed(&form) || !QTest::qWaitForWindowActive(&form))
            return 1;
        qz::test::Click(form, "SBTN_SANSHO");
        const char* pages[] = {"1-extract.png", "2-destination.png", "3-special-accounts.png", "4-confirmation.png"};
        for (const char* page : pages) {
            saved = Save(form, output / page) && saved;
            qz::test::Click(form, "BTN_NEXT");   // the last one runs the conversion
        }
        saved = Save(form, output / "5-completed.png") && saved;
        qz::test::Click(form, "BTN_RECONCILE");
        if (answerer.ListRows.empty() || answerer.Reports.empty() || !answerer.Texts.isEmpty()) {
            std::fprintf(stderr, "the run did not end as expected: %s\n", answerer.Texts.join(" / ").toStdString().c_str());
            saved = false;
        }
    }
    qz::DM().AccDefDisconnect();
    qz::SetUserInterface(nullptr);
    return saved ? 0 : 1;
}
