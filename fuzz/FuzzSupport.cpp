#include "fuzz/FuzzSupport.h"

#include "common/Utf8.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace qz::fuzz {
namespace {

namespace fs = std::filesystem;

fs::path BaseFolder()
{
    std::error_code error;
    if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp && fs::is_directory(tmp, error))
        return tmp;
    if (fs::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0)
        return "/dev/shm";
    return fs::temp_directory_path();
}

class TSilentDialog final : public TProgressDialog {
public:
    void SetInfo(std::string_view) override {}
};

}  // namespace

const fs::path& PrivateFolder()
{
    static const fs::path folder = [] {
        fs::path path = BaseFolder() / ("qzfuzz-" + std::to_string(::getpid()));
        fs::remove_all(path);
        fs::create_directories(path);
        std::atexit([] {
            std::error_code error;
            fs::remove_all(PrivateFolder(), error);
        });
        return path;
    }();
    return folder;
}

void WriteFile(const fs::path& file, std::string_view bytes)
{
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Check(static_cast<bool>(out.flush()), "the input's file can be written", file.string());
}

std::string ReadFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void TQuietUi::ShowMessage(TMessageKind, std::string_view text)
{
    Messages.emplace_back(text);
}

std::unique_ptr<TProgressDialog> TQuietUi::OpenProgress(std::string_view)
{
    return std::make_unique<TSilentDialog>();
}

TQuietUi& Quiet()
{
    static TQuietUi ui;
    SetUserInterface(&ui);
    ui.Messages.clear();
    return ui;
}

void Check(bool condition, std::string_view property, std::string_view detail)
{
    if (condition)
        return;
    std::fprintf(stderr, "\nPROPERTY BROKEN: %.*s\n%.*s\n", static_cast<int>(property.size()), property.data(),
                 static_cast<int>(detail.size()), detail.data());
    std::abort();
}

bool IsUtf8(std::string_view text)
{
    for (std::size_t pos = 0; pos < text.size();)
        if (!NextCodePoint(text, pos))
            return false;
    return true;
}

std::uint8_t TInput::Byte()
{
    if (rest_.empty())
        return 0;
    const auto byte = static_cast<std::uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return byte;
}

std::string_view TInput::Part(char separator)
{
    const std::size_t at = rest_.find(separator);
    const std::string_view part = rest_.substr(0, at);
    rest_ = at == std::string_view::npos ? std::string_view() : rest_.substr(at + 1);
    return part;
}

}  // namespace qz::fuzz
