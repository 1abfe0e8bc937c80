#include "monitor/report/ReportOptionForm.h"

#include "common/DigDir.h"
#include "monitor/report/ReportOptionTexts.h"
#include "monitor/settings/PasswordScrambler.h"

namespace kestrove {
namespace {

constexpr std::string_view kSection = "Report";

constexpr std::string_view kControlNames[] = {
    "Frame1", "optHourly", "optDaily",      "optWeekly", "optMonthly", "cboTime",
    "chkIjo", "Frame2",    "txtReportSave", "Command1",  "Check2",     "Frame3",
    "Label1", "Label2",    "Label3",        "Text1",     "Text2",      "Text3",
    "Frame4", "chkAuth",   "optSMTPAuth",   "optPBS",    "Label4",     "Label5",
    "Label6", "Text4",     "Text5",         "Text6",     "Check4",     "chkTls",
};
static_assert(std::size(kControlNames) == static_cast<std::size_t>(ReportOptionControl::kCount));

std::string_view FrequencyKeyValue(ReportFrequency frequency) {
    switch (frequency) {
        case ReportFrequency::Daily:
            return "Daily";
        case ReportFrequency::Weekly:
            return "Weekly";
        case ReportFrequency::Monthly:
            return "Monthly";
        case ReportFrequency::Hourly:
            break;
    }
    return "Hourly";
}

ReportFrequency FrequencyFromKeyValue(std::string_view value) {
    for (auto f : {ReportFrequency::Daily, ReportFrequency::Weekly, ReportFrequency::Monthly}) {
        if (value == FrequencyKeyValue(f)) {
            return f;
        }
    }
    return ReportFrequency::Hourly;
}

// The key that keeps the hour, weekday or day of a frequency ("Freq_Daily" …).
std::string TimeKey(ReportFrequency frequency) {
    return "Freq_" + std::string(FrequencyKeyValue(frequency));
}

std::string Switch(bool on) {
    return on ? "1" : "0";
}

}  // namespace

ReportOptionForm::ReportOptionForm(SettingsStore& settings, TimerSwitch setReportTimer)
    : settings_(settings), setReportTimer_(std::move(setReportTimer)) {
    enabled_.fill(true);
}

std::string_view ReportOptionForm::ControlName(ReportOptionControl control) {
    return kControlNames[static_cast<std::size_t>(control)];
}

std::vector<std::string> ReportOptionForm::TimeItems(ReportFrequency frequency) {
    using namespace reportoption;
    std::vector<std::string> items;
    switch (frequency) {
        case ReportFrequency::Daily:
            for (int hour = 0; hour <= 23; ++hour) {
                items.push_back(std::to_string(hour) + std::string(kHourSuffix));
            }
            break;
        case ReportFrequency::Weekly:
            items.assign(std::begin(kWeekdays), std::end(kWeekdays));
            break;
        case ReportFrequency::Monthly:
            for (int day = 1; day <= 30; ++day) {
                items.push_back(std::to_string(day) + std::string(kDaySuffix));
            }
            break;
        case ReportFrequency::Hourly:
            break;
    }
    return items;
}

void ReportOptionForm::Form_Load() {
    // Every opening starts from the controls' design state and the settings file alone.
    values_ = ReportOptionValues();
    enabled_.fill(true);
    auto read = [this](std::string_view key) { return settings_.ReadIni(kSection, key); };
    std::string autoReport = read("Auto");
    std::string freq = read("Freq");
    std::string saveTo = read("SaveTo");
    std::string sendByMail = read("SendByMail");
    std::string sendTo = read("SendTo");
    std::string sendFrom = read("SendFrom");
    std::string smtpServer = read("SMTPServer");
    std::string auth = read("Auth");
    std::string popServer = read("POPServer");
    std::string userId = read("UserID");
    std::string password = ScramblePassword("RESET", read("Password")).value_or("");
    std::string compress = read("Compress");
    std::string immediate = read("Immediate");
    std::string requireTls = read("RequireTLS");
    std::string authMethod = read("AuthMethod");

    values_.check1 = autoReport == "1";
    SelectFrequency(FrequencyFromKeyValue(freq));
    values_.txtReportSave = saveTo;
    values_.check2 = sendByMail == "1";
    values_.text1 = sendTo;
    values_.text2 = sendFrom;
    values_.text3 = smtpServer;
    values_.chkAuth = auth == "1";
    values_.text4 = popServer;
    values_.text5 = userId;
    values_.text6 = password;
    values_.check4 = compress == "1";
    values_.chkIjo = immediate == "1";
    values_.chkTls = requireTls == "1";
    if (authMethod == "SMTPAuth") {
        optSMTPAuth_Click();
    } else if (authMethod == "POPBeforeSMTP") {
        optPBS_Click();
    }
    // Run unconditionally, in this order: with Auto off and SendByMail on this leaves Check2
    // itself disabled while the mail fields it governs are enabled.
    Check1Rule();
    Check2Rule();
    chkAuthRule();
}

void ReportOptionForm::Check1_Click(bool ticked) {
    values_.check1 = ticked;
    Check1Rule();
}

void ReportOptionForm::Check2_Click(bool ticked) {
    values_.check2 = ticked;
    Check2Rule();
}

void ReportOptionForm::chkAuth_Click(bool ticked) {
    values_.chkAuth = ticked;
    chkAuthRule();
}

// No control depends on Check4; OK stores it.
void ReportOptionForm::Check4_Click(bool ticked) {
    values_.check4 = ticked;
}

void ReportOptionForm::optPBS_Click() {
    values_.method = ReportAuthMethod::POPBeforeSMTP;
    MethodRule();
}

void ReportOptionForm::optSMTPAuth_Click() {
    values_.method = ReportAuthMethod::SMTPAuth;
    MethodRule();
}

void ReportOptionForm::Check1Rule() {
    bool on = values_.check1;
    settings_.WriteIni(kSection, "Auto", Switch(on));
    SetEnabled({Control::Frame1,     Control::optHourly, Control::optDaily, Control::optWeekly,
                Control::optMonthly, Control::cboTime,   Control::Frame2,   Control::txtReportSave,
                Control::Command1,   Control::Check2,    Control::Frame3,   Control::Label1,
                Control::Label2,     Control::Label3,    Control::Text1,    Control::Text2,
                Control::Text3,      Control::Frame4,    Control::chkAuth,  Control::Label4,
                Control::Label5,     Control::Label6,    Control::Text4,    Control::Text5,
                Control::Text6,      Control::Check4,    Control::chkIjo,   Control::chkTls},
               on);
    if (on) {
        Check2Rule();
        chkAuthRule();
    }
}

void ReportOptionForm::Check2Rule() {
    SetEnabled({Control::Frame3, Control::Label1, Control::Label2, Control::Label3, Control::Text1,
                Control::Text2, Control::Text3, Control::Frame4, Control::chkAuth, Control::Label4,
                Control::Label5, Control::Label6, Control::Text4, Control::Text5, Control::Text6,
                Control::chkIjo, Control::chkTls},
               values_.check2);
    chkAuthRule();
}

void ReportOptionForm::chkAuthRule() {
    bool on = values_.check2 && values_.chkAuth;
    SetEnabled({Control::optSMTPAuth, Control::optPBS, Control::Label5, Control::Label6,
                Control::Text5, Control::Text6},
               on);
    if (on) {
        MethodRule();
    } else {
        SetEnabled({Control::Label4, Control::Text4}, false);
    }
}

void ReportOptionForm::MethodRule() {
    SetEnabled({Control::Label4, Control::Text4},
               values_.method == ReportAuthMethod::POPBeforeSMTP);
}

void ReportOptionForm::SelectFrequency(ReportFrequency frequency) {
    values_.frequency = frequency;
    values_.cboItems = TimeItems(frequency);
    values_.cboVisible = frequency != ReportFrequency::Hourly;
    values_.cboText.clear();
    if (frequency != ReportFrequency::Hourly) {
        std::string stored = settings_.ReadIni(kSection, TimeKey(frequency));
        values_.cboText = stored.empty() ? values_.cboItems.front() : stored;
    }
    settings_.WriteIni(kSection, "Freq", FrequencyKeyValue(frequency));
    if (frequency != ReportFrequency::Hourly) {
        settings_.WriteIni(kSection, TimeKey(frequency), values_.cboText);
    }
}

void ReportOptionForm::cboTime_Click(std::string_view item) {
    values_.cboText = item;
    if (values_.frequency && *values_.frequency != ReportFrequency::Hourly) {
        settings_.WriteIni(kSection, TimeKey(*values_.frequency), values_.cboText);
    }
}

void ReportOptionForm::Command1_Click(std::string_view chosenFolder) {
    if (!chosenFolder.empty()) {
        values_.txtReportSave = chosenFolder;
    }
}

std::optional<std::string_view> ReportOptionForm::FirstMissingField() const {
    using namespace reportoption;
    const ReportOptionValues& v = values_;
    if (v.txtReportSave.empty()) {
        return kNoSaveFolder;
    }
    if (!v.check2) {
        return std::nullopt;
    }
    if (v.text1.empty()) {
        return kNoSendTo;
    }
    if (v.text2.empty()) {
        return kNoSendFrom;
    }
    if (v.text3.empty()) {
        return kNoSmtpServer;
    }
    if (!v.chkAuth) {
        return std::nullopt;
    }
    if (v.text4.empty() && v.method == ReportAuthMethod::POPBeforeSMTP) {
        return kNoPopServer;
    }
    if (v.text5.empty()) {
        return kNoUserId;
    }
    if (v.text6.empty()) {
        return kNoPassword;
    }
    return std::nullopt;
}

ReportOptionForm::OkResult ReportOptionForm::Command2_Click() {
    if (values_.check1) {
        if (auto message = FirstMissingField()) {
            return {false, std::string(*message)};
        }
    }
    // The password is stored even from disabled fields, so it is checked on every save.
    std::optional<std::string> scrambled = ScramblePassword("SET", values_.text6);
    if (!scrambled) {
        return {false, std::string(reportoption::kPasswordNotAscii)};
    }
    if (setReportTimer_) {
        setReportTimer_(values_.check1);
    }
    if (values_.check1) {
        DigDir(values_.txtReportSave);
    }
    Save(*scrambled);
    return {true, {}};
}

void ReportOptionForm::Save(const std::string& scrambledPassword) {
    const ReportOptionValues& v = values_;
    auto write = [this](std::string_view key, std::string_view value) {
        settings_.WriteIni(kSection, key, value);
    };
    write("SaveTo", v.txtReportSave);
    write("SendByMail", Switch(v.check2));
    write("SendTo", v.text1);
    write("SendFrom", v.text2);
    write("SMTPServer", v.text3);
    write("Auth", Switch(v.chkAuth));
    if (v.method == ReportAuthMethod::POPBeforeSMTP) {
        write("AuthMethod", "POPBeforeSMTP");
    }
    if (v.method == ReportAuthMethod::SMTPAuth) {
        write("AuthMethod", "SMTPAuth");
    }
    write("POPServer", v.text4);
    write("UserID", v.text5);
    write("Password", scrambledPassword);
    write("Compress", Switch(v.check4));
    write("Immediate", Switch(v.chkIjo));
    write("RequireTLS", Switch(v.chkTls));
}

void ReportOptionForm::SetEnabled(std::initializer_list<Control> controls, bool enabled) {
    for (Control c : controls) {
        enabled_[static_cast<std::size_t>(c)] = enabled;
    }
}

}  // namespace kestrove
