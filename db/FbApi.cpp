#include "db/FbApi.h"

#include "common/Cp932.h"

#include <ibase.h>

using namespace Firebird;

namespace qz::fb {

TFbError::TFbError(std::int64_t code, int sqlCode, std::string message)
    : std::runtime_error(message), code_(code), sqlCode_(sqlCode), message_(std::move(message))
{
}

namespace detail {

IMaster* Master()
{
    static IMaster* master = fb_get_master_interface();
    return master;
}

TStatus::TStatus() : raw_(Master()->getStatus()), wrapper_(raw_) {}

TStatus::~TStatus()
{
    raw_->dispose();
}

TFbError ErrorFrom(IStatus* status)
{
    const ISC_STATUS* vector = status->getErrors();
    std::int64_t code = 0;
    if (vector && vector[0] == isc_arg_gds)
        code = vector[1];
    const int sqlCode = vector ? static_cast<int>(isc_sqlcode(vector)) : 0;
    char buffer[2048] = {};
    Master()->getUtilInterface()->formatStatus(buffer, sizeof buffer - 1, status);
    return TFbError(code, sqlCode, DecodeCp932(buffer));
}

TReleased<IProvider> Dispatcher()
{
    return TReleased<IProvider>(Master()->getDispatcher());
}

}  // namespace detail
}  // namespace qz::fb
