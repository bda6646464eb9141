#include "db/AccInfo.h"

namespace qz {

TACCINF& AccInfo()
{
    static TACCINF info;
    return info;
}

const TSpecialCode& TSpecialAccountCodes::Get(std::string_view name) const
{
    static const TSpecialCode none;
    const auto found = codes_.find(name);
    return found == codes_.end() ? none : found->second;
}

void TSpecialAccountCodes::Set(std::string_view name, TSpecialCode codes)
{
    codes_[std::string(name)] = std::move(codes);
}

TSpecialAccountCodes& SpecialAccountCodes()
{
    static TSpecialAccountCodes codes;
    return codes;
}

}  // namespace qz
