#include "settings/DrawingSettings.h"
#include "settings/Startup.h"

#include "core/DateText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>

using namespace velmora;
using velmora::test::readBytes;
using velmora::test::TempDir;
using velmora::test::writeBytes;

TEST(DrawingSettings, OrdinaryValuesReachTheDrawingAsSet) {
    Settings s;
    s.shadowWidth = 3;
    s.fbgTrans = 40;
    s.miniSize = 8;
    s.yDrawCol = 3;
    s.yDrawRow = 4;
    s.yDrawPos = 11;
    s.adjst = 2;
    s.yohakuT = 120;
    s.yohakuL2 = -15;
    s.font(FontPart::Title).size = 999;  // the largest the font dialog offers
    s.font(FontPart::Schedule).size = 0; // automatic
    const Settings d = drawingSettings(s);
    EXPECT_EQ(d.shadowWidth, 3);
    EXPECT_EQ(d.fbgTrans, 40);
    EXPECT_EQ(d.miniSize, 8);
    EXPECT_EQ(d.yDrawCol, 3);
    EXPECT_EQ(d.yDrawRow, 4);
    EXPECT_EQ(d.yDrawPos, 11);
    EXPECT_EQ(d.adjst, 2);
    EXPECT_EQ(d.yohakuT, 120);
    EXPECT_EQ(d.yohakuL2, -15);
    EXPECT_EQ(d.font(FontPart::Title).size, 999);
    EXPECT_EQ(d.font(FontPart::Schedule).size, 0);

    s.adjst = 99;
    s.yDrawPos = -1;
    EXPECT_EQ(drawingSettings(s).adjst, 99) << "off";
    EXPECT_EQ(drawingSettings(s).yDrawPos, -1) << "from January";
}

TEST(DrawingSettings, AbsurdValuesKeepTheirMeaning) {
    for (const int value : {INT_MAX, INT_MIN}) {
        Settings s;
        s.shadowWidth = s.fbgTrans = s.miniSize = s.yDrawCol = s.yDrawRow = s.yDrawPos = s.adjst = value;
        for (FontSetting& f : s.fonts) {
            f.size = value;
        }
        const Settings d = drawingSettings(s);
        EXPECT_NE(d.adjst, 99) << value << ": a row, so today's week is still brought to one";
        EXPECT_GE(d.yDrawCol, 1) << value;
        EXPECT_GE(d.yDrawRow, 1) << value;
        EXPECT_GE(d.yDrawPos, -1) << value;
        EXPECT_GE(d.shadowWidth, 0) << value;
        // Sums of a few sizes, margins and screen pixels must not come near overflowing.
        EXPECT_LT(d.shadowWidth, 1000) << value;
        EXPECT_LT(d.yDrawCol * d.yDrawRow, 1000) << value;
        EXPECT_LT(d.yDrawPos, 1000) << value;
        for (const FontSetting& f : d.fonts) {
            EXPECT_LT(f.size, 10000) << value;
            EXPECT_GE(f.size, 0) << value;
        }
        EXPECT_EQ(d.fbgTrans, value > 0 ? 100 : 0) << value;
        EXPECT_EQ(s.shadowWidth, value) << "the user's settings are not touched";
    }
}

// The drawing holds the numbers; the settings file keeps the user's text.
TEST(DrawingSettings, ASaveWritesBackTheAbsurdNumbersAsTheFileHeldThem) {
    const char* lines[] = {
        "ShadowWidth=2147483647", "ADJST=-2147483648",   "FBGTrans=2147483647",      "YOHAKUT=-2147483648",
        "YOHAKUL2=2147483647",    "YDrawCol=2147483647", "YDrawPos=-2147483648",     "TITLESIZE=2147483647",
        "SchSIZE=-2147483648",    "MiniSize=2147483647", "Date_FontSize=2147483647",
    };
    TempDir dir;
    writeBytes(dir.file("calendar.ini"),
               "[SYSTEM]\r\nShadowWidth=2147483647\r\nADJST=-2147483648\r\nFBGTrans=2147483647\r\n"
               "[COLOR]\r\nYOHAKUT=-2147483648\r\nYOHAKUL2=2147483647\r\nYDrawCol=2147483647\r\n"
               "YDrawPos=-2147483648\r\nTITLESIZE=2147483647\r\nSchSIZE=-2147483648\r\nMiniSize=2147483647\r\n"
               "[FONT]\r\nDate_FontSize=2147483647\r\n");
    StartupState state = runStartup(StartupEnvironment{dir.dir(), "PC-01", {}, *parseDate("2026/12/08"), nullptr});
    ASSERT_TRUE(loadSettings(state));
    EXPECT_EQ(state.settings.shadowWidth, INT_MAX);
    std::string error;
    ASSERT_TRUE(saveSettings(state, &error)) << error;

    const std::string saved = readBytes(dir.file("calendar.ini"));
    for (const char* line : lines) {
        EXPECT_NE(saved.find(std::string("\r\n") + line + "\r\n"), std::string::npos) << line;
    }
}
