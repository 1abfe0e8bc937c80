#pragma once

#include <QDialog>
#include <QString>
#include <functional>

#include "common/SettingsStore.h"
#include "monitor/report/ReportOptionForm.h"

class QComboBox;
class QHBoxLayout;
class QScrollArea;

namespace kestrove {

// frmReportOption: the report options window. Modeless and single: its owner keeps one instance
// and calls Open() for every menu choice; a closed window is loaded afresh from the settings
// file, an open one is only brought to the front. The logic lives in ReportOptionForm; this
// class only draws the controls and forwards the user's actions.
class ReportOptionDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReportOptionDialog)

public:
    // Returns the chosen folder, or "" when the user cancels.
    using FolderPicker = std::function<QString(QWidget* parent, const QString& title)>;

    ReportOptionDialog(SettingsStore& settings, ReportOptionForm::TimerSwitch setReportTimer,
                       QWidget* parent = nullptr);

    void Open();
    // Tests replace the folder browser.
    void SetFolderPicker(FolderPicker picker) { pickFolder_ = std::move(picker); }

private:
    void BuildControls();
    int TimeListWidth(QComboBox* combo) const;
    void FitToScreen();
    void SetTabOrder();
    void ConnectControls();
    void ConnectCheck(const char* name, void (ReportOptionForm::*handler)(bool));
    void ConnectOption(const char* name, void (ReportOptionForm::*handler)());
    void ConnectText(const char* name, std::string ReportOptionValues::*field);
    void Refresh();
    void RefreshTimeList();
    void Command1_Click();
    void Command2_Click();

    ReportOptionForm form_;
    QWidget* page_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QHBoxLayout* buttons_ = nullptr;
    FolderPicker pickFolder_;
};

}  // namespace kestrove
