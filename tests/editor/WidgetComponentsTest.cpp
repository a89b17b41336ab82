#include "widgets/CheckListBox.h"
#include "widgets/MaskedDateEdit.h"
#include "widgets/SpinEdit.h"
#include "widgets/TCPanel.h"
#include "widgets/Translations.h"

#include "core/DateText.h"

#include <QApplication>
#include <QColorDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace velmora;

namespace {

// Acts on the next modal window that opens (a dialog a click is about to run).
void onNextModal(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        }
    });
    timer->start();
}

} // namespace

TEST(MaskedDateEdit, EmptyTypedAndRefusedDates) {
    MaskedDateEdit edit;
    EXPECT_EQ(edit.dateText(), "____/__/__");
    EXPECT_TRUE(edit.isEmpty());
    EXPECT_TRUE(edit.isAcceptable());
    EXPECT_FALSE(edit.date());

    edit.setFocus();
    edit.home(false);
    QTest::keyClicks(&edit, "20261208");
    EXPECT_EQ(edit.dateText(), "2026/12/08") << "the slashes are the mask's";
    ASSERT_TRUE(edit.date());
    EXPECT_EQ(formatDate(*edit.date()), "2026/12/08");
    EXPECT_FALSE(edit.property("invalidDate").toBool());

    edit.end(false);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.dateText(), "2026/12/0_");
    EXPECT_FALSE(edit.isAcceptable()) << "a half-typed date is no date";
    EXPECT_TRUE(edit.property("invalidDate").toBool());
    EXPECT_EQ(edit.palette().color(QPalette::Text), QColor(Qt::red));

    EXPECT_FALSE(edit.setDateText("2026/02/30")) << "shown as stored, but flagged";
    EXPECT_EQ(edit.dateText(), "2026/02/30");
    EXPECT_FALSE(edit.date());

    EXPECT_TRUE(edit.setDateText("____/__/__"));
    EXPECT_TRUE(edit.isEmpty());
    EXPECT_FALSE(edit.property("invalidDate").toBool());
    EXPECT_NE(edit.palette().color(QPalette::Text), QColor(Qt::red));

    edit.setDate(parseDate("1996/02/29"));
    EXPECT_EQ(edit.dateText(), "1996/02/29");
    EXPECT_FALSE(edit.setDateText("12/08/2026"));
    EXPECT_TRUE(edit.isEmpty()) << "a text of another shape is not half taken";
}

TEST(TClabel, TextContrastsWithTheBackground) {
    struct Row {
        QColor background;
        QColor text;
    };
    const Row rows[] = {
        {QColor(255, 255, 255), Qt::black}, {QColor(176, 176, 0), Qt::black},   {QColor(0, 176, 176), Qt::black},
        {QColor(175, 175, 255), Qt::white}, {QColor(255, 175, 175), Qt::white}, {QColor(0, 0, 0), Qt::white},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(TClabel::textColorFor(row.background), row.text) << row.background.name().toStdString();
    }
    TClabel label(QStringLiteral("会議"));
    label.setColor(QColor(0, 0, 128));
    EXPECT_EQ(label.palette().color(QPalette::Window), QColor(0, 0, 128));
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(Qt::white));
    label.setColor(QColor(255, 255, 200));
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(Qt::black));
}

TEST(TCPanel, ClicksAndTheColourDialog) {
    TCPanel panel(QStringLiteral("色指定"));
    panel.resize(80, 30);
    panel.setColor(Qt::red);
    std::vector<Qt::MouseButton> clicks;
    panel.onClicked = [&](Qt::MouseButton b) { clicks.push_back(b); };
    QTest::mouseClick(&panel, Qt::LeftButton);
    QTest::mouseClick(&panel, Qt::RightButton);
    QTest::mousePress(&panel, Qt::LeftButton);
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(200, 10));
    QTest::keyClick(&panel, Qt::Key_Space);
    EXPECT_EQ(clicks, (std::vector{Qt::LeftButton, Qt::RightButton, Qt::LeftButton}))
        << "a press dragged off the panel is no click; Space is a left click";

    onNextModal([](QWidget* w) {
        auto* dialog = qobject_cast<QColorDialog*>(w);
        ASSERT_TRUE(dialog);
        dialog->setCurrentColor(QColor(0, 128, 0));
        dialog->accept();
    });
    EXPECT_TRUE(panel.chooseColor());
    EXPECT_EQ(panel.color(), QColor(0, 128, 0));
    EXPECT_EQ(panel.palette().color(QPalette::WindowText), QColor(Qt::white));

    onNextModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    EXPECT_FALSE(panel.chooseColor());
    EXPECT_EQ(panel.color(), QColor(0, 128, 0));
}

TEST(SpinEdit, PaddedDigitsAndAnEmptyBox) {
    SpinEdit minute(0, 59, 5);
    minute.setDigits(2);
    EXPECT_EQ(minute.text(), "05");
    minute.setValue(30);
    EXPECT_EQ(minute.text(), "30");

    SpinEdit offset(-7, 7, 3);
    offset.findChild<QLineEdit*>()->selectAll();
    QTest::keyClick(&offset, Qt::Key_Backspace);
    QTest::keyClick(&offset, Qt::Key_Return);
    EXPECT_EQ(offset.value(), 0) << "an emptied box reads as 0, not the old value";

    SpinEdit count(1, 9, 4);
    count.findChild<QLineEdit*>()->selectAll();
    QTest::keyClick(&count, Qt::Key_Backspace);
    QTest::keyClick(&count, Qt::Key_Return);
    EXPECT_EQ(count.value(), 1) << "0 held to the range";
    EXPECT_FALSE(count.findChild<QLineEdit*>()->testAttribute(Qt::WA_InputMethodEnabled));
}

TEST(CheckListBox, EachClickTogglesOnce) {
    CheckListBox list(QStringLiteral("表示メニューの選択"));
    list.resize(240, 200);
    list.addItem(QStringLiteral("予定の表示"), true);
    list.addItem(QStringLiteral("メモの表示"), false);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    EXPECT_EQ(list.headerItem()->text(0), "表示メニューの選択");
    EXPECT_FALSE(list.header()->isHidden());

    std::vector<std::pair<int, bool>> toggles;
    list.onToggled = [&](int row, bool checked) { toggles.emplace_back(row, checked); };
    const QRect row1 = list.visualItemRect(list.topLevelItem(1));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(row1.left() + 120, row1.center().y()));
    EXPECT_TRUE(list.isChecked(1)) << "a click on the text";
    const QRect row0 = list.visualItemRect(list.topLevelItem(0));
    // Guards against the view toggling a click on the box and the list once more.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(row0.left() + 10, row0.center().y()));
    EXPECT_FALSE(list.isChecked(0)) << "a click on the box";
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_TRUE(list.isChecked(0));
    list.setChecked(1, false);
    EXPECT_EQ(toggles, (std::vector<std::pair<int, bool>>{{1, true}, {0, false}, {0, true}}));
}

TEST(Translations, QtDialogsSpeakJapanese) {
    ASSERT_TRUE(installJapaneseTranslations(*qApp)) << "qtbase_ja.qm (qt6-translations-l10n) is missing";
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "キャンセル");
}
