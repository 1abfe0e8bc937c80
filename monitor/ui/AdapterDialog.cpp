#include "monitor/ui/AdapterDialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "common/ui/ScreenFit.h"
#include "common/ui/Twips.h"

namespace kestrove {
namespace {

QString Text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

}  // namespace

AdapterDialog::AdapterDialog(AdapterChoice& choice, QWidget* parent)
    : QDialog(parent), choice_(choice) {
    setObjectName("frmNic");
    ScreenFit::Keep(this);
    setWindowTitle(QString::fromUtf8("Kestrove - 監視するLANカード"));
    setModal(true);
    setFixedSize(Twips::Size(5400, 2940, this));

    PlaceTwips(new QLabel(QString::fromUtf8("監視するカード"), this), "Label1", 120, 180, 1500,
               255);
    cboCard_ = PlaceTwips(new QComboBox(this), "cboCard", 1680, 120, 3480, 315);
    auto* frame =
        PlaceTwips(new QGroupBox(QString::fromUtf8("情報"), this), "Frame1", 120, 600, 5040, 1560);
    PlaceTwips(new QLabel(QString::fromUtf8("IPアドレス"), frame), "Label2", 240, 360, 1500, 255);
    lblIP_ = PlaceTwips(new QLabel(frame), "lblIP", 1800, 360, 3000, 255);
    PlaceTwips(new QLabel(QString::fromUtf8("MACアドレス"), frame), "Label3", 240, 720, 1500, 255);
    lblMAC_ = PlaceTwips(new QLabel(frame), "lblMAC", 1800, 720, 3000, 255);
    PlaceTwips(new QLabel(QString::fromUtf8("サブネットマスク"), frame), "Label4", 240, 1080, 1500,
               255);
    lblSubnet_ = PlaceTwips(new QLabel(frame), "lblSubnet", 1800, 1080, 3000, 255);
    auto* ok = PlaceTwips(new QPushButton("OK", this), "Command1", 3960, 2340, 1215, 375);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    AdapterChoice::Shown shown = choice_.Form_Load();
    for (const std::string& name : shown.names) {
        cboCard_->addItem(Text(name));
    }
    Show(shown);
    connect(cboCard_, &QComboBox::activated, this, [this](int index) {
        Show(choice_.cboCard_Click(index, cboCard_->itemText(index).toStdString()));
    });
}

void AdapterDialog::Show(const AdapterChoice::Shown& shown) {
    cboCard_->setCurrentIndex(cboCard_->findText(Text(shown.name)));
    lblIP_->setText(Text(shown.ip));
    lblMAC_->setText(Text(shown.mac));
    lblSubnet_->setText(Text(shown.subnet));
}

}  // namespace kestrove
