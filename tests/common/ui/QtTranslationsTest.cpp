// Qt's own texts read Japanese once the translation is installed, under any locale.
#include "common/ui/QtTranslations.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <memory>

namespace kestrove {
namespace {

class QtTranslationsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { installed = InstallJapaneseQtTexts(*qApp); }
    static inline bool installed = false;
};

TEST_F(QtTranslationsTest, MessageBoxButtonsAreJapanese) {
    ASSERT_TRUE(installed) << "qtbase_ja.qm (qt6-translations-l10n) is missing";
    QMessageBox box(QMessageBox::Question, "Kestrove", "?",
                    QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No);
    auto text = [&box](QMessageBox::StandardButton b) {
        return box.button(b)->text().toStdString();
    };
    EXPECT_EQ(text(QMessageBox::Cancel), "キャンセル");
    EXPECT_EQ(text(QMessageBox::Yes), "はい(&Y)");
    EXPECT_EQ(text(QMessageBox::No), "いいえ(&N)");
    EXPECT_EQ(text(QMessageBox::Ok), "OK");
}

TEST_F(QtTranslationsTest, TextFieldContextMenuAndFolderPickerAreJapanese) {
    ASSERT_TRUE(installed);
    QLineEdit edit;
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            texts << action->text();
        }
    }
    ASSERT_FALSE(texts.isEmpty());
    for (const char* english :
         {"&Undo", "&Redo", "Cu&t", "&Copy", "&Paste", "Delete", "Select All"}) {
        EXPECT_FALSE(texts.contains(english)) << english << " in " << texts.join("|").toStdString();
    }

    QFileDialog picker;
    picker.setOption(QFileDialog::DontUseNativeDialog);
    picker.setFileMode(QFileDialog::Directory);
    auto* lookIn = picker.findChild<QLabel*>("lookInLabel");
    ASSERT_NE(lookIn, nullptr);
    EXPECT_NE(lookIn->text(), "Look in:");
    for (QPushButton* button : picker.findChildren<QPushButton*>()) {
        EXPECT_NE(button->text(), "Cancel");
        EXPECT_NE(button->text(), "&Cancel");
    }
}

}  // namespace
}  // namespace kestrove
