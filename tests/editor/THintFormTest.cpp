#include "editor/THintForm.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace velmora;

TEST(THintForm, ShowsTheLinesBesideThePointerWithoutTakingTheFocus) {
    QWidget window;
    auto* edit = new QLineEdit(&window);
    window.show();
    window.activateWindow();
    edit->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    ASSERT_EQ(QApplication::focusWidget(), edit);

    THintForm hint;
    const QRect area(0, 0, 1024, 768);
    hint.showLines({"2026/05/13（水）の予定", "会議", "歯医者"}, QFont(), QPoint(200, 100), area);
    QApplication::processEvents();
    EXPECT_TRUE(hint.isVisible());
    EXPECT_EQ(hint.text(), "2026/05/13（水）の予定\n会議\n歯医者");
    EXPECT_EQ(hint.pos(), QPoint(215, 105));
    EXPECT_TRUE(hint.windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_TRUE(hint.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(QApplication::activeWindow(), &window) << "the hint is never the active window";
    EXPECT_EQ(QApplication::focusWidget(), edit) << "typing goes on where it was";

    // Every line is readable: the window is as tall as the three lines.
    const QLabel* label = hint.findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_GE(hint.height(), 3 * label->fontMetrics().height());
    EXPECT_GE(hint.width(), label->fontMetrics().horizontalAdvance("2026/05/13（水）の予定"));
    if (const char* dir = std::getenv("VELMORA_SHOT_DIR")) {
        hint.grab().save(QString::fromUtf8(dir) + "/hint.png");
    }

    // A shorter list makes a smaller balloon.
    const QSize three = hint.size();
    hint.showLines({"2026/05/14（木）には", "予定はありません"}, QFont(), QPoint(200, 100), area);
    EXPECT_LT(hint.height(), three.height());
    EXPECT_EQ(hint.text(), "2026/05/14（木）には\n予定はありません");
}

TEST(THintForm, StaysInsideTheWorkArea) {
    const QRect area(0, 0, 1000, 700);
    const QSize size(120, 60);
    EXPECT_EQ(THintForm::placeBeside(size, QPoint(100, 100), area), QPoint(115, 105));
    // Room to the last pixel: it stays right of and below the pointer.
    EXPECT_EQ(THintForm::placeBeside(size, QPoint(865, 635), area), QPoint(880, 640));
    // One pixel more: above the pointer (its bottom edge 5 pixels above) ...
    EXPECT_EQ(THintForm::placeBeside(size, QPoint(100, 636), area), QPoint(115, 636 - 5 - 60));
    // ... and left of it (its right edge 15 pixels left).
    EXPECT_EQ(THintForm::placeBeside(size, QPoint(866, 100), area), QPoint(866 - 15 - 120, 105));
    // The lower right corner: above and to the left.
    EXPECT_EQ(THintForm::placeBeside(size, QPoint(990, 690), area), QPoint(990 - 135, 690 - 65));
    // A panel at the bottom: the work area ends above it, and so does the hint.
    EXPECT_EQ(THintForm::placeBeside(size, QPoint(100, 600), QRect(0, 0, 1000, 650)), QPoint(115, 600 - 5 - 60));
}
