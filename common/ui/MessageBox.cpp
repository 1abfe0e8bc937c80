#include "common/ui/MessageBox.h"

#include "common/ui/ScreenFit.h"

namespace kestrove {
namespace {

std::optional<QMessageBox::StandardButton> nextAnswer;
bool autoAnswer = false;
std::vector<MessageBox::Shown> history;

}  // namespace

QMessageBox::StandardButton MessageBox::Show(QWidget* parent, QMessageBox::Icon icon,
                                             const QString& title, const QString& text,
                                             QMessageBox::StandardButtons buttons) {
    history.push_back({icon, title, text});
    if (nextAnswer) {
        auto answer = *nextAnswer;
        nextAnswer.reset();
        return answer;
    }
    if (autoAnswer) {
        return buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::Ok;
    }
    QMessageBox box(icon, title, text, buttons, parent);
    ScreenFit::Keep(&box);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QMessageBox::StandardButton MessageBox::Information(QWidget* parent, const QString& title,
                                                    const QString& text) {
    return Show(parent, QMessageBox::Information, title, text, QMessageBox::Ok);
}

QMessageBox::StandardButton MessageBox::Warning(QWidget* parent, const QString& title,
                                                const QString& text) {
    return Show(parent, QMessageBox::Warning, title, text, QMessageBox::Ok);
}

QMessageBox::StandardButton MessageBox::Question(QWidget* parent, const QString& title,
                                                 const QString& text) {
    return Show(parent, QMessageBox::Question, title, text, QMessageBox::Ok | QMessageBox::Cancel);
}

void MessageBox::SetNextAnswer(QMessageBox::StandardButton answer) {
    nextAnswer = answer;
}
void MessageBox::SetAutoAnswer(bool on) {
    autoAnswer = on;
}
const std::vector<MessageBox::Shown>& MessageBox::History() {
    return history;
}
void MessageBox::ClearHistory() {
    history.clear();
}

}  // namespace kestrove
