#include "platform/Startup.h"

#include "common/Ui.h"
#include "platform/InstanceGuard.h"

namespace qz {

int RunGuarded(const std::function<int()>& run)
{
    const TInstanceGuard guard = TInstanceGuard::Acquire();
    if (guard.Refused()) {
        ShowInfo(guard.RefusalText());
        return 1;
    }
    return run();
}

std::string StatusTextOfHint(std::string_view hint)
{
    if (const std::size_t bar = hint.find('|'); bar != std::string_view::npos)
        hint = hint.substr(bar + 1);
    if (hint.empty())
        return {};
    return "\u3000" + std::string(hint);
}

}  // namespace qz
