#include "app/Confirmation.h"

#include "app/ExecuteStep.h"
#include "app/WizardSpecialAccounts.h"
#include "app/WizardYear.h"
#include "common/ChartKind.h"
#include "common/Format.h"
#include "common/Gengo.h"
#include "common/SjisText.h"

namespace qz {
namespace {

std::string_view YearLabel(const TQZaimuIO& io)
{
    const Tdtmanage& manifest = io.Dtmanage;
    for (int i = 0; i < manifest.NendoCount; ++i)
        if (manifest.Nendo[static_cast<std::size_t>(i)].Code == io.SentakuNendoCode)
            return manifest.Nendo[static_cast<std::size_t>(i)].Label;
    return {};
}

// "gg ee/mm": the era's name, its year and the month.
std::string EraMonth(TDate date)
{
    const TWarekiRec wareki = ToWareki(date);
    return Format("%s %02d/%02d", wareki.Name, wareki.Year, wareki.Month);
}

}  // namespace

std::string_view ChartKindName(int chartKind)
{
    switch (chartKind) {
    case kChartCorporation: return "法人";
    case kChartIndividualGeneral: return "個人（小売業他）";
    case kChartIndividualRealEstate: return "個人（不動産）";
    default: return "";
    }
}

std::string DestinationShown(const TMainFormPaths& paths, std::string_view folder)
{
    const std::string shown = paths.ServerMode ? paths.ServerHost + ":" + std::string(folder) : std::string(folder);
    return DisplayPath(UpperAscii(shown), paths.SystemRootKey);
}

std::string JournalCountLine(std::optional<int> journals)
{
    return journals ? Format("　　仕訳数　　　　：%d 件", *journals) : std::string("　　仕訳数　　　　：取得中‥‥‥");
}

std::vector<std::string> ConfirmationLines(const TQZaimuIO& io, std::string_view destinationShown,
                                           const std::vector<std::string>& specialCodes, std::optional<int> journals)
{
    const Tdtmanage& manifest = io.Dtmanage;
    std::vector<std::string> lines = {
        "",
        "　　関与コード　　：" + manifest.KanyosakiCodeText,
        "　　関与先名　　　：" + manifest.KanyosakiName,
        "　　法人個人区分　：" + std::string(ChartKindName(io.ChartKind())),
        "　　事業年度　　　：" + std::string(YearLabel(io)),
        "　　締日  　　　　：" + (io.Simebi == 99 ? std::string("99(末日）") : std::to_string(io.Simebi)),
        "　　入力開始月　　：" + EraMonth(io.KaisiTuki),
        JournalCountLine(journals),
        "",
        "　　コンバート先フォルダ=" + std::string(destinationShown),
        "",
        "　　[特定科目]",
    };
    const std::span<const TSpecialAccountRow> rows = SpecialAccountRows(io.HoujinKojin);
    for (std::size_t i = 0; i < rows.size() && i < specialCodes.size(); ++i)
        lines.push_back(Format("　　　　%s [%s]", rows[i].Name, specialCodes[i]));
    return lines;
}

std::vector<std::string> ReadMessageLines(std::string_view heading, const std::vector<std::string>& messages)
{
    if (messages.empty())
        return {Format("　　%s　なし", heading)};
    std::vector<std::string> lines = {
        Format("　　%s　%d件（読み込めなかったものはコンバートされません）", heading, static_cast<int>(messages.size()))};
    for (const std::string& message : messages)
        lines.push_back("　　　　" + message);
    return lines;
}

std::vector<std::string> ExtractReadMessages(const TQZaimuIO& io)
{
    std::vector<std::string> messages = io.ReadErrors;
    if (const std::string journalFile = JournalFileMessage(io); !journalFile.empty())
        messages.push_back(journalFile);
    return messages;
}

}  // namespace qz
