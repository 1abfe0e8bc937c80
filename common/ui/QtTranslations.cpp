#include "common/ui/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace kestrove {

bool InstallJapaneseQtTexts(QCoreApplication& app) {
    // The system's copy, one beside the program, and last the one built into the program where
    // Qt itself is (on Windows).
    const QString folders[] = {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                               QCoreApplication::applicationDirPath() + "/translations",
                               ":/qt-translations"};
    for (const QString& folder : folders) {
        // Owned by the application, so it lives as long as the texts are needed.
        auto* translator = new QTranslator(&app);
        if (translator->load("qtbase_ja", folder)) {
            QCoreApplication::installTranslator(translator);
            return true;
        }
        delete translator;
    }
    return false;
}

}  // namespace kestrove
