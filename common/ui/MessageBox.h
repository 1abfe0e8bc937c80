#pragma once

#include <QMessageBox>
#include <QString>
#include <optional>
#include <vector>

class QWidget;

namespace kestrove {

// Message boxes of the programs. A test sets the answer beforehand, so a box never blocks an
// offscreen test; every shown box is remembered for the test to check.
class MessageBox final {
public:
    struct Shown {
        QMessageBox::Icon icon;
        QString title;
        QString text;
    };

    static QMessageBox::StandardButton Information(QWidget* parent, const QString& title,
                                                   const QString& text);
    static QMessageBox::StandardButton Warning(QWidget* parent, const QString& title,
                                               const QString& text);
    // OK / Cancel question; returns the button pressed.
    static QMessageBox::StandardButton Question(QWidget* parent, const QString& title,
                                                const QString& text);

    // Tests: the next box answers at once with `answer` instead of waiting for a click.
    static void SetNextAnswer(QMessageBox::StandardButton answer);
    // Tests: every box answers at once (with OK, or Cancel for questions) from now on.
    static void SetAutoAnswer(bool on);
    static const std::vector<Shown>& History();
    static void ClearHistory();

private:
    static QMessageBox::StandardButton Show(QWidget* parent, QMessageBox::Icon icon,
                                            const QString& title, const QString& text,
                                            QMessageBox::StandardButtons buttons);
};

}  // namespace kestrove
