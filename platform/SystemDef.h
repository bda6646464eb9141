#pragma once
// Start-up configuration: the installation, data and settings paths, the database identity, the
// edition of the tool, and the two small configuration files it reads.
//
// Paths ending in "Dir"/"FileName" that the product upper-cases are kept upper-cased for display and
// comparison; file access always uses the companion "...Path" members, which keep the case as found,
// because Linux file names are case-sensitive.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace qz {

// The target product's database identity. Start-up copies it into TSystemDef; the tools that build the
// product's databases, which run without a start-up, take it from here.
inline constexpr std::string_view kProductDbUser = "HOLDEX";
inline constexpr std::string_view kProductDbPassword = "vostar";
inline constexpr std::string_view kProductDbCharset = "SJIS_0208";

struct TSystemDef {
    std::int32_t GroupId = 0;
    std::string IniFileName;   // upper-cased, for display
    std::string WinUserName;
    std::string WinSystemDir;
    std::string DocumentsDir;
    std::string ProgramDir;    // upper-cased, for display
    std::string InstallDir;
    std::string PrintDir;
    std::string HelpDir;
    std::string SqlDir;
    std::string IniDir;
    std::string LogDir;
    std::string TempDir;
    std::string SysDbDir;
    std::string DataDir;
    std::string DbHost;
    std::string DbUser;
    std::string DbPassword;
    std::string DbCharset;     // the character set of every attachment (lc_ctype)
    std::string ComputerName;
    std::int32_t UserCode = 0;
    std::int32_t UserLevel = 0;

    std::string IniFilePath;   // the connection file as found
    std::string ProgramPath;   // the program folder as found
};

// What differs between the base edition and the revised edition ("QZCONVERT2").
struct TEditionValues {
    std::string_view TemplateCorporation;            // kChartCorporation
    std::string_view TemplateIndividualGeneral;      // kChartIndividualGeneral
    std::string_view TemplateIndividualRealEstate;   // kChartIndividualRealEstate
    std::string_view ToolVersion;
    int VerMajor;
    int VerMinor1;
    int VerMinor2;
    std::string_view VerText;
    bool RequiresDbVersion1;       // the manifest's DBVersion must be 1
    bool TaxRateKindByDate;        // rate kind "2" for rate-sensitive codes from 2014/04/01

    // The template backup of a chart kind (common/ChartKind.h); empty for any other kind.
    std::string_view TemplateFor(int chartKind) const;
};

const TEditionValues& EditionValues(bool revisedEdition);

// Program-wide values set at start-up besides TSystemDef.
struct TProgramValues {
    std::string SettingsSubPath;   // "QuorvelZAI/ZAIMU"
    std::string SysDbFileName;     // "qrvaccdef.fdb"
    std::string DataDbFileName;    // "qrvacc.fdb"
    std::string CommonDataPath;    // the common application data folder as found
    bool ConnectionFileFound = false;  // false: local mode with the defaults
    int ConnectionMode = 0;        // 0 local, 1 server
    std::string ServerHost;        // server mode: HOSTNAME of the connection file, as written there
    std::string ToolIniPath;       // the tool settings file as found
    bool IsRevisedEdition = false;

    const TEditionValues& Edition() const { return EditionValues(IsRevisedEdition); }
};

TSystemDef& SystemDef();
TProgramValues& ProgramValues();

// True when the executable's file name, upper-cased and without ".EXE", is "QZCONVERT2".
bool IsRevisedEditionExecutable(const std::filesystem::path& executable);
std::filesystem::path CurrentExecutable();

// Fills TSystemDef and the program-wide values, reading the connection file.
void InitSystemPaths(const std::filesystem::path& executable = CurrentExecutable());

// The folder page 1 starts with: QM3CSV/DRIVE of the tool settings file unless empty, else DocumentsDir.
std::string ReadDefaultExtractDir();

// Remembers the extract folder as QM3CSV/DRIVE and flushes the file. Throws on file or encoding errors.
void SaveExtractDir(std::string_view extractDir);

}  // namespace qz
