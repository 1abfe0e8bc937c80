#include "monitor/ui/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <algorithm>

#include "common/ui/FrameStyle.h"
#include "common/ui/JapaneseFont.h"
#include "common/ui/MessageBox.h"
#include "common/ui/ResourceIcon.h"
#include "common/ui/ScreenFit.h"
#include "common/ui/WindowFrame.h"
#include "common/ui/Twips.h"
#include "monitor/ui/AppIcons.h"
#include "monitor/ui/HostGridModel.h"
#include "monitor/ui/LinesModel.h"
#include "monitor/ui/MainWindowTexts.h"
#include "monitor/ui/PlatformCaptions.h"

namespace kestrove {
namespace {

constexpr int kDesignOuterHeightTwips = 6000 + MainWindow::kExplainHeightTwips;
constexpr int kLowerTopTwips = 1620 + MainWindow::kExplainHeightTwips;
constexpr int kGridTopTwips = kLowerTopTwips + 240;

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

}  // namespace

MainWindow::MainWindow(const WatchEngine& engine, SettingsStore& settings, QWidget* parent)
    : QMainWindow(parent), engine_(engine), settings_(settings) {
    setObjectName("Form1");
    connect(ScreenFit::Keep(this), &ScreenFit::Framed, this, &MainWindow::FollowFrame);
    setWindowTitle(Text(texts::kTitle));
    setWindowIcon(icons::Normal());
    lampOn_ = ResourceIcon(":/kestrove/lamp-on").pixmap(QSize(32, 32));
    lampOff_ = ResourceIcon(":/kestrove/lamp-off").pixmap(QSize(32, 32));
    BuildMenus();
    BuildControls();
    setFixedWidth(OuterWidth());
    setMinimumHeight(Twips::ToPixels(kMinOuterHeightTwips, this));
    resize(width(), Twips::ToPixels(kDesignOuterHeightTwips, this));
}

MainWindow::~MainWindow() = default;

QAction* MainWindow::AddAction(QMenu* menu, const char* name, const char* caption, bool checkable) {
    QAction* action = menu->addAction(Text(caption));
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(checkable);
    actions_[action->objectName()] = action;
    return action;
}

QAction* MainWindow::AddSeparator(QMenu* menu, const char* name) {
    QAction* action = menu->addSeparator();
    action->setObjectName(QString::fromLatin1(name));
    actions_[action->objectName()] = action;
    return action;
}

QMenu* MainWindow::AddMenu(QMenu* parent, const char* name, const char* caption) {
    QMenu* menu =
        parent != nullptr ? parent->addMenu(Text(caption)) : menuBar()->addMenu(Text(caption));
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    actions_[menu->objectName()] = menu->menuAction();
    return menu;
}

void MainWindow::BuildMenus() {
    QMenu* file = AddMenu(nullptr, "MFile", texts::kMFile);
    AddSeparator(file, "MBar7");
    AddAction(file, "MEnd2", texts::kMEnd2);

    QMenu* option = AddMenu(nullptr, "MOption", texts::kMOption);
    QMenu* watch = AddMenu(option, "MWatch", texts::kMWatch);
    AddAction(watch, "MWatch1", texts::kMWatch1, true)->setChecked(true);
    AddAction(watch, "MWatch2", texts::kMWatch2, true)->setChecked(true);
    AddSeparator(watch, "MBar10");
    AddAction(watch, "MWatchIpv6", texts::kMWatchIpv6, true)->setChecked(true);
    AddAction(watch, "MWatchRouter", texts::kMWatchRouter, true)->setChecked(true);
    AddAction(watch, "MWatchFirstHop", texts::kMWatchFirstHop, true)->setChecked(true);
    AddSeparator(option, "MBar9");
    AddAction(option, "MNic", texts::kMNic)->setVisible(false);
    AddSeparator(option, "MBar8")->setVisible(false);
    AddAction(option, "MScanAll", texts::kMScanAll, true);
    AddAction(option, "MNotify", texts::kMNotify, true);
    AddSeparator(option, "MBar10");
    QMenu* log = AddMenu(option, "MLogMenu", texts::kMLogMenu);
    AddAction(log, "MRecordLog", texts::kMRecordLog, true);
    AddAction(log, "MSyslog", texts::kMSyslog, true);
    AddSeparator(log, "MBar2");
    AddAction(log, "MShowLog", texts::kMShowLog)->setEnabled(false);
    AddSeparator(log, "MBar6");
    AddAction(log, "MClearLog", texts::kMClearLog)->setEnabled(false);
    AddSeparator(option, "MBar3");
    AddAction(option, "MWithWindows", StartAtLogonCaption(), true);

    QMenu* report = AddMenu(nullptr, "MReport", texts::kMReport);
    AddAction(report, "MReportOption", texts::kMReportOption);
    AddSeparator(report, "MBar11");
    AddAction(report, "MReportNow", texts::kMReportNow);

    QMenu* help = AddMenu(nullptr, "MHelp", texts::kMHelp);
    AddAction(help, "MHelpMain", texts::kMHelpMain);
    AddSeparator(help, "MBar4");
    AddAction(help, "MVersion", texts::kMVersion);

    // The tray's menu: never part of the menu bar.
    popup_ = new QMenu(Text("MPopup"), this);
    popup_->setObjectName("MPopup");
    AddAction(popup_, "MShowDetails", texts::kMShowDetails);
    AddSeparator(popup_, "MBar1");
    AddAction(popup_, "MEnd", texts::kMEnd);
}

void MainWindow::BuildControls() {
    auto* central = new QWidget(this);
    central->setObjectName("centralWidget");
    setCentralWidget(central);

    auto* frame1 =
        PlaceTwips(new QGroupBox(Text(texts::kFrame1), central), "Frame1", 120, 0, 3255, 660);
    // Styled on the frame alone: a style sheet above List1 would override its red palette.
    UseFrameStyle(frame1);
    PlaceTwips(new QLabel(Text(texts::kLabel5), frame1), "Label5", 120, 330, 540, 240);
    combo1_ = PlaceTwips(new QComboBox(frame1), "Combo1", 660, 285, 1095, 315);
    for (const char* seconds : texts::kIntervals) {
        combo1_->addItem(Text(seconds));
    }
    combo1_->setCurrentText(Text(texts::kDefaultInterval));
    connect(combo1_, &QComboBox::activated, this,
            [this](int index) { emit IntervalChosen(combo1_->itemText(index)); });
    PlaceTwips(new QLabel(Text(texts::kLabel4), frame1), "Label4", 1815, 330, 735, 240);
    PlaceTwips(new QLabel(Text(texts::kLabel3), central), "Label3", 3480, 330, 3000, 240);

    image3_ = PlaceTwips(new QLabel(central), "Image3", 6960, 120, 480, 480);
    image3_->setPixmap(lampOff_);
    image3_->setScaledContents(true);

    PlaceTwips(new QLabel(Text(texts::kLabel1), central), "Label1", 120, 690, 1500, 240);
    list1_ = PlaceTwips(new QListView(central), "List1", 120, 930, 6135, 630);
    list1Model_ = new LinesModel([this] { return engine_.List1().Count(); },
                                 [this](std::size_t row) { return engine_.List1().Line(row); },
                                 [this] { return engine_.List1().Version(); },
                                 [this] { return engine_.List1().Generation(); },
                                 LinesModel::Growth::Append, this);
    SetUpLineList(list1_, list1Model_);
    list1_->setAutoFillBackground(true);
    command1_ = PlaceTwips(new QPushButton(Text(texts::kCommand1), central), "Command1", 6375, 930,
                           1095, 375);
    connect(command1_, &QPushButton::clicked, this, &MainWindow::Command1Clicked);

    explainArea_ =
        PlaceTwips(new QScrollArea(central), "explainArea", 120, 1590, 7350, kExplainHeightTwips);
    explainArea_->setFrameShape(QFrame::NoFrame);
    explainArea_->setWidgetResizable(true);
    explainArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    explainArea_->setBackgroundRole(QPalette::Window);
    lblExplain_ = new QLabel(explainArea_);
    lblExplain_->setObjectName("lblExplain");
    lblExplain_->setWordWrap(true);
    lblExplain_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    explainArea_->setWidget(lblExplain_);
    list1Model_->SetExplanation(
        [this](std::size_t row) { return engine_.List1().Explanation(row); });
    connect(list1_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { ShowExplanation(); });
    connect(list1Model_, &QAbstractItemModel::modelReset, this, [this] { ShowExplanation(); });

    label2_ = PlaceTwips(new QLabel(Text(texts::kLabel2), central), "Label2", 120, kLowerTopTwips,
                         3000, 240);
    label6_ = PlaceTwips(new QLabel(Text(texts::kLabel6), central), "Label6", 3735, kLowerTopTwips,
                         3600, 240);

    grid_ = PlaceTwips(new QTableView(central), "MSFlexGrid1", 120, kGridTopTwips, 3495, 1170);
    gridModel_ = new HostGridModel(engine_.Grid(), this);
    grid_->setModel(gridModel_);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 4);
    grid_->setColumnWidth(0, Twips::ToPixels(1500, this));
    // The MAC column takes what the IP column leaves, shrinking when the vertical scroll bar
    // comes, so the bar does not bring a horizontal one with it.
    grid_->horizontalHeader()->setDefaultSectionSize(Twips::ToPixels(1500, this));
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setWordWrap(false);
    // Tab moves on to the next control instead of from cell to cell.
    grid_->setTabKeyNavigation(false);

    list2_ = PlaceTwips(new QListView(central), "List2", 3735, kGridTopTwips, 3735, 1170);
    list2Model_ = new LinesModel([this] { return engine_.List2().Count(); },
                                 [this](std::size_t row) { return engine_.List2().Line(row); },
                                 [this] { return engine_.List2().Version(); },
                                 [this] { return engine_.List2().Generation(); },
                                 LinesModel::Growth::Insert, this);
    list2Model_->SetKey([this](std::size_t row) {
        const ListedHost& host = engine_.List2().At(row);
        std::uint64_t key = host.address;
        for (std::uint8_t b : host.mac.bytes) {
            key = key * 0x100000001B3ull ^ b;
        }
        return static_cast<std::size_t>(key ^ host.mac.length);
    });
    SetUpLineList(list2_, list2Model_);

    refreshTimer_.setSingleShot(true);
    connect(&refreshTimer_, &QTimer::timeout, this, &MainWindow::RefreshViews);
}

void MainWindow::SetUpLineList(QListView* list, LinesModel* model) {
    list->setModel(model);
    list->setFont(JapaneseMonospaceFont());
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // An alarm line is read whole: never cut short, scrolled sideways when wider than the list.
    list->setTextElideMode(Qt::ElideNone);
    list->setWordWrap(false);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Every row is one line of one font: the view sizes all rows by one, and the model gives
    // that one the widest line's width, so thousands of rows lay out without measuring each.
    list->setUniformItemSizes(true);
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.font = list->font();
    option.fontMetrics = QFontMetrics(option.font);
    option.features = QStyleOptionViewItem::HasDisplay;
    option.text = QStringLiteral("0");
    QSize sample = list->style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), list);
    int padding = std::max(0, sample.width() - option.fontMetrics.horizontalAdvance(option.text));
    model->SetMetrics(list->font(), padding, sample.height());
}

QAction* MainWindow::Action(const QString& name) const {
    auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::OnMenu(const QString& name, std::function<void()> handler) {
    QAction* action = Action(name);
    if (action == nullptr) {
        return;
    }
    connect(action, &QAction::triggered, this, [action, handler = std::move(handler)] {
        if (action->isCheckable()) {
            action->setChecked(!action->isChecked());
        }
        handler();
    });
}

void MainWindow::ViewsChanged() {
    // A burst of alarms calls this thousands of times: the first change is drawn as soon as the
    // engine's handler has ended (not inside it, which would make one long stall of the two),
    // the rest of the burst at most once every refresh gap.
    if (refreshTimer_.isActive()) {
        return;
    }
    qint64 since = sinceRefresh_.isValid() ? sinceRefresh_.elapsed() : kRefreshGapMs;
    refreshTimer_.start(static_cast<int>(std::max<qint64>(0, kRefreshGapMs - since)));
}

void MainWindow::RefreshViews() {
    refreshTimer_.stop();
    sinceRefresh_.start();
    // The newest alarm is shown unless the user scrolled up to read older lines.
    QScrollBar* bar = list1_->verticalScrollBar();
    bool atBottom = bar->value() >= bar->maximum();
    if (list1Model_->Refresh() != LinesModel::Change::None && atBottom) {
        list1_->scrollToBottom();
    }
    list2Model_->Refresh();
    gridModel_->Refresh();
    bool red = engine_.List1().IsRed();
    if (red != list1Red_) {
        list1Red_ = red;
        QPalette palette = list1_->style()->standardPalette();
        if (red) {
            palette.setColor(QPalette::Base, QColor(255, 0, 0));
        }
        list1_->setPalette(palette);
    }
}

void MainWindow::ShowExplanation() {
    // Every line whole, wrapped to the window's width; the lists below give way.
    QString text = list1_->currentIndex().data(LinesModel::kExplanationRole).toString();
    lblExplain_->setToolTip(text);
    lblExplain_->setText(text.isEmpty() ? QString()
                                        : Text(texts::kExplainPrefix) + QChar('\n') + text);
    LayOutLowerHalf();
}

void MainWindow::LayOutLowerHalf() {
    int base = Twips::ToPixels(kExplainHeightTwips, this);
    int lists = std::max(1, Twips::ToPixels(HeightTwips() - kListMarginTwips, this));
    int need = lblExplain_->text().isEmpty()
                   ? base
                   : lblExplain_->heightForWidth(explainArea_->viewport()->width());
    int room = std::max(0, lists - Twips::ToPixels(kMinListHeightTwips, this));
    int extra = std::clamp(need - base, 0, room);
    // A scroll bar only for lines that do not fit, never for the empty line between alarms.
    explainArea_->setVerticalScrollBarPolicy(need > base + extra ? Qt::ScrollBarAsNeeded
                                                                 : Qt::ScrollBarAlwaysOff);
    explainArea_->resize(explainArea_->width(), base + extra);
    label2_->move(label2_->x(), Twips::ToPixels(kLowerTopTwips, this) + extra);
    label6_->move(label6_->x(), Twips::ToPixels(kLowerTopTwips, this) + extra);
    int top = Twips::ToPixels(kGridTopTwips, this) + extra;
    grid_->setGeometry(grid_->x(), top, grid_->width(), std::max(1, lists - extra));
    list2_->setGeometry(list2_->x(), top, list2_->width(), std::max(1, lists - extra));
}

void MainWindow::SetScanning(bool scanning) {
    image3_->setPixmap(scanning ? lampOn_ : lampOff_);
}

QAction* MainWindow::ItemAction(MenuItem item) const {
    switch (item) {
        case MenuItem::MWatch1:
            return Action("MWatch1");
        case MenuItem::MWatch2:
            return Action("MWatch2");
        case MenuItem::MScanAll:
            return Action("MScanAll");
        case MenuItem::MRecordLog:
            return Action("MRecordLog");
        case MenuItem::MShowLog:
            return Action("MShowLog");
        case MenuItem::MClearLog:
            return Action("MClearLog");
        case MenuItem::MReport:
            return Action("MReport");
        case MenuItem::MWithWindows:
            return Action("MWithWindows");
        case MenuItem::MNotify:
            return Action("MNotify");
        case MenuItem::MSyslog:
            return Action("MSyslog");
        case MenuItem::MWatchIpv6:
            return Action("MWatchIpv6");
        case MenuItem::MWatchRouter:
            return Action("MWatchRouter");
        case MenuItem::MWatchFirstHop:
            return Action("MWatchFirstHop");
    }
    return nullptr;
}

void MainWindow::SetChecked(MenuItem item, bool checked) {
    ItemAction(item)->setChecked(checked);
}
bool MainWindow::IsChecked(MenuItem item) const {
    return ItemAction(item)->isChecked();
}
void MainWindow::SetEnabled(MenuItem item, bool enabled) {
    ItemAction(item)->setEnabled(enabled);
}

void MainWindow::HideToTray() {
    if (tray_ != nullptr) {
        tray_->HideToTray();
    }
}

QSize MainWindow::FrameExtra() const {
    QMargins frame = WindowFrame(this);
    return QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
}

int MainWindow::OuterWidth() const {
    // The design's width, but never wider than the screen can show (from about two and a half
    // times the size on a 1280 pixel screen): the close button stays on it, the right edge of
    // the lists may be cut.
    int design = Twips::ToPixels(kOuterWidthTwips, this);
    const QScreen* shown = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    int available = shown != nullptr ? shown->availableGeometry().width() : 0;
    return available > 0 ? std::min(design, available) : design;
}

int MainWindow::OuterHeight() const {
    // Hidden in the tray the window has no frame; it gets back the one it had.
    int extra = FrameExtra().height();
    return height() + (extra > 0 ? extra : std::max(knownFrameExtra_, 0));
}

int MainWindow::HeightTwips() const {
    if (outerTarget_ && !isVisible()) {
        return Twips::FromPixels(*outerTarget_, this);  // asked for before the first show
    }
    return Twips::FromPixels(OuterHeight(), this);
}

void MainWindow::SetHeightTwips(int twips) {
    // A stored height may be anything: no taller than the screen can show, never below the
    // window's floor.
    const QScreen* shown = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    int available = shown != nullptr ? shown->availableGeometry().height() : 0;
    int outer = Twips::ToPixels(std::clamp(twips, 0, 1'000'000), this);
    if (available > 0) {
        outer = std::min(outer, available);
    }
    outerTarget_ = std::max(outer, Twips::ToPixels(kMinOuterHeightTwips, this));
    ApplyOuterHeight();
}

void MainWindow::ApplyOuterHeight() {
    // The height is the outer one, frame and title included. Until the window manager has put
    // its frame around the window the frame is unknown, so the height is set again once it is.
    int extra = FrameExtra().height();
    if (extra <= 0 && knownFrameExtra_ > 0) {
        extra = knownFrameExtra_;
    }
    appliedFrameExtra_ = extra;
    int floor = Twips::ToPixels(kMinOuterHeightTwips, this) - extra;
    if (minimumHeight() != floor) {
        setMinimumHeight(floor);
    }
    requestedHeight_ = std::max(*outerTarget_ - extra, floor);
    resize(width(), requestedHeight_);
}

void MainWindow::FollowFrame() {
    int extra = FrameExtra().height();
    if (isVisible() && extra > 0) {
        knownFrameExtra_ = extra;
    }
    if (outerTarget_ && isVisible() && extra != appliedFrameExtra_) {
        ApplyOuterHeight();
    }
}

void MainWindow::ShowInformation(std::string_view text) {
    MessageBox::Information(this, Text(texts::kTitle), QString::fromUtf8(text.data(), text.size()));
}

void MainWindow::ShowWarning(std::string_view text) {
    MessageBox::Warning(this, Text(texts::kTitle), QString::fromUtf8(text.data(), text.size()));
}

void MainWindow::MinimizeWindow() {
    if (!isMinimized()) {
        showMinimized();
    }
}

void MainWindow::ShowNormalAndActivate() {
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        Form_Resize();
    }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // A height the user dragged to replaces the one asked for at start.
    if (outerTarget_ && isVisible() && event->size().height() != requestedHeight_) {
        outerTarget_.reset();
    }
    FollowFrame();
    Form_Resize();
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    FollowFrame();  // the window manager places its frame with a move
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    FollowFrame();
    Form_Resize();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit CloseRequested();
}

void MainWindow::WriteMinimized(const char* value) {
    // Dragging the border resizes many times a second; a value already stored needs no write.
    if (settings_.ReadIni("Size", "Minimized") != value) {
        settings_.WriteIni("Size", "Minimized", value);
    }
}

void MainWindow::Form_Resize() {
    if (isMinimized()) {
        HideToTray();
        WriteMinimized("1");
        return;
    }
    QSize extra = FrameExtra();
    int fixedWidth = OuterWidth() - extra.width();
    if (minimumWidth() != fixedWidth || maximumWidth() != fixedWidth) {
        setFixedWidth(fixedWidth);
    }
    int minHeight = Twips::ToPixels(kMinOuterHeightTwips, this) - extra.height();
    if (minimumHeight() != minHeight) {
        setMinimumHeight(minHeight);
    }
    if (isVisible()) {
        WriteMinimized("0");  // not while hidden in the tray or not yet shown
    }
    LayOutLowerHalf();
}

}  // namespace kestrove
