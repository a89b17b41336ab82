// What the user stored must survive every command that writes the schedule
// file: memo lists taken over from old files, bytes that do not decode, the
// first of duplicate keys and other computers' entries; commands that only
// read write nothing, and a refused unlock says why.
#include "CliRunner.h"
#include "core/ProfileFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace velmora::test;

namespace {

namespace fs = std::filesystem;

struct Home {
    TempDir dir;

    std::string schedulePath() const { return dir.file("Schedule/Schedule.dat"); }
    void writeSchedule(std::string_view bytes) const {
        fs::create_directories(dir.path() / "Schedule");
        writeBytes(schedulePath(), bytes);
    }
    std::string schedule() const { return readBytes(schedulePath()); }
    CliResult run(const std::string& args, const std::string& computer = "PC-A") const {
        return runCli("--home " + dir.dir() + " " + args, "VELMORA_COMPUTERNAME=" + computer);
    }
    // Where the program keeps a file, as `paths` says (the memo file goes
    // beside the schedule file or into Memo/ depending on the folders).
    std::string pathOf(const std::string& name) const {
        const CliResult r = run("paths");
        EXPECT_EQ(r.status, 0) << r.err;
        for (const std::string& line : outputLines(r.out)) {
            if (line.rfind(name + "\t", 0) == 0) {
                return line.substr(name.size() + 1);
            }
        }
        ADD_FAILURE() << "paths names no " << name << ":\n" << r.out;
        return {};
    }
    std::string read(const std::string& section, const std::string& key) const {
        velmora::ProfileFile f(schedulePath());
        f.load();
        return f.readString(section, key, "<absent>");
    }
};

bool contains(const std::string& bytes, const std::string& part) {
    return bytes.find(part) != std::string::npos;
}

} // namespace

TEST(DataSafetyCli, TheMemoListOfAnOldScheduleFileMovesIntoTheMemoFileWhenTheScheduleIsSaved) {
    // Older versions kept the memo list in the schedule file; a save of the
    // schedule no longer writes those sections, so they must be elsewhere first.
    for (const char* command : {"add 2024/03/02 x", "unlock"}) {
        SCOPED_TRACE(command);
        Home home;
        home.writeSchedule("[DAY]\r\n2024/03/01=\"Zoo trip \"\r\n"
                           "[MEMOFILE]\r\n0=MEMO0000.dfm\r\n3=MEMO0003.dfm\r\n"
                           "[MEMOOPT]\r\nMEMO0000.dfm=0210\r\nMEMO0000.dfm-Color=255\r\n"
                           "[COMPUTER]\r\nCOMPUTER=PC-A\r\n");
        const std::string memoPath = home.pathOf("MemoFilePath");
        ASSERT_FALSE(fs::exists(memoPath));

        const CliResult r = home.run(command);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(contains(home.schedule(), "\r\n2024/03/01=\"Zoo trip \"\r\n")) << home.schedule();

        ASSERT_TRUE(fs::exists(memoPath)) << memoPath;
        velmora::ProfileFile memo(memoPath);
        memo.load();
        EXPECT_EQ(memo.readString("MEMOFILE", "0", "<absent>"), "MEMO0000.dfm");
        EXPECT_EQ(memo.readString("MEMOFILE", "3", "<absent>"), "MEMO0003.dfm");
        EXPECT_EQ(memo.readString("MEMOOPT", "MEMO0000.dfm", "<absent>"), "0210");
        EXPECT_EQ(memo.readString("MEMOOPT", "MEMO0000.dfm-Color", "<absent>"), "255");
    }
}

TEST(DataSafetyCli, CommandsThatOnlyReadMakeNoMemoFile) {
    for (const char* command : {"hit 10 10", "day 2024/03/01", "--today 2024/03/01 reminders"}) {
        SCOPED_TRACE(command);
        Home home;
        home.writeSchedule("[DAY]\r\n2024/03/01=\"Zoo trip \"\r\n[COMPUTER]\r\nCOMPUTER=PC-A\r\n");
        const std::string memoPath = home.pathOf("MemoFilePath");
        ASSERT_FALSE(fs::exists(memoPath));
        const CliResult r = home.run(command);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_FALSE(fs::exists(memoPath)) << "made " << memoPath;
    }
}

TEST(DataSafetyCli, UnlockWithoutTheLockSaysWhyAndWritesNothing) {
    Home home;
    // Owned by PC-A and free: PC-B holds nothing to release and may not save.
    const std::string free = "[DAY]\r\n2024/03/01=\"Zoo trip \"\r\n[COMPUTER]\r\nCOMPUTER=PC-A\r\n";
    home.writeSchedule(free);
    const CliResult notHeld = home.run("unlock", "PC-B");
    EXPECT_EQ(notHeld.status, 1);
    EXPECT_TRUE(contains(notHeld.err, "ロックはかかっていません")) << notHeld.err;
    EXPECT_FALSE(contains(notHeld.err, "更新中です")) << notHeld.err;
    EXPECT_EQ(home.schedule(), free);

    // Locked by PC-C: the message names who holds it.
    const std::string locked = free + "UPDATEUSER=PC-C\r\n";
    home.writeSchedule(locked);
    const CliResult heldByOther = home.run("unlock", "PC-B");
    EXPECT_EQ(heldByOther.status, 1);
    EXPECT_TRUE(contains(heldByOther.err, "ユーザーPC-Cが更新中です")) << heldByOther.err;
    EXPECT_EQ(home.schedule(), locked);
}

TEST(DataSafetyCli, TwoComputersTakingTurnsLoseNoEntry) {
    Home home;
    std::string expected[5];
    for (int round = 1; round <= 20; ++round) {
        const std::string date = "2027/01/0" + std::to_string(round % 5 + 1);
        for (const char* computer : {"A", "B"}) {
            const std::string text = std::string(computer) + "-" + std::to_string(round);
            const CliResult r = home.run("add " + date + " " + text + " --yes", std::string("PC-") + computer);
            ASSERT_EQ(r.status, 0) << text << ": " << r.err;
            std::string& list = expected[round % 5];
            list += (list.empty() ? "\"" : ",\"") + text + " \"";
        }
    }
    const std::string after = home.schedule();
    for (int day = 1; day <= 5; ++day) {
        const std::string line = "2027/01/0" + std::to_string(day) + "=" + expected[day - 1] + "\r\n";
        EXPECT_TRUE(contains(after, "\r\n" + line)) << line << after;
    }
    EXPECT_EQ(home.read("COMPUTER", "UPDATEUSER"), "");
    EXPECT_EQ(home.read("COMPUTER", "LASTUPDATEUSER"), "PC-B");
}

TEST(DataSafetyCli, AnAddKeepsBytesThatDoNotDecodeAndSavesTheWaveDash) {
    Home home;
    // 0x81 0x20 is no CP932 character; the line must come back as it was.
    const std::string undecodable = "2024/01/05=\"\x81\x20"
                                    "abc \"\r\n";
    home.writeSchedule("[DAY]\r\n" + undecodable + "[COMPUTER]\r\nCOMPUTER=PC-A\r\n");

    const CliResult r = home.run("add 2024/01/06 '会議 10:00〜12:00'");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string after = home.schedule();
    EXPECT_TRUE(contains(after, "\r\n" + undecodable)) << after;
    // 会議 is 0x89EF 0x8B63; the wave dash is saved as 0x8160.
    EXPECT_TRUE(contains(after, "\r\n2024/01/06=\"\x89\xef\x8b\x63 10:00\x81\x60"
                                "12:00 \"\r\n"))
        << after;
}

TEST(DataSafetyCli, TheFirstOfDuplicateKeysStaysTheOneShownAfterASave) {
    Home home;
    home.writeSchedule("[DAY]\r\n2024/03/01=\"Zoo trip \"\r\n2024/03/01=\"Aquarium \"\r\n"
                       "[COMPUTER]\r\nCOMPUTER=PC-A\r\n");
    const CliResult added = home.run("add 2024/03/02 x");
    ASSERT_EQ(added.status, 0) << added.err;

    const CliResult day = home.run("day 2024/03/01");
    ASSERT_EQ(day.status, 0) << day.err;
    const auto rows = outputLines(day.out);
    ASSERT_EQ(rows.size(), 1u) << day.out;
    EXPECT_EQ(rows[0].substr(rows[0].rfind('\t') + 1), "Zoo trip ");

    // The second line is not dropped either, and stays second.
    const std::string after = home.schedule();
    const auto zoo = after.find("2024/03/01=\"Zoo trip \"\r\n");
    const auto aquarium = after.find("2024/03/01=\"Aquarium \"\r\n");
    ASSERT_NE(zoo, std::string::npos) << after;
    ASSERT_NE(aquarium, std::string::npos) << after;
    EXPECT_LT(zoo, aquarium);
}
