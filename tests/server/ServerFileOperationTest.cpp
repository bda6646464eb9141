// The file procedures of the system database, run by a real Firebird server on 127.0.0.1.

#include "db/DataModule.h"
#include "db/DbStatements.h"
#include "db/schema/TemplateBuilder.h"
#include "tests/support/TemplateDatabase.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace qz::test {
namespace {

namespace fs = std::filesystem;

class ServerFileOperation : public ::testing::Test {
protected:
    TTempFolder folder;
    fb::TAttachment attachment;
    std::optional<fb::TTransaction> tr;

    void SetUp() override
    {
        const char* host = std::getenv("QZ_TEST_SERVER");
        if (!host || !*host)
            GTEST_SKIP() << "no Firebird server: QZ_TEST_SERVER is not set (scripts/test.sh starts one on 127.0.0.1)";
        const std::string database = std::string(host) + ":" + (folder.Path() / "qrvaccdef.fdb").string();
        schema::CreateSystemDatabase(database, 3, (folder.Path() / "DATA").string());
        attachment = fb::TAttachment::Attach(ProductConnectParams(database));
        tr.emplace(attachment);
        tr->Start();
    }

    int FileOperation(const std::string& mode, const std::string& path1, const std::string& path2 = "")
    {
        fb::TStatement statement(*tr);
        statement.Prepare(sql::kFileOperation);
        statement.SetString("MODE", mode).SetBytes("FILEPATH1", path1).SetBytes("FILEPATH2", path2);
        statement.Open();
        return statement.Fetch() ? static_cast<int>(statement.AsInt(0)) : -1;
    }

    int DirectoryTest(const std::string& mode, const std::string& path)
    {
        fb::TStatement statement(*tr);
        statement.Prepare(sql::kDirectoryTest);
        statement.SetString("MODE", mode).SetBytes("FILEPATH1", path);
        statement.Open();
        return statement.Fetch() ? static_cast<int>(statement.AsInt(0)) : -1;
    }
};

TEST_F(ServerFileOperation, FilesAreTestedCopiedAndDeletedOnTheServer)
{
    const fs::path source = folder.Path() / "qrvacc.fbk";
    // Names with characters the database's character set cannot transliterate (㈱, 髙) still reach the
    // file system whole: file names travel as UTF-8 bytes.
    const fs::path copy = folder.Path() / "DATA" / "㈱髙橋" / "コピー.fbk";
    WriteBytes(source, "backup");
    fs::create_directories(copy.parent_path());
    EXPECT_EQ(FileOperation("FEXIST", source.string()), 1);
    EXPECT_EQ(FileOperation("FEXIST", (folder.Path() / "none").string()), 0);
    EXPECT_EQ(FileOperation("FCOPY", source.string(), copy.string()), 1);
    EXPECT_EQ(ReadBytes(copy), "backup");
    EXPECT_EQ(FileOperation("FDEL", source.string()), 1);
    EXPECT_FALSE(fs::exists(source));
    EXPECT_EQ(FileOperation("FCOPY", copy.string(), " "), 0);  // a blank target does nothing
    EXPECT_EQ(FileOperation("FDEL", "  "), 0);
    EXPECT_TRUE(fs::exists(copy));
}

TEST_F(ServerFileOperation, FoldersAreTestedMadeAndRemovedOnTheServer)
{
    const fs::path made = folder.Path() / "DATA" / "㈱髙橋商店" / "sub";
    EXPECT_EQ(DirectoryTest("DEXIST", made.string()), 0);
    EXPECT_EQ(DirectoryTest("MKDIR", made.string()), 1);
    EXPECT_TRUE(fs::is_directory(made));
    EXPECT_EQ(DirectoryTest("dexist", made.string()), 1);
    EXPECT_EQ(DirectoryTest("RMDIR", made.string()), 1);
    EXPECT_FALSE(fs::exists(made));
    EXPECT_EQ(DirectoryTest("MKDIR", " "), 0);
}

TEST_F(ServerFileOperation, NothingOutsideTheInstallationIsTouched)
{
    // Another place on the server's machine: a file the server can read, folders it can write.
    const TTempFolder outside;
    const fs::path secret = outside.Path() / "secret.txt";
    WriteBytes(secret, "secret");
    fs::create_directories(outside.Path() / "empty");
    const fs::path data = folder.Path() / "DATA" / "0001";
    fs::create_directories(data);
    WriteBytes(data / "qrvacc.fdb", "data");
    // A ".." escape out of a data folder, and a link inside a data folder pointing out.
    const std::string escape = (data / ".." / ".." / ".." / outside.Path().filename() / "secret.txt").string();
    fs::create_directory_symlink(outside.Path(), data / "link");
    const std::string linked = (data / "link" / "secret.txt").string();

    for (const std::string& path : {secret.string(), escape, linked, std::string("secret.txt")}) {
        EXPECT_EQ(FileOperation("FEXIST", path), 0) << path;
        EXPECT_EQ(FileOperation("FCOPY", path, (data / "copy.txt").string()), 0) << path;
        EXPECT_EQ(FileOperation("FDEL", path), 0) << path;
    }
    EXPECT_EQ(FileOperation("FCOPY", (data / "qrvacc.fdb").string(), (outside.Path() / "stolen.fdb").string()), 0);
    EXPECT_EQ(FileOperation("FCOPY", (data / "qrvacc.fdb").string(), (data / "link" / "stolen.fdb").string()), 0);
    for (const fs::path& folderOutside : {outside.Path() / "made", data / "link" / "made", data / ".." / ".." / ".." / "made"}) {
        EXPECT_EQ(DirectoryTest("MKDIR", folderOutside.string()), 0) << folderOutside;
        EXPECT_FALSE(fs::exists(folderOutside)) << folderOutside;
    }
    EXPECT_EQ(DirectoryTest("RMDIR", (outside.Path() / "empty").string()), 0);
    EXPECT_EQ(DirectoryTest("RMDIR", (data / "link" / "empty").string()), 0);

    EXPECT_EQ(ReadBytes(secret), "secret");
    EXPECT_TRUE(fs::is_directory(outside.Path() / "empty"));
    EXPECT_FALSE(fs::exists(data / "copy.txt"));
    EXPECT_FALSE(fs::exists(outside.Path() / "stolen.fdb"));
    // The installation's own files are still the procedures' to handle.
    EXPECT_EQ(FileOperation("FEXIST", (data / "qrvacc.fdb").string()), 1);
    EXPECT_EQ(FileOperation("FCOPY", (data / "qrvacc.fdb").string(), (data / "copy.fdb").string()), 1);
}

TEST_F(ServerFileOperation, OnlyTheProgramsUserMayRunTheFileProcedures)
{
    fb::TStatement statement(*tr);
    statement.Prepare("SELECT COUNT(*) FROM RDB$USER_PRIVILEGES WHERE RDB$USER = 'PUBLIC' AND RDB$PRIVILEGE = 'X' "
                      "AND RDB$RELATION_NAME IN ('FILEOPERATION', 'DIRECTORYTEST')");
    statement.Open();
    ASSERT_TRUE(statement.Fetch());
    EXPECT_EQ(statement.AsInt(0), 0);
}

TEST_F(ServerFileOperation, ShortNamesAreTheNamesThemselves)
{
    fb::TStatement statement(*tr);
    statement.Prepare(sql::kLongToShortFileName);
    statement.SetBytes("LONGNAME", "/srv/㈱髙橋データ/qrvacc.fdb");
    statement.Open();
    ASSERT_TRUE(statement.Fetch());
    EXPECT_EQ(statement.AsString(0), "/srv/㈱髙橋データ/qrvacc.fdb");
}

}  // namespace
}  // namespace qz::test
