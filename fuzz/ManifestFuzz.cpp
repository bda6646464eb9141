// The extract manifest "dtmanage.inf": any bytes are read as an ini file; a client or year code that is no
// number is refused with the conversion error and nothing else escapes; the summary is text.

#include "convert/ZaimuIO_Manifest.h"
#include "fuzz/FuzzSupport.h"

#include <algorithm>

using namespace qz;
using qz::fuzz::Check;

namespace {

const std::filesystem::path& ExtractFolder()
{
    static const std::filesystem::path folder = [] {
        const std::filesystem::path path = fuzz::PrivateFolder() / "extract";
        std::filesystem::create_directories(path / "CM");
        std::filesystem::create_directories(path / "ZM");
        return path;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Quiet();
    const std::filesystem::path& folder = ExtractFolder();
    fuzz::WriteFile(folder / "dtmanage.inf", std::string_view(reinterpret_cast<const char*>(data), size));
    Check(IsExtractFolder(folder), "a folder with the manifest, CM and ZM is an extract folder");

    Tdtmanage manifest;
    std::string summary;
    try {
        summary = ReadManifest(folder, manifest);
    } catch (const TConversionError& error) {
        Check(fuzz::IsUtf8(error.what()), "the refusal is text", error.what());
        return 0;
    }
    Check(fuzz::IsUtf8(summary), "the summary is text", summary);
    Check(manifest.NendoCount >= 0 && manifest.NendoCount <= 10, "at most ten years are counted");
    // The summary: the save date and time, a blank line, the client's code and name, one line per year
    // (the line of the first year even without one).
    const auto lines = static_cast<int>(std::count(summary.begin(), summary.end(), '\n')) + 1;
    Check(lines == 6 + std::max(manifest.NendoCount - 1, 0), "the summary has a line per year", summary);
    Check(ExtractVersionRefusal(manifest, false).empty(), "the base edition takes every source version");
    Check(ExtractVersionRefusal(manifest, true).empty() == (manifest.DBVersion == 1),
          "the revised edition takes source version 1 alone");
    return 0;
}
