#include "schedule/Backup.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::cp932;
using test::FileSizeLimit;
using test::readBytes;
using test::TempDir;
using test::writeBytes;

DateValue at(int year, int month, int day, int hour, int minute) {
    return DateValue::fromDateTime(year, month, day, hour, minute, 0).value();
}

constexpr rlim_t kDiskRoom = 64 * 1024;

// A program folder with a schedule file and two reminder files beside it.
struct BackupHome {
    BackupHome() {
        fs::create_directories(tmp.path() / "Schedule");
        writeBytes(dataPath(), "schedule data");
        writeBytes(tmp.path() / "Schedule" / "Pop1.dfm", "pop one");
        writeBytes(tmp.path() / "Schedule" / "Pop2.dfm", "pop two");
        source.programDir = tmp.dir();
        source.dataFilePath = dataPath();
        source.sideFiles.append("2026/12/08-00", "Pop1.dfm");
        source.sideFiles.append("2026/12/09-00", "Pop2.dfm");
    }

    std::string dataPath() const { return tmp.file("Schedule/Schedule.dat"); }
    fs::path generation(int n, const char* kind = "SBK") const {
        return tmp.path() / kind / ("BackUp" + std::to_string(n));
    }
    void makeGeneration(int n, const std::string& marker) {
        fs::create_directories(generation(n));
        writeBytes(generation(n) / "marker", marker);
    }

    std::string popPath(const char* name) const { return (tmp.path() / "Schedule" / name).string(); }
    // Everything in the kind's backup folder, by name.
    std::set<std::string> backupFolderEntries(const char* kind = "SBK") const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(tmp.path() / kind)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }
    // Three generations of three versions of the schedule file.
    void makeThreeBackups() {
        for (int n = 1; n <= 3; ++n) {
            writeBytes(dataPath(), "version " + std::to_string(n));
            ASSERT_TRUE(backUp(BackupKind::Schedule, source, 3, at(2026, 12, n, 9, 0)));
        }
    }

    TempDir tmp;
    BackupSource source;
    const DateValue now = at(2026, 12, 8, 10, 30);
};

class BackupTest : public ::testing::Test, public BackupHome {};

std::vector<std::string> namesOf(const std::vector<RestoreItem>& items) {
    std::vector<std::string> names;
    for (const RestoreItem& item : items) {
        names.push_back(item.name + " " + item.caption);
    }
    return names;
}

TEST_F(BackupTest, DropsTheOldestAndRenumbersTheSurvivors) {
    makeGeneration(1, "old1");
    makeGeneration(2, "old2");
    makeGeneration(3, "old3");
    ASSERT_TRUE(backUp(BackupKind::Schedule, source, 3, now));
    EXPECT_EQ(readBytes(generation(1) / "marker"), "old2");
    EXPECT_EQ(readBytes(generation(2) / "marker"), "old3");
    EXPECT_FALSE(fs::exists(generation(3) / "marker"));
    EXPECT_EQ(readBytes(generation(3) / "Schedule.dat"), "schedule data");
    EXPECT_FALSE(fs::exists(generation(4)));
}

TEST_F(BackupTest, LoweringTheCountKeepsOnlyTheNewestPlusTheNewOne) {
    for (int n = 1; n <= 5; ++n) {
        makeGeneration(n, "old" + std::to_string(n));
    }
    ASSERT_TRUE(backUp(BackupKind::Schedule, source, 2, now));
    EXPECT_EQ(readBytes(generation(1) / "marker"), "old5");
    EXPECT_EQ(readBytes(generation(2) / "Schedule.dat"), "schedule data");
    for (int n = 3; n <= 9; ++n) {
        EXPECT_FALSE(fs::exists(generation(n))) << n;
    }
}

TEST_F(BackupTest, WritesTheInfoFilesAndCopiesTheSideFiles) {
    ASSERT_TRUE(backUp(BackupKind::Schedule, source, 5, at(2026, 12, 8, 10, 30)));
    EXPECT_EQ(readBytes(generation(1) / "BackUp.txt"), "SchFile=Schedule\\Schedule.dat\r\nDATE=2026/12/08 10:30\r\n");
    EXPECT_EQ(readBytes(generation(1) / "PopupFile.txt"), "2026/12/08-00=Pop1.dfm\r\n2026/12/09-00=Pop2.dfm\r\n");
    EXPECT_EQ(readBytes(generation(1) / "Pop1.dfm"), "pop one");
    EXPECT_EQ(readBytes(generation(1) / "Pop2.dfm"), "pop two");
    EXPECT_FALSE(fs::exists(generation(2)));
}

TEST_F(BackupTest, MemoBackupsGoToTheirOwnFolder) {
    const std::string memoPath = tmp.file("メモ.dat");
    writeBytes(memoPath, "memo data");
    writeBytes(tmp.path() / "Memo1.txt", "memo one");
    BackupSource memo{tmp.dir(), memoPath, {}};
    memo.sideFiles.append("1", "Memo1.txt");
    ASSERT_TRUE(backUp(BackupKind::Memo, memo, 3, now));
    EXPECT_EQ(readBytes(generation(1, "MBK") / "BackUp.txt"), cp932("MemoFile=メモ.dat\r\nDATE=2026/12/08 10:30\r\n"));
    EXPECT_EQ(readBytes(generation(1, "MBK") / "MemoFile.txt"), "1=Memo1.txt\r\n");
    EXPECT_EQ(readBytes(generation(1, "MBK") / "Memo1.txt"), "memo one");
    EXPECT_EQ(readBytes(generation(1, "MBK") / "メモ.dat"), "memo data");
    EXPECT_FALSE(fs::exists(tmp.path() / "SBK"));
}

TEST_F(BackupTest, MenuListsNewestFirstAndEnablesOnlyTheFileInUse) {
    ASSERT_TRUE(backUp(BackupKind::Schedule, source, 9, at(2026, 12, 7, 9, 5)));
    BackupSource other = source;
    other.dataFilePath = tmp.file("Other.dat");
    writeBytes(other.dataFilePath, "other");
    ASSERT_TRUE(backUp(BackupKind::Schedule, other, 9, at(2026, 12, 8, 10, 30)));
    ASSERT_TRUE(backUp(BackupKind::Schedule, source, 9, at(2026, 12, 8, 23, 59)));

    const auto items = restoreMenu(BackupKind::Schedule, tmp.dir(), dataPath());
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].name, "BUSch3");
    EXPECT_EQ(items[0].caption, "2026/12/08 23:59のバックアップ");
    EXPECT_TRUE(items[0].enabled);
    EXPECT_EQ(items[1].name, "BUSch2");
    EXPECT_EQ(items[1].caption, "2026/12/08 10:30のバックアップ");
    EXPECT_FALSE(items[1].enabled);
    EXPECT_EQ(items[2].name, "BUSch1");
    EXPECT_EQ(items[2].caption, "2026/12/07 09:05のバックアップ");
    EXPECT_TRUE(items[2].enabled);
    EXPECT_TRUE(restoreMenu(BackupKind::Memo, tmp.dir(), dataPath()).empty());

    BackupKind kind = BackupKind::Memo;
    EXPECT_EQ(generationOf("BUSch3", &kind), 3);
    EXPECT_EQ(kind, BackupKind::Schedule);
    EXPECT_EQ(generationOf("BUMemo9", &kind), 9);
    EXPECT_EQ(kind, BackupKind::Memo);
    for (const char* bad : {"BUSch0", "BUSch10", "BUMemo", "BUSchx", "busch3", "Exit"}) {
        EXPECT_EQ(generationOf(bad), std::nullopt) << bad;
    }
}

TEST_F(BackupTest, CopyBackRestoresTheDataFileAndItsSideFiles) {
    ASSERT_TRUE(backUp(BackupKind::Schedule, source, 9, now));
    writeBytes(dataPath(), "second data");
    writeBytes(tmp.path() / "Schedule" / "Pop1.dfm", "second pop");
    ASSERT_TRUE(backUp(BackupKind::Schedule, source, 9, now));
    writeBytes(dataPath(), "edited later");
    fs::remove(tmp.path() / "Schedule" / "Pop1.dfm");
    writeBytes(tmp.path() / "Schedule" / "Pop2.dfm", "edited pop");
    writeBytes(tmp.path() / "Schedule" / "Pop2.$$$", "unsaved");

    EXPECT_EQ(copyBack(BackupKind::Schedule, tmp.dir(), 2), dataPath());
    EXPECT_EQ(readBytes(dataPath()), "second data");
    EXPECT_EQ(readBytes(tmp.path() / "Schedule" / "Pop1.dfm"), "second pop");
    EXPECT_EQ(readBytes(tmp.path() / "Schedule" / "Pop2.dfm"), "pop two");
    EXPECT_FALSE(fs::exists(tmp.path() / "Schedule" / "Pop2.$$$"));

    EXPECT_EQ(copyBack(BackupKind::Schedule, tmp.dir(), 3), std::nullopt);
    EXPECT_EQ(copyBack(BackupKind::Schedule, tmp.dir(), 0), std::nullopt);
    EXPECT_EQ(copyBack(BackupKind::Memo, tmp.dir(), 1), std::nullopt);
}

TEST_F(BackupTest, CountZeroTouchesNothing) {
    EXPECT_FALSE(backUp(BackupKind::Schedule, source, 0, now));
    EXPECT_FALSE(fs::exists(tmp.path() / "SBK"));
    makeGeneration(1, "old1");
    EXPECT_FALSE(backUp(BackupKind::Schedule, source, -1, now));
    EXPECT_EQ(readBytes(generation(1) / "marker"), "old1");
    EXPECT_FALSE(fs::exists(generation(2)));

    // Above nine counts as nine: the ninth slot is the last one ever used.
    for (int n = 1; n <= 9; ++n) {
        makeGeneration(n, "old" + std::to_string(n));
    }
    ASSERT_TRUE(backUp(BackupKind::Schedule, source, 12, now));
    EXPECT_EQ(readBytes(generation(1) / "marker"), "old2");
    EXPECT_EQ(readBytes(generation(9) / "Schedule.dat"), "schedule data");
}

TEST_F(BackupTest, SideFileNamesThatLeaveTheFolderAreSkipped) {
    writeBytes(tmp.path() / "evil.dfm", "outside");
    fs::create_directories(tmp.path() / "Schedule" / "sub");
    writeBytes(tmp.path() / "Schedule" / "sub" / "x.dfm", "nested");
    source.sideFiles.append("a", "../evil.dfm");
    source.sideFiles.append("b", "sub/x.dfm");
    source.sideFiles.append("c", "..\\evil.dfm");
    ASSERT_TRUE(backUp(BackupKind::Schedule, source, 3, now));
    EXPECT_EQ(readBytes(generation(1) / "Pop1.dfm"), "pop one");
    EXPECT_FALSE(fs::exists(tmp.path() / "SBK" / "evil.dfm"));
    EXPECT_FALSE(fs::exists(generation(1) / "sub"));

    // A tampered list in a generation must not write beside the data folder.
    fs::remove(tmp.path() / "evil.dfm");
    writeBytes(tmp.path() / "SBK" / "evil.dfm", "planted");
    fs::create_directories(generation(1) / "sub");
    writeBytes(generation(1) / "sub" / "x.dfm", "planted");
    fs::remove_all(tmp.path() / "Schedule" / "sub");
    ASSERT_EQ(copyBack(BackupKind::Schedule, tmp.dir(), 1), dataPath());
    EXPECT_FALSE(fs::exists(tmp.path() / "evil.dfm"));
    EXPECT_FALSE(fs::exists(tmp.path() / "Schedule" / "sub"));
    EXPECT_EQ(readBytes(tmp.path() / "Schedule" / "Pop1.dfm"), "pop one");
}

// Three full disks once left three generations holding no data, all of them
// still offered for a restore.
TEST(BackupFailure, AFailedBackupKeepsEveryOlderGenerationAndLeavesNoPartialCopy) {
    struct Case {
        const char* name;
        std::function<void(BackupHome&)> prepare;
    };
    const Case cases[] = {
        {"the data file is a folder",
         [](BackupHome& h) {
             fs::remove(h.dataPath());
             fs::create_directory(h.dataPath());
         }},
        {"the disk fills up while the data file is copied",
         [](BackupHome& h) { writeBytes(h.dataPath(), std::string(4 * kDiskRoom, 'x')); }},
        {"the disk fills up while the side-file list is written",
         [](BackupHome& h) {
             for (int i = 0; i < 4000; ++i) {
                 h.source.sideFiles.append("2026/12/08-" + std::to_string(i), "POP0001.dfm");
             }
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BackupHome h;
        h.makeThreeBackups();
        const auto menuBefore = namesOf(restoreMenu(BackupKind::Schedule, h.tmp.dir(), h.dataPath()));
        ASSERT_EQ(menuBefore.size(), 3u);
        c.prepare(h);

        std::string error;
        bool done = true;
        {
            const FileSizeLimit fullDisk(kDiskRoom);
            done = backUp(BackupKind::Schedule, h.source, 3, h.now, &error);
        }
        EXPECT_FALSE(done);
        EXPECT_FALSE(error.empty()) << "a failed backup says why";
        EXPECT_EQ(h.backupFolderEntries(), (std::set<std::string>{"BackUp1", "BackUp2", "BackUp3"}))
            << "no partial copy is left anywhere";
        for (int n = 1; n <= 3; ++n) {
            EXPECT_EQ(readBytes(h.generation(n) / "Schedule.dat"), "version " + std::to_string(n)) << n;
        }
        EXPECT_EQ(namesOf(restoreMenu(BackupKind::Schedule, h.tmp.dir(), h.dataPath())), menuBefore);
    }
}

TEST_F(BackupTest, CopiesACrashLeftBehindGoOnlyWhenTheyAreOld) {
    makeThreeBackups();
    const fs::path stale = tmp.path() / "SBK" / "BackUp.tmp.0123456789ab";
    const fs::path running = tmp.path() / "SBK" / "BackUp.tmp.ba9876543210";
    for (const fs::path& p : {stale, running}) {
        fs::create_directory(p);
        writeBytes(p / "Schedule.dat", "partial");
        writeBytes(p / "BackUp.txt", "SchFile=Schedule\\Schedule.dat\r\nDATE=2026/12/08 10:30\r\n");
    }
    fs::last_write_time(stale, fs::file_time_type::clock::now() - std::chrono::hours(2));
    ASSERT_TRUE(backUp(BackupKind::Schedule, source, 3, now));
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(running)) << "another backup may be writing it";
    EXPECT_EQ(restoreMenu(BackupKind::Schedule, tmp.dir(), dataPath()).size(), 3u);
}

TEST_F(BackupTest, OnlyGenerationsHoldingTheirDataFileAreOffered) {
    makeThreeBackups();
    fs::remove(generation(2) / "Schedule.dat");
    fs::remove(generation(1) / "Schedule.dat");
    fs::create_directory(generation(1) / "Schedule.dat");
    const auto items = restoreMenu(BackupKind::Schedule, tmp.dir(), dataPath());
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].name, "BUSch3");
    EXPECT_TRUE(items[0].enabled);

    EXPECT_EQ(restorableDataFile(BackupKind::Schedule, tmp.dir(), 3), dataPath());
    for (int n : {0, 1, 2, 4, 10}) {
        std::string error;
        EXPECT_EQ(restorableDataFile(BackupKind::Schedule, tmp.dir(), n, &error), std::nullopt) << n;
        EXPECT_FALSE(error.empty()) << n;
    }
    EXPECT_EQ(readBytes(dataPath()), "version 3") << "the check changes nothing";
}

TEST_F(BackupTest, ACopyBackThatCannotRestoreTheDataFileChangesNothing) {
    struct Case {
        const char* name;
        std::function<void(BackupTest&)> spoil;
        bool fullDisk;
    };
    const Case cases[] = {
        {"the generation lost its data file", [](BackupTest& t) { fs::remove(t.generation(1) / "Schedule.dat"); },
         false},
        {"the disk fills up while the data file is written back",
         [](BackupTest& t) { writeBytes(t.generation(1) / "Schedule.dat", std::string(4 * kDiskRoom, 'x')); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(tmp.path() / "SBK");
        writeBytes(dataPath(), "schedule data");
        writeBytes(popPath("Pop1.dfm"), "pop one");
        ASSERT_TRUE(backUp(BackupKind::Schedule, source, 3, now));
        writeBytes(dataPath(), "edited later");
        writeBytes(popPath("Pop1.dfm"), "edited pop");
        writeBytes(popPath("Pop1.$$$"), "unsaved");
        c.spoil(*this);

        std::string error;
        std::optional<FileSizeLimit> limit;
        if (c.fullDisk) {
            limit.emplace(kDiskRoom);
        }
        const auto restored = copyBack(BackupKind::Schedule, tmp.dir(), 1, &error);
        limit.reset();
        EXPECT_EQ(restored, std::nullopt);
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(readBytes(dataPath()), "edited later");
        EXPECT_EQ(readBytes(popPath("Pop1.dfm")), "edited pop") << "no side file of another generation";
        EXPECT_EQ(readBytes(popPath("Pop1.$$$")), "unsaved");
    }
}

} // namespace
} // namespace velmora
