#pragma once
// The target product's next-year update: turns the attached data database of a closed fiscal year into
// the database of the following year (balances carried forward, the year's figures moved to the past
// years, journals moved to the past-journal tables, period, tax and settlement records reset), in one
// write/consistency transaction that is rolled back whole on any failure.

#include "common/Ui.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace qz {

class TDM;

namespace yearupdate {
struct TYearUpdateInputs;
}

// Created suspended; Resume starts the worker. The caller polls Terminated (every 500 ms, keeping its user
// interface alive and not touching the database meanwhile), calling ForwardProgress to show the worker's
// latest step message in the progress dialog on the caller's thread; WaitFor does all of that in one call.
// No exception leaves the worker, and the worker never touches the front end: a failure ends in
// Succeeded() false with the failure fields set.
//
// What the update needs of the data set (period, data type, branch use, special accounts, the setting
// "過去明細取り込み" as AccInfo().KakoMeisai) is taken from AccInfo() and SpecialAccountCodes() when the
// object is created, on the caller's thread.
class TNendoKousinThread {
public:
    // taxMethod: 0 balances tax-included, 1 tax-excluded (ACCDEF1.TAXDEFUH of the year being closed).
    TNendoKousinThread(TDM& dm, TProgressDialog* dialog, int taxMethod);
    ~TNendoKousinThread();   // waits for a started worker
    TNendoKousinThread(const TNendoKousinThread&) = delete;
    TNendoKousinThread& operator=(const TNendoKousinThread&) = delete;

    void Resume();
    // True once the worker has ended. The first call that sees the end completes the update on the
    // caller's thread: the basic information is read again into AccInfo() (fnGetAccInfo, which reports its
    // own failure on the front end), and only then does Succeeded() turn true.
    bool Terminated();
    // Polls every 500 ms until the worker has ended, forwarding its progress and keeping the front end
    // alive, then completes as Terminated does. Returns at once when the worker was never resumed.
    void WaitFor();
    // Shows the latest step message in the dialog; call on the thread that owns the dialog.
    void ForwardProgress();

    bool Succeeded() const { return succeeded_; }
    // The failure: where ("TNendoKousinThread.Execute"), the Firebird error code as text (empty for other
    // failures), the message "翌年度への更新に失敗しました。" and the error's own text.
    const std::string& ErrorContext() const { return errorContext_; }
    const std::string& ErrorCode() const { return errorCode_; }
    const std::string& ErrorMessage() const { return errorMessage_; }
    const std::string& ErrorDetail() const { return errorDetail_; }

private:
    void Execute() noexcept;
    void RunSteps();
    void ResetJournalNumbers();
    void Complete();
    void Fail(std::string code, std::string detail);
    void Step(std::string_view message);   // records the step's message for ForwardProgress

    TDM& dm_;
    TProgressDialog* dialog_;
    std::unique_ptr<yearupdate::TYearUpdateInputs> inputs_;
    std::thread worker_;
    std::atomic<bool> terminated_{false};
    std::mutex progressMutex_;
    std::condition_variable ended_;
    std::string progress_, shownProgress_;
    bool committed_ = false;   // steps 1-16 done; written by the worker before it ends
    bool completed_ = false;
    bool succeeded_ = false;
    std::string errorContext_, errorCode_, errorMessage_, errorDetail_;
};

}  // namespace qz
