#include "memos/MemoStore.h"

#include "core/DateText.h"
#include "core/ProfileFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace velmora;
using velmora::test::cp932;
using velmora::test::readBytes;
using velmora::test::TempDir;
using velmora::test::writeBytes;
namespace fs = std::filesystem;

namespace {

class RecordingFeedback : public UserFeedback {
public:
    void showMessage(std::string_view text) override { messages.emplace_back(text); }
    bool confirm(std::string_view) override { return false; }
    std::vector<std::string> messages;
};

class MemoStoreTest : public ::testing::Test {
protected:
    MemoStoreTest() { store.setPath(memoPath); }

    std::vector<std::string> memoLines() const { return store.memoFiles().lines(); }

    TempDir dir;
    FixedClock clock{*parseDateTime("2026/12/08 09:30:15")};
    RecordingFeedback feedback;
    MemoStore store{"PC-01", clock, feedback};
    std::string memoPath = dir.file("Memo.dat");
    std::string schedulePath = dir.file("Schedule.dat");
};

} // namespace

TEST(MemoFiles, NamesAndNumbers) {
    EXPECT_EQ(memoFileName(3), "MEMO0003.dfm");
    EXPECT_EQ(drawerFileName("memo0003.dfm"), "MEMO0003.$$$");
    EXPECT_EQ(memoNumber("MEMO0003.dfm"), 3);
    EXPECT_EQ(memoNumber("memo0120.$$$"), 120);
    for (const char* other : {"MEMO003.dfm", "MEMO00a3.dfm", "MEMO0003.txt", "NOTE0003.dfm", "MEMO0003.dfm.bak"}) {
        EXPECT_FALSE(memoNumber(other)) << other;
    }
    EXPECT_EQ(parseMemoLook("1023"), (MemoLook{1, 0, 2, 3}));
    EXPECT_EQ(parseMemoLook("2x1"), (MemoLook{2, 0, 1, 0}));
}

TEST_F(MemoStoreTest, NewMemoTakesTheFirstNumberFreeOfMemoAndDrawerFiles) {
    writeBytes(memoPath, "[COMPUTER]\r\nCOMPUTER=PC-01\r\n[MEMOFILE]\r\n0=MEMO0000.dfm\r\n"
                         "[MEMOOPT]\r\nMEMO0002.dfm=1020\r\nMEMO0002.dfm-Color=255\r\n");
    writeBytes(dir.file("MEMO0000.dfm"), "");
    writeBytes(dir.file("memo0001.$$$"), ""); // a drawer file from a system that ignores letter case
    store.load(schedulePath);

    EXPECT_EQ(store.addNewMemo(), "MEMO0002.dfm");
    EXPECT_EQ(memoLines(), (std::vector<std::string>{"2=MEMO0002.dfm", "0=MEMO0000.dfm"}));
    EXPECT_TRUE(store.memoOptions().empty()) << "a new memo starts without an old look";
}

TEST_F(MemoStoreTest, ThreeDigitLookReadsWithoutDrawDesk) {
    writeBytes(memoPath, "[MEMOFILE]\r\n0=MEMO0000.dfm\r\n[MEMOOPT]\r\nMEMO0000.dfm=201\r\n");
    store.load(schedulePath);
    EXPECT_EQ(store.look("MEMO0000.dfm"), (MemoLook{2, 0, 1, 0}));
}

TEST_F(MemoStoreTest, MissingDataFileTakesTheMemosFromTheScheduleFile) {
    const std::string schedule = "[DAY]\r\n2026/12/08=\"a\"\r\n[MEMOFILE]\r\n1=C:\\old\\MEMO0001.dfm\r\n"
                                 "[MEMOOPT]\r\nMEMO0001.dfm=1101\r\n";
    writeBytes(schedulePath, schedule);
    std::vector<std::string> recent{"/elsewhere/Memo.dat", memoPath};
    store.setRecentFiles(&recent);
    store.load(schedulePath);

    EXPECT_EQ(memoLines(), std::vector<std::string>{"1=MEMO0001.dfm"});
    EXPECT_EQ(store.look("MEMO0001.dfm"), (MemoLook{1, 1, 0, 1}));
    ProfileFile created(memoPath);
    ASSERT_EQ(created.load(), ReadOutcome::Read);
    EXPECT_EQ(created.read("COMPUTER", "COMPUTER"), "PC-01");
    // Taken over at once: the schedule file's next save drops them there.
    EXPECT_EQ(created.readSection("MEMOFILE").lines(), std::vector<std::string>{"1=MEMO0001.dfm"});
    EXPECT_EQ(created.read("MEMOOPT", "MEMO0001.dfm"), "1101");
    EXPECT_EQ(readBytes(schedulePath), schedule);
    EXPECT_TRUE(store.ownership().ownsFile);
    EXPECT_TRUE(store.watch().isRunning());
    EXPECT_EQ(store.watch().knownAge(), fileAge(memoPath));
    EXPECT_EQ(recent, (std::vector<std::string>{memoPath, "/elsewhere/Memo.dat"}));
}

TEST_F(MemoStoreTest, FoldersAreStrippedFromMemoFileValues) {
    // "ソ" ends in the byte 0x5C in CP932: only a real "\" may cut the name.
    writeBytes(memoPath, cp932("[MEMOFILE]\r\n0=D:\\ソフト\\MEMO0000.dfm\r\n1=/home/u/MEMO0001.dfm\r\n"
                               "2=sub\\MEMO0002.dfm\r\n3=ソ.dfm\r\n"));
    store.load(schedulePath);
    EXPECT_EQ(memoLines(),
              (std::vector<std::string>{"0=MEMO0000.dfm", "1=MEMO0001.dfm", "2=MEMO0002.dfm", "3=ソ.dfm"}));
}

TEST_F(MemoStoreTest, SaveWritesListOrderSortedOptionsAndStamps) {
    writeBytes(memoPath, "[COMPUTER]\r\nCOMPUTER=PC-01\r\n[MEMOFILE]\r\n5=MEMO0005.dfm\r\n1=MEMO0001.dfm\r\n"
                         "[MEMOOPT]\r\nMEMO0005.dfm=1200\r\nMEMO0005.dfm-Color=123\r\nmemo0001.dfm=2010\r\n");
    store.load(schedulePath);
    ASSERT_TRUE(store.addMemo("MEMO0003.dfm"));
    store.setLook("MEMO0003.dfm", MemoLook{1, 2, 0, 1}, 255);
    store.setLook("MEMO0005.dfm", MemoLook{1, 0, 0, 0});

    ASSERT_EQ(store.save(true), SaveResult::Saved);
    EXPECT_EQ(readBytes(memoPath), "[COMPUTER]\r\nCOMPUTER=PC-01\r\nUPDATEUSER=\r\nLASTUPDATEUSER=PC-01\r\n"
                                   "LASTUPDATE=2026/12/08 09:30:15\r\n"
                                   "[MEMOFILE]\r\n3=MEMO0003.dfm\r\n5=MEMO0005.dfm\r\n1=MEMO0001.dfm\r\n"
                                   "[MEMOOPT]\r\nmemo0001.dfm=2010\r\nMEMO0003.dfm=1201\r\n"
                                   "MEMO0003.dfm-Color=255\r\nMEMO0005.dfm=1000\r\n");
    EXPECT_EQ(store.watch().knownAge(), fileAge(memoPath));
    EXPECT_TRUE(store.watch().isRunning());
    EXPECT_TRUE(feedback.messages.empty());
}

TEST_F(MemoStoreTest, SaveRefusedByAnotherComputerWritesNothing) {
    for (const char* computer :
         {"[COMPUTER]\r\nCOMPUTER=PC-01\r\nUPDATEUSER=PC-02\r\n", "[COMPUTER]\r\nCOMPUTER=PC-02\r\n"}) {
        const std::string before = std::string(computer) + "[MEMOFILE]\r\n0=MEMO0000.dfm\r\n";
        writeBytes(memoPath, before);
        store.load(schedulePath);
        store.addNewMemo();
        EXPECT_EQ(store.save(true), SaveResult::Refused) << computer;
        EXPECT_EQ(readBytes(memoPath), before);
        EXPECT_TRUE(store.watch().isRunning());
    }
    EXPECT_TRUE(feedback.messages.empty()) << "the quiet lock never speaks";
}

TEST_F(MemoStoreTest, FailedSaveReportsAndKeepsTheOldFile) {
    const std::string before = "[COMPUTER]\r\nCOMPUTER=PC-01\r\n[MEMOFILE]\r\n0=MEMO0000.dfm\r\n";
    writeBytes(memoPath, before);
    writeBytes(dir.file("MEMO0000.dfm"), "");
    store.load(schedulePath);
    ASSERT_EQ(store.addNewMemo(), "MEMO0001.dfm");
    fs::permissions(memoPath, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    // A read-only file refuses the save, as it refuses the lock.
    EXPECT_EQ(store.save(true), SaveResult::Refused);
    EXPECT_EQ(readBytes(memoPath), before);
    ASSERT_EQ(feedback.messages.size(), 1u);
    EXPECT_EQ(feedback.messages[0].rfind("メモデータを保存できませんでした。\n" + memoPath + "\n", 0), 0u);
    EXPECT_EQ(memoLines(), (std::vector<std::string>{"1=MEMO0001.dfm", "0=MEMO0000.dfm"}));

    fs::permissions(memoPath, fs::perms::owner_write, fs::perm_options::add);
    store.memoOptions().set("MEMO0001.dfm😀", "1000"); // no CP932 form
    EXPECT_EQ(store.save(true), SaveResult::Failed);
    EXPECT_EQ(readBytes(memoPath), before);
    EXPECT_EQ(feedback.messages.size(), 2u);
}

TEST_F(MemoStoreTest, DrawerMoveAndBackRenameWithoutOverwriting) {
    writeBytes(memoPath, "[COMPUTER]\r\nCOMPUTER=PC-01\r\n[MEMOFILE]\r\n3=MEMO0003.dfm\r\n0=MEMO0000.dfm\r\n"
                         "[MEMOOPT]\r\nMEMO0003.dfm=1020\r\n");
    writeBytes(dir.file("MEMO0003.dfm"), "three");
    writeBytes(dir.file("MEMO0000.dfm"), "zero");
    store.load(schedulePath);

    EXPECT_EQ(store.moveToDrawer("MEMO0003.dfm"), SaveResult::Saved);
    EXPECT_FALSE(fs::exists(dir.file("MEMO0003.dfm")));
    EXPECT_EQ(readBytes(dir.file("MEMO0003.$$$")), "three");
    EXPECT_EQ(memoLines(), std::vector<std::string>{"0=MEMO0000.dfm"});
    ProfileFile saved(memoPath);
    saved.load();
    EXPECT_FALSE(saved.read("MEMOFILE", "3"));
    EXPECT_EQ(saved.read("MEMOOPT", "MEMO0003.dfm"), "1020") << "the drawer keeps the look";
    EXPECT_EQ(saved.read("COMPUTER", "LASTUPDATE"), "2026/12/08 09:30:15");

    EXPECT_TRUE(store.takeFromDrawer("MEMO0003.$$$"));
    EXPECT_EQ(readBytes(dir.file("MEMO0003.dfm")), "three");
    EXPECT_FALSE(fs::exists(dir.file("MEMO0003.$$$")));
    // Taken out, a memo is listed last, as the least recently activated one.
    EXPECT_EQ(memoLines(), (std::vector<std::string>{"0=MEMO0000.dfm", "3=MEMO0003.dfm"}));
    EXPECT_EQ(store.save(true), SaveResult::Saved);
    EXPECT_TRUE(feedback.messages.empty());

    writeBytes(dir.file("memo0000.$$$"), "old drawer");
    const std::string file = readBytes(memoPath);
    EXPECT_FALSE(store.moveToDrawer("MEMO0000.dfm"));
    writeBytes(dir.file("MEMO0003.$$$"), "other three");
    EXPECT_FALSE(store.takeFromDrawer("MEMO0003.$$$"));
    EXPECT_EQ(readBytes(dir.file("MEMO0000.dfm")), "zero");
    EXPECT_EQ(readBytes(dir.file("memo0000.$$$")), "old drawer");
    EXPECT_EQ(readBytes(dir.file("MEMO0003.dfm")), "three");
    EXPECT_EQ(readBytes(dir.file("MEMO0003.$$$")), "other three");
    EXPECT_EQ(memoLines(), (std::vector<std::string>{"0=MEMO0000.dfm", "3=MEMO0003.dfm"}));
    EXPECT_EQ(readBytes(memoPath), file);
    EXPECT_EQ(feedback.messages.size(), 2u);
}

TEST_F(MemoStoreTest, MemoFileValuesNeverReachOutsideTheMemoFolder) {
    const std::string folder = dir.dir() + "memo/";
    fs::create_directories(folder + "sub");
    writeBytes(dir.file("x.dfm"), "outside");
    writeBytes(dir.file("MEMO0004.$$$"), "outside drawer");
    writeBytes(folder + "sub/MEMO0001.dfm", "below");
    writeBytes(folder + "Memo.dat", "[COMPUTER]\r\nCOMPUTER=PC-01\r\n[MEMOFILE]\r\n0=../x.dfm\r\n"
                                    "1=sub\\MEMO0001.dfm\r\n2=..\r\n");
    store.setPath(folder + "Memo.dat");
    store.load(schedulePath);
    EXPECT_EQ(memoLines(), (std::vector<std::string>{"0=x.dfm", "1=MEMO0001.dfm", "2=.."}));

    std::vector<std::string> names = {"../x.dfm", "sub\\MEMO0001.dfm", "sub/MEMO0001.dfm"};
    for (std::size_t i = 0; i < store.memoFiles().size(); ++i) {
        names.push_back(store.memoFiles().valueAt(i));
    }
    for (const std::string& name : names) {
        EXPECT_FALSE(store.moveToDrawer(name)) << name;
    }
    EXPECT_FALSE(store.takeFromDrawer("../MEMO0004.$$$"));
    EXPECT_EQ(readBytes(dir.file("x.dfm")), "outside");
    EXPECT_EQ(readBytes(dir.file("MEMO0004.$$$")), "outside drawer");
    EXPECT_EQ(readBytes(folder + "sub/MEMO0001.dfm"), "below");
    EXPECT_FALSE(fs::exists(dir.file("X.$$$")));
    EXPECT_FALSE(fs::exists(dir.file("MEMO0004.dfm")));
    EXPECT_FALSE(fs::exists(folder + "sub/MEMO0001.$$$"));
    EXPECT_FALSE(fs::exists(folder + "MEMO0001.$$$"));
    EXPECT_FALSE(fs::exists(folder + "MEMO0004.dfm"));
    EXPECT_EQ(feedback.messages.size(), names.size() + 1);
}
