#include "monitor/ui/AppIcons.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QRegularExpression>

namespace kestrove::icons {
namespace {

constexpr const char* kSource = ":/kestrove/kestrove.svg";
constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128};

QByteArray SourceBytes() {
    QFile file(QString::fromLatin1(kSource));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The drawing with its ground (the element with id "ground") filled red.
QByteArray RedGroundBytes() {
    QString svg = QString::fromUtf8(SourceBytes());
    static const QRegularExpression ground(
        QStringLiteral(R"((<[^>]*\bid="ground"[^>]*\bfill=")[^"]*("))"));
    svg.replace(ground, QStringLiteral("\\1#e00000\\2"));
    return svg.toUtf8();
}

QImage Render(const QByteArray& svg, int size) {
    QBuffer buffer;
    buffer.setData(svg);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "svg");
    reader.setScaledSize(QSize(size, size));
    return reader.read();
}

}  // namespace

QIcon Normal() {
    return QIcon(QString::fromLatin1(kSource));
}

QIcon Alarm() {
    QByteArray svg = RedGroundBytes();
    QIcon icon;
    for (int size : kSizes) {
        icon.addPixmap(QPixmap::fromImage(Render(svg, size)));
    }
    return icon;
}

QImage NormalImage(int size) {
    return Render(SourceBytes(), size);
}

}  // namespace kestrove::icons
