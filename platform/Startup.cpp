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

}  // namespace qz
