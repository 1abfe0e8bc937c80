#include "monitor/ui/ReportOptionDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "common/ui/JapaneseFont.h"
#include "common/ui/MessageBox.h"
#include "common/ui/Twips.h"

namespace kestrove {
namespace {

enum class Kind { Frame, Check, Option, Combo, Text, Password, Label, Button };

struct ControlSpec {
    const char* name;
    Kind kind;
    const char* container;  // "" for the dialog itself
    const char* caption;
    int left, top, width, height;  // twips, relative to the container
};

// clang-format off
constexpr ControlSpec kControls[] = {
    {"Frame5",        Kind::Frame,    "",       "",                 120,    0, 6015, 7695},
    {"Check1",        Kind::Check,    "Frame5", "レポートの自動作成を行う", 240, 240, 3255, 255},
    {"Frame1",        Kind::Frame,    "Frame5", "作成頻度",          360,  600, 5295, 1335},
    {"optHourly",     Kind::Option,   "Frame1", "毎正時",            240,  360,  855,  255},
    {"optDaily",      Kind::Option,   "Frame1", "毎日",             1320,  360,  735,  255},
    {"optWeekly",     Kind::Option,   "Frame1", "毎週",             2280,  360,  735,  255},
    {"optMonthly",    Kind::Option,   "Frame1", "毎月",             3240,  360,  855,  255},
    {"cboTime",       Kind::Combo,    "Frame1", "",                 4200,  360,  855,  300},
    {"chkIjo",        Kind::Check,    "Frame1",
     "異常を検出したときにはすぐに作成・メール送信する",              360,  840, 4695,  255},
    {"Frame2",        Kind::Frame,    "Frame5", "レポートの保存場所", 360, 2040, 5295,  975},
    {"txtReportSave", Kind::Text,     "Frame2", "",                  120,  360, 4215,  270},
    {"Command1",      Kind::Button,   "Frame2", "参照",             4440,  360,  615,  255},
    {"Check2",        Kind::Check,    "Frame5", "レポートをメールで送信", 240, 3120, 2895, 255},
    {"Frame3",        Kind::Frame,    "Frame5", "メールオプション",   360, 3480, 5295, 3615},
    {"Label2",        Kind::Label,    "Frame3", "To",                240,  240,  375,  255},
    {"Text1",         Kind::Text,     "Frame3", "",                  600,  240, 4455,  270},
    {"Label3",        Kind::Label,    "Frame3", "From",              120,  600,  495,  255},
    {"Text2",         Kind::Text,     "Frame3", "",                  600,  600, 4455,  270},
    {"Label1",        Kind::Label,    "Frame3", "送信メールサーバー", 120, 1080, 1695,  255},
    {"Text3",         Kind::Text,     "Frame3", "",                 1920, 1080, 3135,  270},
    {"Frame4",        Kind::Frame,    "Frame3", "送信サーバーは認証が必要である場合",
                                                                     240, 1440, 4815, 2055},
    {"chkAuth",       Kind::Check,    "Frame4", "メール送信に認証が必要", 240, 240, 2295, 255},
    {"optSMTPAuth",   Kind::Option,   "Frame4", "SMTPAuth",         1200,  480, 1455,  255},
    {"optPBS",        Kind::Option,   "Frame4", "POP Before SMTP",  2760,  480, 1815,  255},
    {"Label5",        Kind::Label,    "Frame4", "ユーザーID",        360,  840, 1335,  255},
    {"Text5",         Kind::Text,     "Frame4", "",                 1800,  840, 2775,  270},
    {"Label6",        Kind::Label,    "Frame4", "パスワード",         360, 1200, 1215,  255},
    {"Text6",         Kind::Password, "Frame4", "",                 1800, 1200, 2775,  270},
    {"Label4",        Kind::Label,    "Frame4", "POPサーバー名",      240, 1560, 1335,  255},
    {"Text4",         Kind::Text,     "Frame4", "",                 1800, 1560, 2775,  270},
    {"Check4",        Kind::Check,    "Frame5", "保存・送信するレポートをZIP圧縮する",
                                                                     240, 7200, 4695,  255},
    {"Command2",      Kind::Button,   "",       "OK",               3600, 7800, 1215,  375},
    {"Command3",      Kind::Button,   "",       "キャンセル",        4920, 7800, 1215,  375},
};
// clang-format on

constexpr const char* kTabOrder[] = {
    "Check1",        "optHourly", "optDaily",    "optWeekly", "optMonthly", "cboTime",
    "txtReportSave", "Command1",  "Check2",      "Text1",     "Text2",      "Text3",
    "Text4",         "Text5",     "Text6",       "Check4",    "Command2",   "Command3",
    "chkIjo",        "optPBS",    "optSMTPAuth", "chkAuth",
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

void ReportOptionDialog::BuildControls() {
    setFixedSize(Twips::Size(6315, 8385, this));
    for (const ControlSpec& spec : kControls) {
        QWidget* container = *spec.container == '\0' ? this : findChild<QWidget*>(spec.container);
        QWidget* control = MakeControl(spec.kind, QString::fromUtf8(spec.caption), container);
        control->setObjectName(spec.name);
        control->setGeometry(Twips::Rect(spec.left, spec.top, spec.width, spec.height, this));
    }
    findChild<QRadioButton*>("optSMTPAuth")->setChecked(true);
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
        show();
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
    for (std::size_t i = 0; i < static_cast<std::size_t>(ReportOptionControl::kCount); ++i) {
        auto control = static_cast<ReportOptionControl>(i);
        QString name = FromUtf8(ReportOptionForm::ControlName(control));
        findChild<QWidget*>(name)->setEnabled(form_.IsEnabled(control));
    }
}

}  // namespace kestrove
