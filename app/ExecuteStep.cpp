#include "app/ExecuteStep.h"

#include "app/AppStatements.h"
#include "app/ConversionRuns.h"
#include "common/Format.h"
#include "common/SjisText.h"
#include "db/BackupRestore.h"
#include "db/DataModule.h"
#include "db/DbErrorText.h"
#include "db/ErrorReport.h"
#include "platform/FileOps.h"
#include "platform/ShellFolders.h"
#include "platform/SystemDef.h"

#include <functional>
#include <stdexcept>

namespace fs = std::filesystem;

namespace qz {
namespace {

constexpr std::string_view kContext = "TMainForm.ExecuteConversion";
constexpr std::string_view kRowInUseByAnotherRun = "選択したフォルダは他のコンバートで使用中です。\n"
                                                   "データ選択画面に戻って、別の場所を選んで下さい。";
constexpr std::string_view kUpdateFailed = "データリストの更新に失敗しました。";
// Firebird's answers to an update of a row that another transaction has changed and not yet committed.
constexpr std::int64_t kFbDeadlock = 335544336, kFbLockConflict = 335544345, kFbUpdateConflict = 335544451;
constexpr std::string_view kTransferBackup = "qrvacc.fbk";
constexpr std::string_view kTransferBackupShown = "QRVACC.FBK";
constexpr std::string_view kLocalEngineHost = "127.0.0.1";

// The connection mode for a stretch of the run (the new data database is always built by its local
// path); the previous mode comes back when the stretch ends, however it ends.
class TConnectionModeScope {
public:
    explicit TConnectionModeScope(int mode) : saved_(ProgramValues().ConnectionMode) { ProgramValues().ConnectionMode = mode; }
    ~TConnectionModeScope() { ProgramValues().ConnectionMode = saved_; }
    TConnectionModeScope(const TConnectionModeScope&) = delete;
    TConnectionModeScope& operator=(const TConnectionModeScope&) = delete;

private:
    int saved_;
};

// The text of the exception in flight: for a database error the Japanese explanation of its codes, a line
// break and the server's message. Call it from a catch block.
std::string CurrentExceptionText()
{
    try {
        throw;
    } catch (const fb::TFbError& error) {
        return Format("%s\n%s", DbErrorText(error.Code(), error.SqlCode()), error.Message());
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "不明なエラーが発生しました。";
    }
}

// Runs one statement on the destination's DATALIST row in the system transaction and commits it; an
// update that finds no row is a failure too, or the conversion would end unregistered.
bool UpdateDataListRow(const std::string& host, std::string_view sql, int rec, bool rowRequired,
                       const std::function<void(fb::TStatement&)>& bind)
{
    if (!DM().fnAccDefConnected(host, TOnFailure::Report))
        return false;
    fb::TTransaction& transaction = DM().IBTransactionDEF;
    return RunReported(transaction, kContext, kUpdateFailed, false, [&] {
        fb::TStatement statement(transaction);
        statement.Prepare(sql);
        bind(statement);
        statement.SetInt("REC", rec);
        statement.Execute();
        if (rowRequired && statement.AffectedRows() == 0)
            throw std::runtime_error(Format("データリストに該当の行がありません。(REC=%d)", rec));
        return true;
    });
}

void RemoveFileIfPresent(const fs::path& file)
{
    std::error_code error;
    if (fs::exists(file, error) && !fs::remove(file, error) && error)
        ShowError(Format("ファイルを削除できません。<%s>\n%s", file.string(), error.message()));
}

// What a server run that could not free its row leaves, and what the operator does about it.
std::string LeftInProgressText(const std::string& host, int rec, bool publishFailed, bool unreachable)
{
    std::string text = publishFailed ? Format("データベースサーバー(%s)への登録に失敗しました。\n", host) : std::string();
    text += unreachable ? "サーバーに接続できないため、" : "サーバー上の後始末ができなかったため、";
    text += Format("データフォルダ %04d はコンバート中のまま残っています。\n", rec);
    text += "このパソコンの作業用ファイルは削除しました。サーバーに接続できるようになれば、"
            "次にコンバートを開始したときに自動的に空きに戻ります。\n";
    text += unreachable ? "データベースサーバーが起動しているか確認してから、もう一度コンバートを実行して下さい。"
                        : "エラーの内容を確認してから、もう一度コンバートを実行して下さい。";
    return text;
}

std::string ErrorLogPath()
{
    try {
        const fs::path log = fs::path(ShellFolderPath(CSIDL_PERSONAL)) / std::string(TExecuteStep::kErrorLogName);
        std::error_code error;
        return fs::is_regular_file(log, error) ? log.string() : std::string();
    } catch (...) {
        return {};   // no documents folder: the run could not have written its log there either
    }
}

}  // namespace

std::string DisplayPath(std::string_view path, std::string_view rootKey)
{
    std::string shown(path);
    if (rootKey.empty())
        return shown;
    const std::size_t at = UpperAscii(path).find(rootKey);
    if (at != std::string::npos)
        shown.replace(at, rootKey.size(), "~");
    return shown;
}

TExecuteStep::TExecuteStep(const TMainFormPaths& paths, TProgressLines& memo, TStatusCaption& status)
    : paths_(paths), memo_(memo), status_(status)
{
}

fs::path TExecuteStep::TemplateFolder()
{
    const TSystemDef& system = SystemDef();
    if (system.ProgramDir.find("TOOLS") != std::string::npos)
        return fs::path(system.ProgramPath) / "INIT";
    const fs::path besidePrograms = fs::path(system.InstallDir) / "INIT";
    const fs::path installedData = (fs::path(system.ProgramPath) / QZ_DATA_FROM_BINDIR / "INIT").lexically_normal();
    std::error_code error;
    // A build tree and the installation's own layout keep INIT beside bin/; a system-wide installation keeps
    // it with the other data. Neither present: the installation's folder, named when the template is missing.
    if (!fs::is_directory(besidePrograms, error) && fs::is_directory(installedData, error))
        return installedData;
    return besidePrograms;
}

fs::path TExecuteStep::DataDatabase() const
{
    return dataDir_ / ProgramValues().DataDbFileName;
}

std::string TExecuteStep::ServerDatabase() const
{
    return (fs::path(serverDataPath_) / ProgramValues().DataDbFileName).string();
}

void TExecuteStep::ShowProgress(std::string_view text)
{
    if (memo_.LineCount() == 0)
        memo_.AppendLine(text);
    else
        memo_.SetLine(0, text);
}

void TExecuteStep::AppendReadErrors(const TQZaimuIO& io)
{
    for (const std::string& line : io.ReadErrors)
        memo_.AppendLine(line);
}

bool ResetDataListRow(const std::string& host, int rec)
{
    return UpdateDataListRow(host, app::sql::kResetDataList, rec, false, [](fb::TStatement&) {});
}

bool DeleteServerDataDatabase(const std::string& host, const std::string& database)
{
    if (!DM().fnAccDefConnected(host, TOnFailure::Report))
        return false;
    return DM().ServerFileOperation("FDEL", database, "") || !DM().ServerFileOperation("FEXIST", database, "");
}

TExecuteResult TExecuteStep::ExecuteConversion(TQZaimuIO& io, const TExecuteDestination& destination,
                                                const TExecuteOptions& options)
{
    Prepare(destination);
    TExecuteResult result;
    result.Outcome = TExecuteOutcome::Refused;
    FinishAbandonedServerRuns(paths_, memo_);
    // The row's lock comes first: while another run holds it, that run may still be removing what it made
    // in the folder, so not even the folder is looked at.
    if (!LockRow()) {
        result.ClaimLost = true;
        return result;
    }
    if (!DestinationIsFree() || !DestinationIsWritable()) {
        rowLock_.reset();
        return result;
    }
    if (const TClaim claim = ClaimDataListRow(io); claim != TClaim::Taken) {
        if (claim == TClaim::Lost)
            Ui().ShowMessage(TMessageKind::Error, kRowInUseByAnotherRun);
        result.ClaimLost = claim == TClaim::Lost;
        rowLock_.reset();
        return result;
    }
    status_.SetCaption("");
    const bool completed = Convert(io, options, result);
    Close(completed);
    FinishClaimRecord(completed);
    rowLock_.reset();   // the row is completed or reset, and the run's files are gone or complete
    result.Outcome = completed ? TExecuteOutcome::Completed : TExecuteOutcome::Failed;
    if (completed)
        result.DataDatabase = paths_.ServerMode ? ProgramValues().ServerHost + ":" + ServerDatabase() : DataDatabase().string();
    else if (importRan_)
        result.ErrorLogPath = ErrorLogPath();
    return result;
}

void TExecuteStep::Prepare(const TExecuteDestination& destination)
{
    configuredMode_ = ProgramValues().ConnectionMode;
    rec_ = destination.Rec;
    folderCreated_ = false;
    importRan_ = false;
    serverRun_ = {};
    if (paths_.ServerMode) {
        serverDataPath_ = destination.Folder;
        dataDir_ = fs::path(ProgramValues().CommonDataPath) / ProgramValues().SettingsSubPath;
    } else {
        serverDataPath_.clear();
        dataDir_ = destination.Folder;
    }
    SystemDef().DataDir = dataDir_.string();
}

// Nothing may replace a data database that is already there: the operator must choose another folder.
bool TExecuteStep::DestinationIsFree()
{
    const std::string& folder = paths_.ServerMode ? serverDataPath_ : dataDir_.native();
    if (rec_ <= 0 || Trim(folder).empty()) {
        ShowError(Format("保存先のデータフォルダが正しくありません。(REC=%d)<%s>", rec_, folder));
        return false;
    }
    bool present = false;
    if (paths_.ServerMode) {
        if (!DM().fnAccDefConnected(paths_.ServerHost, TOnFailure::Report))
            return false;
        present = DM().ServerFileOperation("FEXIST", ServerDatabase(), "");
        DM().AccDefDisconnect();
    } else {
        std::error_code error;
        present = fs::exists(DataDatabase(), error);
    }
    if (present)
        Ui().ShowMessage(TMessageKind::Error, "選択したフォルダには他オペレータによって財務データが作成されています。\n"
                                              "データ選択画面に戻って、別の場所を選んで下さい。");
    return !present;
}

// Local mode: a data folder that takes no files is refused before the row is claimed, with the reason, rather
// than failing the restore into it. A folder still to be made is made later, and a failure there is told.
bool TExecuteStep::DestinationIsWritable()
{
    std::error_code error;
    if (paths_.ServerMode || !fs::is_directory(dataDir_, error))
        return true;
    const std::optional<std::string> refusal = FileCreationRefusal(dataDir_.string());
    if (refusal)
        Ui().ShowMessage(TMessageKind::Error,
                         Format("選択したフォルダにファイルを作成できません。<%s>\n%s\n"
                                "フォルダのアクセス権を確認するか、データ選択画面に戻って、別の場所を選んで下さい。",
                                dataDir_.string(), *refusal));
    return !refusal.has_value();
}

bool TExecuteStep::LockRow()
{
    try {
        rowLock_ = TNamedLock::TryAcquire(RowLockName(paths_, rec_));
    } catch (...) {
        ReportCurrentException(kContext, "データフォルダをロックできません。", false);
        return false;
    }
    if (!rowLock_)
        Ui().ShowMessage(TMessageKind::Error, kRowInUseByAnotherRun);
    return rowLock_.has_value();
}

// Marks the row in progress only while it is still free, and commits at once. Another conversion's claim
// shows as no row changed, or as a conflict while its transaction is still open.
TExecuteStep::TClaim TExecuteStep::ClaimDataListRow(const TQZaimuIO& io)
{
    if (!DM().fnAccDefConnected(paths_.ServerHost, TOnFailure::Report))
        return TClaim::Failed;
    TClaim claim = TClaim::Failed;
    fb::TTransaction& transaction = DM().IBTransactionDEF;
    try {
        fb::TTransactionScope scope(transaction);
        fb::TStatement statement(transaction);
        statement.Prepare(app::sql::kClaimDataListRow);
        statement.SetString("ENTTEXT", kInProgressText).SetDate("KISHU", io.Kisyu).SetDate("KIMATU", io.Kimatu);
        statement.SetInt("REC", rec_);
        statement.Execute();
        claim = statement.AffectedRows() == 0 ? TClaim::Lost : TClaim::Taken;
        if (claim == TClaim::Taken)
            scope.Commit();
    } catch (const fb::TFbError& error) {
        if (error.Code() == kFbLockConflict || error.Code() == kFbUpdateConflict || error.Code() == kFbDeadlock)
            claim = TClaim::Lost;
        else
            ReportDbError(error, kContext, kUpdateFailed, true);
    } catch (...) {
        ReportCurrentException(kContext, kUpdateFailed, false);
    }
    // The import does not need the registry, and holding it would shut every other process out of a local
    // installation's registry for the whole run (the embedded engine opens a file for one process only).
    DM().AccDefDisconnect();
    return claim;
}

bool TExecuteStep::Convert(TQZaimuIO& io, const TExecuteOptions& options, TExecuteResult& result)
{
    // The row is claimed: from here on every failure frees it again.
    if (!RecordClaim() || !CreateDataDatabase(io)) {
        ReleaseRow();
        return false;
    }
    io.ZandakaSyubetu = options.TaxExcludedBalances ? 2 : 1;
    io.LogMemo = &memo_;
    io.StatusPanel = &status_;
    {
        TConnectionModeScope local(0);
        if (!AttachDataDatabase()) {
            ReleaseRow();
            return false;
        }
        if (!Import(io, result))
            return false;
    }
    if (paths_.ServerMode && !PublishToServer()) {
        serverRun_.PublishFailed = true;
        ShowProgress("・データベースの作成に失敗しました。");
        ReleaseRow();
        return false;
    }
    if (!CompleteDataListRow()) {
        ReleaseRow();
        return false;
    }
    Complete(io, result);
    return true;
}

bool TExecuteStep::CreateDataDatabase(const TQZaimuIO& io)
{
    bool created = false;
    try {
        if (PrepareDestinationFolder()) {
            const std::string_view name = ProgramValues().Edition().TemplateFor(io.ChartKind());
            const fs::path backup = TemplateFolder() / std::string(name);
            ShowProgress("・データベースを初期化中です。");
            if (name.empty() || !fs::is_regular_file(backup))
                memo_.AppendLine(Format("テンプレートファイルがありません。<%s>", backup.string()));
            TConnectionModeScope local(0);
            created = RestoreFDBByTool(DM(), SystemDef().DbHost, true, backup.string(), DataDatabase().string());
            if (!created) {
                memo_.AppendLine(Format("テンプレート<%s>から<%s>を作成できませんでした。", backup.string(), DataDatabase().string()));
                memo_.AppendLine("ディスクの空き容量と、テンプレートファイルが壊れていないかを確認して下さい。");
            }
        }
    } catch (...) {
        ReportCurrentException(kContext, "新規データの作成に失敗しました。", false);
        created = false;
    }
    if (!created)
        ShowProgress("・新規データの作成に失敗しました。");
    return created;
}

// Server mode: the destination folder on the server, made when missing (without it the server could not
// take the data set, so the run stops before converting). Local mode: the data folder.
bool TExecuteStep::PrepareDestinationFolder()
{
    if (!paths_.ServerMode) {
        folderCreated_ = !fs::exists(dataDir_);
        fs::create_directories(dataDir_);
        return true;
    }
    if (!DM().fnAccDefConnected(paths_.ServerHost, TOnFailure::Report))
        return false;
    const bool ready = DM().ServerFileOperation("DEXIST", serverDataPath_, "") ||
                       DM().ServerFileOperation("MKDIR", serverDataPath_, "");
    DM().AccDefDisconnect();
    if (!ready)
        ShowError(Format("サーバーにフォルダを作成できません。<%s>", serverDataPath_));
    return ready;
}

bool TExecuteStep::AttachDataDatabase()
{
    return DM().fnAccDatConnected("", dataDir_.string(), false) && DM().fnGetAccInfo();
}

bool TExecuteStep::Import(TQZaimuIO& io, TExecuteResult& result)
{
    fb::TTransaction& data = DM().IBTransactionDAT;
    importRan_ = true;
    try {
        data.StartIfInactive();
        if (io.RunImport()) {
            if (data.Active())
                data.Commit();
            fb::TTransactionScope scope(data);
            io.FillSyuyakuList(result.SyuyakuRows);
            scope.Commit();
            return true;
        }
    } catch (...) {
        ImportRaised(io);
        return false;
    }
    ReleaseRow();
    if (data.Active())
        data.Rollback();
    DM().AccDatDisconnect("", false, false);
    AppendReadErrors(io);
    return false;
}

void TExecuteStep::ImportRaised(TQZaimuIO& io)
{
    AppendReadErrors(io);
    Ui().ShowMessage(TMessageKind::Error, CurrentExceptionText());
    // The connection may be gone: a rollback that fails has nothing left to undo.
    for (fb::TTransaction* transaction : {&DM().IBTransactionDAT, &DM().IBTransactionDEF}) {
        try {
            if (transaction->Active())
                transaction->Rollback();
        } catch (...) {
        }
    }
    ReleaseRow();
}

// Server mode: the record that lets this machine free the row later when the server cannot be reached at
// the end of the run.
bool TExecuteStep::RecordClaim()
{
    if (!paths_.ServerMode)
        return true;
    try {
        WriteClaimRecord(paths_, rec_, ServerDatabase());
        serverRun_.Recorded = true;
    } catch (...) {
        ReportCurrentException(kContext, "コンバートを開始できません。", false);
    }
    return serverRun_.Recorded;
}

bool TExecuteStep::PublishToServer()
{
    const fs::path transfer = dataDir_ / std::string(kTransferBackup);
    ShowProgress(Format("[%s] ファイルを作成中です。", kTransferBackupShown));
    bool published = BackupFDBByTool(DM(), std::string(kLocalEngineHost), true, transfer.string(), DataDatabase().string());
    if (published) {
        ShowProgress(Format("[%s:%s] 登録中です。", paths_.ServerHost, DisplayPath(ServerDatabase(), paths_.SystemRootKey)));
        serverRun_.PublishStarted = true;
        published = RestoreFDBByTool(DM(), paths_.ServerHost, true, transfer.string(), ServerDatabase());
    }
    RemoveFileIfPresent(transfer);
    return published;
}


void TExecuteStep::Complete(const TQZaimuIO& io, TExecuteResult& result)
{
    const TACCINF& info = AccInfo();
    result.DataCode = info.SCODE1;
    result.Shougou = info.SHOUGOU;
    result.Kisyu = info.KISHU;
    result.Kimatu = info.KIMATU;
    result.PastJournalsSkipped = io.PastJournalsSkipped;
    if (io.PastJournalsSkipped)
        result.CompletionLines = {"◎コンバートが完了しました。前々期・前期の仕訳は取り込まれていません。",
                                  "  詳細は下記メッセージを参照してください。[終了]ボタンを押して下さい。"};
    else
        result.CompletionLines = {"◎コンバートが完了しました。[終了]ボタンを押して下さい。"};
    ShowProgress(result.CompletionLines[0]);
    // The confirmation page leaves line 1 empty for this second line.
    if (result.CompletionLines.size() > 1) {
        if (memo_.LineCount() > 1)
            memo_.SetLine(1, result.CompletionLines[1]);
        else
            memo_.AppendLine(result.CompletionLines[1]);
    }
}

void TExecuteStep::Close(bool completed)
{
    DM().AccDatDisconnect("", false, false);
    ProgramValues().ConnectionMode = configuredMode_;
    if (paths_.ServerMode)
        RemoveFileIfPresent(DataDatabase());   // the local working copy
    else if (!completed)
        DiscardLocalDatabase();
}

// Only what the run made goes: the data database (the destination held none, or it was refused), and the
// folder when the run created it or nothing else is in it. An operator's own files stay.
void TExecuteStep::DiscardLocalDatabase()
{
    RemoveFileIfPresent(DataDatabase());
    std::error_code error;
    if (folderCreated_)
        ShellDeleteDir(dataDir_.string(), TShellOperation::Delete, false, true);
    else if (fs::is_directory(dataDir_, error) && fs::is_empty(dataDir_, error))
        fs::remove(dataDir_, error);
}

bool TExecuteStep::CompleteDataListRow()
{
    const TACCINF& info = AccInfo();
    const TEditionValues& edition = ProgramValues().Edition();
    return UpdateDataListRow(paths_.ServerHost, app::sql::kCompleteDataList, rec_, true, [&](fb::TStatement& statement) {
        statement.SetString("ENTTEXT", info.ENTTEXT).SetString("SCODE1", info.SCODE1).SetString("SHOUGOU", info.SHOUGOU);
        statement.SetInt("DATATYPE", info.DATATYPE).SetInt("CODETYPE", info.CODETYPE).SetInt("NENDO", info.NENDO);
        statement.SetDate("KISHU", info.KISHU).SetDate("KIMATU", info.KIMATU);
        statement.SetInt("VER_MAJOR", edition.VerMajor).SetInt("VER_MINOR1", edition.VerMinor1);
        statement.SetInt("VER_MINOR2", edition.VerMinor2).SetString("VER_TEXT", edition.VerText);
    });
}

// Frees the claimed row again; in server mode what the publishing left on the server goes first, so that
// no other run can take the row while it is there. A server that cannot be reached is tried once.
void TExecuteStep::ReleaseRow()
{
    if (paths_.ServerMode && !DM().fnAccDefConnected(paths_.ServerHost, TOnFailure::Report)) {
        serverRun_.ReleaseFailed = serverRun_.Unreachable = true;
        return;
    }
    const bool deleted = !serverRun_.PublishStarted || DeleteServerDataDatabase(paths_.ServerHost, ServerDatabase());
    if (!deleted || !ResetDataListRow(paths_.ServerHost, rec_))
        serverRun_.ReleaseFailed = true;
}

// Server mode: the claim record goes once the row is completed or free again; otherwise it stays for a
// later run to finish the cleanup, and the operator is told what is left.
void TExecuteStep::FinishClaimRecord(bool completed)
{
    if (!serverRun_.Recorded)
        return;
    if (completed || !serverRun_.ReleaseFailed)
        RemoveClaimRecord(paths_, rec_);
    else
        Ui().ShowMessage(TMessageKind::Error, LeftInProgressText(paths_.ServerHost, rec_, serverRun_.PublishFailed,
                                                                 serverRun_.Unreachable));
}

}  // namespace qz
