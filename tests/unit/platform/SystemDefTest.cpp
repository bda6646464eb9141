#include "common/Cp932.h"
#include "common/SjisText.h"
#include "platform/IniFile.h"
#include "platform/ShellFolders.h"
#include "platform/SystemDef.h"
#include "tests/support/RecordingUi.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

namespace fs = std::filesystem;
using test::WriteBytes;

class SystemDefTest : public ::testing::Test {
protected:
    test::TTempFolder root;
    test::TScopedEnv env;
    TMainFormPaths form;
    fs::path common, documents, settings, exe;

    void SetUp() override
    {
        common = root.Path() / "ProgramData";
        documents = root.Path() / "Docs";
        settings = common / "QuorvelZAI" / "ZAIMU";
        exe = root.Path() / "Install" / "Bin" / "qzconvert";
        env.Set("QZ_COMMON_APPDATA", common.string()).Set("QZ_DOCUMENTS", documents.string());
        env.Unset("TEMP").Unset("TMPDIR");
    }

    void WriteConnectionFile(const std::string& text) { WriteBytes(settings / "quorvelzaimu.ini", EncodeCp932(text)); }
};

TEST_F(SystemDefTest, FillsEveryFieldForALocalInstallation)
{
    InitSystemPaths(form, exe);
    const TSystemDef& s = SystemDef();
    EXPECT_EQ(s.GroupId, 10000);
    EXPECT_EQ(s.UserCode, 100009999);
    EXPECT_EQ(s.UserLevel, 9);
    EXPECT_EQ(s.DbUser, "HOLDEX");
    EXPECT_EQ(s.DbPassword, "vostar");
    EXPECT_EQ(s.DbHost, "");
    EXPECT_FALSE(s.ComputerName.empty());
    EXPECT_EQ(s.ProgramPath, (root.Path() / "Install" / "Bin").string());
    EXPECT_EQ(s.ProgramDir, UpperAscii(s.ProgramPath));
    EXPECT_EQ(s.InstallDir, (root.Path() / "Install").string());
    EXPECT_EQ(s.PrintDir, s.InstallDir + "/print");
    EXPECT_EQ(s.HelpDir, s.InstallDir + "/help");
    EXPECT_EQ(s.SqlDir, s.InstallDir + "/sql");
    EXPECT_EQ(s.IniDir, s.InstallDir + "/ini");
    EXPECT_EQ(s.LogDir, settings.string());
    EXPECT_EQ(s.WinSystemDir, "/usr/bin");
    EXPECT_EQ(s.DocumentsDir, (documents / "quorvelzai").string());
    EXPECT_TRUE(fs::is_directory(s.DocumentsDir));
    EXPECT_EQ(s.IniFilePath, (settings / "quorvelzaimu.ini").string());
    EXPECT_EQ(s.IniFileName, UpperAscii(s.IniFilePath));

    const TProgramValues& p = ProgramValues();
    EXPECT_EQ(p.SettingsSubPath, "QuorvelZAI/ZAIMU");
    EXPECT_EQ(p.SysDbFileName, "qrvaccdef.fdb");
    EXPECT_EQ(p.DataDbFileName, "qrvacc.fdb");
    EXPECT_EQ(p.ConnectionMode, 0);

    // No connection file: local mode with the data folder under the settings folder.
    EXPECT_EQ(s.SysDbDir, (settings / "DATA").string());
    EXPECT_EQ(s.DataDir, s.SysDbDir);
    EXPECT_FALSE(form.ServerMode);
    EXPECT_EQ(form.CommonDataDir, UpperAscii(common.string()));
    EXPECT_EQ(form.SystemRootKey, UpperAscii(settings.string()));
    EXPECT_EQ(form.ServerHost, "");
}

TEST_F(SystemDefTest, ConnectOneWithBlanksIsServerMode)
{
    WriteConnectionFile("[APPLICATION]\r\nCONNECT= 1 \r\n[SERVER]\r\nSYSDIR=/srv/quorvel/DATA\r\nHOSTNAME=dbhost\r\n"
                        "[LOCAL]\r\nSYSDIR=/local/DATA\r\n");
    InitSystemPaths(form, exe);
    EXPECT_EQ(ProgramValues().ConnectionMode, 1);
    EXPECT_TRUE(form.ServerMode);
    EXPECT_EQ(SystemDef().SysDbDir, "/srv/quorvel/DATA");
    EXPECT_EQ(SystemDef().DataDir, "/srv/quorvel/DATA");
    EXPECT_EQ(SystemDef().DbHost, "");
    EXPECT_EQ(form.ServerHost, "DBHOST");
    EXPECT_EQ(form.SystemRootKey, "QUORVELZAIMU");
}

TEST_F(SystemDefTest, ConnectZeroOneIsLocalMode)
{
    WriteConnectionFile("[APPLICATION]\r\nCONNECT=01\r\n[LOCAL]\r\nSYSDIR=" + settings.string() + "/DATA\r\n");
    InitSystemPaths(form, exe);
    EXPECT_EQ(ProgramValues().ConnectionMode, 0);
    EXPECT_FALSE(form.ServerMode);
    EXPECT_EQ(SystemDef().SysDbDir, settings.string() + "/DATA");
    EXPECT_EQ(form.SystemRootKey, UpperAscii(settings.string()));
}

TEST_F(SystemDefTest, LocalSysDirOutsideTheCommonFolderHasNoRootKey)
{
    WriteConnectionFile("[APPLICATION]\r\nCONNECT=0\r\n[LOCAL]\r\nSYSDIR=/mnt/経理/DATA\r\n");
    InitSystemPaths(form, exe);
    EXPECT_EQ(SystemDef().SysDbDir, "/mnt/経理/DATA");
    EXPECT_EQ(form.SystemRootKey, "");
}

TEST_F(SystemDefTest, TempFolderFallsBackToTheSettingsFolder)
{
    InitSystemPaths(form, exe);
    EXPECT_EQ(SystemDef().TempDir, (settings / "temp").string());
    EXPECT_FALSE(fs::exists(settings / "temp"));  // not created here

    env.Set("TEMP", (root.Path() / "missing").string());
    InitSystemPaths(form, exe);
    EXPECT_EQ(SystemDef().TempDir, (settings / "temp").string());

    env.Set("TEMP", root.Path().string() + "/");
    InitSystemPaths(form, exe);
    EXPECT_EQ(SystemDef().TempDir, root.Path().string());
}

TEST_F(SystemDefTest, ExtractFolderIsRememberedInTheToolSettingsFile)
{
    InitSystemPaths(form, exe);
    EXPECT_EQ(ReadDefaultExtractDir(form), SystemDef().DocumentsDir);

    WriteBytes(settings / "QM3TOQZAIMU.INI", "[QM3CSV]\r\nDRIVE=\r\n");
    EXPECT_EQ(ReadDefaultExtractDir(form), SystemDef().DocumentsDir);

    SaveExtractDir(form, "/mnt/抽出/山田商事");
    EXPECT_EQ(ReadDefaultExtractDir(form), "/mnt/抽出/山田商事");
    EXPECT_EQ(TIniFile(settings / "QM3TOQZAIMU.INI").ReadString("QM3CSV", "DRIVE"), "/mnt/抽出/山田商事");
    EXPECT_EQ(form.ToolIniFileName, UpperAscii((settings / "QM3TOQZAIMU.INI").string()));
}

TEST_F(SystemDefTest, EditionFollowsTheExecutableName)
{
    EXPECT_TRUE(IsRevisedEditionExecutable("/opt/x/qzconvert2"));
    EXPECT_TRUE(IsRevisedEditionExecutable("C:/x/QZConvert2.EXE"));
    EXPECT_TRUE(IsRevisedEditionExecutable("qzconvert2.exe"));
    EXPECT_FALSE(IsRevisedEditionExecutable("/opt/qzconvert2/qzconvert"));
    EXPECT_FALSE(IsRevisedEditionExecutable("qzconvert22"));

    InitSystemPaths(form, root.Path() / "QZCONVERT2");
    EXPECT_TRUE(ProgramValues().IsRevisedEdition);
    const TEditionValues& revised = ProgramValues().Edition();
    EXPECT_EQ(revised.TemplateFor(11), "QrvAcc11.610");
    EXPECT_EQ(revised.TemplateFor(22), "QrvAcc22.610");
    EXPECT_EQ(revised.VerText, "14消改版");
    EXPECT_EQ(revised.VerMinor1, 1);
    EXPECT_TRUE(revised.RequiresDbVersion1);
    EXPECT_EQ(ProgramValues().MainCaption(), "QuorvelMendalⅢ財務データコンバート(ver 2.0.1)");

    InitSystemPaths(form, exe);
    const TEditionValues& base = ProgramValues().Edition();
    EXPECT_EQ(base.TemplateFor(21), "QrvAcc21.600");
    EXPECT_EQ(base.TemplateFor(12), "");
    EXPECT_EQ(base.VerText, "14版");
    EXPECT_FALSE(base.TaxRateKindByDate);
    EXPECT_EQ(ProgramValues().MainCaption(), "QuorvelMendalⅢ財務データコンバート(ver 1.0.11)");
}

TEST_F(SystemDefTest, ShellFolderFailureIsShownAndGivesTheDefault)
{
    test::TRecordingUi ui;
    EXPECT_EQ(GetSpecialFolder(99, "fallback"), "fallback");
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.Messages[0].Kind, TMessageKind::Error);
    EXPECT_EQ(ui.Messages[0].Text, "シェルフォルダが取得できません。(CSIDL=99)");
    EXPECT_EQ(GetSpecialFolder(CSIDL_PERSONAL, ""), documents.string());
}

}  // namespace
}  // namespace qz
