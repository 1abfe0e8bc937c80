#include "monitor/ui/ReportOptionDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QVBoxLayout>

#include "common/ui/FrameStyle.h"
#include "common/ui/JapaneseFont.h"
#include "common/ui/MessageBox.h"
#include "common/ui/ScreenFit.h"
#include "common/ui/WindowFrame.h"
#include "common/ui/Twips.h"

namespace kestrove {
namespace {

enum class Kind { Frame, Check, Option, Combo, Text, Password, Label, Button };

struct ControlSpec {
    const char* name;
    Kind kind;
    const char* caption;
};

// clang-format off
constexpr ControlSpec kControls[] = {
    {"Frame5",        Kind::Frame,    ""},
    {"Check1",        Kind::Check,    "レポートの自動作成を行う"},
    {"Frame1",        Kind::Frame,    "作成頻度"},
    {"optHourly",     Kind::Option,   "毎正時"},
    {"optDaily",      Kind::Option,   "毎日"},
    {"optWeekly",     Kind::Option,   "毎週"},
    {"optMonthly",    Kind::Option,   "毎月"},
    {"cboTime",       Kind::Combo,    ""},
    {"chkIjo",        Kind::Check,    "異常を検出したときにはすぐに作成・メール送信する"},
    {"Frame2",        Kind::Frame,    "レポートの保存場所"},
    {"txtReportSave", Kind::Text,     ""},
    {"Command1",      Kind::Button,   "参照"},
    {"Check2",        Kind::Check,    "レポートをメールで送信"},
    {"Frame3",        Kind::Frame,    "メールオプション"},
    {"Label2",        Kind::Label,    "To"},
    {"Text1",         Kind::Text,     ""},
    {"Label3",        Kind::Label,    "From"},
    {"Text2",         Kind::Text,     ""},
    {"Label1",        Kind::Label,    "送信メールサーバー"},
    {"Text3",         Kind::Text,     ""},
    {"chkTls",        Kind::Check,    "常にTLSで暗号化して送信する"},
    {"Frame4",        Kind::Frame,    "送信サーバーは認証が必要である場合"},
    {"chkAuth",       Kind::Check,    "メール送信に認証が必要"},
    {"optSMTPAuth",   Kind::Option,   "SMTPAuth"},
    {"optPBS",        Kind::Option,   "POP Before SMTP"},
    {"Label5",        Kind::Label,    "ユーザーID"},
    {"Text5",         Kind::Text,     ""},
    {"Label6",        Kind::Label,    "パスワード"},
    {"Text6",         Kind::Password, ""},
    {"Label4",        Kind::Label,    "POPサーバー名"},
    {"Text4",         Kind::Text,     ""},
    {"Check4",        Kind::Check,    "保存・送信するレポートをZIP圧縮する"},
    {"Command2",      Kind::Button,   "OK"},
    {"Command3",      Kind::Button,   "キャンセル"},
};
// clang-format on

// The frames' places as drawn in twips: the width of the outer frame, the indent of the inner
// frames and option rows, and the buttons' size.
constexpr int kFrame5WidthTwips = 6015;
constexpr int kIndentTwips = 120;
constexpr int kOptionIndentTwips = 960;
constexpr int kButtonWidthTwips = 1215;
constexpr int kButtonHeightTwips = 375;

constexpr const char* kTabOrder[] = {
    "Check1",        "optHourly", "optDaily", "optWeekly",   "optMonthly", "cboTime",
    "txtReportSave", "Command1",  "Check2",   "Text1",       "Text2",      "Text3",
    "chkTls",        "Text4",     "Text5",    "Text6",       "Check4",     "Command2",
    "Command3",      "chkIjo",    "optPBS",   "optSMTPAuth", "chkAuth",
};

constexpr const char* kCaption = "レポート自動作成の設定";
constexpr const char* kMessageTitle = "Kestrove";
constexpr const char* kFolderPickerTitle = "フォルダを指定";

QWidget* MakeControl(Kind kind, const QString& caption, QWidget* container) {
    switch (kind) {
        case Kind::Frame:
            return new QGroupBox(caption, container);
        case Kind::Check:
            return new QCheckBox(caption, container);
        case Kind::Option:
            return new QRadioButton(caption, container);
        case Kind::Combo: {
            // Editable so a hand-edited value outside the list can be shown; read-only so
            // only a picked item changes it.
            auto* combo = new QComboBox(container);
            combo->setEditable(true);
            combo->lineEdit()->setReadOnly(true);
            return combo;
        }
        case Kind::Text:
            return new QLineEdit(container);
        case Kind::Password: {
            auto* edit = new QLineEdit(container);
            edit->setEchoMode(QLineEdit::Password);
            edit->setStyleSheet("QLineEdit { lineedit-password-character: 42; }");
            return edit;
        }
        case Kind::Label:
            return new QLabel(caption, container);
        case Kind::Button: {
            auto* button = new QPushButton(caption, container);
            button->setAutoDefault(false);
            return button;
        }
    }
    return nullptr;
}

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

ReportOptionDialog::ReportOptionDialog(SettingsStore& settings,
                                       ReportOptionForm::TimerSwitch setReportTimer,
                                       QWidget* parent)
    : QDialog(parent), form_(settings, std::move(setReportTimer)) {
    setObjectName("frmReportOption");
    ScreenFit::Keep(this);
    setWindowTitle(QString::fromUtf8(kCaption));
    setModal(false);
    setFont(JapaneseUiFont(9));
    pickFolder_ = [](QWidget* owner, const QString& title) {
        return QFileDialog::getExistingDirectory(owner, title, QString(),
                                                 QFileDialog::ShowDirsOnly);
    };
    BuildControls();
    SetTabOrder();
    ConnectControls();
}

// A frame fills its row; a check box keeps its own width, so a click beside its text does not
// toggle it.
static QHBoxLayout* Indented(QWidget* widget, int twips) {
    auto* row = new QHBoxLayout;
    row->addSpacing(Twips::ToPixels(twips, widget));
    bool frame = qobject_cast<QGroupBox*>(widget) != nullptr;
    row->addWidget(widget, frame ? 1 : 0);
    if (!frame) {
        row->addStretch(1);
    }
    return row;
}

static QHBoxLayout* Indented(QLayout* inner, int twips, const QWidget* screenOf) {
    auto* row = new QHBoxLayout;
    row->addSpacing(Twips::ToPixels(twips, screenOf));
    row->addLayout(inner, 1);
    return row;
}

void ReportOptionDialog::BuildControls() {
    // The controls keep the arrangement of the original form, but in layouts: the texts of this
    // system's fonts are wider and taller than the form's, and every one must show whole.
    for (const ControlSpec& spec : kControls) {
        MakeControl(spec.kind, QString::fromUtf8(spec.caption), this)->setObjectName(spec.name);
    }
    auto get = [this](const char* name) { return findChild<QWidget*>(name); };
    const int indent = Twips::ToPixels(kIndentTwips, this);

    auto* frequency = new QHBoxLayout;
    for (const char* name : {"optHourly", "optDaily", "optWeekly", "optMonthly", "cboTime"}) {
        frequency->addWidget(get(name));
    }
    frequency->addStretch(1);
    auto* combo = findChild<QComboBox*>("cboTime");
    combo->setMinimumWidth(TimeListWidth(combo));
    QSizePolicy keep = combo->sizePolicy();
    keep.setRetainSizeWhenHidden(true);  // hourly hides it; the row stays as it is
    combo->setSizePolicy(keep);
    auto* frame1 = new QVBoxLayout(get("Frame1"));
    frame1->addLayout(frequency);
    frame1->addLayout(Indented(get("chkIjo"), kIndentTwips));

    auto* frame2 = new QHBoxLayout(get("Frame2"));
    frame2->addWidget(get("txtReportSave"), 1);
    frame2->addWidget(get("Command1"));

    auto* methods = new QHBoxLayout;
    methods->addWidget(get("optSMTPAuth"));
    methods->addWidget(get("optPBS"));
    methods->addStretch(1);
    auto* frame4 = new QGridLayout(get("Frame4"));
    frame4->addWidget(get("chkAuth"), 0, 0, 1, 3, Qt::AlignLeft);
    frame4->addLayout(Indented(methods, kOptionIndentTwips, this), 1, 0, 1, 3);
    frame4->setColumnMinimumWidth(0, indent);
    frame4->setColumnStretch(2, 1);
    int row = 2;
    for (auto [label, text] :
         {std::pair{"Label5", "Text5"}, {"Label6", "Text6"}, {"Label4", "Text4"}}) {
        frame4->addWidget(get(label), row, 1);
        frame4->addWidget(get(text), row++, 2);
    }

    auto* frame3 = new QGridLayout(get("Frame3"));
    row = 0;
    for (auto [label, text] :
         {std::pair{"Label2", "Text1"}, {"Label3", "Text2"}, {"Label1", "Text3"}}) {
        findChild<QLabel*>(label)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        frame3->addWidget(get(label), row, 0);
        frame3->addWidget(get(text), row++, 1);
    }
    frame3->addWidget(get("chkTls"), row++, 1, Qt::AlignLeft);
    frame3->addWidget(get("Frame4"), row, 0, 1, 2);
    frame3->setColumnStretch(1, 1);

    QWidget* frame5Box = get("Frame5");
    frame5Box->setMinimumWidth(Twips::ToPixels(kFrame5WidthTwips, this));
    auto* frame5 = new QVBoxLayout(frame5Box);
    frame5->addWidget(get("Check1"), 0, Qt::AlignLeft);
    frame5->addLayout(Indented(get("Frame1"), kIndentTwips));
    frame5->addLayout(Indented(get("Frame2"), kIndentTwips));
    frame5->addWidget(get("Check2"), 0, Qt::AlignLeft);
    frame5->addLayout(Indented(get("Frame3"), kIndentTwips));
    frame5->addWidget(get("Check4"), 0, Qt::AlignLeft);
    frame5->addStretch(1);

    // Everything but the two buttons scrolls when the screen is lower than the dialog.
    page_ = new QWidget;
    page_->setObjectName("page");
    auto* pageLayout = new QVBoxLayout(page_);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addWidget(frame5Box);
    pageLayout->addStretch(1);
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName("scroll");
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setWidget(page_);

    buttons_ = new QHBoxLayout;
    buttons_->addStretch(1);
    for (const char* name : {"Command2", "Command3"}) {
        get(name)->setMinimumSize(Twips::Size(kButtonWidthTwips, kButtonHeightTwips, this));
        buttons_->addWidget(get(name));
    }
    auto* dialog = new QVBoxLayout(this);
    dialog->addWidget(scroll_, 1);
    dialog->addLayout(buttons_);

    UseFrameStyle(this);
    setStyleSheet(styleSheet() +
                  "QGroupBox#Frame5 { margin-top: 0; padding-top: 0.3em; }"
                  "QScrollArea#scroll, QWidget#page { background: transparent; }");
    findChild<QRadioButton*>("optSMTPAuth")->setChecked(true);
}

int ReportOptionDialog::TimeListWidth(QComboBox* combo) const {
    // Wide enough for the longest entry of every frequency, so no choice is cut or scrolled.
    QFontMetrics metrics(combo->font());
    int widest = 0;
    for (ReportFrequency f :
         {ReportFrequency::Daily, ReportFrequency::Weekly, ReportFrequency::Monthly}) {
        for (const std::string& item : ReportOptionForm::TimeItems(f)) {
            widest = std::max(widest, metrics.horizontalAdvance(FromUtf8(item)));
        }
    }
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = true;
    // The line edit inside keeps a margin of its own on both sides.
    QSize text(widest + 2 * metrics.horizontalAdvance(QLatin1Char('x')), metrics.height());
    return combo->style()->sizeFromContents(QStyle::CT_ComboBox, &option, text, combo).width();
}

void ReportOptionDialog::FitToScreen() {
    // The whole dialog when the screen has room for it; otherwise as much as it has, scrolling.
    // Measured with the style sheet applied, which happens at the first show otherwise.
    ensurePolished();
    layout()->activate();
    QMargins margins = layout()->contentsMargins();
    QSize want = page_->sizeHint() + QSize(margins.left() + margins.right(),
                                           margins.top() + margins.bottom() + layout()->spacing() +
                                               buttons_->sizeHint().height());
    const QScreen* shown = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (shown == nullptr) {
        resize(want);
        return;
    }
    QMargins border = WindowFrame(this);
    QSize frame(border.left() + border.right(), border.top() + border.bottom());
    if (frame.isNull()) {
        // Not shown yet: allow for a title bar and borders.
        frame = QSize(8, fontMetrics().height() + 12);
    }
    QRect screenArea = shown->availableGeometry();
    QSize room = screenArea.size() - frame;
    if (want.height() > room.height()) {
        want.rwidth() += style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    }
    resize(want.boundedTo(room));
    ScreenFit::Fit(this);
}

void ReportOptionDialog::SetTabOrder() {
    for (std::size_t i = 1; i < std::size(kTabOrder); ++i) {
        setTabOrder(findChild<QWidget*>(kTabOrder[i - 1]), findChild<QWidget*>(kTabOrder[i]));
    }
}

void ReportOptionDialog::ConnectCheck(const char* name, void (ReportOptionForm::*handler)(bool)) {
    connect(findChild<QCheckBox*>(name), &QCheckBox::clicked, this, [this, handler](bool on) {
        (form_.*handler)(on);
        Refresh();
    });
}

void ReportOptionDialog::ConnectOption(const char* name, void (ReportOptionForm::*handler)()) {
    connect(findChild<QRadioButton*>(name), &QRadioButton::clicked, this, [this, handler] {
        (form_.*handler)();
        Refresh();
    });
}

void ReportOptionDialog::ConnectText(const char* name, std::string ReportOptionValues::*field) {
    connect(findChild<QLineEdit*>(name), &QLineEdit::textEdited, this,
            [this, field](const QString& text) { form_.Values().*field = text.toStdString(); });
}

void ReportOptionDialog::ConnectControls() {
    ConnectCheck("Check1", &ReportOptionForm::Check1_Click);
    ConnectCheck("Check2", &ReportOptionForm::Check2_Click);
    ConnectCheck("chkAuth", &ReportOptionForm::chkAuth_Click);
    ConnectCheck("Check4", &ReportOptionForm::Check4_Click);
    connect(findChild<QCheckBox*>("chkTls"), &QCheckBox::clicked, this,
            [this](bool on) { form_.Values().chkTls = on; });
    connect(findChild<QCheckBox*>("chkIjo"), &QCheckBox::clicked, this,
            [this](bool on) { form_.Values().chkIjo = on; });
    ConnectOption("optHourly", &ReportOptionForm::optHourly_Click);
    ConnectOption("optDaily", &ReportOptionForm::optDaily_Click);
    ConnectOption("optWeekly", &ReportOptionForm::optWeekly_Click);
    ConnectOption("optMonthly", &ReportOptionForm::optMonthly_Click);
    ConnectOption("optPBS", &ReportOptionForm::optPBS_Click);
    ConnectOption("optSMTPAuth", &ReportOptionForm::optSMTPAuth_Click);
    auto* combo = findChild<QComboBox*>("cboTime");
    connect(combo, &QComboBox::activated, this, [this, combo](int index) {
        form_.cboTime_Click(combo->itemText(index).toStdString());
        Refresh();
    });
    ConnectText("txtReportSave", &ReportOptionValues::txtReportSave);
    ConnectText("Text1", &ReportOptionValues::text1);
    ConnectText("Text2", &ReportOptionValues::text2);
    ConnectText("Text3", &ReportOptionValues::text3);
    ConnectText("Text4", &ReportOptionValues::text4);
    ConnectText("Text5", &ReportOptionValues::text5);
    ConnectText("Text6", &ReportOptionValues::text6);
    connect(findChild<QPushButton*>("Command1"), &QPushButton::clicked, this,
            &ReportOptionDialog::Command1_Click);
    connect(findChild<QPushButton*>("Command2"), &QPushButton::clicked, this,
            &ReportOptionDialog::Command2_Click);
    connect(findChild<QPushButton*>("Command3"), &QPushButton::clicked, this, &QDialog::reject);
}

void ReportOptionDialog::Open() {
    if (!isVisible()) {
        form_.Form_Load();
        Refresh();
        FitToScreen();
        show();
        FitToScreen();  // the style sheet's sizes hold only once shown
    }
    raise();
    activateWindow();
}

void ReportOptionDialog::Command1_Click() {
    form_.Command1_Click(pickFolder_(this, QString::fromUtf8(kFolderPickerTitle)).toStdString());
    Refresh();
}

void ReportOptionDialog::Command2_Click() {
    ReportOptionForm::OkResult result = form_.Command2_Click();
    if (!result.message.empty()) {
        MessageBox::Information(this, QString::fromUtf8(kMessageTitle), FromUtf8(result.message));
    }
    if (result.close) {
        accept();
    }
}

void ReportOptionDialog::RefreshTimeList() {
    const ReportOptionValues& v = form_.Values();
    auto* combo = findChild<QComboBox*>("cboTime");
    QSignalBlocker block(combo);
    QStringList items;
    for (const std::string& item : v.cboItems) {
        items << FromUtf8(item);
    }
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i) {
        shown << combo->itemText(i);
    }
    if (shown != items) {
        combo->clear();
        combo->addItems(items);
    }
    combo->setEditText(FromUtf8(v.cboText));
    combo->setVisible(v.cboVisible);
}

void ReportOptionDialog::Refresh() {
    const ReportOptionValues& v = form_.Values();
    auto setChecked = [this](const char* name, bool on) {
        auto* button = findChild<QAbstractButton*>(name);
        QSignalBlocker block(button);
        button->setChecked(on);
    };
    auto setText = [this](const char* name, const std::string& text) {
        auto* edit = findChild<QLineEdit*>(name);
        if (edit->text() != FromUtf8(text)) {
            QSignalBlocker block(edit);
            edit->setText(FromUtf8(text));
        }
    };
    setChecked("Check1", v.check1);
    setChecked("optHourly", v.frequency == ReportFrequency::Hourly);
    setChecked("optDaily", v.frequency == ReportFrequency::Daily);
    setChecked("optWeekly", v.frequency == ReportFrequency::Weekly);
    setChecked("optMonthly", v.frequency == ReportFrequency::Monthly);
    RefreshTimeList();
    setChecked("chkIjo", v.chkIjo);
    setText("txtReportSave", v.txtReportSave);
    setChecked("Check2", v.check2);
    setText("Text1", v.text1);
    setText("Text2", v.text2);
    setText("Text3", v.text3);
    setChecked("chkAuth", v.chkAuth);
    setChecked("optSMTPAuth", v.method == ReportAuthMethod::SMTPAuth);
    setChecked("optPBS", v.method == ReportAuthMethod::POPBeforeSMTP);
    setText("Text4", v.text4);
    setText("Text5", v.text5);
    setText("Text6", v.text6);
    setChecked("Check4", v.check4);
    setChecked("chkTls", v.chkTls);
    for (std::size_t i = 0; i < static_cast<std::size_t>(ReportOptionControl::kCount); ++i) {
        auto control = static_cast<ReportOptionControl>(i);
        QString name = FromUtf8(ReportOptionForm::ControlName(control));
        findChild<QWidget*>(name)->setEnabled(form_.IsEnabled(control));
    }
}

}  // namespace kestrove
