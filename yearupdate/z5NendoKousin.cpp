// The next-year update's worker: the order of the steps, the one transaction around them, the rollback on
// any failure, and the progress the caller forwards to its dialog.

#include "yearupdate/z5NendoKousin.h"

#include "common/Format.h"
#include "db/AccInfo.h"
#include "db/DataModule.h"
#include "yearupdate/NendoKousin_Statements.h"
#include "yearupdate/NendoKousin_Steps.h"

#include <chrono>

namespace qz {

using namespace yearupdate;

namespace {

constexpr std::string_view kContext = "TNendoKousinThread.Execute";
constexpr std::string_view kFailed = "翌年度への更新に失敗しました。";
constexpr std::string_view kRollingBack = "RollBack中、しばらくお待ちください…";

bool Always(const TYearUpdateInputs&) { return true; }
bool MedicalOnly(const TYearUpdateInputs& in) { return in.Medical; }
void MessageOnly(fb::TTransaction&, const TYearUpdateInputs&) {}

struct TStep {
    std::string_view Message;
    bool (*Applies)(const TYearUpdateInputs&);
    void (*Run)(fb::TTransaction&, const TYearUpdateInputs&);
};

// The update in the order it runs; each step first shows its message.
constexpr TStep kSteps[] = {
    {"過年度残高の更新中、しばらくお待ちください…", Always, ShiftPastBalances},
    {"開始残高の更新中、しばらくお待ちください…", Always, CarryBalancesForward},
    {"当期発生残高の更新中、しばらくお待ちください…", Always, ClearYearAmounts},
    {"消費税情報の更新中、しばらくお待ちください…", Always, ResetTaxRecords},
    {"決算情報の更新中、しばらくお待ちください…", Always, ResetSettlementRecords},
    {"資産情報の更新中、しばらくお待ちください…", Always, RollFixedAssets},
    {"従業員数の更新中、しばらくお待ちください…", Always, ShiftEmployeeNumbers},
    {"内訳書の更新中、しばらくお待ちください…", Always, MessageOnly},
    {"附属明細書の更新中、しばらくお待ちください…", MedicalOnly, RollAttachedStatements},
    {"事業報告書の更新中、しばらくお待ちください…", MedicalOnly, ClearBusinessReport},
    {"仕訳の削除中、しばらくお待ちください…", Always, MoveJournals},
    {"基本情報の更新中、しばらくお待ちください…", Always, UpdateBasicInformation},
    {"処理履歴の更新中、しばらくお待ちください…", Always, TrimOperationHistory},
};

TYearUpdateInputs InputsFromBasicInformation(int taxMethod)
{
    const TACCINF& info = AccInfo();
    TYearUpdateInputs in;
    in.TaxMethod = taxMethod;
    in.StartNo = info.KAISINO;
    in.DataType = info.DATATYPE;
    in.Medical = info.DATATYPE == 3 && info.CODETYPE == 1;
    in.CarryJournals = info.KakoMeisai == 1;
    in.BranchesInUse = info.SITEN == 1;
    in.SuspenseAccount = SpecialAccountCodes().Get("諸口").KCode;
    in.PaidTaxAccount = SpecialAccountCodes().Get("仮払消費税").KCode;
    in.ReceivedTaxAccount = SpecialAccountCodes().Get("仮受消費税").KCode;
    in.RetainedEarningsAccount = SpecialAccountCodes().Get(in.Medical ? "前期繰越利益" : "繰越利益剰余金").KCode;
    in.Nendo = info.NENDO;
    in.ZKishu = info.zKISHU;
    in.Kishu = info.KISHU;
    in.Kimatu = info.KIMATU;
    in.Kurikosi1 = info.KURIKOSI1;
    in.HasKurikosi = info.HasKurikosi;
    in.Depreciation = {.DecliningAt250 = info.Teiritsu250 == 1, .DecliningAt200 = info.Teiritsu200 == 1};
    return in;
}

}  // namespace

TNendoKousinThread::TNendoKousinThread(TDM& dm, TProgressDialog* dialog, int taxMethod)
    : dm_(dm), dialog_(dialog), inputs_(std::make_unique<TYearUpdateInputs>(InputsFromBasicInformation(taxMethod)))
{
}

TNendoKousinThread::~TNendoKousinThread()
{
    if (worker_.joinable())
        worker_.join();
}

void TNendoKousinThread::Resume()
{
    if (worker_.joinable() || terminated_)
        return;
    worker_ = std::thread([this] { Execute(); });
}

bool TNendoKousinThread::Terminated()
{
    if (!terminated_)
        return false;
    Complete();
    return true;
}

void TNendoKousinThread::WaitFor()
{
    if (!worker_.joinable() && !terminated_)
        return;
    while (!terminated_) {
        ForwardProgress();
        Ui().ProcessEvents();
        std::unique_lock lock(progressMutex_);
        ended_.wait_for(lock, std::chrono::milliseconds(500), [this] { return terminated_.load(); });
    }
    Complete();
}

void TNendoKousinThread::ForwardProgress()
{
    std::string latest;
    {
        std::lock_guard lock(progressMutex_);
        if (progress_ == shownProgress_)
            return;
        shownProgress_ = latest = progress_;
    }
    if (dialog_)
        dialog_->SetInfo(latest);
}

void TNendoKousinThread::Step(std::string_view message)
{
    std::lock_guard lock(progressMutex_);
    progress_ = message;
}

void TNendoKousinThread::Fail(std::string code, std::string detail)
{
    errorContext_ = kContext;
    errorCode_ = std::move(code);
    errorMessage_ = kFailed;
    errorDetail_ = std::move(detail);
}

void TNendoKousinThread::Execute() noexcept
{
    try {
        RunSteps();
        ResetJournalNumbers();
        committed_ = true;
    } catch (const fb::TFbError& error) {
        Fail(std::to_string(error.Code()), error.Message());
    } catch (const std::exception& error) {
        Fail({}, error.what());
    } catch (...) {
        Fail({}, "不明な例外");
    }
    {
        std::lock_guard lock(progressMutex_);
        terminated_ = true;
    }
    ended_.notify_all();
}

void TNendoKousinThread::RunSteps()
{
    fb::TTransaction& tr = dm_.IBTransactionDATStable;
    tr.StartIfInactive();
    try {
        inputs_->Next = NextFiscalPeriod(inputs_->Kimatu);
        for (const TStep& step : kSteps) {
            if (!step.Applies(*inputs_))
                continue;
            Step(step.Message);
            step.Run(tr, *inputs_);
        }
        tr.Commit();
    } catch (...) {
        Step(kRollingBack);
        try {
            tr.Rollback();
        } catch (...) {
            // The rollback fails only when the connection is gone; the server then rolls the transaction
            // back itself, and the failure that got here is the one to tell.
        }
        throw;
    }
}

// Each generator in a short transaction of its own, after the commit: setting a generator is not undone
// by a rollback, so it must not happen before the update is safe.
void TNendoKousinThread::ResetJournalNumbers()
{
    for (const std::string& generator : qz::sql::JournalNumberGenerators()) {
        fb::TTransactionScope scope(dm_.IBTransactionDAT_Thread);
        fb::ExecuteImmediate(dm_.IBTransactionDAT_Thread, Format(qz::sql::kSetGenerator, generator, 0));
        scope.Commit();
    }
}

// On the caller's thread, once: the basic information is read again only here, because reading it may
// have to tell the operator of a failure.
void TNendoKousinThread::Complete()
{
    if (completed_)
        return;
    completed_ = true;
    if (worker_.joinable())
        worker_.join();
    ForwardProgress();
    if (!committed_)
        return;
    if (dm_.fnGetAccInfo())
        succeeded_ = true;
    else
        Fail({}, "基本情報の取得に失敗しました。");
}

}  // namespace qz
