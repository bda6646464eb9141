#pragma once
// A fixture with a ready local installation (system database with free rows) and the data database of
// folder 0001 restored from the corporation template, with the program's paths pointing at them. The
// installation lies below a folder with a Japanese name, as an office's often does.

#include "db/DataModule.h"
#include "db/ErrorReport.h"
#include "db/schema/Installation.h"
#include "db/schema/TemplateBuilder.h"
#include "platform/SystemDef.h"
#include "tests/support/RecordingUi.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TemplateDatabase.h"

#include <gtest/gtest.h>

namespace qz::test {

// A ready local installation below root, with the program's paths pointing at it and the data database of
// folder 0001 restored from a template (the corporation's unless told); returns that folder.
inline std::filesystem::path MakeLocalInstallation(const std::filesystem::path& root, TScopedEnv& env,
                                                   std::string_view templateFile = "QrvAcc11.610")
{
    const std::filesystem::path common = root / "共有データ（㈱髙橋会計）";
    env.Set("QZ_COMMON_APPDATA", common.string()).Set("QZ_DOCUMENTS", (root / "ドキュメント").string());
    env.Set("TEMP", root.string());
    schema::MakeInstallation({.CommonDataPath = common.string(), .FreeRows = 10});
    InitSystemPaths(root / "install" / "bin" / "qzconvert");
    const std::filesystem::path dataFolder = std::filesystem::path(SystemDef().SysDbDir) / "0001";
    schema::RestoreWithTool(TemplateFolder() / templateFile, dataFolder / "qrvacc.fdb");
    SystemDef().DataDir = dataFolder.string();
    return dataFolder;
}

class TInstallationFixture : public ::testing::Test {
protected:
    TTempFolder root;
    TScopedEnv env;
    TRecordingUi ui;
    std::filesystem::path dataFolder;

    void SetUp() override
    {
        dataFolder = MakeLocalInstallation(root.Path(), env);
        ResetDbFatalForTests();
    }

    void TearDown() override
    {
        DM().AccDatDisconnect("", false, false);
        DM().AccDefDisconnect();
    }

    void ExecData(std::string_view sql)
    {
        fb::TTransactionScope scope(DM().IBTransactionDAT);
        fb::ExecuteImmediate(DM().IBTransactionDAT, sql);
        scope.Commit();
    }

    std::int64_t QueryData(std::string_view sql)
    {
        fb::TTransactionScope scope(DM().IBTransactionDAT);
        return QueryInt(DM().IBTransactionDAT, sql);
    }
};

}  // namespace qz::test
