#include "convert/ZaimuIO_Manifest.h"

#include "common/Format.h"
#include "common/Gengo.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "convert/ZaimuIO_CsvReader.h"
#include "platform/IniFile.h"

#include <vector>

namespace fs = std::filesystem;

namespace qz {
namespace {

// Part index of a text cut at a separator (at most 100 parts), trimmed; empty beyond the last part.
std::string PartOf(std::string_view text, std::string_view separator, std::size_t index)
{
    constexpr std::size_t kMaxParts = 100;
    const std::vector<std::string_view> parts = SplitAt(text, separator);
    return index < parts.size() && index < kMaxParts ? Trim(parts[index]) : std::string();
}

// A version number of the manifest; 0 when it is none (or too large to be one).
int IntOrZero(const std::string& text)
{
    return TryTextToInt32(text).value_or(0);
}

TJigyouNendo ParseYear(const std::string& value)
{
    TJigyouNendo year;
    const std::string period = PartOf(value, ",", 0);
    year.Code = RequireInt(PartOf(value, ",", 1), "JigyouNendo");
    year.Start = TextToDate(PartOf(period, "-", 0));
    year.End = TextToDate(PartOf(period, "-", 1));
    year.Label = EraDateLabel(year.Start) + "-" + EraDateLabel(year.End);
    year.Simebi = year.End.Day() > 27 ? 99 : year.End.Day();
    return year;
}

}  // namespace

int RequireInt(const std::string& text, std::string_view what)
{
    const auto value = TryTextToInt32(text);
    if (!value)
        throw TConversionError(Format("'%s' は有効な整数ではありません。(%s)", text, what));
    return *value;
}

std::string EraDateLabel(TDate date)
{
    const TWarekiRec wareki = ToWareki(date);
    return Format("%s %02d/%02d/%02d", wareki.Name, wareki.Year, wareki.Month, wareki.Day);
}

bool IsExtractFolder(const fs::path& folder)
{
    std::error_code error;
    const fs::path cm = FindIgnoringCase(folder, "CM"), zm = FindIgnoringCase(folder, "ZM");
    return !FindFileIgnoringCase(folder, "dtmanage.inf").empty() && !cm.empty() && fs::is_directory(cm, error) &&
           !zm.empty() && fs::is_directory(zm, error);
}

std::string ExtractVersionRefusal(const Tdtmanage& manifest, bool revisedEdition)
{
    if (!revisedEdition || manifest.DBVersion == 1)
        return {};
    return std::string(kExtractVersionRefusalText);
}

std::string ReadManifest(const fs::path& folder, Tdtmanage& manifest)
{
    manifest = Tdtmanage{};
    const TIniFile ini(FindFileIgnoringCase(folder, "dtmanage.inf"));
    manifest.SaveDate = ini.ReadString("CommonInf", "SaveDate");
    manifest.SaveTime = ini.ReadString("CommonInf", "SaveTime");
    manifest.DBVersion = IntOrZero(ini.ReadString("CommonInf", "DBVersion"));
    manifest.DataVersion = IntOrZero(ini.ReadString("CommonInf", "DataVersion"));
    manifest.KanyosakiCode = ini.ReadString("KanyosakiInf", "KanyosakiCode");
    manifest.KanyosakiCodeText = PartOf(manifest.KanyosakiCode, ",", 0);
    // A missing manifest reads as empty; a present one must name the client by number.
    if (ini.FileExists())
        manifest.KanyosakiNo = RequireInt(PartOf(manifest.KanyosakiCode, ",", 1), "KanyosakiCode");
    manifest.KanyosakiName = ini.ReadString("KanyosakiInf", "KanyosakiName");
    for (int i = 1; i <= 10; ++i) {
        const std::string value = ini.ReadString("KanyosakiInf", Format("JigyouNendo%d", i));
        if (value.empty())
            continue;
        ++manifest.NendoCount;
        manifest.Nendo[static_cast<std::size_t>(i - 1)] = ParseYear(value);
    }

    std::vector<std::string> lines = {
        "抽出処理された日付  :" + manifest.SaveDate,
        "              時刻  :" + manifest.SaveTime,
        "",
        "関与先コード        :" + manifest.KanyosakiCodeText,
        "関与先名            :" + manifest.KanyosakiName,
        "事業年度            :" + manifest.Nendo[0].Label,
    };
    for (int i = 1; i < manifest.NendoCount; ++i)
        lines.push_back("                    :" + manifest.Nendo[static_cast<std::size_t>(i)].Label);
    return JoinCrLf(lines);
}

}  // namespace qz
