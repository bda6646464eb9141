#pragma once
// Sets or unsets environment variables for one test and restores them afterwards.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qz::test {

class TScopedEnv {
public:
    TScopedEnv() = default;
    ~TScopedEnv();
    TScopedEnv(const TScopedEnv&) = delete;
    TScopedEnv& operator=(const TScopedEnv&) = delete;

    TScopedEnv& Set(const std::string& name, const std::string& value);
    TScopedEnv& Unset(const std::string& name);

private:
    void Remember(const std::string& name);
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace qz::test
