#include "common/ui/JapaneseFont.h"

#include <QStringList>

namespace kestrove {

QFont JapaneseMonospaceFont(int pointSize) {
    QFont font;
    font.setFamilies(
        {"ＭＳ ゴシック", "MS Gothic", "IPAGothic", "Noto Sans Mono CJK JP", "monospace"});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(pointSize);
    return font;
}

QFont JapaneseUiFont(int pointSize) {
    QFont font;
    font.setFamilies({"MS UI Gothic", "Meiryo UI", "Noto Sans CJK JP", "IPAPGothic", "sans-serif"});
    font.setPointSize(pointSize);
    return font;
}

}  // namespace kestrove
