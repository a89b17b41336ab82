#include "memos/MemoDrawer.h"

#include "core/DateText.h"
#include "core/ProfileFile.h"
#include "memos/MemoState.h"
#include "memos/MemoStore.h"
#include "support/RecordingFeedback.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using namespace velmora;
using velmora::test::cp932;
using velmora::test::readBytes;
using velmora::test::RecordingFeedback;
using velmora::test::TempDir;
using velmora::test::writeBytes;
namespace fs = std::filesystem;

namespace {

class MemoDrawerTest : public ::testing::Test {
protected:
    MemoDrawerTest() {
        writeBytes(memoPath, cp932("[COMPUTER]\r\nCOMPUTER=PC-01\r\n[MEMOFILE]\r\n0=MEMO0000.dfm\r\n"
                                   "[MEMOOPT]\r\nMEMO0000.dfm=1000\r\nMEMO0001.dfm=1020\r\n"
                                   "memo0001.dfm-Color=255\r\nMEMO0003.dfm=2011\r\n"));
        store.setPath(memoPath);
        store.load(dir.file("Schedule.dat"));
        drawerMemo("MEMO0000.dfm", "机の上のメモ");
    }

    void drawerMemo(const std::string& name, const std::string& text, const std::string& picture = "",
                    const std::string& face = "ＭＳ Ｐゴシック") {
        MemoState state;
        state.text = text;
        state.editorPicture = picture;
        state.font.face = face;
        ASSERT_TRUE(writeMemoState(dir.file(name), state));
    }
    int rowOf(const std::string& name) const {
        for (int i = 0; i < drawer.size(); ++i) {
            if (drawer.item(i).fileName == name) {
                return i;
            }
        }
        ADD_FAILURE() << name << " not listed";
        return -1;
    }
    ProfileFile savedFile() const {
        ProfileFile saved(memoPath);
        EXPECT_EQ(saved.load(), ReadOutcome::Read);
        return saved;
    }

    TempDir dir;
    FixedClock clock{*parseDateTime("2026/12/08 09:30:15")};
    RecordingFeedback feedback;
    MemoStore store{"PC-01", clock, feedback};
    std::string memoPath = dir.file("Memo.dat");
    std::vector<std::string> trashed;
    bool trashWorks = true;
    MemoDrawer drawer{store, feedback, [this](const std::string& path) {
                          trashed.push_back(path);
                          return trashWorks && fs::remove(path);
                      }};
};

} // namespace

TEST_F(MemoDrawerTest, OnlyDrawerFilesAreListedAndAnEmptyDrawerChangesNothing) {
    writeBytes(dir.file("MEMO0001.txt"), "");
    writeBytes(dir.file("MEMOabcd.$$$"), "");
    fs::create_directory(dir.file("MEMO0009.$$$"));
    const std::string before = readBytes(memoPath);
    drawer.load();
    EXPECT_TRUE(drawer.empty());
    drawer.close();
    EXPECT_TRUE(trashed.empty());
    EXPECT_EQ(readBytes(memoPath), before) << "nothing changed, nothing saved";
}

TEST_F(MemoDrawerTest, ItemsAreSortedByNameAndShowTextThenPictureThenTheEmptyNote) {
    struct Row {
        const char* file;
        const char* text;
        const char* picture;
        const char* content;
    };
    const Row rows[] = {
        {"MEMO0010.$$$", "買い物\n牛乳", "/pics/a.png", "買い物\n牛乳"}, // text wins over the picture
        {"memo0002.$$$", "", "/pics/b.png", "/pics/b.png"},              // a picture memo put away
        {"MEMO0001.$$$", "", "", "空のメモです"},
    };
    for (const Row& row : rows) {
        drawerMemo(row.file, row.text, row.picture);
    }
    // Damaged files are listed with what could be read.
    writeBytes(dir.file("MEMO0004.$$$"), cp932("[Memo]\r\nText=\"途中まで\"\r\nFontName=游明朝\r\nPict"));
    writeBytes(dir.file("MEMO0005.$$$"), std::string("\0\xff\x01", 3));
    drawer.load();

    ASSERT_EQ(drawer.size(), 5);
    const char* order[] = {"MEMO0001.$$$", "memo0002.$$$", "MEMO0004.$$$", "MEMO0005.$$$", "MEMO0010.$$$"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(drawer.item(i).fileName, order[i]) << i;
        EXPECT_EQ(drawer.displayCaption(i), order[i]);
    }
    for (const Row& row : rows) {
        EXPECT_EQ(drawer.item(rowOf(row.file)).content, row.content) << row.file;
        EXPECT_EQ(drawer.item(rowOf(row.file)).fontName, "ＭＳ Ｐゴシック");
    }
    EXPECT_EQ(drawer.item(rowOf("MEMO0004.$$$")).content, "途中まで");
    EXPECT_EQ(drawer.item(rowOf("MEMO0004.$$$")).fontName, "游明朝");
    EXPECT_EQ(drawer.item(rowOf("MEMO0005.$$$")).content, "空のメモです");
}

TEST_F(MemoDrawerTest, MarksCanBeTakenBackUntilClose) {
    drawerMemo("MEMO0001.$$$", "a");
    const std::string before = readBytes(memoPath);
    drawer.load();
    EXPECT_TRUE(drawer.mark(0));
    EXPECT_FALSE(drawer.mark(0));
    EXPECT_EQ(drawer.displayCaption(0), "xMEMO0001.$$$");
    EXPECT_EQ(drawer.item(0).fileName, "MEMO0001.$$$") << "the mark never touches the name";
    EXPECT_TRUE(drawer.unmark(0));
    EXPECT_FALSE(drawer.unmark(0));
    EXPECT_EQ(drawer.displayCaption(0), "MEMO0001.$$$");
    EXPECT_FALSE(drawer.mark(1));
    EXPECT_FALSE(drawer.mark(-1));
    drawer.close();

    EXPECT_TRUE(drawer.empty());
    EXPECT_TRUE(trashed.empty());
    EXPECT_TRUE(fs::exists(dir.file("MEMO0001.$$$")));
    EXPECT_EQ(readBytes(memoPath), before);
}

TEST_F(MemoDrawerTest, CloseTrashesMarkedMemosAndForgetsTheirLooks) {
    drawerMemo("MEMO0001.$$$", "a");
    drawerMemo("MEMO0003.$$$", "b");
    drawer.load();
    drawer.mark(rowOf("MEMO0001.$$$"));
    drawer.close();

    EXPECT_EQ(trashed, std::vector<std::string>{dir.dir() + "MEMO0001.$$$"});
    EXPECT_TRUE(fs::exists(dir.file("MEMO0003.$$$")));
    const ProfileFile saved = savedFile();
    EXPECT_EQ(saved.readSection("MEMOOPT").lines(),
              (std::vector<std::string>{"MEMO0000.dfm=1000", "MEMO0003.dfm=2011"}))
        << "both look lines go, whatever their letter case";
    EXPECT_EQ(saved.read("COMPUTER", "LASTUPDATE"), "2026/12/08 09:30:15");
    EXPECT_TRUE(feedback.messages.empty());
}

TEST_F(MemoDrawerTest, AFileTheTrashRefusesKeepsItsFileAndLook) {
    drawerMemo("MEMO0001.$$$", "a");
    drawerMemo("MEMO0003.$$$", "b");
    const std::string before = readBytes(memoPath);
    trashWorks = false;
    drawer.load();
    drawer.mark(0);
    drawer.mark(1);
    drawer.close();

    EXPECT_EQ(feedback.messages,
              (std::vector<std::string>{"メモをごみ箱に移せませんでした。\n" + dir.dir() + "MEMO0001.$$$",
                                        "メモをごみ箱に移せませんでした。\n" + dir.dir() + "MEMO0003.$$$"}));
    EXPECT_TRUE(fs::exists(dir.file("MEMO0001.$$$")));
    EXPECT_TRUE(fs::exists(dir.file("MEMO0003.$$$")));
    EXPECT_EQ(store.memoOptions().value("MEMO0001.dfm-Color"), "255");
    EXPECT_EQ(readBytes(memoPath), before);
}

TEST_F(MemoDrawerTest, RevivedMemoIsListedLastWithItsLookAndSavedAtClose) {
    drawerMemo("MEMO0001.$$$", "a");
    drawerMemo("MEMO0003.$$$", "b");
    const std::string before = readBytes(memoPath);
    drawer.load();

    EXPECT_EQ(drawer.revive(rowOf("MEMO0003.$$$")), "MEMO0003.dfm");
    ASSERT_EQ(drawer.size(), 1);
    EXPECT_EQ(drawer.item(0).fileName, "MEMO0001.$$$");
    EXPECT_TRUE(fs::exists(dir.file("MEMO0003.dfm")));
    EXPECT_FALSE(fs::exists(dir.file("MEMO0003.$$$")));
    EXPECT_EQ(readBytes(memoPath), before) << "written only when the drawer closes";

    drawer.close();
    const ProfileFile saved = savedFile();
    EXPECT_EQ(saved.readSection("MEMOFILE").lines(), (std::vector<std::string>{"0=MEMO0000.dfm", "3=MEMO0003.dfm"}));
    EXPECT_EQ(saved.read("MEMOOPT", "MEMO0003.dfm"), "2011");
    EXPECT_TRUE(trashed.empty());
    EXPECT_TRUE(feedback.messages.empty());
}

TEST_F(MemoDrawerTest, RefusedReviveLeavesTheMemoInTheDrawer) {
    struct Case {
        const char* name;
        std::function<int()> row;
        std::size_t messages;
    };
    const Case cases[] = {
        {"marked row",
         [&] {
             drawer.mark(0);
             return 0;
         },
         0},
        {"no row", [] { return -1; }, 0},
        {"row past the end", [] { return 1; }, 0},
        {"file gone since listed",
         [&] {
             fs::remove(dir.file("MEMO0001.$$$"));
             return 0;
         },
         1},
    };
    for (const Case& c : cases) {
        feedback.messages.clear();
        drawerMemo("MEMO0001.$$$", "a");
        const std::string before = readBytes(memoPath);
        drawer.load();
        EXPECT_FALSE(drawer.revive(c.row())) << c.name;
        EXPECT_EQ(drawer.size(), 1) << c.name;
        EXPECT_FALSE(fs::exists(dir.file("MEMO0001.dfm"))) << c.name;
        EXPECT_EQ(store.memoFiles().lines(), std::vector<std::string>{"0=MEMO0000.dfm"}) << c.name;
        EXPECT_EQ(feedback.messages.size(), c.messages) << c.name;
        drawer.load();
        drawer.close();
        EXPECT_EQ(readBytes(memoPath), before) << c.name;
    }
}
