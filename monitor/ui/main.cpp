#include <QApplication>

#include "common/DataFolder.h"
#include "common/MemoryReturn.h"
#include "common/ProgramFolder.h"
#include "common/SingleInstance.h"
#include "common/ui/JapaneseFont.h"
#include "common/ui/QtTranslations.h"
#include "monitor/ui/MonitorApp.h"

int main(int argc, char** argv) {
    // One monitor per user: a second copy ends at once, silently.
    kestrove::SingleInstance instance("Kestrove");
    if (!instance.Acquire()) {
        return 0;
    }
    kestrove::ReturnLargeBlocksToSystem();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kestrove");
    // The monitor lives on in the tray when its window is hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setFont(kestrove::JapaneseUiFont());
    kestrove::InstallJapaneseQtTexts(app);

    std::filesystem::path folder = kestrove::ProgramFolder();
    kestrove::DataFolderChoice data =
        kestrove::ChooseDataFolder(folder, *kestrove::CreateDataFolderPlatform());
    kestrove::MonitorApp monitor(folder, data, kestrove::MonitorPlatform::Default(folder));
    if (!monitor.Start()) {
        return 1;
    }
    return QApplication::exec();
}
