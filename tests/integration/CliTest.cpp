// qzconvert-cli as an operator runs it: the built program as a child process on a real installation in a
// temporary folder, its exit status, its lines, and its --json summaries read by an independent parser.

#include "common/Cp932.h"
#include "db/Firebird.h"
#include "platform/InstanceGuard.h"
#include "platform/SystemDef.h"
#include "tests/support/SampleExtracts.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>

namespace qz {
namespace {

namespace fs = std::filesystem;
using test::TExtractDescription;

struct TRun {
    int Status = -1;
    std::string Out;
    std::string Err;
    QJsonObject Json() const
    {
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(Out));
        EXPECT_TRUE(document.isObject()) << Out;
        return document.object();
    }
};

std::string Text(const QJsonValue& value)
{
    return value.toString().toStdString();
}

TExtractDescription Sample(std::string_view name)
{
    for (auto& [folder, description] : test::SampleExtracts())
        if (folder == name)
            return description;
    throw std::invalid_argument("no sample " + std::string(name));
}

std::string UserCodeOf(const TExtractDescription& d, std::string_view code)
{
    for (const test::TExtractAccount& account : d.Accounts)
        if (account.Code == code)
            return account.UserCode;
    return {};
}

class CliTest : public ::testing::Test {
protected:
    test::TTempFolder root;
    test::TScopedEnv env;
    fs::path common = root.Path() / "共有データ（髙橋会計）";
    fs::path data = common / "QuorvelZAI" / "ZAIMU" / "DATA";
    fs::path extract = root.Path() / "抽出データ" / "山田商事";
    TExtractDescription sample = Sample("corporation");

    void SetUp() override
    {
        env.Set("QZ_COMMON_APPDATA", common.string()).Set("QZ_DOCUMENTS", (root.Path() / "ドキュメント").string());
        env.Set("TEMP", root.Path().string()).Set("TMPDIR", root.Path().string()).Set("XDG_RUNTIME_DIR", root.Path().string());
        const TRun init = Run({"target-init", "--rows", "3"});
        ASSERT_EQ(init.Status, 0) << init.Out << init.Err;
    }

    // The program with its arguments; standard output and error apart.
    TRun Run(const std::vector<std::string>& arguments, const std::string& program = QZ_CLI_PATH)
    {
        const fs::path out = root.Path() / "stdout", err = root.Path() / "stderr";
        std::vector<std::string> all = {program};
        all.insert(all.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& argument : all)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
            dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
            execv(argv[0], argv.data());
            _exit(127);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::ReadBytes(out), test::ReadBytes(err)};
    }

    QJsonArray Destinations()
    {
        const TRun run = Run({"destinations", "--json"});
        EXPECT_EQ(run.Status, 0) << run.Err;
        return run.Json()["rows"].toArray();
    }
};

// Where a line starts in the output, or npos.
std::size_t LineAt(const std::string& output, std::string_view line)
{
    return output.find("\n" + std::string(line) + "\n");
}

TEST_F(CliTest, TheInstallationItMadeListsFreeFoldersAndTheExtractShowsItsYears)
{
    const TRun again = Run({"target-init"});
    EXPECT_EQ(again.Status, 1);
    EXPECT_NE(again.Out.find("システムデータベースが既にあります。"), std::string::npos) << again.Out;

    const QJsonArray rows = Destinations();
    ASSERT_EQ(rows.size(), 3);
    for (int i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i]["rec"].toInt(), i + 1);
        EXPECT_TRUE(rows[i]["free"].toBool());
        EXPECT_EQ(Text(rows[i]["path"]), (data / (i == 0 ? "0001" : i == 1 ? "0002" : "0003")).string());
    }

    test::WriteExtract(sample, extract);
    const TRun inspect = Run({"inspect", extract.string(), "--json", "--year", "2"});
    ASSERT_EQ(inspect.Status, 0) << inspect.Err;
    const QJsonObject json = inspect.Json();
    EXPECT_EQ(Text(json["client"]["name"]), sample.ClientName);
    const QJsonArray years = json["years"].toArray();
    ASSERT_EQ(years.size(), static_cast<int>(sample.Years.size()));
    for (int i = 0; i < years.size(); ++i) {
        EXPECT_EQ(years[i]["code"].toInt(), sample.Years[static_cast<std::size_t>(i)].Code);
        EXPECT_EQ(years[i]["journals"].toInt(), static_cast<int>(sample.Years[static_cast<std::size_t>(i)].Entries.size()));
        EXPECT_EQ(years[i]["selected"].toBool(), i == 1);
    }
    EXPECT_TRUE(json["read_messages"].toArray().isEmpty());
    const QJsonArray specials = json["selected_year"]["special_accounts"].toArray();
    const std::vector<std::string> defaults = {"10100", "18000", "33700", "85300", "99900"};
    ASSERT_EQ(specials.size(), static_cast<int>(defaults.size()));
    for (int i = 0; i < specials.size(); ++i)
        EXPECT_EQ(Text(specials[i]["code"]), UserCodeOf(sample, defaults[static_cast<std::size_t>(i)]));
}

TEST_F(CliTest, WrongCommandLinesAndRefusedExtractsEndWithoutWriting)
{
    test::WriteExtract(sample, extract);
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"translate"}, {"inspect"}, {"convert", extract.string(), "--balance", "gross"},
          {"inspect", extract.string(), "--year", "4"}, {"convert", extract.string(), "--chart", "general"},
          {"convert", extract.string(), "--special", "売掛金=152"}, {"destinations", "--row", "1"},
          {"verify", extract.string()}, {"verify", extract.string(), "--row", "1", "--data", data.string()},
          {"convert", extract.string(), "--keep"}}) {
        const TRun run = Run(arguments);
        EXPECT_EQ(run.Status, 2) << testing::PrintToString(arguments) << run.Out;
        EXPECT_NE(run.Err.find("qzconvert-cli: "), std::string::npos) << run.Err;
    }

    {
        // The target program is running: nothing that writes may run beside it.
        const auto targetProgram = TNamedLock::TryAcquire(kTargetProgramLock);
        ASSERT_TRUE(targetProgram);
        const TRun beside = Run({"convert", extract.string(), "--json"});
        EXPECT_EQ(beside.Status, 1);
        EXPECT_EQ(Text(beside.Json()["refusal"]), "Quorvel 財務が起動しています。");
    }

    const TRun notAnExtract = Run({"inspect", root.Path().string()});
    EXPECT_EQ(notAnExtract.Status, 1);
    EXPECT_NE(notAnExtract.Out.find("QuorvelMendalⅢの抽出データを保存したフォルダを　\n\n設定してください。"), std::string::npos)
        << notAnExtract.Out;

    // The revised edition reads only extracts of the source version it names.
    TExtractDescription older = sample;
    older.DBVersion = 0;
    const fs::path olderExtract = root.Path() / "旧版";
    test::WriteExtract(older, olderExtract);
    const TRun revised = Run({"inspect", olderExtract.string()}, QZ_CLI2_PATH);
    EXPECT_EQ(revised.Status, 1);
    EXPECT_EQ(revised.Out, " 指定されたフォルダは、QuorvelMendalⅢ(Ver3.2.0.1)の抽出データではありません。\n");
    EXPECT_EQ(Run({"inspect", olderExtract.string()}).Status, 0);

    const TRun wrongClass = Run({"convert", extract.string(), "--special", "仮受消費税=401", "--json"});
    EXPECT_EQ(wrongClass.Status, 1);
    EXPECT_EQ(Text(wrongClass.Json()["result"]), "refused");
    EXPECT_EQ(Text(wrongClass.Json()["refusal"]), "[401]は分類が違う科目です。");
    EXPECT_NE(wrongClass.Err.find("[401]は分類が違う科目です。"), std::string::npos) << wrongClass.Err;
    for (const QJsonValue row : Destinations())
        EXPECT_TRUE(row["free"].toBool());
    EXPECT_FALSE(fs::exists(data / "0001" / "qrvacc.fdb"));
}

TEST_F(CliTest, HelpAndVersionGoToStandardOutputAndAWrongCommandLineGetsTheUsageOnStandardError)
{
    const std::string usage = "使い方: qzconvert-cli <コマンド>";
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--help"}, {"-h"}, {"help"}, {"convert", extract.string(), "--help"}}) {
        const TRun help = Run(arguments);
        EXPECT_EQ(help.Status, 0) << testing::PrintToString(arguments);
        EXPECT_TRUE(help.Out.starts_with(usage)) << help.Out;
        EXPECT_EQ(help.Err, "");
    }

    const TRun version = Run({"--version"});
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Out, "qzconvert-cli " + std::string(EditionValues(false).ToolVersion) + "\n");
    const TRun revised = Run({"inspect", extract.string(), "--version"}, QZ_CLI2_PATH);
    EXPECT_EQ(revised.Status, 0);
    EXPECT_EQ(revised.Out, "qzconvert2-cli " + std::string(EditionValues(true).ToolVersion) + "\n");
    // After "--" it is a folder's name like any other.
    EXPECT_NE(Run({"inspect", "--", "--version"}).Out, version.Out);

    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--frobnicate"}, {"translate"}, {"inspect", extract.string(), "--frobnicate"}}) {
        const TRun wrong = Run(arguments);
        EXPECT_EQ(wrong.Status, 2) << testing::PrintToString(arguments);
        EXPECT_EQ(wrong.Out, "");
        EXPECT_NE(wrong.Err.find(usage), std::string::npos) << wrong.Err;
    }
}

TEST_F(CliTest, ReadMessagesAreToldBeforeAnythingIsWritten)
{
    // A summary line of the wrong length and a missing journal file.
    sample.ExtraLines.insert({"ZMRYAKU.CSV", "101,7,\"a\\\""});
    sample.OmittedFiles.push_back("ZMSIWAKE.CSV");
    test::WriteExtract(sample, extract);
    const TRun inspect = Run({"inspect", extract.string(), "--json"});
    ASSERT_EQ(inspect.Status, 0) << inspect.Err;
    const QJsonArray messages = inspect.Json()["read_messages"].toArray();
    ASSERT_EQ(messages.size(), 2) << inspect.Out;
    EXPECT_NE(Text(messages[0]).find("101,7,\"a\\\""), std::string::npos) << Text(messages[0]);
    EXPECT_EQ(Text(messages[1]), "ZM仕訳[ZMSIWAKE.CSV]ファイルが無い");

    // Refused by its special accounts: the messages still come first.
    const TRun convert = Run({"convert", extract.string(), "--special", "現金=999"});
    EXPECT_EQ(convert.Status, 1);
    const std::size_t told = LineAt(convert.Out, "  ZM仕訳[ZMSIWAKE.CSV]ファイルが無い");
    ASSERT_NE(told, std::string::npos) << convert.Out;
    EXPECT_LT(told, convert.Out.find("特定科目は、同じコードを設定できません。")) << convert.Out;
}

TEST_F(CliTest, ConvertsASampleIntoTheFirstFreeFolderAndTellsWhatItConverted)
{
    test::WriteExtract(sample, extract);
    const TRun run = Run({"convert", extract.string(), "--json", "--aggregated-csv", root.Path().string()});
    ASSERT_EQ(run.Status, 0) << run.Out << run.Err;
    const QJsonObject json = run.Json();
    EXPECT_EQ(Text(json["result"]), "success");
    EXPECT_EQ(json["destination"]["rec"].toInt(), 1);
    const fs::path database = data / "0001" / "qrvacc.fdb";
    EXPECT_EQ(Text(json["data_database"]), database.string());
    EXPECT_TRUE(fs::is_regular_file(database));
    EXPECT_TRUE(json["error_log"].isNull());
    EXPECT_FALSE(json["past_journals_skipped"].toBool());
    const QJsonArray years = json["years_imported"].toArray();
    const char* names[] = {"当期", "前期", "前々期"};
    ASSERT_EQ(years.size(), 3) << run.Out;
    for (int i = 0; i < 3; ++i) {
        const test::TExtractYear& year = sample.Years[static_cast<std::size_t>(i)];
        EXPECT_EQ(Text(years[i]["year"]), names[i]);
        EXPECT_EQ(years[i]["code"].toInt(), year.Code);
        EXPECT_EQ(years[i]["journals"].toInt(), static_cast<int>(year.Entries.size()));
    }
    const std::string completion = "◎コンバートが完了しました。[終了]ボタンを押して下さい。";
    EXPECT_EQ(json["completion"].toArray(), QJsonArray({QString::fromStdString(completion)}));
    EXPECT_NE(run.Err.find(completion), std::string::npos) << run.Err;
    // The installment savings are merged into other deposits: the list names them, and so does its file.
    const QJsonArray aggregated = json["aggregated_accounts"].toArray();
    ASSERT_FALSE(aggregated.isEmpty());
    EXPECT_EQ(Text(aggregated[0].toArray()[0]), UserCodeOf(sample, "11500"));
    const std::string csv = DecodeCp932(test::ReadBytes(Text(json["aggregated_csv"])));
    EXPECT_TRUE(csv.starts_with("QuorvelMendalⅢ,,,,,Quorvel財務\r\n,科目名,,内訳名,,,科目名,,補助科目名\r\n" +
                                UserCodeOf(sample, "11500") + ","))
        << csv;

    const QJsonArray rows = Destinations();
    EXPECT_FALSE(rows[0]["free"].toBool());
    EXPECT_EQ(Text(rows[0]["code"]), sample.ClientCode);
    const TRun used = Run({"convert", extract.string(), "--row", "1"});
    EXPECT_EQ(used.Status, 1);
    EXPECT_NE(LineAt(used.Out, "選択したフォルダはデータが登録されています。"), std::string::npos) << used.Out;

    // In text, with a line that could not be read: the message comes before anything is written, the next
    // free folder takes the conversion, and the summary tells the years and journals.
    const fs::path second = root.Path() / "抽出データ" / "二回目";
    sample.ExtraLines.insert({"ZMRYAKU.CSV", "101,7,bad"});
    test::WriteExtract(sample, second);
    const TRun text = Run({"convert", second.string()});
    ASSERT_EQ(text.Status, 0) << text.Out << text.Err;
    const std::size_t told = text.Out.find("読込メッセージ（1件）:");
    ASSERT_NE(told, std::string::npos) << text.Out;
    EXPECT_LT(told, text.Out.find("・データベースを初期化中です。")) << text.Out;
    EXPECT_NE(LineAt(text.Out, completion), std::string::npos) << text.Out;
    EXPECT_NE(text.Out.find("(0002)"), std::string::npos) << text.Out;
    const std::size_t current = text.Out.find("\n    当期  ");
    ASSERT_NE(current, std::string::npos) << text.Out;
    const std::string line = text.Out.substr(current + 1, text.Out.find('\n', current + 1) - current - 1);
    EXPECT_TRUE(line.ends_with("  仕訳 " + std::to_string(sample.Years[0].Entries.size()) + " 件")) << line;
}

// Every file below a folder with its bytes, by its path in the folder.
std::map<std::string, std::string> FolderContents(const fs::path& folder)
{
    std::map<std::string, std::string> contents;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder))
        contents[fs::relative(entry.path(), folder).string()] = entry.is_regular_file() ? test::ReadBytes(entry.path()) : "<folder>";
    return contents;
}

// Runs one statement on a data database of the installation, as a damage done behind the program's back.
void Damage(const fs::path& database, std::string_view sql)
{
    fb::TAttachment attachment = fb::TAttachment::Attach(
        {database.string(), std::string(kProductDbUser), std::string(kProductDbPassword), std::string(kProductDbCharset)});
    fb::TTransaction transaction(attachment);
    transaction.Start();
    fb::ExecuteImmediate(transaction, sql);
    transaction.Commit();
}

TEST_F(CliTest, ConvertReconcilesAndVerifyFindsWhatWasChangedSince)
{
    test::WriteExtract(sample, extract);
    const TRun run = Run({"convert", extract.string(), "--json"});
    ASSERT_EQ(run.Status, 0) << run.Out << run.Err;
    const QJsonObject reconciliation = run.Json()["reconciliation"].toObject();
    EXPECT_EQ(Text(reconciliation["result"]), "ok") << run.Out;
    EXPECT_EQ(reconciliation["differences"].toInt(), 0);
    const fs::path documents = Text(reconciliation["csv"]);
    EXPECT_TRUE(fs::is_regular_file(documents)) << documents;
    EXPECT_TRUE(test::ReadBytes(Text(reconciliation["pdf"])).starts_with("%PDF")) << Text(reconciliation["pdf"]);
    EXPECT_NE(run.Err.find("突合結果: 差異なし"), std::string::npos) << run.Err;

    const fs::path out = root.Path() / "突合";
    const TRun clean = Run({"verify", extract.string(), "--row", "1", "--out", out.string(), "--json"});
    EXPECT_EQ(clean.Status, 0) << clean.Out << clean.Err;
    EXPECT_EQ(Text(clean.Json()["result"]), "ok");
    EXPECT_EQ(fs::path(Text(clean.Json()["csv"])).parent_path(), out);

    // The debit side of one entry of the current year loses 7 yen: a difference in its month's journals.
    Damage(data / "0001" / "qrvacc.fdb",
           "UPDATE SIWAKE SET KINGAKU = KINGAKU - 7 WHERE REC = (SELECT MIN(REC) FROM SIWAKE WHERE TAISHAKU = 1)");
    const TRun damaged = Run({"verify", extract.string(), "--data", (data / "0001").string(), "--out", out.string()});
    EXPECT_EQ(damaged.Status, 1) << damaged.Out << damaged.Err;
    EXPECT_NE(damaged.Out.find("突合結果: 差異 1 件"), std::string::npos) << damaged.Out;
    EXPECT_NE(damaged.Out.find("差額=-7"), std::string::npos) << damaged.Out;
    const std::string csv = DecodeCp932(test::ReadBytes(out / ("Quorvel_Reconcile_" + sample.ClientCode + ".csv")));
    EXPECT_NE(csv.find(",当期,"), std::string::npos) << csv;
    EXPECT_NE(csv.find(",-7\r\n"), std::string::npos) << csv;
}

TEST_F(CliTest, ADryRunLeavesTheOfficeAsItWasAndTellsWhatARealRunWouldDo)
{
    test::WriteExtract(sample, extract);
    const std::map<std::string, std::string> before = FolderContents(common);
    const TRun dry = Run({"convert", extract.string(), "--dry-run", "--json"});
    ASSERT_EQ(dry.Status, 0) << dry.Out << dry.Err;
    EXPECT_EQ(FolderContents(common), before);
    const QJsonObject json = dry.Json();
    EXPECT_TRUE(json["dry_run"].toBool());
    EXPECT_TRUE(json["scratch"].isNull());
    EXPECT_TRUE(json["data_database"].isNull());
    EXPECT_EQ(json["destination"]["rec"].toInt(), 1);
    EXPECT_EQ(Text(json["reconciliation"]["result"]), "ok");
    for (const QJsonValue row : Destinations())
        EXPECT_TRUE(row["free"].toBool());
    for (const fs::directory_entry& entry : fs::directory_iterator(root.Path()))
        EXPECT_FALSE(entry.path().filename().string().starts_with("qzconvert-")) << entry.path();

    // The real run takes the same row and the same journals.
    const TRun real = Run({"convert", extract.string(), "--json"});
    ASSERT_EQ(real.Status, 0) << real.Err;
    const QJsonObject realJson = real.Json();
    EXPECT_EQ(realJson["destination"]["rec"].toInt(), 1);
    EXPECT_EQ(realJson["years_imported"].toArray(), json["years_imported"].toArray());
    ASSERT_EQ(json["years_imported"].toArray().size(), 3);

    // Kept, the scratch installation holds the trial's data set.
    const TRun kept = Run({"convert", extract.string(), "--dry-run", "--keep", "--json"});
    ASSERT_EQ(kept.Status, 0) << kept.Err;
    const QJsonObject keptJson = kept.Json();
    const fs::path scratch = Text(keptJson["scratch"]);
    EXPECT_EQ(keptJson["destination"]["rec"].toInt(), 2);
    EXPECT_TRUE(fs::is_regular_file(Text(keptJson["data_database"]))) << kept.Err;
    EXPECT_TRUE(Text(keptJson["data_database"]).starts_with(scratch.string()));
    EXPECT_NE(kept.Err.find(scratch.string()), std::string::npos);
}

}  // namespace
}  // namespace qz
