#include "report/Fonts.h"

#include <QStringList>

namespace qz {
namespace {

QStringList FamiliesOf(TFontFace face)
{
    if (face == TFontFace::Mincho)
        return {QStringLiteral("ＭＳ 明朝"), QStringLiteral("MS Mincho"), QStringLiteral("IPAMincho"),
                QStringLiteral("Noto Serif CJK JP"), QStringLiteral("Noto Sans CJK JP")};
    return {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"),
            QStringLiteral("Noto Sans CJK JP")};
}

}  // namespace

QFont JapaneseFont(TFontFace face, qreal pointSize, bool bold)
{
    QFont font;
    font.setFamilies(FamiliesOf(face));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

}  // namespace qz
