#include "common/Ui.h"

#include <cstdio>
#include <stdexcept>

namespace qz {
namespace {

class TStandardErrorUi final : public TUserInterface {
public:
    void ShowMessage(TMessageKind, std::string_view text) override
    {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    }
    void ProcessEvents() override {}
    void EndApplication() override
    {
        throw std::runtime_error("the application was asked to end after a fatal error, but no front end is installed");
    }
};

TUserInterface* gCurrentUi = nullptr;

}  // namespace

void SetUserInterface(TUserInterface* ui)
{
    gCurrentUi = ui;
}

TUserInterface& Ui()
{
    static TStandardErrorUi fallback;
    return gCurrentUi ? *gCurrentUi : fallback;
}

void ShowError(std::string_view text)
{
    Ui().ShowMessage(TMessageKind::Error, text);
}

void ShowInfo(std::string_view text)
{
    Ui().ShowMessage(TMessageKind::Information, text);
}

void ShowLinedMessage(std::string_view text, TMessageKind kind)
{
    constexpr int kMaxParts = 51;
    std::string lines;
    int parts = 1;
    for (std::size_t start = 0;;) {
        const std::size_t comma = text.find(',', start);
        if (comma == std::string_view::npos || parts == kMaxParts) {
            lines.append(text.substr(start));
            break;
        }
        lines.append(text.substr(start, comma - start));
        lines += '\n';
        start = comma + 1;
        ++parts;
    }
    Ui().ShowMessage(kind, lines);
}

}  // namespace qz
