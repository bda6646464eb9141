#include "common/Ui.h"

#include "common/TextHelpers.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

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
    // Without a window the dialog's lines are only progress: they are not worth a line on standard error.
    std::unique_ptr<TProgressDialog> OpenProgress(std::string_view) override { return std::make_unique<TSilentDialog>(); }

private:
    class TSilentDialog final : public TProgressDialog {
    public:
        void SetInfo(std::string_view) override {}
    };
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
    // At most 51 lines: the commas after the fiftieth stay in the last line.
    constexpr std::size_t kMaxParts = 51;
    const std::vector<std::string_view> parts = SplitAt(text, ",");
    std::string lines;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            lines += i < kMaxParts ? '\n' : ',';
        lines.append(parts[i]);
    }
    Ui().ShowMessage(kind, lines);
}

}  // namespace qz
