#include "app/PopupWindows.h"

#include "HubTestSupport.h"
#include "memos/MemoState.h"
#include "reminders/PopupFormModel.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test;

namespace {

// A hub whose reminders open real reminder windows.
struct PopupFixture {
    explicit PopupFixture(const std::string& owner = "PC-A", const std::string& popup = "0,0,00,00,0") {
        std::filesystem::create_directories(f.home.file("Schedule"));
        writeBytes(f.home.file("Schedule/Schedule.dat"),
                   cp932("[COMPUTER]\r\nCOMPUTER=" + owner + "\r\n[DAY]\r\n2026/05/13=\"会議 \"\r\n[POPUP]\r\n" +
                         "2026/05/13-00=" + popup + "\r\n[COLOROPT]\r\n2026/05/13-00=-255\r\n"));
        f.start();
        desktop.attach(f.hub);
        popups.attach(f.hub);
    }
    std::string folder() const { return f.home.file("Schedule/"); }
    NameValueList& section(ScheduleSection s) { return f.hub.schedule().section(s); }
    TPopupForm* open() {
        popups.openFresh({900, 0, 60, 30}, "会議", key, f.hub.settings().font(FontPart::Fusen));
        section(ScheduleSection::PopupStat).set(key, "1");
        return popups.window(key);
    }
    QAction* action(TPopupForm& w, const char* name) {
        return w.popupMenu()->findChild<QAction*>(QString::fromUtf8(name));
    }

    HubFixture f;
    DesktopPicture desktop;
    PopupWindows popups{f.platform, f.feedback, desktop};
    const std::string key = "2026/05/13-00";
};

} // namespace

TEST(PopupWindows, AClosedWindowKeepsItsStateForTheNextReminder) {
    PopupFixture p;
    TPopupForm* w = p.open();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->state().colour, 255u) << "COLOROPT -255 is red";
    w->move(300, 250);
    w->choosePlacement(0);
    w->closeReminder(false);
    QCoreApplication::processEvents();
    EXPECT_FALSE(p.popups.window(p.key));
    EXPECT_EQ(p.section(ScheduleSection::PopupStat).value(p.key), "9");
    EXPECT_EQ(p.section(ScheduleSection::PopupOpt).value(p.key), "000");
    const std::string file = p.section(ScheduleSection::PopupFile).value(p.key);
    ASSERT_EQ(file, "POP0000.dfm");

    // The next day's reminder opens where the window was left.
    p.popups.openSaved(p.folder() + file, "会議", p.key, 255);
    TPopupForm* again = p.popups.window(p.key);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->pos(), QPoint(300, 250));
    EXPECT_EQ(again->look().placement, 0);
    again->closeReminder(true);
    EXPECT_FALSE(p.section(ScheduleSection::PopupStat).find(p.key)) << "閉じる（再表示）";
}

TEST(PopupWindows, AOneDayReminderKeepsNothingAndCannotComeBack) {
    PopupFixture p("PC-A", "1,0,00,00,0");
    writeBytes(p.folder() + "POP0003.dfm", "[Popup]\r\nLeft=5\r\n");
    p.section(ScheduleSection::PopupFile).set(p.key, "POP0003.dfm");
    p.section(ScheduleSection::PopupOpt).set(p.key, "100");
    TPopupForm* w = p.open();
    EXPECT_FALSE(p.action(*w, "Close2")->isEnabled());
    EXPECT_TRUE(p.action(*w, "Close1")->isEnabled());
    w->closeReminder(false);
    EXPECT_FALSE(std::filesystem::exists(p.folder() + "POP0003.dfm"));
    EXPECT_FALSE(p.section(ScheduleSection::PopupFile).find(p.key));
    EXPECT_FALSE(p.section(ScheduleSection::PopupOpt).find(p.key));
}

TEST(PopupWindows, OnAnotherComputersFileOnlyTheLockAndPrintAreOffered) {
    PopupFixture p("OTHER-PC");
    TPopupForm* w = p.open();
    for (const char* name : {"ColorChg", "FontChg", "Close2", "Close1", "Hosoku", "SchEdit", "TopMost", "TransComp"}) {
        EXPECT_FALSE(p.action(*w, name)->isEnabled()) << name;
    }
    EXPECT_TRUE(p.action(*w, "Lock")->isEnabled());
    // Its look stays in memory: nothing is written into the other computer's folder.
    const std::string look = formatReminderLook(w->look());
    p.popups.close(p.key);
    EXPECT_FALSE(std::filesystem::exists(p.folder() + "POP0000.dfm"));
    EXPECT_EQ(p.section(ScheduleSection::PopupOpt).value(p.key), look);
}

TEST(PopupWindows, TheSupplementIsShownBesideTheWindowOrSaidMissing) {
    PopupFixture p;
    TPopupForm* w = p.open();
    w->showSupplement();
    EXPECT_EQ(p.f.feedback.messages, std::vector<std::string>{"この予定に補足説明はありません"});
    writeBytes(p.folder() + "2026051300.hsk", cp932("A室で\r\n資料を持参"));
    w->showSupplement();
    ASSERT_TRUE(w->supplementBox());
    EXPECT_TRUE(w->supplementBox()->isVisible());
    EXPECT_EQ(w->supplementBox()->y(), w->y() + w->height() + 3);
    EXPECT_EQ(p.f.feedback.messages.size(), 1u);

    // The schedule list renumbered and retitled the entry: the window follows.
    p.popups.rekeyAll({{p.key, "2026/05/13-01"}});
    p.popups.retitle("2026/05/13-01", "会議（変更）");
    ASSERT_TRUE(p.popups.window("2026/05/13-01"));
    EXPECT_EQ(p.popups.window("2026/05/13-01")->state().text, "会議（変更）");
}
