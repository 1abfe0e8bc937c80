#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPixmap>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "common/SettingsStore.h"
#include "monitor/app/MainView.h"
#include "monitor/ui/TrayController.h"
#include "monitor/watch/WatchEngine.h"

class QAction;
class QComboBox;
class QLabel;
class QListView;
class QMenu;
class QPushButton;
class QScrollArea;
class QTableView;

namespace kestrove {

class HostGridModel;
class LinesModel;

// `Form1`: the monitor's main window. It draws the engine's lists and grid and hands every
// click to the monitor's commands; it holds no logic of its own beyond its size rules.
class MainWindow final : public QMainWindow, public MainView, public TrayWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)
public:
    MainWindow(const WatchEngine& engine, SettingsStore& settings, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The action of a menu item by its control name ("MWatch1", "MEnd", ...).
    QAction* Action(const QString& name) const;
    QMenu* PopupMenu() const { return popup_; }
    // Calls `handler` when the item is chosen. For check items the handler itself sets the
    // mark, so Qt's own toggle is undone first.
    void OnMenu(const QString& name, std::function<void()> handler);

    void SetTray(TrayController* tray) { tray_ = tray; }
    // The engine's lists changed: redraws soon, once for a whole burst of changes.
    void ViewsChanged();
    // Redraws the lists and the grid now.
    void RefreshViews();
    void SetScanning(bool scanning);

    // MainView
    void SetChecked(MenuItem item, bool checked) override;
    bool IsChecked(MenuItem item) const override;
    void SetEnabled(MenuItem item, bool enabled) override;
    void HideToTray() override;
    int HeightTwips() const override;
    void SetHeightTwips(int twips) override;
    void ShowInformation(std::string_view text) override;
    void ShowWarning(std::string_view text) override;

    // TrayWindow
    void HideWindow() override { hide(); }
    void MinimizeWindow() override;
    void ShowNormalAndActivate() override;

    static constexpr int kOuterWidthTwips = 7725;
    // The explanation under `List1` moves the lower half down by kExplainHeightTwips, and by as
    // much more as its lines need while the lists keep kMinListHeightTwips; beyond that it
    // scrolls.
    static constexpr int kExplainHeightTwips = 240;
    static constexpr int kMinListHeightTwips = 600;
    static constexpr int kMinOuterHeightTwips = 3855 + kExplainHeightTwips;
    static constexpr int kListMarginTwips = 2685 + kExplainHeightTwips;
    static constexpr qint64 kRefreshGapMs = 100;

signals:
    void Command1Clicked();
    void IntervalChosen(const QString& seconds);
    void CloseRequested();

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void BuildControls();
    QAction* AddAction(QMenu* menu, const char* name, const char* caption, bool checkable = false);
    QAction* AddSeparator(QMenu* menu, const char* name);
    QMenu* AddMenu(QMenu* parent, const char* name, const char* caption);
    QAction* ItemAction(MenuItem item) const;
    void SetUpLineList(QListView* list, LinesModel* model);
    void Form_Resize();
    void ShowExplanation();
    // Places the explanation and the lower half below it for the window's height.
    void LayOutLowerHalf();
    void WriteMinimized(const char* value);
    QSize FrameExtra() const;
    int OuterWidth() const;
    int OuterHeight() const;
    void ApplyOuterHeight();
    void FollowFrame();

    const WatchEngine& engine_;
    SettingsStore& settings_;
    TrayController* tray_ = nullptr;
    std::map<QString, QAction*> actions_;
    QMenu* popup_ = nullptr;

    QComboBox* combo1_ = nullptr;
    QListView* list1_ = nullptr;
    QListView* list2_ = nullptr;
    QTableView* grid_ = nullptr;
    QLabel* image3_ = nullptr;
    QLabel* lblExplain_ = nullptr;
    QScrollArea* explainArea_ = nullptr;
    QLabel* label2_ = nullptr;
    QLabel* label6_ = nullptr;
    QPushButton* command1_ = nullptr;
    LinesModel* list1Model_ = nullptr;
    LinesModel* list2Model_ = nullptr;
    HostGridModel* gridModel_ = nullptr;
    QPixmap lampOn_;
    QPixmap lampOff_;
    bool list1Red_ = false;
    // The outer height asked for (pixels), kept until the user resizes the window.
    std::optional<int> outerTarget_;
    int requestedHeight_ = 0;
    int appliedFrameExtra_ = 0;
    int knownFrameExtra_ = -1;
    QTimer refreshTimer_;
    QElapsedTimer sinceRefresh_;
};

}  // namespace kestrove
