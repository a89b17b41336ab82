// What the shared data files must never do: write after a read that failed,
// keep a lock after a failed save, or lose another computer's save.
#include "schedule/ScheduleStore.h"

#include "core/DateText.h"
#include "core/ProfileFile.h"
#include "memos/MemoStore.h"
#include "schedule/EntryList.h"
#include "support/RecordingFeedback.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

using namespace velmora;
using velmora::test::cp932;
using velmora::test::FileSizeLimit;
using velmora::test::readBytes;
using velmora::test::RecordingFeedback;
using velmora::test::runAsOrdinaryUser;
using velmora::test::TempDir;
using velmora::test::writeBytes;
namespace fs = std::filesystem;

namespace {

struct Computer {
    Computer(const TempDir& dir, const std::string& name)
        : clock(*parseDateTime("2026/12/08 09:30:00")), store(dir.dir(), name, clock, feedback) {
        store.setPath(dir.file("Schedule.dat"));
    }
    std::vector<std::string> texts(const char* date) const {
        return parseEntryList(store.section(ScheduleSection::Day).value(date));
    }
    FixedClock clock;
    RecordingFeedback feedback;
    ScheduleStore store;
};

std::string key(const TempDir& dir, const char* section, const char* name) {
    ProfileFile f(dir.file("Schedule.dat"));
    f.load();
    return f.readString(section, name, "<absent>");
}

bool anyMessageHas(const RecordingFeedback& feedback, std::string_view part) {
    for (const auto& m : feedback.messages) {
        if (m.find(part) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// A file of some size, as a year of entries makes it.
std::string sharedFile() {
    std::string text = "[COMPUTER]\r\nCOMPUTER=ALLUSER\r\n[DAY]\r\n";
    for (int d = 1; d <= 28; ++d) {
        text += "2027/02/" + std::string(d < 10 ? "0" : "") + std::to_string(d) + "=\"entry " + std::to_string(d) +
                " \"\r\n";
    }
    return text + "[HOLIDAY]\r\nkept=1\r\n";
}

void nextTick() {
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
}

} // namespace

// Taking the lock on a file that could not be read used to write a file of
// the COMPUTER section alone; a failed load left an empty store whose next
// save erased every entry.
TEST(DataSafety, AFileThatCannotBeReadIsNeverWritten) {
    TempDir dir;
    const std::string before = sharedFile();
    writeBytes(dir.file("Schedule.dat"), before);
    writeBytes(dir.file("Memo.dat"), "[COMPUTER]\r\nCOMPUTER=ALLUSER\r\n[MEMOFILE]\r\n0=MEMO0000.dfm\r\n");
    fs::permissions(dir.file("Schedule.dat"), fs::perms::owner_write);
    fs::permissions(dir.file("Memo.dat"), fs::perms::owner_write);

    runAsOrdinaryUser({dir.path(), dir.file("Schedule.dat"), dir.file("Memo.dat")}, [&] {
        Computer a(dir, "PC-A");
        a.store.load();
        EXPECT_TRUE(a.store.loadFailed());
        EXPECT_TRUE(anyMessageHas(a.feedback, "スケジュールデータを読み込めませんでした"));

        ChangeWatch watch;
        watch.setPath(a.store.path());
        EXPECT_FALSE(acquireLock(true, "PC-A", a.store.path(), LockMode::Interactive, true, watch, a.feedback));
        EXPECT_FALSE(a.store.lockForEditing());
        EXPECT_TRUE(anyMessageHas(a.feedback, "編集できません"));
        a.store.appendEntry(EntryKind::Dated, *parseDate("2027/03/01"), "new");
        EXPECT_NE(a.store.save(true), SaveResult::Saved);

        MemoStore memos("PC-A", a.clock, a.feedback);
        memos.setPath(dir.file("Memo.dat"));
        memos.load(a.store.path());
        EXPECT_TRUE(memos.loadFailed());
        memos.addNewMemo();
        EXPECT_NE(memos.save(true), SaveResult::Saved);
    });
    fs::permissions(dir.file("Schedule.dat"), fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(dir.file("Memo.dat"), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(readBytes(dir.file("Schedule.dat")), before);
    EXPECT_EQ(readBytes(dir.file("Memo.dat")), "[COMPUTER]\r\nCOMPUTER=ALLUSER\r\n[MEMOFILE]\r\n0=MEMO0000.dfm\r\n");
}

TEST(DataSafety, AReloadThatFailsKeepsWhatWasShownAndTriesAgain) {
    TempDir dir;
    writeBytes(dir.file("Schedule.dat"), sharedFile());
    runAsOrdinaryUser({dir.path(), dir.file("Schedule.dat")}, [&] {
        Computer a(dir, "PC-A");
        a.store.load();
        ASSERT_FALSE(a.store.loadFailed());
        nextTick();
        Computer b(dir, "PC-B");
        b.store.load();
        ASSERT_TRUE(b.store.lockForEditing());
        b.store.appendEntry(EntryKind::Dated, *parseDate("2027/03/01"), "from B");
        ASSERT_EQ(b.store.save(true), SaveResult::Saved);

        fs::permissions(dir.file("Schedule.dat"), fs::perms::owner_write);
        EXPECT_FALSE(a.store.watch().tick());
        EXPECT_EQ(a.texts("2027/02/05"), std::vector<std::string>{"entry 5 "}) << "the shown entries stay";
        EXPECT_TRUE(a.store.watch().isRunning());

        fs::permissions(dir.file("Schedule.dat"), fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_TRUE(a.store.watch().tick()) << "the next tick reads it";
        EXPECT_EQ(a.texts("2027/03/01"), std::vector<std::string>{"from B "});
    });
}

// A failed releasing save used to leave UPDATEUSER set: every other computer
// was refused until someone edited the file by hand.
TEST(DataSafety, AFailedReleasingSaveFreesTheLockAndKeepsTheEdit) {
    TempDir dir;
    writeBytes(dir.file("Schedule.dat"), sharedFile());
    Computer a(dir, "PC-A");
    a.store.load();

    ASSERT_TRUE(a.store.lockForEditing());
    a.store.appendEntry(EntryKind::Dated, *parseDate("2027/03/01"), "\U0001F384");
    EXPECT_EQ(a.store.save(true), SaveResult::Failed);
    EXPECT_EQ(key(dir, "COMPUTER", "UPDATEUSER"), "");
    EXPECT_EQ(key(dir, "COMPUTER", "LASTUPDATEUSER"), "CANCEL") << "nothing changed: nobody reloads";
    EXPECT_EQ(key(dir, "DAY", "2027/03/01"), "<absent>");
    EXPECT_TRUE(a.store.hasUnsavedEdits());

    a.store.entryLists(EntryKind::Dated).remove("2027/03/01");
    ASSERT_TRUE(a.store.lockForEditing());
    a.store.appendEntry(EntryKind::Dated, *parseDate("2027/03/02"), std::string(4096, 'x'));
    {
        // Room for the lock's release, not for the longer file.
        const FileSizeLimit fullDisk(readBytes(dir.file("Schedule.dat")).size() + 64);
        EXPECT_EQ(a.store.save(true), SaveResult::Failed);
    }
    EXPECT_EQ(key(dir, "COMPUTER", "UPDATEUSER"), "");
    EXPECT_EQ(key(dir, "DAY", "2027/03/02"), "<absent>");
    EXPECT_TRUE(a.store.hasUnsavedEdits()) << "the edit stays in memory";
    EXPECT_EQ(a.store.save(true), SaveResult::Saved) << "and goes out with the next save";
    EXPECT_NE(key(dir, "DAY", "2027/03/02"), "<absent>");
}

// An edit loaded the file, took the lock later and saved its own old copy of
// DAY over what another computer had saved in between.
TEST(DataSafety, AnEditAppliesToTheFileAsAnotherComputerLeftIt) {
    TempDir dir;
    writeBytes(dir.file("Schedule.dat"), sharedFile());
    Computer a(dir, "PC-A");
    Computer b(dir, "PC-B");
    a.store.load();
    b.store.load();

    for (int round = 0; round < 3; ++round) {
        nextTick();
        ASSERT_TRUE(b.store.lockForEditing());
        b.store.appendEntry(EntryKind::Dated, *parseDate("2027/03/01"), "B" + std::to_string(round));
        b.store.section(ScheduleSection::Popup).set("2027/03/01-0" + std::to_string(round), "0,0,9,0,0");
        ASSERT_EQ(b.store.save(true), SaveResult::Saved);
        nextTick();
        ASSERT_TRUE(a.store.lockForEditing()) << "A has not reloaded: its watch did not tick";
        a.store.appendEntry(EntryKind::Dated, *parseDate("2027/03/01"), "A" + std::to_string(round));
        ASSERT_EQ(a.store.save(true), SaveResult::Saved);
    }
    a.store.load();
    EXPECT_EQ(a.texts("2027/03/01"), (std::vector<std::string>{"B0 ", "A0 ", "B1 ", "A1 ", "B2 ", "A2 "}));
    EXPECT_EQ(a.store.section(ScheduleSection::Popup).size(), 3u) << "B's reminders survive A's saves";
    EXPECT_EQ(key(dir, "HOLIDAY", "kept"), "1");
}

TEST(DataSafety, AQuietSaveNeverOverwritesAnotherComputersSave) {
    TempDir dir;
    writeBytes(dir.file("Schedule.dat"), sharedFile());
    Computer a(dir, "PC-A");
    Computer b(dir, "PC-B");
    a.store.load();
    b.store.load();
    nextTick();
    ASSERT_TRUE(b.store.lockForEditing());
    b.store.appendEntry(EntryKind::Dated, *parseDate("2027/03/01"), "from B");
    b.store.section(ScheduleSection::Popup).set("2027/03/01-00", "0,0,9,0,0");
    ASSERT_EQ(b.store.save(true), SaveResult::Saved);

    // Without edits A's shutdown save takes B's version and only stamps it.
    nextTick();
    ASSERT_EQ(a.store.save(true), SaveResult::Saved);
    EXPECT_EQ(key(dir, "POPUP", "2027/03/01-00"), "0,0,9,0,0");
    EXPECT_EQ(key(dir, "DAY", "2027/03/01"), "from B ");
    EXPECT_TRUE(a.store.watch().tick()) << "what A took over is shown at the next tick";

    // With an edit made outside the lock, A's save is refused and says so.
    nextTick();
    ASSERT_TRUE(b.store.lockForEditing());
    b.store.appendEntry(EntryKind::Dated, *parseDate("2027/03/02"), "B again");
    ASSERT_EQ(b.store.save(true), SaveResult::Saved);
    a.store.appendEntry(EntryKind::Dated, *parseDate("2027/03/03"), "A alone");
    EXPECT_EQ(a.store.save(true), SaveResult::Refused);
    EXPECT_TRUE(anyMessageHas(a.feedback, "他のコンピュータが先に保存しました"));
    EXPECT_EQ(key(dir, "DAY", "2027/03/02"), "B again ");
    EXPECT_EQ(key(dir, "DAY", "2027/03/03"), "<absent>");
    EXPECT_TRUE(a.store.hasUnsavedEdits());
}

// The save's sort put "Aquarium" before "Zoo trip" and every computer then
// read the other entry; a second [DAY] was erased without being read.
TEST(DataSafety, DuplicateKeysAndRepeatedSectionsSurviveASave) {
    TempDir dir;
    writeBytes(dir.file("Schedule.dat"), "[COMPUTER]\r\nCOMPUTER=PC-A\r\n[DAY]\r\n2024/03/01=\"Zoo trip \"\r\n"
                                         "2024/03/01=\"Aquarium \"\r\n2024/02/01=\"Feb \"\r\n[HOLIDAY]\r\nx=1\r\n"
                                         "[DAY]\r\n2024/04/01=\"Later \"\r\n");
    Computer a(dir, "PC-A");
    a.store.load();
    EXPECT_EQ(a.texts("2024/04/01"), std::vector<std::string>{"Later "});
    ASSERT_TRUE(a.store.lockForEditing());
    a.store.appendEntry(EntryKind::Dated, *parseDate("2024/03/02"), "new");
    ASSERT_EQ(a.store.save(true), SaveResult::Saved);

    const std::string bytes = readBytes(dir.file("Schedule.dat"));
    EXPECT_EQ(bytes.find("[DAY]"), bytes.rfind("[DAY]")) << "one DAY section";
    EXPECT_NE(bytes.find("2024/02/01=\"Feb \"\r\n2024/03/01=\"Zoo trip \"\r\n2024/03/01=\"Aquarium \"\r\n"
                         "2024/03/02=\"new \"\r\n2024/04/01=\"Later \"\r\n"),
              std::string::npos)
        << bytes;
    Computer b(dir, "PC-B");
    b.store.load();
    EXPECT_EQ(b.texts("2024/03/01"), std::vector<std::string>{"Zoo trip "});
}

TEST(DataSafety, AMissingMemoFileIsNamedAsTheLockNamesIt) {
    TempDir dir;
    writeBytes(dir.file("Memo.dat"), "[COMPUTER]\r\nCOMPUTER=PC-A\r\n");
    Computer a(dir, "PC-A");
    MemoStore memos("PC-A", a.clock, a.feedback);
    memos.setPath(dir.file("Memo.dat"));
    memos.load(dir.file("Schedule.dat"));
    fs::remove(dir.file("Memo.dat"));
    memos.addNewMemo();
    EXPECT_EQ(memos.save(true), SaveResult::Refused);
    EXPECT_EQ(a.feedback.messages, std::vector<std::string>{"更新するデータファイルがみつかりません"});
    EXPECT_FALSE(fs::exists(dir.file("Memo.dat")));
}
