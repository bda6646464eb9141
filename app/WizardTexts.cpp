#include "app/WizardTexts.h"

#include "common/Format.h"

namespace qz {

std::string_view Page1Heading(const TProgramValues& program)
{
    return program.IsRevisedEdition ? "１．QuorvelMendalⅢ(ver3.2.0.1) 関与先抽出データを選択します。"
                                    : "１．QuorvelMendalⅢ 関与先抽出データを選択します。";
}

std::string MainCaption(const TProgramValues& program)
{
    return Format("QuorvelMendalⅢ財務データコンバート(ver %s)", program.Edition().ToolVersion);
}

std::string StatusTextOfHint(std::string_view hint)
{
    if (const std::size_t bar = hint.find('|'); bar != std::string_view::npos)
        hint = hint.substr(bar + 1);
    if (hint.empty())
        return {};
    return "\u3000" + std::string(hint);
}

}  // namespace qz
