#pragma once
// What every fuzz target shares: a private folder for the files it writes, a user interface that keeps
// the engine's messages instead of printing them, and the check that stops on a broken property (libFuzzer
// keeps the input that did it).

#include "common/Ui.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qz::fuzz {

// A folder of this process alone (below $TMPDIR, else /dev/shm, else /tmp), removed when the process ends
// normally. Targets rewrite their files in it for every input.
const std::filesystem::path& PrivateFolder();

// Replaces the file's content (folders are created).
void WriteFile(const std::filesystem::path& file, std::string_view bytes);
std::string ReadFile(const std::filesystem::path& file);

// The engine's messages, kept rather than shown; installed as the user interface by Quiet().
class TQuietUi final : public TUserInterface {
public:
    void ShowMessage(TMessageKind kind, std::string_view text) override;
    void ProcessEvents() override {}
    void EndApplication() override {}
    std::unique_ptr<TProgressDialog> OpenProgress(std::string_view caption) override;

    std::vector<std::string> Messages;
};
TQuietUi& Quiet();

// Stops the process with the property and the detail on standard error when the condition fails.
void Check(bool condition, std::string_view property, std::string_view detail = {});

bool IsUtf8(std::string_view text);

// The input taken apart: a byte at a time from the front, the rest as text.
class TInput {
public:
    TInput(const std::uint8_t* data, std::size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}
    std::uint8_t Byte();
    std::string_view Rest() const { return rest_; }
    // The part before the first separator byte (all of the rest when there is none); the rest after it.
    std::string_view Part(char separator);

private:
    std::string_view rest_;
};

}  // namespace qz::fuzz
