// Faults in the middle of a conversion on a real local installation: each ends with a message that says
// what failed, the destination's row free again, no data database the run made, every file the operator
// had before unchanged, and a following conversion into the same row completes.

#include "app/ConversionRuns.h"
#include "app/ExecuteStep.h"
#include "common/Format.h"
#include "db/DataModule.h"
#include "platform/ChildProcess.h"
#include "platform/SystemDef.h"
#include "tests/support/ExecuteStepSupport.h"
#include "tests/support/FileTree.h"
#include "tests/support/InstallationFixture.h"
#include "tests/support/Permissions.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

namespace qz {
namespace {

namespace fs = std::filesystem;

// The memo and the status panel of the run, handing every line to a watcher: the faults strike at the
// moment the run tells what it is doing.
class TWatchedLines final : public TProgressLines, public TStatusCaption {
public:
    std::function<void(std::string_view)> Watch = [](std::string_view) {};
    std::vector<std::string> Lines{2};
    std::string StatusText;

    int LineCount() const override { return static_cast<int>(Lines.size()); }
    void SetLine(int index, std::string_view text) override
    {
        Lines.at(static_cast<std::size_t>(index)) = text;
        Watch(text);
    }
    void AppendLine(std::string_view text) override
    {
        Lines.emplace_back(text);
        Watch(text);
    }
    void SetCaption(std::string_view text) override
    {
        StatusText = text;
        Watch(text);
    }
    std::string Caption() const override { return StatusText; }
    std::string Text() const
    {
        std::string text;
        for (const std::string& line : Lines)
            text += line + "\n";
        return text;
    }
};

// A file-size limit on this process and the programs it starts: a write beyond it fails with EFBIG, as
// on a full disk (the signal that would end the process is ignored meanwhile).
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        savedSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    ~TFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, savedSignal_);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*savedSignal_)(int) = SIG_DFL;
};

// Another program attached to a database through its own embedded engine (the command-line SQL tool), which
// holds the file until Release.
class TDatabaseHolder {
public:
    explicit TDatabaseHolder(const fs::path& database)
    {
        test::WriteBytes(hold_, "");
        test::WriteBytes(folder_.Path() / "wait.sh",
                         Format("touch '%s'\nwhile [ -e '%s' ]; do sleep 0.05; done\n", ready_.string(), hold_.string()));
        test::WriteBytes(folder_.Path() / "hold.sql", Format("SHELL sh '%s';\n", (folder_.Path() / "wait.sh").string()));
        tool_.emplace(TRunningChild::Start({.Program = "isql-fb",
                                            .Arguments = {"-user", "SYSDBA", "-i", (folder_.Path() / "hold.sql").string(),
                                                          database.string()},
                                            .Environment = {{std::string(kFirebirdToolLocale.first),
                                                             std::string(kFirebirdToolLocale.second)}},
                                            .OutputFile = folder_.Path() / "output.txt"}));
        // Attached once the script runs; a tool that ended instead failed to attach.
        for (int i = 0; i < 600 && !fs::exists(ready_) && !tool_->Poll(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~TDatabaseHolder() { Release(); }
    TDatabaseHolder(const TDatabaseHolder&) = delete;
    TDatabaseHolder& operator=(const TDatabaseHolder&) = delete;

    bool Holding() const { return fs::exists(ready_); }
    std::string Output() const { return test::ReadBytes(folder_.Path() / "output.txt"); }
    // Lets the tool finish its script and detach.
    void Release()
    {
        std::error_code ignored;
        fs::remove(hold_, ignored);
        for (int i = 0; i < 600 && tool_ && !tool_->Poll(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        tool_.reset();
    }

private:
    test::TTempFolder folder_;
    fs::path hold_ = folder_.Path() / "hold", ready_ = folder_.Path() / "ready";
    std::optional<TRunningChild> tool_;
};

bool Contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

class RunFaults : public test::TInstallationFixture {
protected:
    static constexpr int kRec = 2;
    TWatchedLines lines;
    TQZaimuIO io;

    void SetUp() override
    {
        TInstallationFixture::SetUp();
        test::LinkTemplateFolder();
        test::ReadSample(io, "corporation", root.Path());
        DM().AccDefDisconnect();
    }

    fs::path Folder() const { return fs::path(SystemDef().SysDbDir) / Format("%04d", kRec); }
    fs::path SystemDatabase() const { return fs::path(SystemDef().SysDbDir) / ProgramValues().SysDbFileName; }

    TExecuteResult Execute(TQZaimuIO& from)
    {
        TExecuteStep step(MainFormPathsOf(SystemDef(), ProgramValues()), lines, lines);
        return step.ExecuteConversion(from, {kRec, Folder().string()}, {});
    }

    // The operator's files: the installation, the common data (registry and data folders), the documents and
    // the extract. The temporary folder (the root itself) is the program's.
    test::TFileTree OperatorFiles() const
    {
        test::TFileTree files;
        for (const fs::path& folder : {root.Path() / "install", fs::path(ProgramValues().CommonDataPath),
                                      fs::path(SystemDef().DocumentsDir), io.CsvDir.parent_path()})
            files.merge(test::ListFileTree(folder, root.Path()));
        return files;
    }

    std::string Relative(const fs::path& file) const { return file.lexically_relative(root.Path()).generic_string(); }

    // What a run may add or change: the registry (its row is checked on its own), the conversion error log and
    // the database error logs.
    std::set<std::string> MayChange() const
    {
        const fs::path logs(SystemDef().LogDir);
        return {Relative(SystemDatabase()), Relative(fs::path(SystemDef().DocumentsDir) / std::string(TExecuteStep::kErrorLogName)),
                Relative(logs / "ErrFbAccess.log"), Relative(logs / "ErrFbAccess.txt")};
    }

    // The row is free, no data database is in the folder and every other file is as it was.
    void ExpectNothingLeft(const test::TFileTree& expected)
    {
        EXPECT_TRUE(test::IsFreeRow(test::DataListRow(kRec)));
        DM().AccDefDisconnect();
        EXPECT_FALSE(fs::exists(Folder() / ProgramValues().DataDbFileName));
        EXPECT_EQ(test::TreeChanges(expected, OperatorFiles(), MayChange()), std::vector<std::string>{});
    }

    // A normal conversion into the same row, from the extract written anew.
    void ExpectConvertsAgain()
    {
        lines = TWatchedLines();
        ui.Messages.clear();
        TQZaimuIO again;
        const test::TExtractDescription d = test::ReadSample(again, "corporation", root.Path());
        const TExecuteResult result = Execute(again);
        ASSERT_TRUE(result.Success()) << lines.Text() << ui.LastText();
        const TDataSentakuRec row = test::DataListRow(kRec);
        EXPECT_EQ(row.SHOUGOU, d.ClientName);
        EXPECT_EQ(row.KISHU, d.Years.front().Start);
        EXPECT_TRUE(fs::is_regular_file(Folder() / ProgramValues().DataDbFileName));
    }
};

// A write beyond a file-size limit fails as on a full disk: in the restoring tool (which inherits the limit),
// then in this process's own engine while the journals are written. The registry lies below the limit.
TEST_F(RunFaults, ADiskFullWhileRestoringOrImportingFailsTheRunAndLeavesNoDatabase)
{
    const rlim_t limit = fs::file_size(dataFolder / ProgramValues().DataDbFileName) / 2;
    ASSERT_LT(fs::file_size(SystemDatabase()), limit);
    const test::TFileTree before = OperatorFiles();
    std::optional<TFileSizeLimit> full;
    const auto fullFrom = [&](std::string_view line) {
        lines.Watch = [&full, line, limit](std::string_view text) {
            if (Contains(text, line) && !full)
                full.emplace(limit);
        };
    };

    fullFrom("・データベースを初期化中です。");
    EXPECT_EQ(Execute(io).Outcome, TExecuteOutcome::Failed);
    full.reset();
    EXPECT_EQ(lines.Lines[0], "・新規データの作成に失敗しました。");
    EXPECT_TRUE(Contains(lines.Text(), "ディスクの空き容量")) << lines.Text();
    // The tool's message names the database as it is called.
    EXPECT_TRUE(Contains(ui.LastText(), "File too large")) << ui.LastText();
    EXPECT_TRUE(Contains(ui.LastText(), (Folder() / ProgramValues().DataDbFileName).string())) << ui.LastText();
    ExpectNothingLeft(before);

    lines = TWatchedLines();
    fullFrom("仕訳を読込中です。");
    EXPECT_EQ(Execute(io).Outcome, TExecuteOutcome::Failed);
    full.reset();
    EXPECT_TRUE(Contains(lines.Text(), "ErrCode<335544344>  SQLCODE<-902>")) << lines.Text();
    EXPECT_TRUE(Contains(lines.Text(), "（ファイルの入出力エラーが発生しました）")) << lines.Text();
    EXPECT_TRUE(Contains(lines.Text(), "File too large")) << lines.Text();
    EXPECT_EQ(lines.StatusText, "マイドキュメントに\"Quorvel_ConvertError.log\"を作成しました。");
    ExpectNothingLeft(before);

    ExpectConvertsAgain();
}

TEST_F(RunFaults, ADamagedTemplateFailsTheRunAndLeavesNoDatabase)
{
    const std::string name(ProgramValues().Edition().TemplateFor(io.ChartKind()));
    const fs::path init = TExecuteStep::TemplateFolder();
    fs::remove(init);
    const std::string backup = test::ReadBytes(test::TemplateFolder() / name);
    test::WriteBytes(init / name, backup.substr(0, backup.size() / 2));
    const test::TFileTree before = OperatorFiles();

    EXPECT_EQ(Execute(io).Outcome, TExecuteOutcome::Failed);
    EXPECT_EQ(lines.Lines[0], "・新規データの作成に失敗しました。");
    EXPECT_TRUE(Contains(lines.Text(), Format("テンプレート<%s>から", (init / name).string()))) << lines.Text();
    EXPECT_TRUE(Contains(ui.LastText(), "レストア中にエラーが発生しました。")) << ui.LastText();
    ExpectNothingLeft(before);

    test::WriteBytes(init / name, backup);
    ExpectConvertsAgain();
}

TEST_F(RunFaults, ADataFolderThatTakesNoFilesIsRefusedBeforeTheRowIsClaimed)
{
    using fs::perms;
    fs::permissions(Folder(), perms::owner_read | perms::owner_exec | perms::group_read | perms::group_exec |
                                  perms::others_read | perms::others_exec);
    const test::TFileTree before = OperatorFiles();
    TExecuteResult result;
    {
        const test::TPermissionsBindRoot bound;
        if (bound.Failed())
            GTEST_SKIP() << "running as root without the right to give up the permission overrides";
        result = Execute(io);
    }
    EXPECT_EQ(result.Outcome, TExecuteOutcome::Refused);
    EXPECT_TRUE(Contains(ui.LastText(), Format("選択したフォルダにファイルを作成できません。<%s>", Folder().string()))) << ui.LastText();
    EXPECT_TRUE(Contains(ui.LastText(), "フォルダのアクセス権を確認するか")) << ui.LastText();
    EXPECT_EQ(lines.Lines, (std::vector<std::string>{"", ""}));
    EXPECT_TRUE(fs::is_directory(Folder()));
    ExpectNothingLeft(before);

    fs::permissions(Folder(), perms::owner_write, fs::perm_options::add);
    ExpectConvertsAgain();
}

TEST_F(RunFaults, ARegistryHeldByAnotherProgramIsRefusedBeforeTheRowIsClaimed)
{
    const test::TFileTree before = OperatorFiles();
    TDatabaseHolder holder(SystemDatabase());
    ASSERT_TRUE(holder.Holding()) << holder.Output();

    EXPECT_EQ(Execute(io).Outcome, TExecuteOutcome::Refused);
    EXPECT_TRUE(Contains(ui.LastText(), "他のプログラムがシステムデータベースを使用中です。")) << ui.LastText();
    EXPECT_TRUE(Contains(ui.LastText(), "IBXエラーコード:335544344")) << ui.LastText();
    EXPECT_EQ(lines.Lines, (std::vector<std::string>{"", ""}));
    holder.Release();
    ExpectNothingLeft(before);

    ExpectConvertsAgain();
}

// The journal file is read by the run itself (the masters were read with the extract): a journal file that has
// become a folder, or an extract folder removed, at that moment must not pass as an extract without journals.
TEST_F(RunFaults, AnExtractThatGoesWhileTheRunReadsItFailsTheRun)
{
    const fs::path journal = io.JournalFile();
    const auto expectFailedOnJournal = [&](TQZaimuIO& from, const char* situation) {
        EXPECT_EQ(Execute(from).Outcome, TExecuteOutcome::Failed) << situation;
        EXPECT_TRUE(Contains(ui.LastText(), Format("仕訳ファイルを読み込めません。<%s>", journal.string())))
            << situation << ui.LastText();
        EXPECT_TRUE(Contains(ui.LastText(), "抽出データのフォルダが移動・削除されていないか確認して")) << situation;
    };
    test::TFileTree before = OperatorFiles();
    lines.Watch = [&](std::string_view text) {
        if (text == "仕訳をソート中です。" && fs::is_regular_file(journal)) {
            fs::remove(journal);
            fs::create_directory(journal);
        }
    };
    expectFailedOnJournal(io, "journal file turned folder");
    before.erase(Relative(journal));
    ExpectNothingLeft(before);

    lines = TWatchedLines();
    ui.Messages.clear();
    fs::remove(journal);
    TQZaimuIO reread;
    test::ReadSample(reread, "corporation", root.Path());
    before = OperatorFiles();
    lines.Watch = [&](std::string_view text) {
        if (text == "仕訳をソート中です。")
            fs::remove_all(reread.CsvDir);
    };
    expectFailedOnJournal(reread, "extract folder removed");
    std::erase_if(before, [&](const auto& file) { return file.first.starts_with(Relative(io.CsvDir)); });
    ExpectNothingLeft(before);

    ExpectConvertsAgain();
}

}  // namespace
}  // namespace qz
