#pragma once

class QCoreApplication;

namespace kestrove {

// Qt's own texts (standard buttons, the folder picker, text-field context menus) in Japanese,
// whatever the locale: every other text of the programs is Japanese too. Looked up in Qt's
// translations folder, then in "translations" beside the program (a copy deployed with its Qt).
// Whether the translation was found.
bool InstallJapaneseQtTexts(QCoreApplication& app);

}  // namespace kestrove
