// batch: every extract folder below a folder converted with the wizard's defaults into the next free data
// folders, by worker processes of this program ("convert --json"), up to --jobs at once. A client that
// fails does not stop the others. The batch holds the tools' lock for its workers and hands it down to
// them; each worker has its own documents folder (its error logs) and its own temporary folder (the
// journal work file, the backup tool's log), so no run overwrites another's files.

#include "app/MainFormPaths.h"
#include "app/SyuyakuCsv.h"
#include "cli/Commands.h"
#include "common/Cp932.h"
#include "common/Format.h"
#include "common/TextHelpers.h"
#include "convert/ZaimuIO_Manifest.h"
#include "platform/ChildProcess.h"
#include "platform/ShellFolders.h"
#include "platform/SystemDef.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

namespace qz::cli {
namespace {

using TClock = std::chrono::steady_clock;

constexpr int kMaxJobs = 16;
constexpr int kMaxExitStatus = 125;   // above it a shell reports signals and programs it could not run
constexpr std::string_view kSummaryCsvName = "一括変換結果.csv";
constexpr std::string_view kWorkerSummary = "qzconvert.json";   // the worker's standard output
constexpr std::string_view kWorkerLog = "qzconvert.log";        // its progress and messages
constexpr std::string_view kYearNames[] = {"当期", "前期", "前々期"};
constexpr std::chrono::milliseconds kPollEvery{100};
constexpr int kProgressBarWidth = 20;

struct TResultName {
    std::string_view Key;     // the worker's "result"
    std::string_view Shown;
};
constexpr TResultName kResultNames[] = {{"success", "成功"}, {"refused", "拒否"}, {"failure", "失敗"}};

std::string_view ShownResult(std::string_view key)
{
    for (const TResultName& name : kResultNames)
        if (name.Key == key)
            return name.Shown;
    return "失敗";
}

// One client of the batch: where its extract is and where its run writes, then what the run told.
struct TClient {
    fs::path Extract{};
    fs::path Documents{};
    fs::path Temp{};

    std::string Result = "failure";
    std::string Code{}, Name{};
    int Rec = 0;
    std::vector<std::pair<std::string, std::int64_t>> Years{};   // (year name, journal pairs)
    std::optional<std::string> Reconciliation{};                 // "ok", "differences", "failed"
    std::optional<std::int64_t> Differences{};
    std::string ErrorLog{}, Message{};
    double Seconds = 0;

    // Converted and, where the worker reconciles, reconciled without differences.
    bool Failed() const { return Result != "success" || (Reconciliation && *Reconciliation != "ok"); }
    std::string ReconciliationShown() const
    {
        if (!Reconciliation)
            return "-";
        return Differences && *Reconciliation == "differences" ? Format("%s (%lld)", *Reconciliation, static_cast<long long>(*Differences))
                                                               : *Reconciliation;
    }
};

struct TBatchChoices {
    int Jobs = 1;
    fs::path Out;
};

std::string ReadChoices(const TArguments& arguments, TBatchChoices& choices)
{
    if (const auto jobs = arguments.Value("--jobs")) {
        const std::optional<int> count = TryTextToInt32(*jobs);
        if (!count || *count < 1 || *count > kMaxJobs)
            return Format("--jobs には 1～%d の数を指定してください（%s）。", kMaxJobs, *jobs);
        choices.Jobs = *count;
    }
    if (const auto out = arguments.Value("--out"))
        choices.Out = *out;
    return {};
}

// The extract folders below the folder (the folder itself when it is one), in path order; an extract's
// own sub-folders are not searched.
std::vector<fs::path> FindExtracts(const fs::path& root)
{
    if (IsExtractFolder(root))
        return {root};
    std::vector<fs::path> found;
    const auto options = fs::directory_options::skip_permission_denied;
    for (auto entry = fs::recursive_directory_iterator(root, options); entry != fs::recursive_directory_iterator(); ++entry) {
        std::error_code error;
        if (!entry->is_directory(error) || !IsExtractFolder(entry->path()))
            continue;
        found.push_back(entry->path());
        entry.disable_recursion_pending();
    }
    std::sort(found.begin(), found.end());
    return found;
}

fs::path DefaultOutputFolder()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return fs::path(ShellFolderPath(CSIDL_PERSONAL)) /
           Format("一括変換_%04d%02d%02d_%02d%02d%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec);
}

// What the worker's summary tells; a worker that printed none failed.
void ReadWorkerSummary(TClient& client, int status)
{
    std::ifstream in(client.Documents / std::string(kWorkerSummary), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::optional<TJson> json = TJson::Parse(text);
    if (!json || !(*json)["result"].Text()) {
        client.Result = "failure";
        client.Message = Format("変換の結果がありません（終了コード %d）。経過は %s にあります。", status,
                                (client.Documents / std::string(kWorkerLog)).string());
        return;
    }
    const TJson& summary = *json;
    client.Result = *summary["result"].Text();
    client.Code = summary["client"]["code"].Text().value_or("");
    client.Name = summary["client"]["name"].Text().value_or("");
    if (client.Result == "success")
        client.Rec = static_cast<int>(summary["destination"]["rec"].Int().value_or(0));
    for (const TJson& year : summary["years_imported"].Items())
        client.Years.emplace_back(year["year"].Text().value_or(""), year["journals"].Int().value_or(0));
    client.Reconciliation = summary["reconciliation"]["result"].Text();
    client.Differences = summary["reconciliation"]["differences"].Int();
    client.ErrorLog = summary["error_log"].Text().value_or("");
    const TJson::TArray& messages = summary["messages"].Items();
    if (const auto refusal = summary["refusal"].Text())
        client.Message = *refusal;
    else if (client.Result != "success" && !messages.empty())
        client.Message = messages.back().Text().value_or("");
    else if (client.Result != "success")
        client.Message = "コンバートに失敗しました。";
}

std::string YearsShown(const TClient& client)
{
    std::string text;
    for (const auto& [year, journals] : client.Years)
        text += Format(text.empty() ? "%s %lld件" : "・%s %lld件", year, static_cast<long long>(journals));
    return text;
}

std::string ClientLine(const TClient& client, int finished, int total)
{
    // A client whose extract could not be read is named by its folder.
    const std::string who = client.Code.empty() && client.Name.empty() ? client.Extract.string() : client.Code + " " + client.Name;
    std::string line = Format("[%d/%d] %s  %s  ", finished, total, std::string(ShownResult(client.Result)), who);
    if (client.Result == "success")
        line += Format("データフォルダ %04d  %s  照合 %s", client.Rec, YearsShown(client), client.ReconciliationShown());
    else
        line += TerminalLines(client.Message) + (client.ErrorLog.empty() ? "" : "  エラーログ: " + client.ErrorLog);
    return line + Format("  %.1f秒", client.Seconds);
}

// The summary CSV: one line per client, Shift-JIS with CR LF.
void WriteSummaryCsv(const fs::path& file, const std::vector<TClient>& clients)
{
    std::string bytes = EncodeCp932Escaped(
        "抽出データ,結果,関与先コード,関与先名,データフォルダ,当期仕訳,前期仕訳,前々期仕訳,照合,差異,秒,書類フォルダ,エラーログ,メッセージ") + "\r\n";
    for (const TClient& client : clients) {
        std::vector<std::string> values = {client.Extract.string(), std::string(ShownResult(client.Result)), client.Code, client.Name,
                                           client.Rec > 0 ? Format("%04d", client.Rec) : std::string()};
        for (const std::string_view year : kYearNames) {
            const auto found = std::find_if(client.Years.begin(), client.Years.end(), [&](const auto& y) { return y.first == year; });
            values.push_back(found == client.Years.end() ? std::string() : std::to_string(found->second));
        }
        values.push_back(client.Reconciliation.value_or("-"));
        values.push_back(client.Differences ? std::to_string(*client.Differences) : std::string());
        values.push_back(Format("%.1f", client.Seconds));
        values.push_back(client.Documents.string());
        values.push_back(client.ErrorLog);
        values.push_back(client.Message);
        std::string line;
        for (const std::string& value : values)
            line += (line.empty() ? "" : ",") + CsvValue(value);
        // A character Shift-JIS cannot hold (in a folder name) is kept as <U+XXXX> rather than lost.
        bytes += EncodeCp932Escaped(line) + "\r\n";
    }
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out || !(out << bytes) || !out.flush())
        throw std::runtime_error(Format("ファイルに書き込めません。<%s>", file.string()));
}

TJson ClientJson(const TClient& client)
{
    TJson years = TJson::Array();
    for (const auto& [year, journals] : client.Years)
        years.Push(TJson::Object().Set("year", year).Set("journals", journals));
    return TJson::Object()
        .Set("extract", client.Extract.string())
        .Set("result", client.Result)
        .Set("failed", client.Failed())
        .Set("code", client.Code)
        .Set("name", client.Name)
        .Set("rec", client.Rec > 0 ? TJson(client.Rec) : TJson())
        .Set("years", std::move(years))
        .Set("reconciliation", client.Reconciliation ? TJson(*client.Reconciliation) : TJson())
        .Set("differences", client.Differences ? TJson(*client.Differences) : TJson())
        .Set("seconds", client.Seconds)
        .Set("documents", client.Documents.string())
        .Set("error_log", client.ErrorLog.empty() ? TJson() : TJson(client.ErrorLog))
        .Set("message", client.Message.empty() ? TJson() : TJson(client.Message));
}

// Runs the clients' conversions, up to `jobs` at once, and tells each as it ends.
class TBatchRun {
public:
    TBatchRun(TOutput& output, std::vector<TClient>& clients, int jobs, const TNamedLock& toolsLock)
        : output_(output), clients_(clients), jobs_(jobs), toolsLock_(toolsLock)
    {
    }

    void Run()
    {
        std::size_t next = 0;
        while (next < clients_.size() || !running_.empty()) {
            while (static_cast<int>(running_.size()) < jobs_ && next < clients_.size())
                Start(clients_[next++]);
            for (std::size_t i = 0; i < running_.size();) {
                if (const std::optional<int> status = running_[i].Child.Poll()) {
                    Finish(running_[i], *status);
                    running_.erase(running_.begin() + static_cast<std::ptrdiff_t>(i));
                } else {
                    ++i;
                }
            }
            ShowProgress();
            if (!running_.empty())
                std::this_thread::sleep_for(kPollEvery);
        }
        output_.Human().ClearLive();
    }

private:
    struct TWorker {
        TClient* Client;
        TRunningChild Child;
        TClock::time_point Started;
    };

    void Start(TClient& client)
    {
        const TClock::time_point started = TClock::now();
        try {
            fs::create_directories(client.Documents);
            fs::create_directories(client.Temp);
            running_.push_back({&client, TRunningChild::Start(WorkerOf(client)), started});
        } catch (const std::exception& error) {
            client.Message = error.what();
            Finished(client, started);
        }
    }

    TChildProcess WorkerOf(const TClient& client) const
    {
        return {.Program = CurrentExecutable(),
                .Arguments = {"convert", client.Extract.string(), "--json", "--aggregated-csv", client.Documents.string()},
                .Environment = {{"QZ_DOCUMENTS", client.Documents.string()},
                                {"TEMP", client.Temp.string()},
                                {"TMPDIR", client.Temp.string()},
                                {std::string(kInheritedToolsLockVariable), std::to_string(toolsLock_.Descriptor())}},
                .OutputFile = client.Documents / std::string(kWorkerSummary),
                .ErrorFile = client.Documents / std::string(kWorkerLog),
                .InheritedDescriptors = {toolsLock_.Descriptor()}};
    }

    void Finish(TWorker& worker, int status)
    {
        ReadWorkerSummary(*worker.Client, status);
        std::error_code error;
        fs::remove_all(worker.Client->Temp, error);
        Finished(*worker.Client, worker.Started);
    }

    void Finished(TClient& client, TClock::time_point started)
    {
        client.Seconds = std::chrono::duration<double>(TClock::now() - started).count();
        ++finished_;
        failed_ += client.Failed() ? 1 : 0;
        output_.Line(ClientLine(client, finished_, static_cast<int>(clients_.size())));
    }

    void ShowProgress()
    {
        const int total = static_cast<int>(clients_.size());
        const int filled = total > 0 ? finished_ * kProgressBarWidth / total : kProgressBarWidth;
        std::string running;
        for (const TWorker& worker : running_)
            running += (running.empty() ? "" : ", ") + worker.Client->Extract.filename().string();
        output_.Human().Live(Format("[%s%s] %d/%d 件（失敗 %d）  変換中: %s", std::string(static_cast<std::size_t>(filled), '#'),
                                    std::string(static_cast<std::size_t>(kProgressBarWidth - filled), '-'), finished_, total,
                                    failed_, running));
    }

    TOutput& output_;
    std::vector<TClient>& clients_;
    int jobs_;
    const TNamedLock& toolsLock_;
    std::vector<TWorker> running_;
    int finished_ = 0;
    int failed_ = 0;
};

std::vector<TClient> ClientsOf(const std::vector<fs::path>& extracts, const fs::path& out, const fs::path& temp)
{
    std::vector<TClient> clients;
    for (std::size_t i = 0; i < extracts.size(); ++i) {
        const std::string job = Format("%03d_%s", static_cast<int>(i + 1), extracts[i].filename().string());
        clients.push_back({.Extract = extracts[i], .Documents = out / job, .Temp = temp / job});
    }
    return clients;
}

}  // namespace

int RunBatch(const TArguments& arguments, TOutput& output)
{
    TBatchChoices choices;
    if (const std::string error = ReadChoices(arguments, choices); !error.empty())
        return UsageError(error);
    const fs::path folder = arguments.Operands.front();
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return UsageError(Format("フォルダがありません（%s）。", folder.string()));
    const std::optional<TInstanceGuard> guard = AcquireGuard(output);
    if (!guard)
        return kExitFailure;

    const std::vector<fs::path> extracts = FindExtracts(folder);
    if (extracts.empty()) {
        output.Line("抽出データのフォルダが見つかりません: " + folder.string());
        if (output.Json())
            output.Summary(TJson::Object().Set("result", "refused").Set("refusal", "抽出データのフォルダが見つかりません。"));
        return kExitFailure;
    }
    int jobs = std::min(choices.Jobs, static_cast<int>(extracts.size()));
    if (jobs > 1 && MainFormPathsOf(SystemDef(), ProgramValues()).ServerMode) {
        output.Line("サーバー運用では作業用のデータベースが一つのため、一件ずつ変換します。");
        jobs = 1;
    }
    const fs::path out = choices.Out.empty() ? DefaultOutputFolder() : choices.Out;
    const fs::path temp = fs::path(SystemDef().TempDir) / Format("qzconvert-batch-%d", static_cast<int>(::getpid()));
    fs::create_directories(out);
    std::vector<TClient> clients = ClientsOf(extracts, out, temp);

    output.Line(Format("抽出データ %d 件を変換します（同時に %d 件）。出力先: %s", static_cast<int>(clients.size()), jobs, out.string()));
    TBatchRun(output, clients, jobs, *guard->ToolsLock()).Run();
    fs::remove_all(temp, error);

    const int failed = static_cast<int>(std::count_if(clients.begin(), clients.end(), [](const TClient& c) { return c.Failed(); }));
    const fs::path csv = out / std::string(kSummaryCsvName);
    std::string csvError;
    try {
        WriteSummaryCsv(csv, clients);
    } catch (const std::exception& writeError) {
        csvError = writeError.what();
    }
    output.Line(Format("変換 %d 件、失敗 %d 件（%d 件中）。", static_cast<int>(clients.size()) - failed, failed, static_cast<int>(clients.size())));
    output.Line(csvError.empty() ? "一覧: " + csv.string() : "一覧を保存できません: " + csvError);
    if (output.Json()) {
        TJson list = TJson::Array();
        for (const TClient& client : clients)
            list.Push(ClientJson(client));
        output.Summary(TJson::Object()
                           .Set("result", failed == 0 && csvError.empty() ? "success" : "failure")
                           .Set("jobs", jobs)
                           .Set("output", out.string())
                           .Set("summary_csv", csvError.empty() ? TJson(csv.string()) : TJson())
                           .Set("converted", static_cast<int>(clients.size()) - failed)
                           .Set("failed", failed)
                           .Set("clients", std::move(list)));
    }
    if (!csvError.empty() && failed == 0)
        return kExitFailure;
    return std::min(failed, kMaxExitStatus);
}

}  // namespace qz::cli
