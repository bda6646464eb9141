#pragma once
// The target product's next-year update: turns the attached data database of a closed fiscal year into
// the database of the following year (balances carried forward, the year's figures moved to the past
// years, journals moved to the past-journal tables, period, tax and settlement records reset), in one
// write/consistency transaction that is rolled back whole on any failure.

#include "common/Ui.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

namespace qz {

class TDM;

// Created suspended; Resume starts the worker. The caller polls Terminated (every 500 ms, keeping its user
// interface alive and not touching the database meanwhile), calling ForwardProgress to show the worker's
// latest step message in the progress dialog on the caller's thread. No exception leaves the worker: a
// failure ends in Succeeded() false with the failure fields set.
class TNendoKousinThread {
public:
    // taxMethod: 0 balances tax-included, 1 tax-excluded (ACCDEF1.TAXDEFUH of the year being closed).
    TNendoKousinThread(TDM& dm, TProgressDialog* dialog, int taxMethod);
    ~TNendoKousinThread();   // waits for a started worker
    TNendoKousinThread(const TNendoKousinThread&) = delete;
    TNendoKousinThread& operator=(const TNendoKousinThread&) = delete;

    void Resume();
    bool Terminated() const { return terminated_.load(); }
    void WaitFor();
    // Shows the latest step message in the dialog; call on the thread that owns the dialog.
    void ForwardProgress();

    bool Succeeded() const { return succeeded_; }
    // The failure: where ("TNendoKousinThread.Execute"), the Firebird error code as text, the message
    // "翌年度への更新に失敗しました。" and the error's own text.
    const std::string& ErrorContext() const { return errorContext_; }
    const std::string& ErrorCode() const { return errorCode_; }
    const std::string& ErrorMessage() const { return errorMessage_; }
    const std::string& ErrorDetail() const { return errorDetail_; }

private:
    void Execute() noexcept;
    void Step(std::string_view message);   // records the step's message for ForwardProgress

    TDM& dm_;
    TProgressDialog* dialog_;
    int taxMethod_;
    std::thread worker_;
    std::atomic<bool> terminated_{false};
    std::mutex progressMutex_;
    std::string progress_, shownProgress_;
    bool succeeded_ = false;
    std::string errorContext_, errorCode_, errorMessage_, errorDetail_;
};

}  // namespace qz
