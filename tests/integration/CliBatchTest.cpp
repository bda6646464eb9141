// qzconvert-cli's batch and its abandoned runs as an operator meets them: the built program as child
// processes on real installations in a temporary folder, its --json summaries read by Qt's parser, its
// summary file read byte for byte.

#include "common/Cp932.h"
#include "common/Format.h"
#include "platform/ChildProcess.h"
#include "tests/support/BatchClients.h"
#include "tests/support/SampleExtracts.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <set>
#include <thread>

namespace qz {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct TRun {
    int Status = -1;
    std::string Out;
    std::string Err;
    QJsonObject Json() const
    {
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(Out));
        EXPECT_TRUE(document.isObject()) << Out << Err;
        return document.object();
    }
};

std::string Text(const QJsonValue& value)
{
    return value.toString().toStdString();
}

std::vector<std::string> Split(const std::string& text, std::string_view separator)
{
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(separator, from)) != std::string::npos; from = at + separator.size())
        parts.push_back(text.substr(from, at - from));
    parts.push_back(text.substr(from));
    return parts;
}

class CliBatchTest : public ::testing::Test {
protected:
    test::TTempFolder root;
    test::TScopedEnv env;

    void SetUp() override { env.Set("TEMP", root.Path().string()).Set("XDG_RUNTIME_DIR", root.Path().string()); }

    // A fresh installation with free data folders, the one the program works on from now on.
    fs::path UseInstallation(const std::string& name, int rows)
    {
        const fs::path common = root.Path() / name;
        env.Set("QZ_COMMON_APPDATA", common.string()).Set("QZ_DOCUMENTS", (root.Path() / "ドキュメント").string());
        const TRun init = Run({"target-init", "--rows", std::to_string(rows)});
        EXPECT_EQ(init.Status, 0) << init.Out << init.Err;
        return common / "QuorvelZAI" / "ZAIMU" / "DATA";
    }

    TChildProcess Program(const std::vector<std::string>& arguments, const std::string& name)
    {
        return {.Program = QZ_CLI_PATH, .Arguments = arguments, .OutputFile = root.Path() / (name + ".out"),
                .ErrorFile = root.Path() / (name + ".err")};
    }

    TRun Run(const std::vector<std::string>& arguments)
    {
        const TChildProcess program = Program(arguments, "run");
        const int status = RunChildProcess(program);
        return {status, test::ReadBytes(*program.OutputFile), test::ReadBytes(*program.ErrorFile)};
    }

    QJsonArray Destinations()
    {
        const TRun run = Run({"destinations", "--json"});
        EXPECT_EQ(run.Status, 0) << run.Err;
        return run.Json()["rows"].toArray();
    }

    std::string StateOf(int row)
    {
        const QJsonArray rows = Destinations();
        return Text(rows[row]["state"]);
    }
};

// ---- batch

// What a batch made of one client, comparable between runs with different job counts.
struct TClientOutcome {
    std::string Result;
    std::vector<int> Journals;
    bool operator==(const TClientOutcome&) const = default;
};

TEST_F(CliBatchTest, SixClientsConvertTheSameWithOneOrTwoJobsAndTheAbortedOneLeavesItsRowFree)
{
    const std::vector<test::TBatchClient> clients = test::BatchClients();
    const fs::path extracts = root.Path() / "抽出データ";
    test::WriteBatchClients(clients, extracts);
    std::map<int, std::map<std::string, TClientOutcome>> outcomes;   // per job count, per client code

    for (const int jobs : {2, 1}) {
        SCOPED_TRACE(testing::Message() << "--jobs " << jobs);
        UseInstallation("インストール" + std::to_string(jobs), 7);
        const fs::path out = root.Path() / ("一括" + std::to_string(jobs));
        const TRun run = Run({"batch", extracts.string(), "--jobs", std::to_string(jobs), "--out", out.string(), "--json"});
        EXPECT_EQ(run.Status, 1) << run.Out << run.Err;
        const QJsonObject json = run.Json();
        EXPECT_EQ(json["jobs"].toInt(), jobs);
        const QJsonArray results = json["clients"].toArray();
        ASSERT_EQ(results.size(), static_cast<int>(clients.size())) << run.Out;

        // The clients in the order of their folders' paths, as the batch lists them.
        std::vector<const test::TBatchClient*> ordered;
        for (const test::TBatchClient& client : clients)
            ordered.push_back(&client);
        std::sort(ordered.begin(), ordered.end(), [](auto* a, auto* b) { return a->Folder < b->Folder; });

        std::set<int> rows;
        const std::string csv = test::ReadBytes(out / "一括変換結果.csv");
        EXPECT_EQ(Split(csv, "\n").size(), Split(csv, "\r\n").size()) << "a line without CR";
        const std::vector<std::string> lines = Split(DecodeCp932(csv), "\r\n");
        ASSERT_EQ(lines.size(), clients.size() + 2) << DecodeCp932(csv);
        EXPECT_EQ(lines.front(), "抽出データ,結果,関与先コード,関与先名,データフォルダ,当期仕訳,前期仕訳,前々期仕訳,照合,差異,秒,"
                                 "書類フォルダ,エラーログ,メッセージ");
        EXPECT_EQ(lines.back(), "");

        for (int i = 0; i < results.size(); ++i) {
            const test::TBatchClient& client = *ordered[static_cast<std::size_t>(i)];
            const QJsonObject result = results[i].toObject();
            SCOPED_TRACE(client.Folder.string());
            EXPECT_EQ(Text(result["extract"]), (extracts / client.Folder).string());
            EXPECT_EQ(Text(result["code"]), client.Description.ClientCode);
            EXPECT_EQ(Text(result["name"]), client.Description.ClientName);
            EXPECT_EQ(result["failed"].toBool(), client.Aborts);
            // Each client has its own documents folder, and only the aborted one has an error log there.
            const fs::path documents = Text(result["documents"]);
            EXPECT_EQ(documents.parent_path(), out);
            const fs::path errorLog = documents / "Quorvel_ConvertError.log";
            EXPECT_EQ(fs::exists(errorLog), client.Aborts);
            EXPECT_EQ(Text(result["error_log"]), client.Aborts ? errorLog.string() : "");

            TClientOutcome outcome{Text(result["result"]), {}};
            for (const QJsonValue year : result["years"].toArray())
                outcome.Journals.push_back(year["journals"].toInt());
            std::vector<std::string> journals(3);
            if (!client.Aborts) {
                const int rec = result["rec"].toInt();
                EXPECT_TRUE(rows.insert(rec).second) << "row " << rec << " taken twice";
                ASSERT_EQ(outcome.Journals.size(), client.Description.Years.size());
                for (std::size_t y = 0; y < journals.size(); ++y) {
                    EXPECT_EQ(outcome.Journals[y], static_cast<int>(client.Description.Years[y].Entries.size()));
                    journals[y] = std::to_string(outcome.Journals[y]);
                }
            }
            outcomes[jobs][client.Description.ClientCode] = outcome;

            const std::vector<std::string> cells = Split(lines[static_cast<std::size_t>(i) + 1], ",");
            ASSERT_EQ(cells.size(), 14u) << lines[static_cast<std::size_t>(i) + 1];
            const std::vector<std::string> expected = {
                (extracts / client.Folder).string(), client.Aborts ? "失敗" : "成功", client.Description.ClientCode,
                client.Description.ClientName, client.Aborts ? "" : Format("%04d", result["rec"].toInt()), journals[0],
                // Every converted client is reconciled to the yen; the aborted one has nothing to reconcile.
                journals[1], journals[2], client.Aborts ? "-" : "ok", client.Aborts ? "" : "0", cells[10], documents.string(),
                client.Aborts ? errorLog.string() : "",
                Text(result["message"])};
            EXPECT_EQ(cells, expected);
            EXPECT_NEAR(std::stod(cells[10]), result["seconds"].toDouble(), 0.05);
        }

        // Five rows hold the five converted clients; the aborted one's row is free again.
        int used = 0;
        for (const QJsonValue row : Destinations()) {
            used += row["free"].toBool() ? 0 : 1;
            EXPECT_EQ(rows.contains(row["rec"].toInt()), !row["free"].toBool()) << row["rec"].toInt();
        }
        EXPECT_EQ(used, 5);
    }
    EXPECT_EQ(outcomes[1], outcomes[2]);
}

// ---- abandoned runs

// A started conversion whose progress can be watched.
class TWatchedRun {
public:
    TWatchedRun(TChildProcess program) : log_(*program.ErrorFile), child_(TRunningChild::Start(program)) {}

    // Waits until the progress says the text (false when the run ended first).
    bool WaitFor(std::string_view text)
    {
        for (auto until = std::chrono::steady_clock::now() + 120s; std::chrono::steady_clock::now() < until;) {
            if (test::ReadBytes(log_).find(text) != std::string::npos)
                return true;
            if (child_.Poll())
                return false;
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }

    int Kill()
    {
        child_.Kill(SIGKILL);
        std::optional<int> status;
        while (!(status = child_.Poll()))
            std::this_thread::sleep_for(10ms);
        return *status;
    }

private:
    fs::path log_;
    TRunningChild child_;
};

TEST_F(CliBatchTest, AConversionKilledInItsJournalImportLeavesARowThatCanBeResetAndConvertedInto)
{
    const fs::path data = UseInstallation("インストール", 3);
    const fs::path large = root.Path() / "大きな抽出データ", sample = root.Path() / "抽出データ";
    test::WriteExtract(test::LargeCorporation(4000), large);
    test::WriteExtract(test::SampleExtracts().front().second, sample);
    test::WriteBytes(data / "0001" / "顧客メモ.txt", "memo");
    constexpr std::string_view kJournalImport = "仕訳を書込中です。";

    TWatchedRun killed(Program({"convert", large.string(), "--json"}, "killed"));
    ASSERT_TRUE(killed.WaitFor(kJournalImport));
    EXPECT_EQ(killed.Kill(), 128 + SIGKILL);
    ASSERT_TRUE(fs::exists(data / "0001" / "qrvacc.fdb"));

    // A second run into folder 2, alive while the folders are looked at.
    TWatchedRun running(Program({"convert", large.string(), "--row", "2", "--json"}, "running"));
    ASSERT_TRUE(running.WaitFor(kJournalImport));
    const QJsonArray rows = Destinations();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(Text(rows[0]["state"]), "abandoned");
    EXPECT_EQ(Text(rows[0]["name"]), "※コンバート中、選択しないでください。");
    EXPECT_EQ(Text(rows[1]["state"]), "running");
    EXPECT_EQ(Text(rows[2]["state"]), "free");
    const TRun text = Run({"destinations"});
    EXPECT_NE(text.Out.find("\n  0001  中断  "), std::string::npos) << text.Out;
    EXPECT_NE(text.Out.find("\n  0002  変換中  "), std::string::npos) << text.Out;
    EXPECT_NE(text.Out.find("\nコンバート中のまま中断されたデータフォルダ: 0001（"), std::string::npos) << text.Out;

    // Neither a live run's row nor a row that is not in progress is reset.
    for (const auto& [rec, refusal] : {std::pair{"2", "データフォルダ 0002 はコンバート中です。"},
                                       std::pair{"3", "データフォルダ 0003 はコンバート中のまま残されたデータフォルダではありません。"}}) {
        const TRun refused = Run({"destinations", "--reset", rec, "--json"});
        EXPECT_EQ(refused.Status, 1);
        EXPECT_EQ(Text(refused.Json()["refusal"]), refusal);
    }
    EXPECT_EQ(StateOf(1), "running");
    running.Kill();

    const TRun reset = Run({"destinations", "--reset", "1"});
    EXPECT_EQ(reset.Status, 0) << reset.Out << reset.Err;
    EXPECT_FALSE(fs::exists(data / "0001" / "qrvacc.fdb"));
    EXPECT_EQ(test::ReadBytes(data / "0001" / "顧客メモ.txt"), "memo");
    EXPECT_EQ(StateOf(0), "free");

    const TRun again = Run({"convert", sample.string(), "--row", "1", "--json"});
    ASSERT_EQ(again.Status, 0) << again.Out << again.Err;
    EXPECT_EQ(again.Json()["destination"].toObject()["rec"].toInt(), 1);
    EXPECT_EQ(StateOf(0), "used");
}

}  // namespace
}  // namespace qz
