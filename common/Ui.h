#pragma once
// Everything the engine says to the operator goes through this interface, which the GUI, the
// command-line front end and the tests implement. The engine itself never opens a window.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace qz {

enum class TMessageKind { Information, Warning, Error, Confirmation };

// The animated progress dialog shown while long database work runs: a caption, one information line that
// changes while it shows, no cancel button. It closes when the object goes away.
class TProgressDialog {
public:
    virtual ~TProgressDialog() = default;
    virtual void SetInfo(std::string_view text) = 0;
    // How far a step that knows its size has come (done of total); a dialog may show it as a bar.
    virtual void SetProgress(std::int64_t /*done*/, std::int64_t /*total*/) {}
};

// A multi-line text the operator watches while the conversion runs (the memo of the wizard's last page,
// the terminal of the command-line converter): steps overwrite their progress line or add lines.
class TProgressLines {
public:
    virtual ~TProgressLines() = default;
    virtual int LineCount() const = 0;
    virtual void SetLine(int index, std::string_view text) = 0;
    virtual void AppendLine(std::string_view text) = 0;
};

// A one-line caption the operator sees (the status panel): it shows the latest failed code lookup.
class TStatusCaption {
public:
    virtual ~TStatusCaption() = default;
    virtual void SetCaption(std::string_view text) = 0;
    virtual std::string Caption() const = 0;
};

class TUserInterface {
public:
    virtual ~TUserInterface() = default;
    virtual void ShowMessage(TMessageKind kind, std::string_view text) = 0;
    // Keeps the front end responsive while the caller waits for long work.
    virtual void ProcessEvents() = 0;
    // Ends the application after a fatal database error (the front end closes its windows and exits).
    virtual void EndApplication() = 0;
    // Opens the progress dialog over the front end's window.
    virtual std::unique_ptr<TProgressDialog> OpenProgress(std::string_view caption) = 0;
};

// The front end installs itself at start-up. Until then messages go to standard error, and EndApplication
// throws std::runtime_error: without a front end there are no windows to close, and a tool or a test
// must not be ended from deep inside the engine, so its caller decides what a fatal error means.
void SetUserInterface(TUserInterface* ui);
TUserInterface& Ui();

void ShowError(std::string_view text);
void ShowInfo(std::string_view text);

// Splits the text at "," (at most 51 parts) and shows the parts on separate lines in one message box.
void ShowLinedMessage(std::string_view text, TMessageKind kind);

}  // namespace qz
