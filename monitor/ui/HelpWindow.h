#pragma once

#include <QWidget>

class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace kestrove {

// The help: Japanese pages shipped inside the program, with a contents list and a keyword
// index beside the page.
class HelpWindow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HelpWindow)
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows a page by its file name ("alarms.html", "alarms.html#change").
    void ShowPage(const QString& page);
    QTextBrowser* Browser() const { return browser_; }
    QListWidget* Keywords() const { return keywords_; }

private:
    void FilterKeywords(const QString& text);

    QTextBrowser* browser_ = nullptr;
    QListWidget* contents_ = nullptr;
    QListWidget* keywords_ = nullptr;
    QLineEdit* keywordFilter_ = nullptr;
};

}  // namespace kestrove
