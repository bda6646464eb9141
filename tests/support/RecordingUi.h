#pragma once
// A user interface for tests: records every message instead of showing it, and installs itself
// for the lifetime of the object.

#include "common/Ui.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace qz::test {

class TRecordingUi final : public TUserInterface {
public:
    struct TMessage {
        TMessageKind Kind;
        std::string Text;
    };

    TRecordingUi();
    ~TRecordingUi() override;
    TRecordingUi(const TRecordingUi&) = delete;
    TRecordingUi& operator=(const TRecordingUi&) = delete;

    void ShowMessage(TMessageKind kind, std::string_view text) override;
    void ProcessEvents() override
    {
        ++EventsProcessed;
        if (OnProcessEvents)
            OnProcessEvents();
    }
    void EndApplication() override { ApplicationEnded = true; }
    std::unique_ptr<TProgressDialog> OpenProgress(std::string_view caption) override;

    std::vector<TMessage> Messages;
    // Every caption and information line the progress dialogs showed, in order.
    std::vector<std::string> ProgressTexts;
    // Every (done, total) the progress dialogs were given, in order.
    std::vector<std::pair<std::int64_t, std::int64_t>> ProgressSteps;
    bool ProgressOpen = false;
    int EventsProcessed = 0;
    // Called whenever the program keeps its window alive, e.g. while it waits for a helper program.
    std::function<void()> OnProcessEvents;
    bool ApplicationEnded = false;
    // The text of the last message, or empty.
    std::string LastText() const { return Messages.empty() ? std::string() : Messages.back().Text; }
};

// The memo and the status panel, as lines in memory.
class TRecordingLines final : public TProgressLines, public TStatusCaption {
public:
    explicit TRecordingLines(int lines = 1) : Lines(static_cast<std::size_t>(lines)) {}
    int LineCount() const override { return static_cast<int>(Lines.size()); }
    void SetLine(int index, std::string_view text) override { Lines.at(static_cast<std::size_t>(index)) = text; }
    void AppendLine(std::string_view text) override { Lines.emplace_back(text); }
    void SetCaption(std::string_view text) override { StatusText = text; }
    std::string Caption() const override { return StatusText; }

    std::vector<std::string> Lines;
    std::string StatusText;
};

}  // namespace qz::test
