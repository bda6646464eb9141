#include "app/Fonts.h"

#include <QApplication>
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

void UseJapaneseFonts(QApplication& application)
{
    // The proportional gothic reads best in forms; the fixed-pitch faces stay for the grids that ask.
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic")});
    application.setFont(font);
}

}  // namespace qz
