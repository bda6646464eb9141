#pragma once
// The wizard's default font; the faces themselves are the report library's (report/Fonts.h), which the
// printouts share.

#include "report/Fonts.h"

class QApplication;

namespace qz {

// The application's default font: the gothic face at the platform's size.
void UseJapaneseFonts(QApplication& application);

}  // namespace qz
