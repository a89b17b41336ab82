#include "reminders/PopupFormModel.h"

#include <gtest/gtest.h>

using namespace velmora;

TEST(PopupFormRules, LookColourAndCloseRules) {
    EXPECT_EQ(reminderLook(std::nullopt, 0), (MemoLook{1, 0, 0, 0}));
    EXPECT_EQ(reminderLook(std::nullopt, 1), (MemoLook{2, 0, 0, 0})) << "MostTopFirst";
    EXPECT_EQ(reminderLook(std::string("021"), 1), (MemoLook{0, 2, 1, 0})) << "a record wins";
    EXPECT_EQ(reminderLook(std::string("2021"), 0), (MemoLook{2, 0, 2, 0})) << "no wallpaper digit for reminders";
    EXPECT_EQ(formatReminderLook({2, 1, 3, 1}), "213");

    EXPECT_EQ(reminderColour("-255"), 255u) << "the minus only keeps the entry off the calendar";
    EXPECT_EQ(reminderColour("255"), 255u);
    EXPECT_EQ(reminderColour("16777215"), 16777215u);
    for (const char* bad : {"", "-", "clRed", "12a", "--5"}) {
        EXPECT_FALSE(reminderColour(bad)) << bad;
    }
    EXPECT_EQ(colorOptFor(65280, "-255"), "-65280");
    EXPECT_EQ(colorOptFor(65280, "255"), "65280");
    EXPECT_EQ(colorOptFor(65280, ""), "65280");

    struct Row {
        const char* key;
        const char* popup;
        bool oneDay;
    };
    const Row rows[] = {
        {"2026/12/08-00", "1,1,09,30,0", true},
        {"2026/12/08-00", "0,1,09,30,0", false},
        {"WEEK3-00", "1,1,09,30,0", false}, // a weekly entry's day comes back every week
        {"2026/12/08-00", "", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(oneDayReminder(row.key, row.popup), row.oneDay) << row.key << " " << row.popup;
    }

    NameValueList states;
    states.set("A", "1");
    closeReminderState(states, "A", false, "9");
    EXPECT_EQ(states.value("A"), "9") << "閉じる: quiet for the rest of the run";
    closeReminderState(states, "A", true, "9");
    EXPECT_FALSE(states.find("A")) << "閉じる（再表示）: reminds at the next evaluation";
    states.set("A", "1");
    closeReminderState(states, "A", false, "");
    EXPECT_FALSE(states.find("A")) << "edited to a new time: a plain close lets it remind then";
}
