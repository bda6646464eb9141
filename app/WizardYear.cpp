#include "app/WizardYear.h"

#include "app/WizardTexts.h"
#include "common/TextHelpers.h"
#include "convert/ZaimuIO_CsvReader.h"

namespace qz {
namespace {

namespace kannen = column::zmkannen;

int CodeOfEntry(const Tdtmanage& manifest, int index)
{
    return index < manifest.NendoCount ? manifest.Nendo[static_cast<std::size_t>(index)].Code : -1;
}

// The free-code settings of the year record: whether the extract uses free codes, and whether they are
// too long for the target (5 or 6 digits), in which case the operator chooses 3 or 4.
void SelectFreeCodes(TQZaimuIO& io, const TZMKANNEN& year)
{
    io.FreeCodeSiyou = year.Text(kannen::kFreeCode) == "1";
    io.FreeCodeOver = false;
    io.FreeCodeKetasu = 3;
    if (!io.FreeCodeSiyou)
        return;
    const std::string& digits = year.Text(kannen::kKamokuKetasu);
    if (digits == "5" || digits == "6")
        io.FreeCodeOver = true;
    else if (digits != "3")
        io.FreeCodeKetasu = 4;
}

}  // namespace

TExtractCheck LoadExtractFolder(TQZaimuIO& io, const std::filesystem::path& folder, bool revisedEdition)
{
    io.SentakuNendoCode = -1;
    TExtractCheck check;
    if (!IsExtractFolder(folder)) {
        check.Refusal = kChooseExtractFolderText;
        return check;
    }
    check.Summary = io.SetCsvDir(folder);
    if (check.Summary.empty())   // the same folder again: the context kept what it read
        check.Summary = ReadManifest(folder, io.Dtmanage);
    check.Refusal = ExtractVersionRefusal(io.Dtmanage, revisedEdition);
    if (!check.Refusal.empty())
        return check;
    if (io.Dtmanage.NendoCount == 0) {
        check.Refusal = kChooseExtractFolderText;
        return check;
    }
    SelectFiscalYear(io, 0);
    check.Accepted = true;
    return check;
}

TYearOptions SelectFiscalYear(TQZaimuIO& io, int index, int balanceKind)
{
    const Tdtmanage& manifest = io.Dtmanage;
    if (index < 0 || index >= manifest.NendoCount)
        return {};
    const TJigyouNendo& entry = manifest.Nendo[static_cast<std::size_t>(index)];
    io.SentakuNendoCode = entry.Code;
    io.ZenkiNendoCode = CodeOfEntry(manifest, index + 1);
    io.ZenzenkiNendoCode = CodeOfEntry(manifest, index + 2);
    io.Kisyu = entry.Start;
    io.Kimatu = entry.End;
    io.Simebi = entry.Simebi;
    SetBalanceKind(io, balanceKind);

    TZMKANNEN year;
    io.SelectNendo(io.SentakuNendoCode, year);
    SelectFreeCodes(io, year);
    io.ZeiSyori = static_cast<int>(TryTextToInt(year.Text(kannen::kTaxDefault)).value_or(0));
    io.JigyouKubun = year.Text(kannen::kJigyouKubun);
    io.HoujinKojin = static_cast<int>(TryTextToInt(year.Text(kannen::kHoujinKojin)).value_or(1));

    TYearOptions options;
    options.FreeCodeDigitsOpen = io.FreeCodeOver;
    options.RealEstateChartOpen = io.HoujinKojin == 2 && io.JigyouKubun == "03";
    io.FudosanTaikei = options.RealEstateChartOpen ? kFudosanRealEstate : kFudosanNone;
    return options;
}

void SetBalanceKind(TQZaimuIO& io, int item)
{
    io.ZandakaSyubetu = item == kBalanceTaxExcluded ? 2 : 1;
    // The balances of the chosen kind tell from which month on the year is entered; the run works it out
    // again from its sort table.
    io.KaisiTukiNo = io.FirstInputMonthOfExtract(io.SentakuNendoCode, io.Kisyu.Month());
    io.KaisiTuki = io.KaisiTukiNo == 1 ? io.Kisyu : TQZaimuIO::InputMonthStart(io.KaisiTukiNo, io.Simebi, io.Kisyu);
}

void SetFreeCodeDigits(TQZaimuIO& io, int item)
{
    io.FreeCodeKetasu = item == kFreeCode4 ? 4 : 3;
}

void SetFudosanTaikei(TQZaimuIO& io, int item)
{
    io.FudosanTaikei = item;
}

std::string JournalFileMessage(const TQZaimuIO& io)
{
    if (!io.JournalFile().empty())
        return {};
    return "ZM仕訳[ZMSIWAKE.CSV]ファイルが無い";
}

}  // namespace qz
