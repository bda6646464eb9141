#include "db/FbApi.h"

#include "common/Cp932.h"
#include "common/Utf8.h"

#include <ibase.h>
#include <langinfo.h>

#include <clocale>
#include <cstring>

using namespace Firebird;

namespace qz::fb {

TFbError::TFbError(std::int64_t code, int sqlCode, std::string message)
    : std::runtime_error(message), code_(code), sqlCode_(sqlCode), message_(std::move(message))
{
}

namespace detail {

namespace {

bool CharacterTypeIsUtf8()
{
    const char* codeset = nl_langinfo(CODESET);
    return codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

// Firebird hands file names to the file system in the character set of the process's LC_CTYPE, and
// takes them from us as UTF-8 (the file-name flag of the attachment and the services). The character
// type must therefore be UTF-8 before Firebird is first used: the environment's when it is, else C.UTF-8.
IMaster* FirstMaster()
{
    if (!std::setlocale(LC_CTYPE, "") || !CharacterTypeIsUtf8())
        std::setlocale(LC_CTYPE, "C.UTF-8");
    return fb_get_master_interface();
}

}  // namespace

IMaster* Master()
{
    static IMaster* master = FirstMaster();
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
    return TFbError(code, sqlCode, TextFromServer(buffer));
}

std::string TextFromServer(std::string bytes)
{
    for (std::size_t pos = 0; pos < bytes.size();)
        if (!NextCodePoint(bytes, pos))
            return DecodeCp932(bytes);
    return bytes;
}

TReleased<IProvider> Dispatcher()
{
    return TReleased<IProvider>(Master()->getDispatcher());
}

}  // namespace detail
}  // namespace qz::fb
