#pragma once
// printf-style formatting for the system's texts, type-checked at run time by fmt instead of varargs.

#include <fmt/printf.h>

#include <string>
#include <string_view>

namespace qz {

template <typename... Args>
std::string Format(std::string_view pattern, const Args&... args)
{
    return fmt::sprintf(pattern, args...);
}

}  // namespace qz
