#include <QApplication>
#include <string>
#include <vector>

#include "common/ui/JapaneseFont.h"
#include "common/ui/QtTranslations.h"
#include "viewer/LogCommandLine.h"
#include "viewer/frmLog.h"

int main(int argc, char** argv) {
    // Taken before QApplication removes the options it knows from argv: a path is a path.
    std::vector<std::string> args(argv + 1, argv + argc);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillpane");
    QApplication::setFont(kestrove::JapaneseUiFont());
    kestrove::InstallJapaneseQtTexts(app);

    kestrove::frmLog window(kestrove::LogFilePathFromArguments(args));
    window.show();
    return QApplication::exec();
}
