#pragma once

#include <QDialog>

#include "monitor/app/AdapterChoice.h"

class QComboBox;
class QLabel;

namespace kestrove {

// `frmNic`: picks the adapter whose subnet the monitor watches.
class AdapterDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AdapterDialog)
public:
    explicit AdapterDialog(AdapterChoice& choice, QWidget* parent = nullptr);

private:
    void Show(const AdapterChoice::Shown& shown);

    AdapterChoice& choice_;
    QComboBox* cboCard_ = nullptr;
    QLabel* lblIP_ = nullptr;
    QLabel* lblMAC_ = nullptr;
    QLabel* lblSubnet_ = nullptr;
};

}  // namespace kestrove
