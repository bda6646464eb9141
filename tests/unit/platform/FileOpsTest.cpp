#include "platform/FileOps.h"
#include "tests/support/RecordingUi.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TRecordingUi;
using test::TTempFolder;
using test::WriteBytes;

TEST(FileOps, RemovableFolders)
{
    for (const char* unsafe : {"", "   ", "C:", "c:", "C:\\", "z:/", "/", "//", "/usr/bin", "/usr/bin/"})
        EXPECT_FALSE(IsRemovableDir(unsafe)) << unsafe;
    for (const char* fine : {"/tmp/x", "C:\\data", "CC:", "/usr/bin/sub", "relative"})
        EXPECT_TRUE(IsRemovableDir(fine)) << fine;
}

TEST(FileOps, DeleteRefusesUnsafeFoldersWithAMessage)
{
    TRecordingUi ui;
    EXPECT_FALSE(ShellDeleteDir("C:\\", TShellOperation::Delete, false, false));
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.Messages[0].Kind, TMessageKind::Error);
    EXPECT_EQ(ui.Messages[0].Text, "ルート・システムディレクトリは、削除できません。<C:\\> ");
    EXPECT_FALSE(ShellDeleteDir("/", TShellOperation::Rename, false, false, "/x"));
    EXPECT_EQ(ui.Messages[1].Text, "ルート・システムディレクトリは、変更できません。</> ");
}

TEST(FileOps, DeletesAFolderWithItsContentsSilently)
{
    TRecordingUi ui;
    TTempFolder folder;
    const fs::path target = folder.Path() / "0007";
    WriteBytes(target / "qrvacc.fdb", "x");
    WriteBytes(target / "sub" / "file", "y");
    EXPECT_TRUE(ShellDeleteDir(target.string(), TShellOperation::Delete, false, true));
    EXPECT_FALSE(fs::exists(target));
    EXPECT_TRUE(ui.Messages.empty());
    EXPECT_FALSE(ShellDeleteDir(target.string(), TShellOperation::Delete, false, true));
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_TRUE(ui.Messages[0].Text.starts_with("フォルダを削除できません。"));
}

TEST(FileOps, DeleteWithUndoMovesToTheTrash)
{
    TTempFolder folder;
    test::TScopedEnv env;
    env.Set("XDG_DATA_HOME", (folder.Path() / "share").string());
    const fs::path target = folder.Path() / "data";
    WriteBytes(target / "a.txt", "keep me");
    EXPECT_TRUE(ShellDeleteDir(target.string(), TShellOperation::Delete, true, false));
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(ReadBytes(folder.Path() / "share" / "Trash" / "files" / "data" / "a.txt"), "keep me");
    const std::string info = ReadBytes(folder.Path() / "share" / "Trash" / "info" / "data.trashinfo");
    EXPECT_NE(info.find("Path=" + target.string()), std::string::npos);
}

TEST(FileOps, RenameMovesTheFolder)
{
    TTempFolder folder;
    WriteBytes(folder.Path() / "old" / "f", "1");
    EXPECT_TRUE(ShellDeleteDir((folder.Path() / "old").string(), TShellOperation::Rename, false, false,
                               (folder.Path() / "new").string()));
    EXPECT_EQ(ReadBytes(folder.Path() / "new" / "f"), "1");
}

TEST(FileOps, CopyAndMoveFolderContents)
{
    TRecordingUi ui;
    TTempFolder folder;
    const fs::path source = folder.Path() / "src";
    WriteBytes(source / "a", "A");
    WriteBytes(source / "d" / "b", "B");
    const fs::path copy = folder.Path() / "deep" / "copy";
    EXPECT_TRUE(ShellCopyDir(source.string(), copy.string(), TShellOperation::Copy));
    EXPECT_EQ(ReadBytes(copy / "d" / "b"), "B");
    EXPECT_TRUE(fs::exists(source / "a"));

    const fs::path moved = folder.Path() / "moved";
    EXPECT_TRUE(ShellCopyDir(source.string(), moved.string(), TShellOperation::Move));
    EXPECT_EQ(ReadBytes(moved / "a"), "A");
    EXPECT_FALSE(fs::exists(source));

    EXPECT_FALSE(ShellCopyDir("/", moved.string(), TShellOperation::Copy));
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.Messages[0].Text, "指定ディレクトリ[/->" + moved.string() + "]の複写・移動はできません。 ");
    // A failure says why instead of only answering false.
    EXPECT_FALSE(ShellCopyDir((folder.Path() / "none").string(), copy.string(), TShellOperation::Copy));
    ASSERT_EQ(ui.Messages.size(), 2u);
    EXPECT_TRUE(ui.LastText().starts_with("フォルダを複写・移動できません。"));
    EXPECT_NE(ui.LastText().find((folder.Path() / "none").string()), std::string::npos);
}

TEST(FileOps, ComputerNameIsTheKernelsHostName)
{
    std::string hostName = ReadBytes("/proc/sys/kernel/hostname");
    hostName.erase(hostName.find_last_not_of('\n') + 1);
    ASSERT_FALSE(hostName.empty());
    EXPECT_EQ(GetClientName(), hostName);
}

}  // namespace
}  // namespace qz
