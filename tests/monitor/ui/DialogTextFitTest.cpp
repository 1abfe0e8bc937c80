// Every text of the About box and the report options dialog shows whole, frames carry their
// title on their top line with the content inside, and a dialog fits the screen. Built twice:
// at 96 dpi and at QT_SCALE_FACTOR=2.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTest>

#include "monitor/report/MemorySettings.h"
#include "monitor/report/ReportOptionForm.h"
#include "monitor/ui/AboutDialog.h"
#include "monitor/ui/ReportOptionDialog.h"

namespace kestrove {
namespace {

QString Plain(QString text) {
    return text.remove(QLatin1Char('&'));
}

void ExpectLabelFits(const QLabel* label) {
    QRect room = label->contentsRect();
    int flags = static_cast<int>(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
    QRect need = label->fontMetrics().boundingRect(room, flags, label->text());
    EXPECT_LE(need.width(), room.width()) << "too narrow";
    EXPECT_LE(need.height(), room.height()) << "too low";
}

void ExpectButtonFits(const QAbstractButton* button) {
    EXPECT_GE(button->width(), button->sizeHint().width()) << "too narrow";
    EXPECT_GE(button->height(), button->sizeHint().height()) << "too low";
    QStyle::SubElement contents =
        qobject_cast<const QCheckBox*>(button) != nullptr      ? QStyle::SE_CheckBoxContents
        : qobject_cast<const QRadioButton*>(button) != nullptr ? QStyle::SE_RadioButtonContents
                                                               : QStyle::SE_PushButtonContents;
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    QRect text = button->style()->subElementRect(contents, &option, button);
    EXPECT_GE(text.width(), button->fontMetrics().horizontalAdvance(Plain(button->text())));
}

QStyleOptionGroupBox FrameOption(const QGroupBox* box) {
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.lineWidth = 1;
    option.textAlignment = box->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    return option;
}

void ExpectFrameDrawnAsFrame(const QGroupBox* box) {
    QStyleOptionGroupBox option = FrameOption(box);
    const QStyle* style = box->style();
    QRect frame =
        style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, box);
    QRect contents =
        style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxContents, box);
    int contentTop = frame.top();
    if (!box->title().isEmpty()) {
        QRect title =
            style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        EXPECT_GE(title.width(), box->fontMetrics().horizontalAdvance(box->title()));
        EXPECT_TRUE(box->rect().contains(title)) << "the title is cut";
        EXPECT_LT(title.top(), frame.top()) << "the title sits on the frame's top line";
        EXPECT_GT(title.bottom(), frame.top()) << "the title sits on the frame's top line";
        contentTop = title.bottom();
    }
    for (const QWidget* child : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isVisibleTo(box) || child->objectName().isEmpty()) {
            continue;
        }
        SCOPED_TRACE(child->objectName().toStdString());
        EXPECT_TRUE(contents.contains(child->geometry())) << "outside the frame";
        EXPECT_GT(child->y(), contentTop) << "on the title or the frame line";
    }
}

// Walks every shown control of `window`.
void ExpectTextsFit(QWidget* window) {
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window) || widget->objectName().isEmpty() ||
            widget->objectName().startsWith("qt_")) {
            continue;
        }
        SCOPED_TRACE(widget->objectName().toStdString());
        QWidget* parent = widget->parentWidget();
        if (parent != nullptr && parent->objectName() != "qt_scrollarea_viewport") {
            EXPECT_TRUE(parent->rect().contains(widget->geometry())) << "cut by its container";
        }
        if (auto* label = qobject_cast<QLabel*>(widget);
            label != nullptr && !label->text().isEmpty()) {
            ExpectLabelFits(label);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            ExpectButtonFits(button);
        } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
            ExpectFrameDrawnAsFrame(box);
        }
    }
}

// The window and its OK button lie on the screen's free area.
void ExpectOnScreen(QWidget* window, QWidget* ok) {
    QRect screen = window->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window->frameGeometry()))
        << "window " << window->frameGeometry().height() << " px, screen " << screen.height();
    QRect button(ok->mapToGlobal(QPoint(0, 0)), ok->size());
    EXPECT_TRUE(screen.contains(button)) << "the OK button is off screen";
    EXPECT_TRUE(window->geometry().contains(button)) << "the OK button is cut off";
}

TEST(DialogTextFitTest, AboutBoxShowsEveryTextWhole) {
    AboutDialog about("https://kestrove.example.org/", nullptr);
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    ExpectTextsFit(&about);
    ExpectOnScreen(&about, about.findChild<QWidget*>("cmdOK"));
}

class ReportDialogFitTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ReportDialogFitTest, ShowsEveryTextWholeAndFitsTheScreen) {
    test::MemorySettings settings;
    settings.Preset({{"Auto", "1"},
                     {"Freq", GetParam()},
                     {"SendByMail", "1"},
                     {"Auth", "1"},
                     {"AuthMethod", "POPBeforeSMTP"}});
    ReportOptionDialog dialog(settings, [](bool) {});
    dialog.Open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ExpectTextsFit(&dialog);
    ExpectOnScreen(&dialog, dialog.findChild<QWidget*>("Command2"));

    auto* scroll = dialog.findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    QWidget* page = scroll->widget();
    if (page->height() > scroll->viewport()->height()) {
        EXPECT_TRUE(scroll->verticalScrollBar()->isVisible()) << "a low screen scrolls";
    }

    // The time list is wide enough for the longest entry of every frequency.
    auto* combo = dialog.findChild<QComboBox*>("cboTime");
    QRect field = combo->lineEdit()->contentsRect();
    for (ReportFrequency f :
         {ReportFrequency::Daily, ReportFrequency::Weekly, ReportFrequency::Monthly}) {
        for (const std::string& item : ReportOptionForm::TimeItems(f)) {
            EXPECT_LE(combo->fontMetrics().horizontalAdvance(QString::fromStdString(item)),
                      field.width() - 4)
                << item;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EachFrequency, ReportDialogFitTest,
                         ::testing::Values("Hourly", "Daily", "Weekly", "Monthly"));

}  // namespace
}  // namespace kestrove
