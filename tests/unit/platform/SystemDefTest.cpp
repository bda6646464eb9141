#include "common/SjisText.h"
#include "platform/FileOps.h"
#include "platform/IniFile.h"
#include "platform/ShellFolders.h"
#include "platform/SystemDef.h"
#include "tests/support/RecordingUi.h"
#include "tests/support/StartupFixture.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

namespace fs = std::filesystem;
using test::WriteBytes;
using SystemDefTest = test::TStartupFixture;

TEST_F(SystemDefTest, FillsEveryFieldForALocalInstallation)
{
    InitSystemPaths(exe);
    const TSystemDef& s = SystemDef();
    EXPECT_EQ(s.GroupId, 10000);
    EXPECT_EQ(s.UserCode, 100009999);
    EXPECT_EQ(s.UserLevel, 9);
    EXPECT_EQ(s.DbUser, "HOLDEX");
    EXPECT_EQ(s.DbPassword, "vostar");
    EXPECT_EQ(s.DbCharset, "SJIS_0208");
    EXPECT_EQ(s.DbHost, "");
    EXPECT_EQ(s.ComputerName, GetClientName());
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
    EXPECT_EQ(p.CommonDataPath, common.string());
    EXPECT_EQ(p.ToolIniPath, (settings / "QM3TOQZAIMU.INI").string());

    // No connection file: local mode with the data folder under the settings folder.
    EXPECT_FALSE(p.ConnectionFileFound);
    EXPECT_EQ(p.ConnectionMode, 0);
    EXPECT_EQ(s.SysDbDir, (settings / "DATA").string());
    EXPECT_EQ(s.DataDir, s.SysDbDir);
}

TEST_F(SystemDefTest, ConnectOneWithBlanksIsServerMode)
{
    WriteConnectionFile("[APPLICATION]\r\nCONNECT= 1 \r\n[SERVER]\r\nSYSDIR=/srv/quorvel/DATA\r\nHOSTNAME=dbhost\r\n"
                        "[LOCAL]\r\nSYSDIR=/local/DATA\r\n");
    InitSystemPaths(exe);
    EXPECT_TRUE(ProgramValues().ConnectionFileFound);
    EXPECT_EQ(ProgramValues().ConnectionMode, 1);
    EXPECT_EQ(ProgramValues().ServerHost, "dbhost");
    EXPECT_EQ(SystemDef().SysDbDir, "/srv/quorvel/DATA");
    EXPECT_EQ(SystemDef().DataDir, "/srv/quorvel/DATA");
    EXPECT_EQ(SystemDef().DbHost, "");
}

TEST_F(SystemDefTest, ConnectZeroOneIsLocalMode)
{
    WriteConnectionFile("[APPLICATION]\r\nCONNECT=01\r\n[LOCAL]\r\nSYSDIR=" + settings.string() + "/DATA\r\n");
    InitSystemPaths(exe);
    EXPECT_EQ(ProgramValues().ConnectionMode, 0);
    EXPECT_EQ(ProgramValues().ServerHost, "");
    EXPECT_EQ(SystemDef().SysDbDir, settings.string() + "/DATA");
    EXPECT_EQ(SystemDef().DataDir, SystemDef().SysDbDir);
}

TEST_F(SystemDefTest, TempFolderFallsBackToTheSettingsFolder)
{
    InitSystemPaths(exe);
    EXPECT_EQ(SystemDef().TempDir, (settings / "temp").string());
    EXPECT_FALSE(fs::exists(settings / "temp"));  // not created here

    env.Set("TEMP", (root.Path() / "missing").string());
    InitSystemPaths(exe);
    EXPECT_EQ(SystemDef().TempDir, (settings / "temp").string());

    env.Set("TEMP", root.Path().string() + "/");
    InitSystemPaths(exe);
    EXPECT_EQ(SystemDef().TempDir, root.Path().string());
}

TEST_F(SystemDefTest, ExtractFolderIsRememberedInTheToolSettingsFile)
{
    InitSystemPaths(exe);
    EXPECT_EQ(ReadDefaultExtractDir(), SystemDef().DocumentsDir);

    WriteBytes(settings / "QM3TOQZAIMU.INI", "[QM3CSV]\r\nDRIVE=\r\n");
    EXPECT_EQ(ReadDefaultExtractDir(), SystemDef().DocumentsDir);

    SaveExtractDir("/mnt/抽出/山田商事");
    EXPECT_EQ(ReadDefaultExtractDir(), "/mnt/抽出/山田商事");
    EXPECT_EQ(TIniFile(settings / "QM3TOQZAIMU.INI").ReadString("QM3CSV", "DRIVE"), "/mnt/抽出/山田商事");
}

TEST_F(SystemDefTest, EditionFollowsTheExecutableName)
{
    EXPECT_TRUE(IsRevisedEditionExecutable("/opt/x/qzconvert2"));
    EXPECT_TRUE(IsRevisedEditionExecutable("C:/x/QZConvert2.EXE"));
    EXPECT_TRUE(IsRevisedEditionExecutable("qzconvert2.exe"));
    EXPECT_FALSE(IsRevisedEditionExecutable("/opt/qzconvert2/qzconvert"));
    EXPECT_FALSE(IsRevisedEditionExecutable("qzconvert22"));

    InitSystemPaths(root.Path() / "QZCONVERT2");
    EXPECT_TRUE(ProgramValues().IsRevisedEdition);
    const TEditionValues& revised = ProgramValues().Edition();
    EXPECT_EQ(revised.TemplateFor(11), "QrvAcc11.610");
    EXPECT_EQ(revised.TemplateFor(22), "QrvAcc22.610");
    EXPECT_EQ(revised.VerText, "14消改版");
    EXPECT_EQ(revised.VerMinor1, 1);
    EXPECT_TRUE(revised.RequiresDbVersion1);

    InitSystemPaths(exe);
    const TEditionValues& base = ProgramValues().Edition();
    EXPECT_EQ(base.TemplateFor(21), "QrvAcc21.600");
    EXPECT_EQ(base.TemplateFor(12), "");
    EXPECT_EQ(base.VerText, "14版");
    EXPECT_FALSE(base.TaxRateKindByDate);
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
