#include <QApplication>
#include <string>
#include <vector>

#include "common/ProgramArguments.h"
#include "common/Utf8Path.h"
#include "common/ui/JapaneseFont.h"
#include "common/ui/QtTranslations.h"
#include "viewer/LogCommandLine.h"
#include "viewer/frmLog.h"

int main(int argc, char** argv) {
    std::vector<std::string> args = kestrove::ProgramArguments(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillpane");
    QApplication::setFont(kestrove::JapaneseUiFont());
    kestrove::InstallJapaneseQtTexts(app);

    kestrove::frmLog window(kestrove::PathFromUtf8(kestrove::LogFilePathFromArguments(args)));
    window.show();
    return QApplication::exec();
}
