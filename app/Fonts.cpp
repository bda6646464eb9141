#include "app/Fonts.h"

#include <QApplication>

namespace qz {

void UseJapaneseFonts(QApplication& application)
{
    // The proportional gothic reads best in forms; the fixed-pitch faces stay for the grids that ask.
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic")});
    application.setFont(font);
}

}  // namespace qz
