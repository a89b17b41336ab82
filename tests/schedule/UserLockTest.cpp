#include "schedule/ScheduleStore.h"

#include "core/DateText.h"
#include "core/ProfileFile.h"
#include "support/RecordingFeedback.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

using namespace velmora;
using velmora::test::RecordingFeedback;
using velmora::test::TempDir;
using velmora::test::writeBytes;
namespace fs = std::filesystem;

namespace {

// One computer's copy of the program on a shared folder.
struct Computer {
    Computer(const TempDir& dir, const std::string& name)
        : clock(*parseDateTime("2026/12/08 09:30:00")), store(dir.dir(), name, clock, feedback) {
        store.setPath(dir.file("Schedule.dat"));
        store.watch().setOnChange([this] {
            store.load();
            ++redraws;
        });
        store.load();
    }
    FixedClock clock;
    RecordingFeedback feedback;
    ScheduleStore store;
    int redraws = 0;
};

std::string key(const TempDir& dir, const char* name) {
    ProfileFile f(dir.file("Schedule.dat"));
    f.load();
    return f.readString("COMPUTER", name, "<absent>");
}

// File times are coarse; let the next write land on a later tick.
void nextTick() {
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
}

} // namespace

TEST(UserLock, OneEditorAtATimeAndTheOthersReloadAfterIt) {
    TempDir dir;
    writeBytes(dir.file("Schedule.dat"), "[COMPUTER]\r\nCOMPUTER=ALLUSER\r\n");
    Computer a(dir, "PC-A");
    Computer b(dir, "PC-B");

    nextTick();
    ASSERT_TRUE(a.store.lockForEditing());
    EXPECT_EQ(key(dir, "UPDATEUSER"), "PC-A");
    EXPECT_FALSE(a.store.watch().isRunning()) << "our own edit is no foreign change";
    EXPECT_TRUE(a.store.lockForEditing()) << "the lock is ours already";
    EXPECT_FALSE(b.store.lockForEditing());
    EXPECT_EQ(b.feedback.messages, std::vector<std::string>{"ユーザーPC-Aが更新中です"});
    EXPECT_TRUE(b.feedback.questions.empty()) << "a file for all users asks nobody";
    EXPECT_FALSE(b.store.watch().tick()) << "no reload while PC-A still edits";
    EXPECT_EQ(b.store.save(true), SaveResult::Refused) << "PC-B's quiet save must not break in";

    a.store.appendEntry(EntryKind::Dated, *parseDate("2026/12/24"), "忘年会");
    nextTick();
    ASSERT_EQ(a.store.save(true), SaveResult::Saved);
    EXPECT_EQ(key(dir, "COMPUTER"), "ALLUSER");
    EXPECT_FALSE(a.store.watch().tick()) << "PC-A does not reload its own save";
    EXPECT_TRUE(b.store.watch().tick());
    EXPECT_EQ(b.redraws, 1);
    EXPECT_EQ(b.store.section(ScheduleSection::Day).value("2026/12/24"), "\"忘年会 \"");
    EXPECT_FALSE(b.store.watch().tick()) << "one reload per change";
}

TEST(UserLock, DecliningAnotherOwnersFileLeavesItAsItWas) {
    TempDir dir;
    writeBytes(dir.file("Schedule.dat"), "[COMPUTER]\r\nCOMPUTER=PC-A\r\n");
    Computer a(dir, "PC-A");
    Computer b(dir, "PC-B");
    EXPECT_FALSE(b.store.ownership().ownsFile);

    b.feedback.answer = false;
    nextTick();
    EXPECT_FALSE(b.store.lockForEditing());
    EXPECT_EQ(b.feedback.questions, std::vector<std::string>{"ユーザーPC-Aのデータです。\n更新しますか？"});
    EXPECT_EQ(key(dir, "UPDATEUSER"), "");
    EXPECT_EQ(key(dir, "LASTUPDATEUSER"), "CANCEL");
    EXPECT_FALSE(a.store.watch().tick()) << "a declined edit is no change to reload";
    EXPECT_EQ(a.redraws, 0);
    EXPECT_EQ(b.store.save(false), SaveResult::Refused) << "a file we do not own is saved only inside an edit";

    b.feedback.answer = true;
    ASSERT_TRUE(b.store.lockForEditing());
    b.store.appendEntry(EntryKind::Weekly, *parseDate("2026/12/08"), "会議");
    nextTick();
    ASSERT_EQ(b.store.save(true), SaveResult::Saved);
    EXPECT_EQ(key(dir, "COMPUTER"), "PC-A") << "an edit by another computer keeps the owner";
    EXPECT_TRUE(a.store.watch().tick());
}

TEST(UserLock, MissingReadOnlyAndStaleFiles) {
    TempDir dir;
    writeBytes(dir.file("Schedule.dat"), "[COMPUTER]\r\nCOMPUTER=PC-A\r\nUPDATEUSER=GHOST\r\n");
    Computer a(dir, "PC-A");
    EXPECT_FALSE(a.store.lockForEditing());
    EXPECT_EQ(a.feedback.messages.back(), "ユーザーGHOSTが更新中です");
    EXPECT_EQ(key(dir, "UPDATEUSER"), "GHOST") << "a stale lock is never broken";

    fs::permissions(dir.file("Schedule.dat"), fs::perms::owner_read);
    EXPECT_FALSE(a.store.lockForEditing());
    EXPECT_EQ(a.feedback.messages.back(), "このデータファイルは読み込み専用です。");

    fs::permissions(dir.file("Schedule.dat"), fs::perms::owner_all);
    fs::remove(dir.file("Schedule.dat"));
    EXPECT_FALSE(a.store.lockForEditing());
    EXPECT_EQ(a.feedback.messages.back(), "更新するデータファイルがみつかりません");
    EXPECT_FALSE(a.store.watch().tick()) << "a vanished file is no change";
}
