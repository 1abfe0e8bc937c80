#include "common/ui/ResourceIcon.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kestrove {

QIcon ResourceIcon(const QString& name) {
    const QString drawing = name + ".svg";
    if (QFile::exists(drawing)) {
        return QIcon(drawing);
    }
    QIcon icon;
    for (const QFileInfo& picture : QDir(name).entryInfoList({"*.png"}, QDir::Files)) {
        icon.addFile(picture.filePath());
    }
    return icon;
}

}  // namespace kestrove
