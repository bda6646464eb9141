#include "tests/support/RecordingUi.h"

namespace qz::test {

TRecordingUi::TRecordingUi()
{
    SetUserInterface(this);
}

TRecordingUi::~TRecordingUi()
{
    SetUserInterface(nullptr);
}

void TRecordingUi::ShowMessage(TMessageKind kind, std::string_view text)
{
    Messages.push_back({kind, std::string(text)});
}

namespace {

class TRecordedDialog final : public TProgressDialog {
public:
    explicit TRecordedDialog(TRecordingUi& ui) : ui_(ui) { ui_.ProgressOpen = true; }
    ~TRecordedDialog() override { ui_.ProgressOpen = false; }
    void SetInfo(std::string_view text) override { ui_.ProgressTexts.emplace_back(text); }
    void SetProgress(std::int64_t done, std::int64_t total) override { ui_.ProgressSteps.emplace_back(done, total); }

private:
    TRecordingUi& ui_;
};

}  // namespace

std::unique_ptr<TProgressDialog> TRecordingUi::OpenProgress(std::string_view caption)
{
    ProgressTexts.emplace_back(caption);
    return std::make_unique<TRecordedDialog>(*this);
}

}  // namespace qz::test
