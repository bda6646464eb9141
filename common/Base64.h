#pragma once
// Standard Base64 (A-Z a-z 0-9 + /, "=" padding) of bytes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qz {

std::string EncodeBase64(std::string_view bytes);
// Nothing for text that is no Base64.
std::optional<std::string> DecodeBase64(std::string_view text);

}  // namespace qz
