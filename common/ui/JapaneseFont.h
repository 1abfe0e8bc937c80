#pragma once

#include <QFont>

namespace kestrove {

// The fixed-pitch Japanese font of the lists and the log box: the Windows one where it exists,
// otherwise the nearest one this system has (half-width ASCII, full-width kana).
QFont JapaneseMonospaceFont(int pointSize = 9);

// The ordinary UI font with Japanese glyphs.
QFont JapaneseUiFont(int pointSize = 9);

}  // namespace kestrove
