#include "common/ui/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace kestrove {

bool InstallJapaneseQtTexts(QCoreApplication& app) {
    const QString folders[] = {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                               QCoreApplication::applicationDirPath() + "/translations"};
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
