// The two ini files the program reads at start-up: the connection file and the tool settings file (the
// input is the connection file, a NUL byte, then the settings file). Start-up reads them whatever they
// hold; writing the extract folder into the settings file changes that key alone, and reading the file
// again gives it back.

#include "common/Cp932.h"
#include "common/SjisText.h"
#include "fuzz/FuzzSupport.h"
#include "platform/IniFile.h"
#include "platform/SystemDef.h"

#include <cstdlib>
#include <map>

using namespace qz;
using qz::fuzz::Check;

namespace {

namespace fs = std::filesystem;

const fs::path& SettingsFolder()
{
    static const fs::path folder = [] {
        const fs::path common = fuzz::PrivateFolder() / "common";
        ::setenv("QZ_COMMON_APPDATA", common.c_str(), 1);
        ::setenv("QZ_DOCUMENTS", (fuzz::PrivateFolder() / "documents").c_str(), 1);
        return common / "QuorvelZAI" / "ZAIMU";
    }();
    return folder;
}

// Every key the file gives, by section and key as the reader matches them (the first of each wins).
std::map<std::pair<std::string, std::string>, std::string> KeysOf(const TIniFile& ini, const std::string& bytes)
{
    std::map<std::pair<std::string, std::string>, std::string> keys;
    std::string section;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        const std::string text = DecodeCp932(bytes.substr(start, end - start));
        start = end + 1;
        const std::size_t open = text.find('['), close = text.find(']');
        if (open != std::string::npos && close != std::string::npos && open < close)
            section = text.substr(open + 1, close - open - 1);
        if (const std::size_t equals = text.find('='); equals != std::string::npos) {
            const std::string key = text.substr(0, equals);
            keys.emplace(std::pair(section, key), ini.ReadString(section, key, "\x01"));
        }
    }
    return keys;
}

void CheckWriteAndReadBack(const fs::path& file)
{
    const std::string before = fuzz::ReadFile(file);
    TIniFile ini(file);
    const auto keys = KeysOf(ini, before);
    const std::string folder = "/home/事務所/抽出 データ";
    ini.WriteString("QM3CSV", "DRIVE", folder);
    const TIniFile again(file);
    Check(again.ReadString("QM3CSV", "DRIVE") == folder, "the written key reads back");
    for (const auto& [name, value] : keys) {
        const auto& [section, key] = name;
        if (UpperAscii(Trim(section)) == "QM3CSV" && UpperAscii(Trim(key)) == "DRIVE")
            continue;
        Check(again.ReadString(section, key, "\x01") == value, "writing one key changes no other", section + "/" + key);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Quiet();
    const fs::path& folder = SettingsFolder();
    fuzz::TInput input(data, size);
    fs::remove_all(folder);
    fuzz::WriteFile(folder / "quorvelzaimu.ini", input.Part('\0'));
    fuzz::WriteFile(folder / "QM3TOQZAIMU.INI", input.Rest());

    InitSystemPaths("/opt/qz/bin/qzconvert");
    Check(ProgramValues().ConnectionFileFound, "the connection file is found");
    Check(ProgramValues().ConnectionMode == 0 || ProgramValues().ConnectionMode == 1, "the mode is local or server");
    Check(fuzz::IsUtf8(SystemDef().SysDbDir), "the system folder is text", SystemDef().SysDbDir);
    const std::string extractFolder = ReadDefaultExtractDir();
    Check(fuzz::IsUtf8(extractFolder), "the extract folder is text", extractFolder);

    CheckWriteAndReadBack(folder / "QM3TOQZAIMU.INI");
    return 0;
}
