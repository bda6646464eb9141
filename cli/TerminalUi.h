#pragma once
// The terminal as the engine's user interface: message boxes become lines, the progress line (line 0 of
// the wizard's memo) and the status panel share one line that is rewritten in place, and the animated
// progress dialog is a spinner on that line. When the output is no terminal (a log file, a pipe) every
// progress line is written once and the fast-changing status and dialog texts at most every few seconds.
// Texts are written in the locale's character set.

#include "common/Ui.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qz::cli {

// One output stream for the operator.
class TTerminal {
public:
    explicit TTerminal(std::FILE* stream);

    bool IsTty() const { return tty_; }
    // A line that stays; the live line is finished first.
    void Line(std::string_view utf8);
    // Rewrites the live line (a terminal only; cut to the terminal's width).
    void Live(std::string_view utf8);
    // Clears the live line.
    void ClearLive();

private:
    void Write(std::string_view utf8);
    std::FILE* stream_;
    bool tty_;
    std::string codeset_;
    bool liveShown_ = false;
};

class TTerminalUi final : public TUserInterface, public TProgressLines, public TStatusCaption {
public:
    explicit TTerminalUi(TTerminal& terminal);
    ~TTerminalUi() override;
    TTerminalUi(const TTerminalUi&) = delete;
    TTerminalUi& operator=(const TTerminalUi&) = delete;

    // TUserInterface
    void ShowMessage(TMessageKind kind, std::string_view text) override;
    void ProcessEvents() override;
    void EndApplication() override;
    std::unique_ptr<TProgressDialog> OpenProgress(std::string_view caption) override;

    // TProgressLines: line 0 is the progress line, the others are lines that stay.
    int LineCount() const override { return static_cast<int>(lines_.size()); }
    void SetLine(int index, std::string_view text) override;
    void AppendLine(std::string_view text) override;

    // TStatusCaption
    void SetCaption(std::string_view text) override;
    std::string Caption() const override { return status_; }

    // Every message box shown, for the summary of a run.
    const std::vector<std::string>& Messages() const { return messages_; }
    // Finishes the live line; the last status is written when it was not yet.
    void Finish();

private:
    class TSpinner;
    void Redraw(bool force);
    bool Throttled();

    TTerminal& terminal_;
    std::vector<std::string> lines_;
    std::string status_;
    std::string shownStatus_;
    std::vector<std::string> messages_;
    TSpinner* spinner_ = nullptr;
    int frame_ = 0;
    std::chrono::steady_clock::time_point lastDraw_{};
};

// Message boxes split their lines at CR (and CR LF) as the product's boxes do; the terminal uses LF.
std::string TerminalLines(std::string_view text);

}  // namespace qz::cli
