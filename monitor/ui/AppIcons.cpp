#include "monitor/ui/AppIcons.h"

#include <QPixmap>

#include "common/ui/ResourceIcon.h"

namespace kestrove::icons {

QIcon Normal() {
    return ResourceIcon(QStringLiteral(":/kestrove/kestrove"));
}

QIcon Alarm() {
    return ResourceIcon(QStringLiteral(":/kestrove/kestrove-alarm"));
}

QImage NormalImage(int size) {
    return Normal().pixmap(QSize(size, size)).toImage();
}

}  // namespace kestrove::icons
