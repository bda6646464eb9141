// A ready installation made by the installation command, read back the way the program starts up.

#include "db/DataModule.h"
#include "db/schema/Installation.h"
#include "platform/SystemDef.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TemplateDatabase.h"

#include <gtest/gtest.h>

namespace qz::test {
namespace {

namespace fs = std::filesystem;

TEST(Installation, LocalInstallationIsWhatStartUpFinds)
{
    TTempFolder common;
    const schema::TInstallation installation =
        schema::MakeInstallation({.CommonDataPath = common.Path().string(), .FreeRows = 8});
    const fs::path data = common.Path() / "QuorvelZAI" / "ZAIMU" / "DATA";
    EXPECT_TRUE(fs::is_directory(data / "0001"));
    EXPECT_TRUE(fs::is_directory(data / "0008"));
    EXPECT_FALSE(fs::exists(data / "0009"));

    {
        fb::TAttachment system = fb::TAttachment::Attach(ProductConnectParams((data / "qrvaccdef.fdb").string()));
        fb::TTransaction tr(system);
        tr.Start();
        EXPECT_EQ(QueryInt(tr, "SELECT COUNT(*) FROM DATALIST WHERE ENTTEXT = '' AND GROUPID = 10000"), 8);
        EXPECT_EQ(QueryInt(tr, "SELECT COUNT(*) FROM DATALIST WHERE REC = 0"), 0);
        fb::TStatement path(tr);
        path.Prepare("SELECT PASNAME FROM DATALIST WHERE REC = 7");
        path.Open();
        ASSERT_TRUE(path.Fetch());
        EXPECT_EQ(path.AsString(0), (data / "0007").string());
    }

    TScopedEnv env;
    env.Set("QZ_COMMON_APPDATA", common.Path().string()).Set("QZ_DOCUMENTS", (common.Path() / "docs").string());
    InitSystemPaths("/opt/qz/bin/qzconvert");
    EXPECT_EQ(ProgramValues().ConnectionMode, 0);
    EXPECT_EQ(SystemDef().SysDbDir, data.string());

    EXPECT_THROW(schema::MakeInstallation({.CommonDataPath = common.Path().string(), .FreeRows = 8}), std::runtime_error);
    EXPECT_NO_THROW(
        schema::MakeInstallation({.CommonDataPath = common.Path().string(), .FreeRows = 3, .Replace = true}));
}

TEST(Installation, ServerInstallationMakesItsFoldersOnTheServer)
{
    const char* host = std::getenv("QZ_TEST_SERVER");
    if (!host || !*host)
        GTEST_SKIP() << "no Firebird server: QZ_TEST_SERVER is not set (scripts/test.sh starts one on 127.0.0.1)";
    TTempFolder common, serverRoot;
    const fs::path server = serverRoot.Path() / "財務データ（㈱髙橋）";
    fs::create_directories(server);
    const schema::TInstallation installation = schema::MakeInstallation(
        {.CommonDataPath = common.Path().string(), .FreeRows = 4, .ServerHost = host, .ServerDataDir = server.string()});
    EXPECT_TRUE(fs::exists(server / "qrvaccdef.fdb"));
    EXPECT_TRUE(fs::is_directory(server / "0004"));
    EXPECT_EQ(installation.SysDbConnection, std::string(host) + ":" + (server / "qrvaccdef.fdb").string());

    TScopedEnv env;
    env.Set("QZ_COMMON_APPDATA", common.Path().string()).Set("QZ_DOCUMENTS", (common.Path() / "docs").string());
    InitSystemPaths("/opt/qz/bin/qzconvert");
    EXPECT_EQ(ProgramValues().ConnectionMode, 1);
    EXPECT_EQ(SystemDef().SysDbDir, server.string());
}

}  // namespace
}  // namespace qz::test
