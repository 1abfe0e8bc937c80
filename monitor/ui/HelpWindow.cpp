#include "monitor/ui/HelpWindow.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "common/ui/ScreenFit.h"

namespace kestrove {
namespace {

struct Entry {
    const char* title;
    const char* page;
};

constexpr Entry kContents[] = {
    {"Kestrove について", "index.html"},
    {"警報の意味と対処", "alarms.html"},
    {"メイン画面の見方", "window.html"},
    {"メニュー項目の説明", "menus.html"},
    {"監視ログ", "log.html"},
    {"レポート", "reports.html"},
    {"全IPアドレスのスキャン", "scan.html"},
    {"ファイルの保存場所", "files.html"},
};

constexpr Entry kKeywords[] = {
    {"ARPスプーフィング", "index.html"},
    {"MACアドレスが変化しました", "alarms.html#change"},
    {"同一MACアドレスが重複しています", "alarms.html#duplicate"},
    {"このPCのMACアドレスがブロードキャストされました", "alarms.html#broadcast"},
    {"クリア", "alarms.html#clear"},
    {"盗聴", "alarms.html"},
    {"Check Frequency", "window.html#frequency"},
    {"読み取り間隔", "window.html#frequency"},
    {"ランプ", "window.html#lamp"},
    {"ARPキャッシュ", "window.html#arp"},
    {"履歴", "window.html#history"},
    {"タスクトレイ", "window.html#tray"},
    {"点滅", "window.html#tray"},
    {"MACアドレスの変化", "menus.html#watch1"},
    {"MACアドレスの重複", "menus.html#watch2"},
    {"自動起動", "menus.html#autostart"},
    {"監視ログ", "log.html"},
    {"ログの記録", "log.html"},
    {"ログの表示", "log.html"},
    {"ログを消去", "menus.html"},
    {"レポート", "reports.html"},
    {"いますぐ作成", "reports.html#now"},
    {"自動作成の設定", "reports.html#options"},
    {"即時レポート", "reports.html#immediate"},
    {"メール送信", "reports.html#options"},
    {"SMTPAuth", "reports.html#options"},
    {"POP Before SMTP", "reports.html#options"},
    {"ZIP圧縮", "reports.html#options"},
    {"全IPアドレスをスキャン", "scan.html"},
    {"Meshprobe", "scan.html"},
    {"Quillpane", "log.html"},
    {"setting.ini", "files.html"},
};

QListWidgetItem* AddEntry(QListWidget* list, const Entry& entry) {
    auto* item = new QListWidgetItem(QString::fromUtf8(entry.title), list);
    item->setData(Qt::UserRole, QString::fromLatin1(entry.page));
    return item;
}

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("HelpWindow");
    ScreenFit::Keep(this);
    setWindowTitle(QString::fromUtf8("Kestrove ヘルプ"));
    resize(860, 560);

    auto* tabs = new QTabWidget;
    contents_ = new QListWidget;
    contents_->setObjectName("HelpContents");
    for (const Entry& entry : kContents) {
        AddEntry(contents_, entry);
    }
    tabs->addTab(contents_, QString::fromUtf8("目次"));

    auto* keywordPage = new QWidget;
    auto* keywordLayout = new QVBoxLayout(keywordPage);
    keywordFilter_ = new QLineEdit;
    keywordFilter_->setObjectName("HelpKeywordFilter");
    keywords_ = new QListWidget;
    keywords_->setObjectName("HelpKeywords");
    for (const Entry& entry : kKeywords) {
        AddEntry(keywords_, entry);
    }
    keywords_->sortItems();
    keywordLayout->addWidget(keywordFilter_);
    keywordLayout->addWidget(keywords_);
    tabs->addTab(keywordPage, QString::fromUtf8("キーワード"));

    browser_ = new QTextBrowser;
    browser_->setObjectName("HelpBrowser");
    browser_->setSearchPaths({":/kestrove/help"});
    browser_->setOpenExternalLinks(false);

    auto* splitter = new QSplitter;
    splitter->addWidget(tabs);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 3);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(splitter);

    auto open = [this](QListWidgetItem* item) { ShowPage(item->data(Qt::UserRole).toString()); };
    connect(contents_, &QListWidget::itemClicked, this, open);
    connect(contents_, &QListWidget::itemActivated, this, open);  // Enter on the chosen topic
    connect(keywords_, &QListWidget::itemClicked, this, open);
    connect(keywords_, &QListWidget::itemActivated, this, open);
    connect(keywordFilter_, &QLineEdit::textChanged, this, &HelpWindow::FilterKeywords);
    ShowPage("index.html");
}

void HelpWindow::ShowPage(const QString& page) {
    browser_->setSource(QUrl(page));
}

void HelpWindow::FilterKeywords(const QString& text) {
    for (int i = 0; i < keywords_->count(); ++i) {
        QListWidgetItem* item = keywords_->item(i);
        item->setHidden(!item->text().contains(text, Qt::CaseInsensitive));
    }
}

}  // namespace kestrove
