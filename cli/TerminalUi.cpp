#include "cli/TerminalUi.h"

#include "common/Format.h"
#include "common/LocaleText.h"
#include "common/SjisText.h"

#include <algorithm>

#include <sys/ioctl.h>
#include <unistd.h>

namespace qz::cli {
namespace {

using namespace std::chrono_literals;

constexpr auto kRedrawEvery = 100ms;          // the live line of a terminal
constexpr auto kLogStatusEvery = 2s;          // status lines written to a file or pipe
constexpr std::string_view kSpinnerFrames = "|/-\\";

int TerminalWidth(std::FILE* stream)
{
    winsize size{};
    if (ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

std::string_view PrefixOf(TMessageKind kind)
{
    switch (kind) {
    case TMessageKind::Error: return "エラー: ";
    case TMessageKind::Warning: return "警告: ";
    case TMessageKind::Confirmation: return "確認: ";
    case TMessageKind::Information: break;
    }
    return "";
}

}  // namespace

std::string TerminalLines(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

// ---- TTerminal

TTerminal::TTerminal(std::FILE* stream)
    : stream_(stream), tty_(isatty(fileno(stream)) == 1), codeset_(LocaleCodeset())
{
}

void TTerminal::Write(std::string_view utf8)
{
    const std::string bytes = ToCodeset(utf8, codeset_);
    std::fwrite(bytes.data(), 1, bytes.size(), stream_);
    std::fflush(stream_);
}

void TTerminal::Line(std::string_view utf8)
{
    ClearLive();
    Write(std::string(utf8) + "\n");
}

void TTerminal::Live(std::string_view utf8)
{
    if (!tty_)
        return;
    // A line longer than the terminal would wrap, and the next rewrite would leave its head behind.
    Write("\r\033[K" + CutSjis(utf8, TerminalWidth(stream_) - 1));
    liveShown_ = true;
}

void TTerminal::ClearLive()
{
    if (liveShown_)
        Write("\r\033[K");
    liveShown_ = false;
}

// ---- TTerminalUi

class TTerminalUi::TSpinner final : public TProgressDialog {
public:
    TSpinner(TTerminalUi& ui, std::string_view caption) : ui_(ui), caption_(caption)
    {
        ui_.spinner_ = this;
        if (!ui_.terminal_.IsTty())
            ui_.terminal_.Line("  " + caption_);
        ui_.Redraw(true);
    }
    ~TSpinner() override
    {
        ui_.spinner_ = nullptr;
        ui_.Redraw(true);
    }
    void SetInfo(std::string_view text) override
    {
        info_ = text;
        ui_.Redraw(false);
    }
    void SetProgress(std::int64_t done, std::int64_t total) override
    {
        done_ = done;
        total_ = total;
        ui_.Redraw(false);
    }
    std::string Text() const { return info_.empty() ? caption_ : caption_ + " " + info_; }
    const std::string& Info() const { return info_; }
    // "[#######-------------]  35%" once the step has told its size, else empty.
    std::string Bar() const
    {
        if (total_ <= 0)
            return {};
        constexpr std::int64_t kWidth = 20;
        const std::int64_t done = std::clamp<std::int64_t>(done_, 0, total_);
        const std::int64_t filled = done * kWidth / total_;
        return "[" + std::string(static_cast<std::size_t>(filled), '#') +
               std::string(static_cast<std::size_t>(kWidth - filled), '-') + "]" +
               Format("%4d%%", static_cast<int>(done * 100 / total_));
    }

private:
    TTerminalUi& ui_;
    std::string caption_;
    std::string info_;
    std::int64_t done_ = 0, total_ = 0;
};

TTerminalUi::TTerminalUi(TTerminal& terminal) : terminal_(terminal), lines_(1)
{
    SetUserInterface(this);
}

TTerminalUi::~TTerminalUi()
{
    Finish();
    SetUserInterface(nullptr);
}

void TTerminalUi::ShowMessage(TMessageKind kind, std::string_view text)
{
    messages_.emplace_back(text);
    terminal_.Line(std::string(PrefixOf(kind)) + TerminalLines(text));
    Redraw(true);
}

void TTerminalUi::ProcessEvents()
{
    if (spinner_) {
        ++frame_;
        Redraw(false);
    }
}

void TTerminalUi::EndApplication()
{
    // A fatal database error has been shown: the program ends here, as the wizard closes its windows.
    Finish();
    terminal_.Line("致命的なデータベースエラーのため終了します。");
    std::fflush(nullptr);
    std::_Exit(1);
}

std::unique_ptr<TProgressDialog> TTerminalUi::OpenProgress(std::string_view caption)
{
    return std::make_unique<TSpinner>(*this, caption);
}

void TTerminalUi::SetLine(int index, std::string_view text)
{
    if (index < 0)
        return;
    if (static_cast<std::size_t>(index) >= lines_.size())
        lines_.resize(static_cast<std::size_t>(index) + 1);
    const bool changed = lines_[static_cast<std::size_t>(index)] != text;
    lines_[static_cast<std::size_t>(index)] = text;
    if (index > 0 || !terminal_.IsTty()) {
        if (changed && !text.empty())
            terminal_.Line(TerminalLines(text));
    }
    Redraw(true);
}

void TTerminalUi::AppendLine(std::string_view text)
{
    lines_.emplace_back(text);
    terminal_.Line(TerminalLines(text));
    Redraw(true);
}

void TTerminalUi::SetCaption(std::string_view text)
{
    status_ = text;
    if (terminal_.IsTty()) {
        Redraw(false);
        return;
    }
    if (!status_.empty() && status_ != shownStatus_ && !Throttled()) {
        terminal_.Line("  " + TerminalLines(status_));
        shownStatus_ = status_;
    }
}

bool TTerminalUi::Throttled()
{
    const auto now = std::chrono::steady_clock::now();
    if (now - lastDraw_ < kLogStatusEvery)
        return true;
    lastDraw_ = now;
    return false;
}

void TTerminalUi::Redraw(bool force)
{
    if (!terminal_.IsTty())
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - lastDraw_ < kRedrawEvery)
        return;
    lastDraw_ = now;
    std::string live = lines_[0];
    if (!status_.empty())
        live += "  " + status_;
    if (spinner_) {
        live += "  ";
        const std::string bar = spinner_->Bar();
        live += bar.empty() ? std::string(1, kSpinnerFrames[static_cast<std::size_t>(frame_) % kSpinnerFrames.size()]) : bar;
        live += " " + (spinner_->Info() == status_ ? std::string() : spinner_->Text());
    }
    // The live line is one line: texts with line breaks show them as blanks there.
    std::replace_if(live.begin(), live.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    terminal_.Live(live);
}

void TTerminalUi::Finish()
{
    if (terminal_.IsTty()) {
        terminal_.ClearLive();
        if (!lines_[0].empty())
            terminal_.Line(lines_[0]);
    }
    if (!status_.empty() && status_ != shownStatus_)
        terminal_.Line("  " + TerminalLines(status_));
    lines_[0].clear();
    shownStatus_ = status_;
}

}  // namespace qz::cli
