// The services manager of the embedded engine and of a real server: backup, restore, attached databases.

#include "db/DataModule.h"
#include "db/Firebird.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TemplateDatabase.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qz::fb {
namespace {

namespace fs = std::filesystem;

void MakeDatabase(const std::string& connection)
{
    TAttachment attachment = TAttachment::Create(ProductConnectParams(connection));
    TTransaction tr(attachment);
    tr.Start();
    ExecuteImmediate(tr, "CREATE TABLE T (K INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20))");
    tr.Commit();
    tr.Start();
    TStatement insert(tr);
    insert.Prepare("INSERT INTO T (K, NAME) VALUES (:K, :NAME)");
    for (int k = 1; k <= 250; ++k) {
        insert.SetInt("K", k).SetString("NAME", "㈱髙" + std::to_string(k));
        insert.Execute();
    }
    tr.Commit();
}

std::int64_t RowCount(const std::string& connection)
{
    TAttachment attachment = TAttachment::Attach(ProductConnectParams(connection));
    TTransaction tr(attachment);
    tr.Start();
    TStatement count(tr);
    // Rows whose name is exactly as written, extension characters included (compared for equality:
    // pattern matching such as STARTING WITH fails on them, as Firebird's SJIS_0208 tables lack them).
    count.Prepare("SELECT COUNT(*) FROM T WHERE NAME = :PREFIX || CAST(K AS VARCHAR(10))");
    count.SetString("PREFIX", "㈱髙");
    count.Open();
    return count.Fetch() ? count.AsInt(0) : -1;
}

// Offices keep their data in folders with Japanese names: every test works in one.
fs::path JapaneseFolder(const test::TTempFolder& folder)
{
    const fs::path japanese = folder.Path() / "日本語フォルダ（㈱髙橋）";
    fs::create_directories(japanese);
    return japanese;
}

bool Listed(const std::vector<std::string>& databases, const fs::path& file)
{
    return std::any_of(databases.begin(), databases.end(), [&](const std::string& name) { return name == file.string(); });
}

TEST(EmbeddedServices, BackupAndRestorePreserveEveryRow)
{
    test::TTempFolder folder;
    const fs::path source = JapaneseFolder(folder) / "元.fdb", backup = JapaneseFolder(folder) / "source.fbk",
                   target = JapaneseFolder(folder) / "target.fdb";
    MakeDatabase(source.string());
    std::vector<std::string> lines;
    TService service = TService::Attach("", "HOLDEX", "vostar");
    service.Backup(source.string(), backup.string(), {}, [&](const std::string& line) { lines.push_back(line); });
    EXPECT_TRUE(fs::exists(backup));
    EXPECT_FALSE(lines.empty());  // verbose output arrives line by line
    service.Restore(backup.string(), target.string(), {}, nullptr);
    EXPECT_EQ(RowCount(target.string()), 250);
    // Without the replace option an existing database is not overwritten.
    EXPECT_THROW(service.Restore(backup.string(), target.string(), {}, nullptr), TFbError);
    service.Restore(backup.string(), target.string(), {.Replace = true}, nullptr);
    EXPECT_EQ(RowCount(target.string()), 250);
}

// The embedded engine's services trust the local user and list only this process's attachments; the
// listing needs SYSDBA rights there, which the embedded engine grants to SYSDBA without a password.
TEST(EmbeddedServices, TheEngineListsTheAttachmentsOfItsOwnProcess)
{
    test::TTempFolder folder;
    const fs::path database = JapaneseFolder(folder) / "held.fdb";
    MakeDatabase(database.string());
    TService service = TService::Attach("", "SYSDBA", "");
    EXPECT_FALSE(Listed(service.AttachedDatabases(), database));
    TAttachment held = TAttachment::Attach(ProductConnectParams(database.string()));
    EXPECT_TRUE(Listed(service.AttachedDatabases(), database));
    held.Detach();
    EXPECT_FALSE(Listed(service.AttachedDatabases(), database));
}

class ServerServices : public ::testing::Test {
protected:
    std::string host;
    void SetUp() override
    {
        const char* value = std::getenv("QZ_TEST_SERVER");
        if (!value || !*value)
            GTEST_SKIP() << "no Firebird server: QZ_TEST_SERVER is not set (scripts/test.sh starts one on 127.0.0.1)";
        host = value;
    }
};

TEST_F(ServerServices, BackupOnTheServerAndRestoreOntoIt)
{
    test::TTempFolder folder;
    const fs::path source = JapaneseFolder(folder) / "source.fdb", backup = JapaneseFolder(folder) / "server.fbk",
                   target = JapaneseFolder(folder) / "restored.fdb";
    MakeDatabase(host + ":" + source.string());
    TService service = TService::Attach(host, "HOLDEX", "vostar");
    service.Backup(source.string(), backup.string(), {}, nullptr);
    service.Restore(backup.string(), target.string(), {.Replace = true}, nullptr);
    EXPECT_EQ(RowCount(host + ":" + target.string()), 250);
}

TEST_F(ServerServices, AnAdministratorSeesWhatIsAttached)
{
    test::TTempFolder folder;
    const fs::path database = JapaneseFolder(folder) / "held.fdb";
    MakeDatabase(host + ":" + database.string());
    TAttachment held = TAttachment::Attach(ProductConnectParams(host + ":" + database.string()));
    TService service = TService::Attach(host, "HOLDEX", "vostar", true);
    EXPECT_TRUE(Listed(service.AttachedDatabases(), database));
    held.Detach();
    EXPECT_FALSE(Listed(service.AttachedDatabases(), database));
}

}  // namespace
}  // namespace qz::fb
