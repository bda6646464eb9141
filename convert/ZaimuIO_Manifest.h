#pragma once
// The extract manifest "dtmanage.inf": when the extract was made, the client, and its fiscal years.

#include "common/Date.h"

#include <array>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qz {

// A value of the extract that should be a number and is not; the caller shows it in an error box.
class TConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The integer of a text that must be one; TConversionError naming what it was otherwise.
int RequireInt(const std::string& text, std::string_view what);

struct TJigyouNendo {
    std::string Label;  // start and end as "gg ee/mm/dd" joined by "-"
    int Code = 0;       // internal code of the year
    TDate Start;
    TDate End;
    int Simebi = 99;    // day of month of End; 99 when it is after the 27th
};

struct Tdtmanage {
    std::array<std::string, 4> Reserved;  // for the wizard; not filled from the manifest
    int DBVersion = 0;
    int DataVersion = 0;
    std::string SaveDate;
    std::string SaveTime;
    std::string KanyosakiCode;      // the whole value
    std::string KanyosakiCodeText;  // before the comma, trimmed
    int KanyosakiNo = 0;            // after the comma
    std::string KanyosakiName;
    int NendoCount = 0;
    std::array<TJigyouNendo, 10> Nendo;  // entry i from "JigyouNendo<i+1>"; entry 0 the most recent year
};

// An extract folder has "dtmanage.inf" and the sub-folders CM and ZM.
bool IsExtractFolder(const std::filesystem::path& folder);

// Whether page 1 may go on with a folder whose manifest has been read: the revised edition accepts only
// extracts of source version 3.2.0.1 (DBVersion 1). Returns the status-panel text when it may not.
std::string ExtractVersionRefusal(const Tdtmanage& manifest, bool revisedEdition);
inline constexpr std::string_view kExtractVersionRefusalText =
    " 指定されたフォルダは、QuorvelMendalⅢ(Ver3.2.0.1)の抽出データではありません。";

// Reads the manifest of an extract folder (a missing one reads as empty) and returns the summary text
// of wizard page 1 (CR LF lines). Throws TConversionError for a client or year code that is no number.
std::string ReadManifest(const std::filesystem::path& folder, Tdtmanage& manifest);

// A date as "gg ee/mm/dd": era name, era year, month and day.
std::string EraDateLabel(TDate date);

}  // namespace qz
