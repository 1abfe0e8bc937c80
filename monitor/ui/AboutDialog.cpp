#include "monitor/ui/AboutDialog.h"

#include <QEvent>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include "common/ui/Twips.h"

namespace kestrove {
namespace {

constexpr const char* kVersion = "Version 2.00";
constexpr const char* kLabel1 = "このプログラムに関する最新情報は";
constexpr const char* kLabel4 = "を参照ください。";
constexpr const char* kDisclaimer =
    "このプログラムは無保証です。使用によって生じたいかなる損害についても責任を負いません。";

}  // namespace

AboutDialog::AboutDialog(QString webAddress, Opener opener, QWidget* parent)
    : QDialog(parent), webAddress_(std::move(webAddress)), opener_(std::move(opener)) {
    setObjectName("frmAbout");
    setWindowTitle("Kestrove");
    setFixedSize(Twips::Size(5760, 3420, this));
    setMouseTracking(true);
    installEventFilter(this);

    auto* icon = PlaceTwips(new QLabel(this), "picIcon", 240, 240, 465, 480);
    icon->setPixmap(QIcon(":/kestrove/logo.svg").pixmap(QSize(31, 32)));
    auto* title = PlaceTwips(new QLabel("Kestrove", this), "lblTitle", 1080, 240, 3600, 480);
    QFont courier("Courier New");
    courier.setStyleHint(QFont::Courier);
    courier.setPointSize(18);
    courier.setBold(true);
    title->setFont(courier);
    PlaceTwips(new QLabel(kVersion, this), "lblVersion", 1080, 780, 3600, 300);
    for (int top : {1200, 2700}) {
        auto* line = PlaceTwips(new QFrame(this), "Line1", 120, top, 5520, 30);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
    }
    PlaceTwips(new QLabel(QString::fromUtf8(kLabel1), this), "Label1", 240, 1380, 5280, 300);
    label2_ = PlaceTwips(new QLabel(webAddress_, this), "Label2", 240, 1700, 5280, 300);
    label2_->setCursor(Qt::PointingHandCursor);
    PlaceTwips(new QLabel(QString::fromUtf8(kLabel4), this), "Label4", 240, 2020, 5280, 300);
    auto* disclaimer = PlaceTwips(new QLabel(QString::fromUtf8(kDisclaimer), this), "lblDisclaimer",
                                  240, 2340, 5280, 330);
    disclaimer->setWordWrap(true);
    auto* ok = PlaceTwips(new QPushButton("OK", this), "cmdOK", 4320, 2880, 1215, 375);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);
    ok->setDefault(true);

    // Every child reports the mouse itself; otherwise a move over the logo or the button would
    // reach the box's background and turn the link blue.
    for (QWidget* child : findChildren<QWidget*>()) {
        child->setMouseTracking(true);
        child->installEventFilter(this);
    }
    SetLinkRed(false);
}

void AboutDialog::SetLinkRed(bool red) {
    linkRed_ = red;
    label2_->setStyleSheet(red ? "color: #ff0000; text-decoration: underline;"
                               : "color: #0000ff; text-decoration: underline;");
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove &&
        static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton) {
        const QString name = watched->objectName();
        if (watched == label2_) {
            SetLinkRed(true);
        } else if (watched == this || name == "Label1" || name == "Label4" ||
                   name == "lblDisclaimer") {
            SetLinkRed(false);
        }
        return watched != this;
    }
    if (event->type() == QEvent::MouseButtonRelease && watched == label2_) {
        if (opener_) {
            opener_(webAddress_);
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace kestrove
