#pragma once
// A user interface for tests: records every message instead of showing it, and installs itself
// for the lifetime of the object.

#include "common/Ui.h"

#include <string>
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
    void ProcessEvents() override { ++EventsProcessed; }
    void EndApplication() override { ApplicationEnded = true; }

    std::vector<TMessage> Messages;
    int EventsProcessed = 0;
    bool ApplicationEnded = false;
    // The text of the last message, or empty.
    std::string LastText() const { return Messages.empty() ? std::string() : Messages.back().Text; }
};

}  // namespace qz::test
