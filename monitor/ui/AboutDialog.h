#pragma once

#include <QDialog>
#include <functional>

class QLabel;

namespace kestrove {

// `frmAbout`: name, version and the project's web page. The link turns red under the mouse
// and blue again over the box's background or its other texts.
class AboutDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutDialog)
public:
    using Opener = std::function<void(const QString& url)>;

    AboutDialog(QString webAddress, Opener opener, QWidget* parent = nullptr);

    QLabel* Link() const { return label2_; }
    bool LinkIsRed() const { return linkRed_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetLinkRed(bool red);

    QString webAddress_;
    Opener opener_;
    QLabel* label2_ = nullptr;
    bool linkRed_ = false;
};

}  // namespace kestrove
