#include "monitor/ui/AboutDialog.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/ui/ScreenFit.h"
#include "common/ui/Twips.h"
#include "monitor/ui/AppIcons.h"

namespace kestrove {
namespace {

constexpr const char* kVersion = "Version 2.00";
constexpr int kTextWidthTwips = 5280;
constexpr const char* kLabel1 = "このプログラムに関する最新情報は";
constexpr const char* kLabel4 = "を参照ください。";
constexpr const char* kDisclaimer =
    "このプログラムは無保証です。使用によって生じたいかなる損害についても責任を負いません。";

}  // namespace

AboutDialog::AboutDialog(QString webAddress, Opener opener, QWidget* parent)
    : QDialog(parent), webAddress_(std::move(webAddress)), opener_(std::move(opener)) {
    setObjectName("frmAbout");
    ScreenFit::Keep(this);
    setWindowTitle("Kestrove");
    setMouseTracking(true);
    installEventFilter(this);

    auto* icon = new QLabel(this);
    icon->setObjectName("picIcon");
    icon->setPixmap(icons::Normal().pixmap(QSize(31, 32)));
    auto* title = new QLabel("Kestrove", this);
    title->setObjectName("lblTitle");
    QFont courier("Courier New");
    courier.setStyleHint(QFont::Courier);
    courier.setPointSize(18);
    courier.setBold(true);
    title->setFont(courier);
    auto* version = new QLabel(kVersion, this);
    version->setObjectName("lblVersion");
    auto line = [this] {
        auto* separator = new QFrame(this);
        separator->setObjectName("Line1");
        separator->setFrameShape(QFrame::HLine);
        separator->setFrameShadow(QFrame::Sunken);
        return separator;
    };
    auto label = [this](const char* name, const char* text) {
        auto* shown = new QLabel(QString::fromUtf8(text), this);
        shown->setObjectName(name);
        return shown;
    };
    label2_ = label("Label2", "");
    label2_->setText(webAddress_);
    label2_->setCursor(Qt::PointingHandCursor);
    QLabel* disclaimer = label("lblDisclaimer", kDisclaimer);
    disclaimer->setWordWrap(true);
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("cmdOK");
    ok->setMinimumSize(Twips::Size(1215, 375, this));
    connect(ok, &QPushButton::clicked, this, &QDialog::close);
    ok->setDefault(true);

    // Laid out rather than placed, so every text shows whole in whatever font this system
    // has; the box keeps the width it was drawn with and takes the height its texts need.
    auto* grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    grid->setHorizontalSpacing(Twips::ToPixels(240, this));
    grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(title, 0, 1);
    grid->addWidget(version, 1, 1);
    grid->addWidget(line(), 2, 0, 1, 2);
    auto* text = new QVBoxLayout;
    text->addWidget(label("Label1", kLabel1));
    text->addWidget(label2_, 0, Qt::AlignLeft);  // only the address itself is the link
    text->addWidget(label("Label4", kLabel4));
    text->addSpacing(Twips::ToPixels(120, this));
    text->addWidget(disclaimer);
    grid->addLayout(text, 3, 0, 1, 2);
    grid->addWidget(line(), 4, 0, 1, 2);
    grid->addWidget(ok, 5, 0, 1, 2, Qt::AlignRight);
    disclaimer->setFixedWidth(Twips::ToPixels(kTextWidthTwips, this));

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
