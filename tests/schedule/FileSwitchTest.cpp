#include "schedule/FileSwitch.h"

#include "core/DateText.h"
#include "core/ProfileFile.h"
#include "memos/MemoStore.h"
#include "schedule/Backup.h"
#include "schedule/ScheduleStore.h"
#include "support/RecordingFeedback.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace velmora;
using velmora::test::cp932;
using velmora::test::readBytes;
using velmora::test::RecordingFeedback;
using velmora::test::TempDir;
using velmora::test::writeBytes;
namespace fs = std::filesystem;

namespace {

struct Program {
    explicit Program(const TempDir& dir)
        : clock(*parseDateTime("2026/12/08 09:30:00")), schedule(dir.dir(), "PC-A", clock, feedback),
          memos("PC-A", clock, feedback), policy{dir.dir(), 3, clock.now()} {
        fs::create_directories(dir.file("Schedule"));
        schedule.setPath(dir.file("Schedule/Schedule.dat"));
        schedule.setRecentFiles(&recentSchedules);
        schedule.load();
        memos.setPath(dir.file("Schedule/Memo.dat"));
        memos.load(schedule.path());
        steps.beforeSave = [this] { log += "close;"; };
        steps.afterLoad = [this] { log += "redraw(" + fs::path(schedule.path()).filename().string() + ");"; };
    }
    FixedClock clock;
    RecordingFeedback feedback;
    ScheduleStore schedule;
    MemoStore memos;
    BackupPolicy policy;
    SwitchSteps steps;
    std::vector<std::string> recentSchedules;
    std::string log;
};

std::string dayValue(const std::string& path, const char* date) {
    ProfileFile f(path);
    f.load();
    return f.readString("DAY", date, "<absent>");
}

} // namespace

TEST(FileSwitch, SavesTheOldFileOpensTheNewOneAndBacksItUp) {
    TempDir dir;
    writeBytes(dir.file("Other.dat"), cp932("[DAY]\r\n2027/01/01=\"初詣 \"\r\n[COMPUTER]\r\nCOMPUTER=PC-A\r\n"));
    Program p(dir);
    p.schedule.appendEntry(EntryKind::Dated, *parseDate("2026/12/24"), "忘年会");
    p.schedule.section(ScheduleSection::PopupTime).set("09:00", "2026/12/24-00,忘年会");
    p.schedule.section(ScheduleSection::PopupStat).set("2026/12/24-00", "1");

    switchScheduleFile(p.schedule, dir.file("Other.dat"), SwitchMode::SaveAndOpen, p.steps, p.policy);
    EXPECT_EQ(p.log, "close;redraw(Other.dat);");
    EXPECT_EQ(dayValue(dir.file("Schedule/Schedule.dat"), "2026/12/24"), "忘年会 ") << "the old file was saved";
    EXPECT_EQ(p.schedule.path(), dir.file("Other.dat"));
    EXPECT_EQ(p.schedule.section(ScheduleSection::Day).value("2027/01/01"), "\"初詣 \"");
    EXPECT_TRUE(p.schedule.section(ScheduleSection::PopupTime).empty());
    EXPECT_TRUE(p.schedule.section(ScheduleSection::PopupStat).empty());
    EXPECT_EQ(p.recentSchedules.front(), dir.file("Other.dat"));
    const auto items = restoreMenu(BackupKind::Schedule, dir.dir(), p.schedule.path());
    ASSERT_EQ(items.size(), 1u) << "the newly opened file is backed up";
    EXPECT_TRUE(items[0].enabled);
}

TEST(FileSwitch, RestoreTakesTheLockAndReloadsTheGeneration) {
    TempDir dir;
    Program p(dir);
    p.schedule.appendEntry(EntryKind::Dated, *parseDate("2026/12/24"), "元の予定");
    ASSERT_EQ(p.schedule.save(true), SaveResult::Saved);
    ASSERT_TRUE(backUp(BackupKind::Schedule, BackupSource{dir.dir(), p.schedule.path(), {}}, 3, p.clock.now()));
    p.schedule.appendEntry(EntryKind::Dated, *parseDate("2026/12/25"), "後の予定");
    ASSERT_EQ(p.schedule.save(true), SaveResult::Saved);

    // Another computer editing blocks the restore.
    ProfileFile f(p.schedule.path());
    f.load();
    f.writeString("COMPUTER", "UPDATEUSER", "PC-B");
    ASSERT_TRUE(f.save());
    EXPECT_FALSE(restoreBackup("BUSch1", p.schedule, p.memos, p.steps, p.policy));
    EXPECT_EQ(p.feedback.messages.back(), "ユーザーPC-Bが更新中です");
    EXPECT_EQ(p.log, "");
    f.writeString("COMPUTER", "UPDATEUSER", "");
    ASSERT_TRUE(f.save());

    ASSERT_TRUE(restoreBackup("BUSch1", p.schedule, p.memos, p.steps, p.policy));
    EXPECT_EQ(p.log, "close;redraw(Schedule.dat);");
    EXPECT_EQ(dayValue(p.schedule.path(), "2026/12/25"), "<absent>");
    EXPECT_FALSE(p.schedule.section(ScheduleSection::Day).contains("2026/12/25")) << "the restored file is loaded";
    EXPECT_TRUE(p.schedule.section(ScheduleSection::Day).contains("2026/12/24"));
    EXPECT_EQ(restoreMenu(BackupKind::Schedule, dir.dir(), p.schedule.path()).size(), 2u) << "and backed up again";
    EXPECT_FALSE(restoreBackup("BUSch7", p.schedule, p.memos, p.steps, p.policy));
    EXPECT_FALSE(restoreBackup("nonsense", p.schedule, p.memos, p.steps, p.policy));
}

TEST(FileSwitch, SwitchingTheMemoFileKeepsTheScheduleFile) {
    TempDir dir;
    Program p(dir);
    p.memos.addMemo("MEMO0000.dfm");
    switchMemoFile(p.memos, dir.file("Memo2.dat"), p.schedule.path(), SwitchMode::SaveAndOpen, p.steps, p.policy);
    ProfileFile old(dir.file("Schedule/Memo.dat"));
    old.load();
    EXPECT_EQ(old.read("MEMOFILE", "0"), "MEMO0000.dfm");
    EXPECT_EQ(p.memos.path(), dir.file("Memo2.dat"));
    EXPECT_TRUE(p.memos.memoFiles().empty());
    EXPECT_EQ(p.schedule.path(), dir.file("Schedule/Schedule.dat"));
    EXPECT_EQ(restoreMenu(BackupKind::Memo, dir.dir(), p.memos.path()).size(), 1u);
}

TEST(FileSwitch, TheOpenDialogsChoiceIsADataFile) {
    const struct {
        const char* chosen;
        const char* opened;
    } rows[] = {
        {"/home/u/Schedule.txt", "/home/u/Schedule.dat"}, {"/home/u/Schedule", "/home/u/Schedule.dat"},
        {"/home/u/a.b/Plan", "/home/u/a.b/Plan.dat"},     {"/home/u/Plan.DAT", "/home/u/Plan.dat"},
        {"/home/u/x.tar.gz", "/home/u/x.tar.dat"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(withDataExtension(row.chosen), row.opened) << row.chosen;
    }
}

// A file that cannot be read must not replace the one in use: the store
// would be empty and its next save would write nothing over something.
TEST(FileSwitch, AFileThatCannotBeReadKeepsTheCurrentOne) {
    TempDir dir;
    Program p(dir);
    p.schedule.appendEntry(EntryKind::Dated, *parseDate("2026/12/24"), "忘年会");
    fs::create_directories(dir.file("Unreadable.dat"));
    EXPECT_FALSE(
        switchScheduleFile(p.schedule, dir.file("Unreadable.dat"), SwitchMode::SaveAndOpen, p.steps, p.policy));
    EXPECT_EQ(p.schedule.path(), dir.file("Schedule/Schedule.dat"));
    EXPECT_FALSE(p.schedule.loadFailed());
    EXPECT_TRUE(p.schedule.section(ScheduleSection::Day).contains("2026/12/24"));
    EXPECT_EQ(p.log, "close;redraw(Schedule.dat);") << "the windows come back on the current file";
    EXPECT_TRUE(restoreMenu(BackupKind::Schedule, dir.dir(), dir.file("Unreadable.dat")).empty());

    EXPECT_FALSE(switchMemoFile(p.memos, dir.file("Unreadable.dat"), p.schedule.path(), SwitchMode::SaveAndOpen,
                                p.steps, p.policy));
    EXPECT_EQ(p.memos.path(), dir.file("Schedule/Memo.dat"));
}

TEST(FileSwitch, ARestoreThatCannotRestoreChangesNothing) {
    TempDir dir;
    Program p(dir);
    RecordingFeedback said;
    p.policy.feedback = &said;
    ASSERT_EQ(p.schedule.save(true), SaveResult::Saved);
    ASSERT_TRUE(backUp(BackupKind::Schedule, BackupSource{dir.dir(), p.schedule.path(), {}}, 3, p.clock.now()));
    fs::remove(dir.file("SBK/BackUp1/Schedule.dat"));
    const std::string before = readBytes(p.schedule.path());

    EXPECT_FALSE(restoreBackup("BUSch1", p.schedule, p.memos, p.steps, p.policy));
    ASSERT_EQ(said.messages.size(), 1u);
    EXPECT_EQ(said.messages[0].rfind("バックアップから復元できません。", 0), 0u);
    EXPECT_EQ(readBytes(p.schedule.path()), before) << "neither locked nor saved";
    EXPECT_EQ(p.log, "");
}
