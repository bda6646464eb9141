#pragma once
// The Qt front end as the engine's user interface: the memo lines of the last page, the status panel, and
// the message boxes, progress dialog and event processing every engine step reaches through Ui().

#include "common/Ui.h"

#include <QPointer>
#include <QString>

#include <string>
#include <string_view>

class QLabel;
class QPlainTextEdit;
class QWidget;

namespace qz {

// A read-only memo whose lines the engine overwrites (line 0 is the progress line) or adds to.
class TMemoLines final : public TProgressLines {
public:
    explicit TMemoLines(QPlainTextEdit& memo) : memo_(memo) {}
    int LineCount() const override;
    void SetLine(int index, std::string_view text) override;
    void AppendLine(std::string_view text) override;
    void Clear();
    QString Line(int index) const;

private:
    QPlainTextEdit& memo_;
    int lines_ = 0;   // every change goes through here: an empty memo and one empty line look alike
};

// The status panel under the pages.
class TPanelCaption final : public TStatusCaption {
public:
    explicit TPanelCaption(QLabel& panel) : panel_(panel) {}
    void SetCaption(std::string_view text) override;
    std::string Caption() const override;

private:
    QLabel& panel_;
};

class TQtUserInterface final : public TUserInterface {
public:
    // Boxes and dialogs open over the window given later (the main form), else over the active window.
    void SetMainWindow(QWidget* window) { window_ = window; }

    // The text's first line is the box's text, the rest its second line (the engine joins them with line
    // breaks; the product's CR line breaks count too).
    void ShowMessage(TMessageKind kind, std::string_view text) override;
    void ProcessEvents() override;
    // A fatal database error has been shown: every window closes and the program ends.
    void EndApplication() override;
    std::unique_ptr<TProgressDialog> OpenProgress(std::string_view caption) override;

private:
    QWidget* Parent() const;
    QPointer<QWidget> window_;
};

}  // namespace qz
