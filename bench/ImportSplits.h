#pragma once
// The time each further 10 000 entries of a journal import took, read from the import's progress line
// ("<n>"件をｲﾝﾎﾟｰﾄ中です…): the time per entry must not grow with the rows already stored.

#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace qz::bench {

class TImportSplits {
public:
    static constexpr int kEvery = 10000;

    void Start() { last_ = std::chrono::steady_clock::now(); Seconds.clear(); }

    // Takes a progress text; texts that are no import progress are ignored.
    void Take(std::string_view text)
    {
        if (text.find("ｲﾝﾎﾟｰﾄ中") == std::string_view::npos)
            return;
        const std::size_t digits = text.find_first_of("0123456789");
        if (digits == std::string_view::npos)
            return;
        const long count = std::stol(std::string(text.substr(digits)));
        if (count == 1)
            Start();
        if (count % kEvery != 0)
            return;
        const auto now = std::chrono::steady_clock::now();
        Seconds.push_back(std::chrono::duration<double>(now - last_).count());
        last_ = now;
    }

    void Print(std::string_view label) const
    {
        std::printf("  %.*s: seconds per %d entries:", static_cast<int>(label.size()), label.data(), kEvery);
        for (const double split : Seconds)
            std::printf(" %.2f", split);
        std::printf("\n");
    }

    std::vector<double> Seconds;

private:
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

}  // namespace qz::bench
