#include "ReminderTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

using namespace velmora;
using velmora::test::cp932;
using velmora::test::readBytes;
using velmora::test::ReminderFixture;
using velmora::test::writeBytes;
using Lines = std::vector<std::string>;

TEST(ShowReminder, AutoCloseRunsTheProgramsVerbatimAndOpensNothing) {
    ReminderFixture f("2026/12/08 09:30:00");
    writeBytes(f.home.file("2026120800.hsk"), cp932("メモ\r\nEXEC \"calc.exe\" \"; rm -rf ~\"\r\n"
                                                    "exec ,/opt/tools/notify,\"a b\",extra\r\nEXEC \r\nautoclose\r\n"));
    f.list(EntryKind::Dated, "2026/12/08", {"自動"});
    f.set(ScheduleSection::Popup, "2026/12/08-00", "0,1,09,30,1");
    f.reminders().popupProc(true);
    f.tick();
    EXPECT_EQ(f.windows.launches,
              (std::vector<Lines>{{"calc.exe", "; rm -rf ~", ""}, {"/opt/tools/notify", "a b", "/opt/tools/"}}));
    EXPECT_EQ(f.windows.events, (Lines{"launch calc.exe", "launch /opt/tools/notify"})) << "no window, no sound";
    EXPECT_EQ(f.value(ScheduleSection::PopupStat, "2026/12/08-00"), "");
    EXPECT_EQ(f.reminders().popupCascadeCount(), 0);
}

TEST(ShowReminder, ProgramsStartBeforeTheWindowOpens) {
    ReminderFixture f;
    writeBytes(f.home.file("WEEK300.hsk"), "EXEC \"/bin/tool\"\r\n");
    EXPECT_TRUE(f.reminders().showReminder("定例 ", "WEEK3-00"));
    EXPECT_EQ(f.windows.events, (Lines{"launch /bin/tool", "fresh WEEK3-00 定例"}));
}

TEST(ShowReminder, TheSecretMovesIntoTheSupplementFile) {
    ReminderFixture f;
    f.secrets.values["MONTH08-00"] = "EXEC ,tool\n手順書を見る";
    EXPECT_TRUE(f.reminders().showReminder("月次", "MONTH08-00"));
    EXPECT_EQ(readBytes(f.home.file("MONTH0800.hsk")), cp932("EXEC ,tool\r\n手順書を見る"));
    EXPECT_TRUE(f.secrets.values.empty());
    EXPECT_EQ(f.windows.launches, (std::vector<Lines>{{"tool", "", ""}}));

    f.store.section(ScheduleSection::PopupStat).clear();
    EXPECT_TRUE(f.reminders().showReminder("月次", "MONTH08-00")) << "now from the file";
    EXPECT_EQ(f.windows.launches.size(), 2u);
}

// A secret moved out of the per-user store once landed in a file every user
// could read.
TEST(ShowReminder, AMovedSecretIsReadableByItsOwnerOnly) {
    namespace fs = std::filesystem;
    constexpr fs::perms kShared = fs::perms::group_all | fs::perms::others_all;
    struct Case {
        const char* name;
        std::optional<fs::perms> existing; // the supplement file before, with this mode
        bool moved;
    };
    const Case cases[] = {
        {"a new file", std::nullopt, true},
        {"a file the group could read and write", fs::perms(0664), true},
        {"a file everybody could read", fs::perms(0644), true},
        {"a read-only file keeps the secret in the store", fs::perms(0444), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReminderFixture f;
        const std::string file = f.home.file("2026120800.hsk");
        if (c.existing) {
            writeBytes(file, "old notes\r\n");
            fs::permissions(file, *c.existing);
        }
        f.secrets.values["2026/12/08-00"] = "EXEC ,/bin/vpn,password";
        EXPECT_TRUE(f.reminders().showReminder("接続", "2026/12/08-00"));
        EXPECT_EQ(f.windows.launches, (std::vector<Lines>{{"/bin/vpn", "password", "/bin/"}}));
        EXPECT_EQ(fs::status(file).permissions() & kShared, fs::perms::none);
        if (c.moved) {
            EXPECT_EQ(readBytes(file), "EXEC ,/bin/vpn,password");
            EXPECT_TRUE(f.secrets.values.empty());
        } else {
            EXPECT_EQ(readBytes(file), "old notes\r\n");
            EXPECT_EQ(f.secrets.values.size(), 1u) << "it waits for a writable file";
        }
    }
}

TEST(ShowReminder, OnlyTheFourKeyFormsNameASupplementFile) {
    ReminderFixture f;
    writeBytes(f.home.file("..hsk"), "EXEC ,bad\r\nAutoClose\r\n");
    f.secrets.values["../x"] = "EXEC ,bad";
    EXPECT_TRUE(f.reminders().showReminder("変", "../x"));
    EXPECT_TRUE(f.windows.launches.empty());
    EXPECT_EQ(f.secrets.values.size(), 1u);
}

TEST(ShowReminder, PatternsAndIntervalsKeepAWindowShut) {
    ReminderFixture f; // 2026/12/08
    f.settings.popupWithPtn = 1;
    f.settings.ptnStr = "1000000";
    f.set(ScheduleSection::PtnOpt, "2026/12/08-00", "010000");
    f.set(ScheduleSection::PtnOpt, "2026/12/08-01", "100000");
    f.set(ScheduleSection::IntOpt, "2026/12/08-02", "1,0,0,20261201");
    EXPECT_FALSE(f.reminders().showReminder("a", "2026/12/08-00"));
    EXPECT_TRUE(f.reminders().showReminder("b", "2026/12/08-01"));
    EXPECT_FALSE(f.reminders().showReminder("c", "2026/12/08-02")) << "every other week from 12/01";
    f.settings.popupWithPtn = 0;
    EXPECT_TRUE(f.reminders().showReminder("a", "2026/12/08-00"));
}

TEST(ShowReminder, ASavedWindowReopensUnlessClosedInThisMinute) {
    ReminderFixture f;
    writeBytes(f.home.file("POP0001.dfm"), "state");
    f.set(ScheduleSection::PopupFile, "2026/12/08-00", "POP0001.dfm");
    f.set(ScheduleSection::ColorOpt, "2026/12/08-00", "-255");
    f.clock.set(*fileModifiedAt(f.home.file("POP0001.dfm")));
    EXPECT_FALSE(f.reminders().showReminder("保存", "2026/12/08-00"));
    EXPECT_TRUE(f.windows.events.empty());

    f.clock.advanceMinutes(1);
    EXPECT_TRUE(f.reminders().showReminder(" 保存 ", "2026/12/08-00"));
    EXPECT_EQ(f.windows.events, Lines{"saved " + f.home.file("POP0001.dfm") + " 2026/12/08-00 保存 255"});
    EXPECT_EQ(f.value(ScheduleSection::PopupStat, "2026/12/08-00"), "1");
    EXPECT_EQ(f.reminders().popupCascadeCount(), 1);
}

TEST(ShowReminder, AStateFileOutsideTheFolderOrMissingIsForgotten) {
    ReminderFixture f;
    std::filesystem::create_directory(f.home.file("data"));
    f.store.setPath(f.home.file("data/Schedule.dat"));
    writeBytes(f.home.file("x.dfm"), "outside");
    f.set(ScheduleSection::PopupFile, "2026/12/08-00", "../x.dfm");
    f.set(ScheduleSection::PopupFile, "2026/12/08-01", "POP0009.dfm");
    EXPECT_TRUE(f.reminders().showReminder("外", "2026/12/08-00"));
    EXPECT_TRUE(f.reminders().showReminder("無", "2026/12/08-01"));
    EXPECT_EQ(f.windows.events, (Lines{"fresh 2026/12/08-00 外", "fresh 2026/12/08-01 無"}));
    EXPECT_TRUE(f.store.section(ScheduleSection::PopupFile).empty());
    EXPECT_TRUE(std::filesystem::exists(f.home.file("x.dfm")));
}

TEST(ShowReminder, FreshWindowsCascadeAndStayOnTheScreen) {
    struct Case {
        int center;
        ScreenSize screen;
        int points;
        std::vector<ReminderGeometry> expected; // "abc ": 40 px + 8 wide
    };
    const Case cases[] = {
        {0, {1000, 600}, 16, {{942, 0, 48, 30}, {942, 33, 48, 30}, {942, 66, 48, 30}, {942, 99, 48, 30}}},
        {0, {1000, 600}, 9, {{942, 0, 48, 20}, {942, 22, 48, 20}, {942, 44, 48, 20}, {942, 66, 48, 20}}},
        {0, {1000, 100}, 16, {{942, 0, 48, 30}, {942, 33, 48, 30}, {942, 66, 48, 30}, {942, 70, 48, 30}}},
        {1, {1001, 601}, 16, {{430, 230, 48, 30}, {440, 240, 48, 30}, {450, 250, 48, 30}, {460, 260, 48, 30}}},
    };
    for (const Case& c : cases) {
        ReminderFixture f;
        f.settings.center = c.center;
        f.settings.font(FontPart::Fusen).size = c.points;
        f.screen = c.screen;
        for (int i = 0; i < 4; ++i) {
            EXPECT_TRUE(f.reminders().showReminder("abc ", "2026/12/08-0" + std::to_string(i)));
        }
        EXPECT_EQ(f.windows.geometries, c.expected) << c.center << " " << c.points << " " << c.screen.height;
        EXPECT_EQ(f.reminders().popupCascadeCount(), 4);
    }
}

TEST(ShowReminder, TheSweepDeletesOnlyUnlistedStateFiles) {
    ReminderFixture f;
    for (const char* name : {"POP0001.dfm", "POP0002.dfm", "POP0003.dfm", "pop0004.dfm", "POP0005.txt"}) {
        writeBytes(f.home.file(name), "x");
    }
    f.set(ScheduleSection::PopupFile, "2026/12/08-00", "POP0001.dfm");
    f.set(ScheduleSection::PopupFile, "2026/12/08-01", "pop0002.dfm");
    std::vector<std::string> deleted = f.reminders().sweepOrphanStateFiles();
    std::sort(deleted.begin(), deleted.end());
    EXPECT_EQ(deleted, (Lines{"POP0002.dfm", "POP0003.dfm"}));
    for (const char* kept : {"POP0001.dfm", "pop0004.dfm", "POP0005.txt"}) {
        EXPECT_TRUE(std::filesystem::exists(f.home.file(kept))) << kept;
    }
    EXPECT_FALSE(std::filesystem::exists(f.home.file("POP0002.dfm")));
}

// The sweep once took any "POP*.dfm" for a reminder's saved window, and the
// windows of every other schedule file in the folder for orphans.
TEST(ShowReminder, TheSweepTakesOnlyStateFilesNoScheduleFileOfTheFolderNames) {
    ReminderFixture f;
    for (const char* name : {"POP0001.dfm", "POP0002.dfm", "POP0003.dfm", "POP0004.dfm", "POP0005.dfm", "POP0006.dfm",
                             "POPUPMenu.dfm", "POP12345.dfm", "POP001.dfm", "POPabcd.dfm", "POP0007.DFM"}) {
        writeBytes(f.home.file(name), "x");
    }
    f.set(ScheduleSection::PopupFile, "2026/12/08-00", "POP0001.dfm");
    writeBytes(f.home.file("Schedule.dat"), "[POPUPFILE]\r\n2026/12/08-01=POP0006.dfm\r\n");
    writeBytes(f.home.file("仕事.dat"),
               cp932("[DAY]\r\n2026/12/24=\"会議\"\r\n[POPUPFILE]\r\nWEEK3-00=POP0003.dfm\r\n"));
    writeBytes(f.home.file("OLD.DAT"), "[popupfile]\r\nMONTH08-00=\"POP0004.dfm\"\r\n");
    writeBytes(f.home.file("notes.txt"), "[POPUPFILE]\r\nWEEK3-00=POP0005.dfm\r\n");
    std::filesystem::create_directory(f.home.file("Folder.dat"));

    std::vector<std::string> deleted = f.reminders().sweepOrphanStateFiles();
    std::sort(deleted.begin(), deleted.end());
    EXPECT_EQ(deleted, (Lines{"POP0002.dfm", "POP0005.dfm", "POP0006.dfm"}))
        << "this file's names come from memory, not from its copy on disk";
    for (const char* kept : {"POP0001.dfm", "POP0003.dfm", "POP0004.dfm", "POPUPMenu.dfm", "POP12345.dfm", "POP001.dfm",
                             "POPabcd.dfm", "POP0007.DFM"}) {
        EXPECT_TRUE(std::filesystem::exists(f.home.file(kept))) << kept;
    }
}

TEST(ShowReminder, AScheduleFileOfTheFolderThatCannotBeReadStopsTheSweep) {
    ReminderFixture f;
    writeBytes(f.home.file("POP0002.dfm"), "x");
    writeBytes(f.home.file("Other.dat"), "[POPUPFILE]\r\nWEEK3-00=POP0003.dfm\r\n");
    // Its POPUPFILE section cannot be known: a loop of links cannot be opened.
    std::filesystem::create_symlink("Loop.dat", f.home.file("Loop.dat"));
    EXPECT_TRUE(f.reminders().sweepOrphanStateFiles().empty());
    EXPECT_TRUE(std::filesystem::exists(f.home.file("POP0002.dfm")));

    std::filesystem::remove(f.home.file("Loop.dat"));
    EXPECT_EQ(f.reminders().sweepOrphanStateFiles(), (Lines{"POP0002.dfm"}));
}
