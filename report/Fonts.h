#pragma once
// The product's fonts on Linux. Its windows and prints ask for "ＭＳ ゴシック" and "ＭＳ 明朝", which a Linux
// desktop does not have, and fontconfig would hand back a Latin font for them; each is asked for by name
// first and then through the Japanese fonts the install script brings, so the text always renders.

#include <QFont>

namespace qz {

enum class TFontFace { Gothic, Mincho };

QFont JapaneseFont(TFontFace face, qreal pointSize, bool bold = false);

}  // namespace qz
