#include "monitor/ui/linux/FreedesktopNotifier.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QImage>

#include "monitor/ui/AppIcons.h"
#include "monitor/ui/MainWindowTexts.h"

#ifndef KESTROVE_APP_ID
#define KESTROVE_APP_ID "org.example.kestrove"
#endif
#ifndef KESTROVE_ICON_NAME
#define KESTROVE_ICON_NAME "kestrove"
#endif

namespace kestrove {
namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";
constexpr unsigned char kUrgencyCritical = 2;
constexpr int kImageSize = 64;

// The "image-data" hint, (iiibiiay): the picture itself, so the service shows the icon even
// where no icon theme holds it (a build folder, a portable copy).
struct NotificationImage {
    QImage image;
};

QDBusArgument& operator<<(QDBusArgument& arg, const NotificationImage& n) {
    QImage rgba = n.image.convertToFormat(QImage::Format_RGBA8888);
    arg.beginStructure();
    arg << rgba.width() << rgba.height() << static_cast<int>(rgba.bytesPerLine()) << true << 8 << 4
        << QByteArray(reinterpret_cast<const char*>(rgba.constBits()),
                      static_cast<qsizetype>(rgba.sizeInBytes()));
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, NotificationImage&) {
    return arg;  // never received
}

}  // namespace
}  // namespace kestrove

Q_DECLARE_METATYPE(kestrove::NotificationImage)

namespace kestrove {

FreedesktopNotifier::FreedesktopNotifier(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
    qDBusRegisterMetaType<NotificationImage>();
    AskCapabilities();
}

void FreedesktopNotifier::AskCapabilities() {
    if (!bus_.isConnected()) {
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                       QStringLiteral("GetCapabilities"));
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        QDBusPendingReply<QStringList> reply = *w;
        if (!reply.isError()) {
            bodyMarkup_ = reply.value().contains(QStringLiteral("body-markup"));
        }
        w->deleteLater();
    });
}

void FreedesktopNotifier::Show(const QString& summary, const QString& body) {
    if (!bus_.isConnected()) {
        ShowFallback(summary, body);
        return;
    }
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(kUrgencyCritical));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral(KESTROVE_APP_ID));
    hints.insert(QStringLiteral("image-data"),
                 QVariant::fromValue(NotificationImage{icons::NormalImage(kImageSize)}));
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    call << QString::fromUtf8(texts::kTitle) << 0u << QStringLiteral(KESTROVE_ICON_NAME) << summary
         << (bodyMarkup_ ? body.toHtmlEscaped() : body) << QStringList() << hints << -1;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, summary, body](QDBusPendingCallWatcher* w) {
                if (w->isError()) {
                    ShowFallback(summary, body);
                }
                w->deleteLater();
            });
}

}  // namespace kestrove
