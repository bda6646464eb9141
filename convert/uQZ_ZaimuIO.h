#pragma once
// The conversion context: everything read from the extract folder, the settings the wizard derives
// from the chosen fiscal year, and the error log that dumps them.

#include "common/Date.h"
#include "common/Ui.h"
#include "convert/ZaimuIO_Records.h"
#include "convert/ZaimuIO_Manifest.h"
#include "db/AccInfo.h"
#include "db/Firebird.h"
#include "writer/uQZ_DataKakikomi.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qz {

// One row of the aggregated-accounts list: nine cells (source account code and name, source sub-account
// code and name, an empty column, target account code and name, target sub-account code and name), a
// repeated account left blank. The wizard's grid and the CSV export show these rows.
struct TSyuyakuRow {
    std::array<std::string, 9> Cells;
};

// A past year a run dropped, or whose figures it cleared again, and the operator's lines that told why.
struct TDroppedYear {
    int Code = -1;         // the year's internal code
    std::string Reason;
};

// The special-account slots (TokuteiKamoku) the conversion reads by meaning.
inline constexpr int kSlotCash = 0;
inline constexpr int kSlotInputTax = 1;            // 仮払消費税, both kinds of client

// One context lives as long as the wizard; its operations are called in this order:
//   1. SetCsvDir, whenever the extract folder changes: reads the manifest and every master and balance file
//      (ReadErrorText then tells what could not be read);
//   2. the wizard sets the year settings of the chosen fiscal year (SentakuNendoCode, ZenkiNendoCode,
//      ZenzenkiNendoCode, Kisyu, Kimatu, the free-code and balance-kind choices), then calls SelectNendo,
//      which reads SentakuNendoCode;
//   3. CountJournalLines, for the confirmation page;
//   4. the import run, which sets the transaction, the progress lines and the status caption, then converts
//      from the settings and records held here: per imported year BuildCodeIndex, BuildHojoIndex,
//      ReadAccounts and the master blocks; DeriveBasicInfo; the journal sort table; per year ReadKaisiZan,
//      CheckCarryOver and ConvertJournals; the dictionary blocks;
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

    // The conversion: the writer it fills, the operator's progress lines and status caption (borrowed),
    // and the edition (the revised edition dates rate-sensitive tax codes).
    THxzMakeData Writer;
    TProgressLines* LogMemo = nullptr;
    TStatusCaption* StatusPanel = nullptr;
    bool RevisedEdition = false;
    // The journal pair in work.
    TZMSIWAKE DebitLine, CreditLine;

    // The data database's transaction, for the context and its writer; set before converting.
    void SetTransaction(fb::TTransaction& transaction);

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

    // Debit lines of the selected year (or of the year with the code) in ZM/ZMSIWAKE.CSV; 0 when the file
    // is missing.
    int CountJournalLines() const { return CountJournalLines(SentakuNendoCode); }
    int CountJournalLines(int yearCode) const;
    // ZM/ZMSIWAKE.CSV of the extract as found (letter case aside); empty when there is none.
    std::filesystem::path JournalFile() const;

    // ---- Accounts (ZaimuIO_Accounts.cpp, ZaimuIO_CodeIndex.cpp)
    // The code followed by its check digit; "0000" and a read message for a code that is not 3 characters.
    std::string CheckDigit(std::string_view code);
    int ChartKind() const;                    // kChartCorporation, kChartIndividualGeneral, ...RealEstate
    int CountAccounts() const;                // index entries the selected year will produce
    int BuildCodeIndex();                     // branch, department and account pairs in Writer; 1
    // Every target account of Writer: user code, name, marks, tax codes. False (with a read message)
    // when no free or spare user code is left.
    bool ReadAccounts();
    void SetSpecialAccount(int slot, std::string_view clientCode);
    std::string SpecialAccountLines() const;
    std::string MapTaxCode(std::string_view tax, std::string_view account) const;
    std::string TaxRateClass(std::string_view tax, std::string_view date) const;
    static std::string ClassificationName(std::string_view joined);
    std::string AccountClassOf(std::string_view code) const;
    bool IsAccountOfYear(std::string_view code) const;
    std::string UserCodeOf(std::string_view code) const;
    int CheckAccountClass(std::string_view joined, std::string_view clientCode) const;
    // The selected year's account with the system code (the first one; with classifiedOnly only a
    // classified one); null when there is none.
    const TZMKANJYO* YearAccount(std::string_view code, bool classifiedOnly) const;
    // An account is classified when its level-1 code is one of the chart's classes.
    static bool IsClassified(const TZMKANJYO& account);
    // The system codes of the special accounts whose sub-accounts are not converted: slots 1, 2, 3 of a
    // corporation, 1, 3, 5 of an individual.
    std::array<std::string, 3> SpecialSubAccountSkips() const;
    std::string OutputTaxAccount() const;     // 仮受消費税: slot 2 of a corporation, 3 of an individual
    // Target user codes carry a check digit (four digits) when the extract's account codes have more than
    // three digits; free codes too long for the target follow the width the operator chose instead.
    bool UserCodesCarryCheckDigit() const { return FreeCodeOver ? FreeCodeKetasu == 4 : KamokuKetasu != 3; }
    // Branches are in use when the selected year has more than one branch record; departments when it
    // has any.
    bool BranchesInUse() const { return SitenSu > 1; }
    bool DepartmentsInUse() const { return BumonSu != 0; }

    // ---- Sub-accounts (ZaimuIO_SubAccounts.cpp)
    bool BuildHojoIndex();
    std::string ReadHojo();
    // The aggregated-accounts list, once the masters are written: the row count, or -1 (no rows) after a
    // database error, which has been reported.
    int FillSyuyakuList(std::vector<TSyuyakuRow>& rows);

    // ---- Departments and branches (ZaimuIO_Branches.cpp)
    std::string ReadBumon();
    std::string ReadSiten();   // also prunes SISETUBUM

    // ---- Opening balances (ZaimuIO_Balances.cpp); past: 0 current year, 1 prior, 2 prior-prior
    std::string ReadKaisiZan(int code, int month, int past);
    bool CheckCarryOver(int code, std::vector<std::string>& list);

    // ---- Basic information (ZaimuIO_BasicInfo.cpp)
    int DeriveBasicInfo(TACCINF& info);

    // ---- The masters in the order the target needs them (ZaimuIO_Masters.cpp): the code indexes, the
    // basic information (into AccInfo()), accounts, special accounts, sub-accounts, departments,
    // branches. False when a step failed; its reasons are in ReadErrors or Writer.Errors.
    bool WriteMasters(int templateKind);

    // ---- Journals (ZaimuIO_Journals.cpp); mode: 2 prior-prior, 1 prior, 0 current
    void CreateJournalSortTable();
    void FillJournalSortTable();
    void DropJournalSortTable();
    int ParseJournalLine(int year, std::string_view line);
    std::string ConvertJournals(int year, int mode, std::string_view label, const std::filesystem::path& file);
    std::string BuildRensouBlock();
    std::string BuildSiwajiBlock();
    std::string BuildRyakuBlock() const;

    // ---- The year-by-year import run (ZaimuIO_Run.cpp)
    // Writes the masters once, then the prior-prior, prior and current years into the attached data
    // database (each past year rolled forward by the next-year update). True when the current year
    // succeeded; past years may be dropped (PastJournalsSkipped). On failure the error log is written.
    // Never throws: a failure of any step, a database error included, is told and fails the run.
    // The program-wide tax mode is AccInfo().TAXDEFUH (0: balances read from the tax-included columns,
    // 1: tax-excluded): 0 while the years are imported and rolled forward, TaxDefault from the end of a
    // successful run on, when the writer stores it in ACCDEF1.
    bool RunImport();
    bool PastJournalsSkipped = false;
    // The past years of the last run that the data set does not hold, in the order they went.
    std::vector<TDroppedYear> DroppedYears;
    // The number 1-12 of the first month whose data the year enters as journals.
    int FirstInputMonth(int code, int firstCalendarMonth);
    // The same month worked out from the extract's files alone, before any data database exists: what the
    // confirmation page tells the operator.
    int FirstInputMonthOfExtract(int code, int firstCalendarMonth) const;
    // The first day of input month n of a year starting on start with closing day closingDay.
    static TDate InputMonthStart(int n, int closingDay, TDate start);
    // The closing date k months after start (k may be negative).
    static TDate ClosingDate(int k, int closingDay, TDate start);

    // Writes Quorvel_ConvertError.log to the documents folder: the text and the indexes plain, then the
    // settings and every line of the extract (each Base64-encoded twice). Failures are shown, not raised.
    void WriteErrorLog(const std::string& text);

private:
    friend class TImportRun;   // the steps of RunImport (ZaimuIO_Run.cpp)

    // Runs one statement on the data database and commits, retaining the transaction.
    void ExecDataSql(std::string_view sql);
    // Deletes the error log and the journal error files a previous run left in the documents folder.
    void DeleteOldLogs();
    // Rolls the attached data database into its next year on the year-update worker, keeping the user
    // interface alive while it runs; true when it succeeded (ZaimuIO_YearUpdate.cpp).
    bool RunYearUpdate();

    std::string ReadAll();
    void ShowProgress(std::string_view text);   // line 0 of LogMemo
    void ShowStatus(std::string_view text);
    fb::TTransaction& Transaction();

    fb::TTransaction* transaction_ = nullptr;
    // The journal file as the extract was read: the run must find it again, or it would convert no journals.
    std::filesystem::path journalFileAtRead_;
};

}  // namespace qz
