#pragma once
#include <QObject>

#include <filesystem>
#include <memory>
#include <string>

namespace qz {
namespace test {
struct TExtractDescription;
}

class WizardTest : public QObject {
    Q_OBJECT
public:
    WizardTest();
    ~WizardTest() override;

private slots:
    void cleanup();
    void theRevisedEditionRefusesWhatIsNoExtractOfItsVersion();
    void thePagesRefuseWhatTheyMustAndASampleIsConverted();
    void aRunningConversionKeepsItsWindowAndItsExtract();

private:
    struct TInstallation;
    // A fresh local installation with ten free folders, the program started as the base or revised edition.
    void Install(bool revisedEdition);
    std::filesystem::path WriteExtract(const test::TExtractDescription& d, const std::string& name);
    std::unique_ptr<TInstallation> installation_;
};

}  // namespace qz
