#include "convert/uQZ_ZaimuIO.h"

#include "common/Base64.h"
#include "common/Cp932.h"
#include "common/Format.h"
#include "common/LineReader.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "common/Ui.h"
#include "convert/ZaimuIO_CsvReader.h"
#include "convert/ZaimuIO_JournalLines.h"
#include "convert/ZaimuIO_Statements.h"
#include "db/DataModule.h"
#include "platform/ShellFolders.h"
#include "platform/SystemDef.h"

#include <charconv>
#include <fstream>

namespace fs = std::filesystem;

namespace qz {

TQZaimuIO::TQZaimuIO() = default;

std::string TQZaimuIO::ReadAll()
{
    const std::string summary = ReadManifest(CsvDir, Dtmanage);
    ZenzenkiNendoCode = -1;
    ZenkiNendoCode = -1;
    SentakuNendoCode = Dtmanage.NendoCount == 0 ? -1 : 0;
    ReadErrors.clear();
    Cmkansig = ReadExtract<Tcmkansig>(CsvDir, extract::Cmkansig, ReadErrors);
    Cmhonten = ReadExtract<Tcmhonten>(CsvDir, extract::Cmhonten, ReadErrors);
    Cmbumon = ReadExtract<TCMBUMON>(CsvDir, extract::Cmbumon, ReadErrors);
    Tadatama = ReadExtract<Ttadatama>(CsvDir, extract::Tadatama, ReadErrors);
    Zmkannen = ReadExtract<TZMKANNEN>(CsvDir, extract::Zmkannen, ReadErrors);
    Zmhonkan = ReadExtract<TZMHONKAN>(CsvDir, extract::Zmhonkan, ReadErrors);
    Zmkanjyo = ReadExtract<TZMKANJYO>(CsvDir, extract::Zmkanjyo, ReadErrors);
    Zmryaku = ReadExtract<TZMRYAKU>(CsvDir, extract::Zmryaku, ReadErrors);
    Zmrensou = ReadExtract<TZMRENSOU>(CsvDir, extract::Zmrensou, ReadErrors);
    Zmuchzan = ReadExtract<TZMUCHZAN>(CsvDir, extract::Zmuchzan, ReadErrors);
    Zmbumzan = ReadExtract<TZMBUMZAN>(CsvDir, extract::Zmbumzan, ReadErrors);
    Zmkesan = ReadExtract<TZMKESAN>(CsvDir, extract::Zmkesan, ReadErrors);
    Zmuchiwa = ReadExtract<TZMUCHIWAK>(CsvDir, extract::Zmuchiwa, ReadErrors);
    Zmsiwaji = ReadExtract<TZMSIWAJI>(CsvDir, extract::Zmsiwaji, ReadErrors);
    journalFileAtRead_ = JournalFile();
    return summary;
}

std::string TQZaimuIO::SetCsvDir(const fs::path& folder)
{
    if (folder == CsvDir)
        return {};
    CsvDir = folder;
    try {
        return ReadAll();
    } catch (const TConversionError&) {
        // Forget the folder, so that choosing it again reads it again.
        CsvDir.clear();
        throw;
    }
}

std::string TQZaimuIO::ReadErrorText() const
{
    return JoinCrLf(ReadErrors);
}

void TQZaimuIO::SelectNendo(int code, TZMKANNEN& year)
{
    for (std::size_t i = 0; i < Zmkannen.size(); ++i) {
        if (Zmkannen[i].YearCode() != code)
            continue;
        const int kamoku = RequireInt(Zmkannen[i].Text(column::zmkannen::kKamokuKetasu), "科目コード桁数");
        const int hojo = RequireInt(Zmkannen[i].Text(column::zmkannen::kHojoKetasu), "補助コード桁数");
        int bumon = BumonKetasu;
        for (const Tcmkansig& resource : Cmkansig)
            if (resource.YearCode() == SentakuNendoCode)
                bumon = RequireInt(resource.Text(column::cmkansig::kBumonKetasu), "部門コード桁数");
        year = Zmkannen[i];
        NendoIndex = static_cast<int>(i);
        KamokuKetasu = kamoku;
        HojoKetasuMoto = hojo;
        HojoKetasu = hojo > 4 ? 4 : hojo;
        BumonKetasu = bumon;
        return;
    }
}

std::string TQZaimuIO::GetFileVersionText(std::string_view key)
{
    return key == "FileVersion" ? std::string(ProgramValues().Edition().ToolVersion) : std::string();
}

std::string TQZaimuIO::DateText8(std::string_view text)
{
    return journal_lines::SlashedDate8(text);
}

fs::path TQZaimuIO::JournalFile() const
{
    const fs::path zm = FindIgnoringCase(CsvDir, "ZM");
    return zm.empty() ? fs::path() : FindFileIgnoringCase(zm, "ZMSIWAKE.CSV");
}

int TQZaimuIO::CountJournalLines(int yearCode) const
{
    const fs::path file = JournalFile();
    if (file.empty())
        return 0;
    using column::zmsiwake::kTaisyakuKubun;
    int count = 0;
    TLineReader reader(file);
    // A line beyond the reader's limit is no entry: the sorting of the journal lists it.
    for (std::string line; reader.NextWithin(line);) {
        // The year code and the debit/credit mark come before any quoted text of the line. The year is
        // compared as the number the conversion reads from it ("019" is year 19; no number reads as 0).
        const std::vector<std::string_view> columns = SplitAt(line, ",");
        if (columns.size() > kTaisyakuKubun && columns[kTaisyakuKubun] == "1" &&
            TryTextToInt(columns[column::kNendoCode]).value_or(0) == yearCode)
            ++count;
    }
    return count;
}

void TQZaimuIO::WriteErrorLog(const std::string& text)
{
    try {
        const fs::path file = fs::path(ShellFolderPath(CSIDL_PERSONAL)) / "Quorvel_ConvertError.log";
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        if (!out)
            throw std::runtime_error(Format("ファイルを作成できません。<%s>", file.string()));
        const auto plain = [&](const std::string& line) { out << EncodeCp932(line) << "\r\n"; };
        const auto encodedBytes = [&](const std::string& prefix, const std::string& bytes) {
            out << EncodeBase64(EncodeBase64(prefix + bytes)) << "\r\n";
        };
        const auto encoded = [&](const std::string& prefix, const std::string& line) {
            encodedBytes(EncodeCp932(prefix), EncodeCp932(line));
        };
        // A file's lines as read; a line beyond the reader's limit as its refusal.
        const auto fileLines = [&](const std::string& prefix, const fs::path& file) {
            TLineReader reader(file);
            const auto refused = [&](std::size_t lineNumber) { encoded(prefix, LineTooLongText(lineNumber, kMaxLineBytes)); };
            for (std::string line; reader.NextWithin(line, refused);)
                encodedBytes(prefix, line);
        };

        std::vector<std::string> head;
        for (std::size_t start = 0; start <= text.size();) {
            const std::size_t end = text.find('\n', start);
            std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            head.push_back(line);
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        head.insert(head.end(), {"", "FileVersion=" + GetFileVersionText("FileVersion"), "",
                                 "-----科目index -------"});
        head.insert(head.end(), KamokuIndex.begin(), KamokuIndex.end());
        head.push_back("-----補助index -------");
        head.insert(head.end(), HojoIndex.begin(), HojoIndex.end());
        head.push_back("----------------------");
        for (const std::string& line : head)
            plain(line);

        const auto date = [](TDate d) { return d.ToText(); };
        const std::vector<std::string> settings = {
            Format("現事業年度配列番号=%d", NendoIndex), Format("前々期事業年度内部コード=%d", ZenzenkiNendoCode),
            Format("前期事業年度内部コード=%d", ZenkiNendoCode), Format("選択した事業年度内部コード=%d", SentakuNendoCode),
            "期首=" + date(Kisyu), "期末=" + date(Kimatu), Format("締日=%d", Simebi), "開始月=" + date(KaisiTuki),
            Format("開始月番号=%d", KaisiTukiNo), Format("税込税抜処=%d", ZeiSyori), Format("消費税簡易=%d", KaniKazei),
            Format("フリーコード使用=%d", FreeCodeSiyou ? 1 : 0), Format("フリーコード桁オーバー=%d", FreeCodeOver ? 1 : 0),
            Format("フリーコード置換桁数=%d", FreeCodeKetasu), Format("部門コード桁数=%d", BumonKetasu),
            Format("科目コード桁数=%d", KamokuKetasu), Format("補助コード桁数=%d", HojoKetasu),
            Format("個人不動産の場合科目体系=%d", FudosanTaikei), Format("法人個人区分=%d", HoujinKojin),
            Format("残高種別指定=%d", ZandakaSyubetu), Format("支店数=%d", SitenSu), Format("部門数=%d", BumonSu),
            Format("科目数=%d", KamokuSu), Format("補助数=%d", HojoSu), Format("補助数=%d", HojoSu)};
        for (const std::string& line : settings)
            encoded("//", line);
        for (std::size_t i = 0; i < TokuteiKamoku.size(); ++i)
            encoded("//", Format("特定科目[%d]=%s", i, TokuteiKamoku[i]));

        const fs::path manifest = FindFileIgnoringCase(CsvDir, "dtmanage.inf");
        if (!manifest.empty())
            fileLines("[INI]", manifest);
        for (const TExtractFileSpec* spec : {&extract::Cmkansig, &extract::Cmhonten, &extract::Cmbumon, &extract::Tadatama,
                                             &extract::Zmkannen, &extract::Zmhonkan, &extract::Zmkanjyo, &extract::Zmryaku,
                                             &extract::Zmrensou, &extract::Zmuchzan, &extract::Zmbumzan, &extract::Zmkesan,
                                             &extract::Zmuchiwa, &extract::Zmsiwaji}) {
            const fs::path folder = FindIgnoringCase(CsvDir, spec->Folder);
            const fs::path found = folder.empty() ? fs::path() : FindFileIgnoringCase(folder, spec->FileName);
            if (found.empty())
                continue;
            fileLines(std::string(spec->DumpTag), found);
        }

        // The journal sort table, while the data database of a run is attached.
        if (DM().IBDatabaseDAT.Connected() && DM().fnExistence_Table("ONETIME_SIWAKE")) {
            fb::TTransactionScope scope(DM().IBTransactionDAT);
            fb::TStatement query(DM().IBTransactionDAT);
            query.Prepare(convert::sql::kSelectSortedJournalsForLog);
            query.Open();
            while (query.Fetch())
                encoded("[15]", query.AsString(0));
            query.Close();
            scope.Commit();
        }
        out.flush();
        if (!out)
            throw std::runtime_error(Format("ファイルに書き込めません。<%s>", file.string()));
    } catch (const std::exception& error) {
        ShowError(std::string("エラーログ:") + error.what());
    } catch (...) {
        ShowError("エラーログ:不明な例外");
    }
}

}  // namespace qz
