#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/SettingsStore.h"

namespace kestrove {

// Controls of the report options dialog whose enabled state the dialog's rules set.
enum class ReportOptionControl : std::size_t {
    Frame1,
    optHourly,
    optDaily,
    optWeekly,
    optMonthly,
    cboTime,
    chkIjo,
    Frame2,
    txtReportSave,
    Command1,
    Check2,
    Frame3,
    Label1,
    Label2,
    Label3,
    Text1,
    Text2,
    Text3,
    Frame4,
    chkAuth,
    optSMTPAuth,
    optPBS,
    Label4,
    Label5,
    Label6,
    Text4,
    Text5,
    Text6,
    Check4,
    chkTls,
    kCount
};

enum class ReportFrequency { Hourly, Daily, Weekly, Monthly };
enum class ReportAuthMethod { SMTPAuth, POPBeforeSMTP };

// What the dialog's controls hold.
struct ReportOptionValues {
    bool check1 = false;                       // scheduled reports
    std::optional<ReportFrequency> frequency;  // no option is selected before the load
    std::vector<std::string> cboItems;
    std::string cboText;
    bool cboVisible = true;
    bool chkIjo = false;  // immediate report on an anomaly
    std::string txtReportSave;
    bool check2 = false;  // send by mail
    std::string text1;    // To
    std::string text2;    // From
    std::string text3;    // SMTP server
    bool chkAuth = false;
    ReportAuthMethod method = ReportAuthMethod::SMTPAuth;
    std::string text4;    // POP server
    std::string text5;    // user ID
    std::string text6;    // password, plain
    bool check4 = false;  // zip reports
    bool chkTls = false;  // every report mail over TLS, with or without a login
};

// The logic of the report options dialog (frmReportOption) without any widgets: what it loads,
// which controls each choice enables, what it writes at once and what OK checks and saves. The
// settings file is the only store; the frequency keys and [Report] Auto are written the moment
// they change, the rest only by OK.
class ReportOptionForm final {
public:
    // Switches the main window's scheduled-report timer (timReport).
    using TimerSwitch = std::function<void(bool)>;

    struct OkResult {
        bool close = false;
        std::string message;  // shown in an information box when not empty; the dialog stays
    };

    ReportOptionForm(SettingsStore& settings, TimerSwitch setReportTimer);

    void Form_Load();
    void Check1_Click(bool ticked);
    void Check2_Click(bool ticked);
    void chkAuth_Click(bool ticked);
    void Check4_Click(bool ticked);
    void optHourly_Click() { SelectFrequency(ReportFrequency::Hourly); }
    void optDaily_Click() { SelectFrequency(ReportFrequency::Daily); }
    void optWeekly_Click() { SelectFrequency(ReportFrequency::Weekly); }
    void optMonthly_Click() { SelectFrequency(ReportFrequency::Monthly); }
    void optPBS_Click();
    void optSMTPAuth_Click();
    void cboTime_Click(std::string_view item);
    // The folder the picker returned; "" (cancelled) keeps the field.
    void Command1_Click(std::string_view chosenFolder);
    OkResult Command2_Click();

    const ReportOptionValues& Values() const { return values_; }
    // Text boxes and chkIjo are edited directly: no rule depends on them.
    ReportOptionValues& Values() { return values_; }
    bool IsEnabled(ReportOptionControl control) const {
        return enabled_[static_cast<std::size_t>(control)];
    }

    static std::string_view ControlName(ReportOptionControl control);
    static std::vector<std::string> TimeItems(ReportFrequency frequency);

private:
    using Control = ReportOptionControl;

    void Check1Rule();
    void Check2Rule();
    void chkAuthRule();
    void MethodRule();
    void SelectFrequency(ReportFrequency frequency);
    void SetEnabled(std::initializer_list<Control> controls, bool enabled);
    std::optional<std::string_view> FirstMissingField() const;
    void Save(const std::string& scrambledPassword);

    SettingsStore& settings_;
    TimerSwitch setReportTimer_;
    ReportOptionValues values_;
    std::array<bool, static_cast<std::size_t>(Control::kCount)> enabled_;
};

}  // namespace kestrove
