#include "app/ExecuteStep.h"
#include "app/MainFormPaths.h"
#include "app/WizardTexts.h"
#include "common/SjisText.h"
#include "tests/support/StartupFixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace qz {
namespace {

class MainFormTest : public test::TStartupFixture {
protected:
    TMainFormPaths Start(const std::filesystem::path& executable)
    {
        InitSystemPaths(executable);
        return MainFormPathsOf(SystemDef(), ProgramValues());
    }
    TMainFormPaths Start() { return Start(exe); }
};

TEST_F(MainFormTest, WithoutAConnectionFileTheSettingsFolderIsTheRootKey)
{
    const TMainFormPaths form = Start();
    EXPECT_FALSE(form.ServerMode);
    EXPECT_EQ(form.CommonDataDir, UpperAscii(common.string()));
    EXPECT_EQ(form.SystemRootKey, UpperAscii(settings.string()));
    EXPECT_EQ(form.ServerHost, "");
    EXPECT_EQ(form.ServerDataPath, "");
    EXPECT_EQ(form.ExtractDir, "");
    EXPECT_EQ(form.ToolIniFileName, UpperAscii((settings / "QM3TOQZAIMU.INI").string()));
}

TEST_F(MainFormTest, ServerModeShowsTheHostUpperCasedUnderItsOwnRootKey)
{
    WriteConnectionFile("[APPLICATION]\r\nCONNECT= 1 \r\n[SERVER]\r\nSYSDIR=/srv/quorvel/DATA\r\nHOSTNAME=dbhost\r\n"
                        "[LOCAL]\r\nSYSDIR=/local/DATA\r\n");
    const TMainFormPaths form = Start();
    EXPECT_TRUE(form.ServerMode);
    EXPECT_EQ(form.ServerHost, "DBHOST");
    EXPECT_EQ(form.SystemRootKey, "QUORVELZAIMU");
}

TEST_F(MainFormTest, ALocalSysDirHasTheRootKeyOnlyInsideTheCommonFolder)
{
    WriteConnectionFile("[APPLICATION]\r\nCONNECT=01\r\n[SERVER]\r\nHOSTNAME=dbhost\r\n[LOCAL]\r\nSYSDIR=" +
                        settings.string() + "/DATA\r\n");
    TMainFormPaths form = Start();
    EXPECT_FALSE(form.ServerMode);
    EXPECT_EQ(form.ServerHost, "");
    EXPECT_EQ(form.SystemRootKey, UpperAscii(settings.string()));

    WriteConnectionFile("[APPLICATION]\r\nCONNECT=0\r\n[LOCAL]\r\nSYSDIR=/mnt/経理/DATA\r\n");
    form = Start();
    EXPECT_EQ(form.SystemRootKey, "");
}

TEST_F(MainFormTest, CaptionAndFirstHeadingFollowTheEdition)
{
    Start(root.Path() / "QZCONVERT2");
    EXPECT_EQ(MainCaption(ProgramValues()), "QuorvelMendalⅢ財務データコンバート(ver 2.0.1)");
    EXPECT_NE(Page1Heading(ProgramValues()).find("(ver3.2.0.1)"), std::string_view::npos);

    Start();
    EXPECT_EQ(MainCaption(ProgramValues()), "QuorvelMendalⅢ財務データコンバート(ver 1.0.11)");
    EXPECT_EQ(Page1Heading(ProgramValues()), "１．QuorvelMendalⅢ 関与先抽出データを選択します。");
}

TEST(StatusLine, HintTexts)
{
    EXPECT_EQ(StatusTextOfHint("抽出データのフォルダを指定します。"), "　抽出データのフォルダを指定します。");
    EXPECT_EQ(StatusTextOfHint("短い|長い説明"), "　長い説明");
    EXPECT_EQ(StatusTextOfHint(""), "");
}

// The build tree and the installation's own layout keep INIT beside bin/, a system-wide installation keeps it
// in share/qzconvert/; a tools folder has its own.
TEST_F(MainFormTest, TemplatesAreFoundBesideTheProgramsOrWithTheInstalledData)
{
    namespace fs = std::filesystem;
    const fs::path usr = root.Path() / "usr";
    const fs::path installed = usr / "share" / "qzconvert" / "INIT";
    Start(usr / "bin" / "qzconvert-cli");
    EXPECT_EQ(TExecuteStep::TemplateFolder(), usr / "INIT");
    fs::create_directories(installed);
    EXPECT_EQ(TExecuteStep::TemplateFolder(), installed);
    fs::create_directories(usr / "INIT");
    EXPECT_EQ(TExecuteStep::TemplateFolder(), usr / "INIT");

    fs::create_directories(root.Path() / "share" / "qzconvert" / "INIT");
    Start(root.Path() / "Tools" / "qzconvert");
    EXPECT_EQ(TExecuteStep::TemplateFolder(), root.Path() / "Tools" / "INIT");
}

}  // namespace
}  // namespace qz
