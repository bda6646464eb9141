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

}  // namespace qz::test
