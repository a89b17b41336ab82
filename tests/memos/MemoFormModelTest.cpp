#include "memos/MemoFormModel.h"
#include "memos/MemoState.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace velmora;
using velmora::test::readBytes;
using velmora::test::TempDir;
using velmora::test::writeBytes;

TEST(NoteLookRules, TransCompExistsOnlyForTopMostWindows) {
    struct Row {
        const char* name;
        MemoLook before;
        int placement; // -1: a transparency is chosen instead
        int trans;
        MemoLook after;
    };
    const Row rows[] = {
        {"bottom lowers TransComp", {2, 0, 2, 0}, 0, 0, {0, 0, 1, 0}},
        {"normal lowers TransComp", {2, 1, 2, 1}, 1, 0, {1, 1, 1, 1}},
        {"top-most raises TransStd", {1, 0, 1, 0}, 2, 0, {2, 0, 2, 0}},
        {"top-most keeps TransMore", {0, 0, 3, 0}, 2, 0, {2, 0, 3, 0}},
        {"normal keeps TransMore", {2, 0, 3, 0}, 1, 0, {1, 0, 3, 0}},
        {"TransComp on a normal memo is TransStd", {1, 0, 0, 0}, -1, 2, {1, 0, 1, 0}},
        {"TransComp on a top-most memo", {2, 0, 0, 0}, -1, 2, {2, 0, 2, 0}},
        {"TransMore anywhere", {0, 2, 0, 0}, -1, 3, {0, 2, 3, 0}},
    };
    for (const Row& row : rows) {
        MemoLook look = row.before;
        if (row.placement >= 0) {
            choosePlacement(look, row.placement);
        } else {
            chooseTransparency(look, row.trans);
        }
        EXPECT_EQ(look, row.after) << row.name;
    }
    EXPECT_EQ(paintedTransparency({2, 0, 1, 0}), 2) << "a top-most TransStd memo is painted shaped";
    EXPECT_EQ(paintedTransparency({1, 0, 1, 0}), 1);
}

TEST(NoteLookRules, SizesAndPlaces) {
    EXPECT_EQ(inputModeSize({100, 50}), (NoteSize{200, 300})) << "the minimums";
    EXPECT_EQ(inputModeSize({400, 300}), (NoteSize{600, 450}));
    EXPECT_EQ(inputModeSize({133, 201}), (NoteSize{200, 301})) << "truncated";
    EXPECT_EQ(fitIntoScreen(1365, 1366), 1365);
    EXPECT_EQ(fitIntoScreen(1366, 1366), 683) << "off the screen comes back to its middle";
    EXPECT_EQ(fitIntoScreen(-20, 768), -20);
    EXPECT_EQ(autoFitSize({120, 40}, 3, false), (NoteSize{126, 46}));
    EXPECT_EQ(autoFitSize({120, 40}, 3, true), (NoteSize{120, 40})) << "a picture without frame fills the window";
}

TEST(NoteLookRules, EndingInput) {
    struct Row {
        const char* name;
        const char* typed;
        const char* picture;
        const char* text;
        bool hide;
        bool autoSizeOff;
    };
    const Row rows[] = {
        {"text stays", "買い物\nメモ", "NONE", "買い物\nメモ", false, false},
        {"blanks without picture path go", "  \n ", "", "  \n", true, true},
        {"blanks with NONE stay", " ", "NONE", "", false, true},
        {"picture only stays", "", "C:/a.bmp", "", false, false},
        {"trailing blanks of the last line go", "a \nb \t\u3000", "NONE", "a \nb", false, false},
    };
    for (const Row& row : rows) {
        const InputEnd end = endInput(row.typed, row.picture);
        EXPECT_EQ(end.text, row.text) << row.name;
        EXPECT_EQ(end.hide, row.hide) << row.name;
        EXPECT_EQ(end.autoSizeOff, row.autoSizeOff) << row.name;
    }
}

TEST(NoteLookRules, WallpaperMemoOrder) {
    EXPECT_EQ(wallpaperMemoIndex({}, 1), 0u);
    EXPECT_EQ(wallpaperMemoIndex({1, 2}, 0), 0u) << "a bottom memo goes under all";
    EXPECT_EQ(wallpaperMemoIndex({0, 1}, 1), 2u);
    EXPECT_EQ(wallpaperMemoIndex({0, 2, 1, 2}, 1), 1u) << "below the first top-most when the last is top-most";
    EXPECT_EQ(wallpaperMemoIndex({0, 2, 1}, 1), 3u);
    EXPECT_EQ(wallpaperMemoIndex({2, 2}, 2), 2u);
    EXPECT_TRUE(isMemoPictureFile("/home/u/Pictures/cat.BMP"));
    EXPECT_TRUE(isMemoPictureFile("a.bmp"));
    EXPECT_FALSE(isMemoPictureFile("photo.jpg"));
    EXPECT_FALSE(isMemoPictureFile("bmp"));
}

TEST(MemoStateFile, KeepsEverythingItHolds) {
    TempDir dir;
    MemoState s;
    s.left = -12;
    s.top = 40;
    s.width = 333;
    s.height = 91;
    s.text = "  一行目 \r\n二行目\\n は文字\n";
    s.font = FontSetting{"ＭＳ Ｐゴシック", 14, 255, true, false, true, false};
    s.colour = 0x80FF80;
    s.autoSize = false;
    s.picture = "/home/u/絵.bmp";
    s.editorText = "\"引用\"";
    s.editorPicture = "/home/u/絵.bmp";
    s.fileName = "MEMO0007.dfm";
    s.locked = false;
    ASSERT_TRUE(writeMemoState(dir.file("MEMO0007.dfm"), s));
    MemoState read;
    ASSERT_TRUE(readMemoState(dir.file("MEMO0007.dfm"), &read));
    MemoState expected = s;
    expected.text = "  一行目 \n二行目\\n は文字\n"; // line ends come back as "\n"
    EXPECT_EQ(read, expected);

    std::string error;
    s.text = "😀";
    writeBytes(dir.file("MEMO0008.dfm"), "old");
    EXPECT_FALSE(writeMemoState(dir.file("MEMO0008.dfm"), s, &error));
    EXPECT_EQ(readBytes(dir.file("MEMO0008.dfm")), "old") << "a text the file cannot hold writes nothing";
    EXPECT_FALSE(error.empty());
}

TEST(MemoStateFile, ADamagedFileGivesWhatCouldBeRead) {
    TempDir dir;
    // Cut off in the middle, with a line of garbage: the text still comes back.
    writeBytes(dir.file("MEMO0001.dfm"),
               "[Memo]\r\nLeft=50\r\n\x81\x01garbage\r\nText=\"\x82\xa0\\n2\"\r\nTop=x\r\nWid");
    MemoState s;
    ASSERT_TRUE(readMemoState(dir.file("MEMO0001.dfm"), &s));
    EXPECT_EQ(s.left, 50);
    EXPECT_EQ(s.top, MemoState{}.top);
    EXPECT_EQ(s.text, "あ\n2");
    EXPECT_EQ(s.picture, "NONE");
    EXPECT_FALSE(readMemoState(dir.file("MEMO0002.dfm"), &s)) << "a missing file";
}
