#pragma once
// The conversion context: everything read from the extract folder, the settings the wizard derives
// from the chosen fiscal year, and the error log that dumps them.

#include "common/Date.h"
#include "convert/ZaimuIO_Records.h"
#include "convert/ZaimuIO_Manifest.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qz {

// One context lives as long as the wizard; its operations are called in this order:
//   1. SetCsvDir, whenever the extract folder changes: reads the manifest and every master and balance file
//      (ReadErrorText then tells what could not be read);
//   2. the wizard sets the year settings of the chosen fiscal year (SentakuNendoCode, ZenkiNendoCode,
//      ZenzenkiNendoCode, Kisyu, Kimatu, the free-code and balance-kind choices), then calls SelectNendo,
//      which reads SentakuNendoCode;
//   3. CountJournalLines, for the confirmation page;
//   4. the import run, which converts from the settings and records held here;
//   5. WriteErrorLog, when the run fails.
class TQZaimuIO {
public:
    TQZaimuIO();

    // Year settings (defaults as a fresh context has them).
    int NendoIndex = -1;
    int ZenzenkiNendoCode = -1;
    int ZenkiNendoCode = -1;
    int SentakuNendoCode = -1;
    TDate Kisyu;
    TDate Kimatu;
    int Simebi = 0;
    TDate KaisiTuki;
    int KaisiTukiNo = 0;
    int NendoNo = 0;
    int ZeiSyori = 0;
    int KaniKazei = 0;
    std::string JigyouKubun;
    bool FreeCodeSiyou = false;
    bool FreeCodeOver = false;
    int FreeCodeKetasu = 3;
    int FreeCodeCounter = 0;
    int BumonKetasu = 2;
    int KamokuKetasu = 3;
    int HojoKetasu = 3;
    int HojoKetasuMoto = 0;
    int FudosanTaikei = 1;
    int HoujinKojin = -1;
    int ZandakaSyubetu = 0;
    std::array<std::string, 7> TokuteiKamoku;
    int SitenSu = 0;
    int BumonSu = 0;
    int KamokuSu = 0;
    int HojoSu = 0;
    int TaxDefault = 0;
    int SpareCodeCounter = 999;

    std::vector<std::string> KamokuIndex;
    std::vector<std::string> HojoIndex;
    std::vector<std::string> ReadErrors;
    std::vector<std::string> CodeWork;

    // The extract.
    std::filesystem::path CsvDir;
    Tdtmanage Dtmanage;
    std::vector<Tcmkansig> Cmkansig;
    std::vector<Tcmhonten> Cmhonten;
    std::vector<TCMBUMON> Cmbumon;
    std::vector<Ttadatama> Tadatama;
    std::vector<TZMKANNEN> Zmkannen;
    std::vector<TZMHONKAN> Zmhonkan;
    std::vector<TZMRYAKU> Zmryaku;
    std::vector<TZMKANJYO> Zmkanjyo;
    std::vector<TZMUCHIWAK> Zmuchiwa;
    std::vector<TZMRENSOU> Zmrensou;
    std::vector<TZMUCHZAN> Zmuchzan;
    std::vector<TZMBUMZAN> Zmbumzan;
    std::vector<TZMKESAN> Zmkesan;
    std::vector<TZMSIWAJI> Zmsiwaji;

    // Reads the manifest and every master and balance file of a folder; the same folder again reads
    // nothing. Returns the manifest's summary text. Throws TConversionError for a code that is no number
    // (the context stays usable: the folder is forgotten, so it can be read again).
    std::string SetCsvDir(const std::filesystem::path& folder);

    // The collected read messages, CR LF joined.
    std::string ReadErrorText() const;

    // Makes the year with the internal code the selected one and copies its record; nothing changes when
    // there is no such year. Throws TConversionError for digit columns that are no numbers.
    void SelectNendo(int code, TZMKANNEN& year);

    // Record accessors.
    const Tdtmanage& Manifest() const { return Dtmanage; }
    const TZMKANNEN& KannenAt(std::size_t index) const { return Zmkannen.at(index); }
    const TZMKANJYO& KanjyoAt(std::size_t index) const { return Zmkanjyo.at(index); }
    // Highest index of an array (element count - 1, -1 when empty).
    template <typename T>
    static int UpperBound(const std::vector<T>& records) { return static_cast<int>(records.size()) - 1; }

    // A value of the program's version information; "FileVersion" is the edition's version, compiled in.
    static std::string GetFileVersionText(std::string_view key);

    // "yyyymmdd" → "yyyy/mm/dd" (characters 1-4, 5-6, 7-8).
    static std::string DateText8(std::string_view text);

    // Debit lines of the selected year in ZM/ZMSIWAKE.CSV; 0 when the file is missing.
    int CountJournalLines() const;

    // Writes Quorvel_ConvertError.log to the documents folder: the text and the indexes plain, then the
    // settings and every line of the extract (each Base64-encoded twice). Failures are shown, not raised.
    void WriteErrorLog(const std::string& text);

private:
    std::string ReadAll();
};

}  // namespace qz
