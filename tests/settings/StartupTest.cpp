#include "settings/Startup.h"

#include "core/DateText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <unistd.h>

using namespace velmora;
using velmora::test::cp932;
using velmora::test::readBytes;
using velmora::test::TempDir;
using velmora::test::writeBytes;
namespace fs = std::filesystem;

namespace {

StartupEnvironment environmentFor(const std::string& programDir, const char* today = "2026/12/08") {
    return StartupEnvironment{programDir, "PC-01", ScreenSize{1920, 1080}, *parseDate(today), nullptr};
}

const std::string kKeptLines = VELMORA_TEST_DATA_DIR "/settings/kept-lines-calendar.ini";

// A template that would be noticed if it were read or copied.
void writeFirstIni(const TempDir& dir) {
    writeBytes(dir.file("first.ini"), "[SYSTEM]\r\nADJST=2\r\n");
}

} // namespace

TEST(Startup, FirstIniIsCopiedOnlyWhenTheSettingsFileIsAbsent) {
    TempDir dir;
    writeBytes(dir.file("first.ini"), "[SYSTEM]\r\nKaishi=1\r\n");
    StartupState state = runStartup(environmentFor(dir.dir()));
    loadSettings(state);
    EXPECT_EQ(state.settings.kaishi, 1);
    EXPECT_EQ(readBytes(dir.file("calendar.ini")), "[SYSTEM]\r\nKaishi=1\r\n");

    writeBytes(dir.file("calendar.ini"), "[SYSTEM]\r\nKaishi=0\r\n");
    writeBytes(dir.file("first.ini"), "[SYSTEM]\r\nKaishi=1\r\nADJST=2\r\n");
    runStartup(environmentFor(dir.dir()));
    EXPECT_EQ(readBytes(dir.file("calendar.ini")), "[SYSTEM]\r\nKaishi=0\r\n") << "an existing file is never replaced";
}

TEST(Startup, DataFilesResolveAgainstTheProgramFolder) {
    TempDir dir;
    const std::string app = dir.dir() + "app/";
    fs::create_directories(app + "data");
    writeBytes(app + "Schedule.dat", "");
    writeBytes(app + "data/Other.dat", "");
    writeBytes(app + "calendar.ini", cp932("[SYSTEM]\r\nScheduleFile=Schedule.dat\r\nMemoDataFile=nowhere\\Memo.dat\r\n"
                                           "[SCHFILE]\r\n3=data\\Other.dat\r\n[MEMODATA]\r\n0=..\\Memo.dat\r\n"));
    // Started from another folder: relative names still mean the program folder.
    const fs::path cwd = fs::current_path();
    fs::current_path(dir.path());
    const StartupState state = runStartup(environmentFor(app));
    fs::current_path(cwd);

    EXPECT_EQ(state.locations.settingsPath, app + "calendar.ini");
    EXPECT_EQ(state.locations.scheduleFilePath, app + "Schedule.dat");
    // The memo file named does not exist, the schedule file does: beside it.
    EXPECT_EQ(state.locations.memoFilePath, app + "Memo.dat");
    EXPECT_EQ(state.settings.recentScheduleFiles, std::vector<std::string>{app + "data/Other.dat"});
    EXPECT_EQ(state.settings.recentMemoFiles, std::vector<std::string>{dir.dir() + "Memo.dat"});
    EXPECT_EQ(state.locations.calendarBitmapPath, app + "calendar.bmp");
    EXPECT_EQ(state.locations.blankBitmapPath, app + "blank.bmp");
    EXPECT_EQ(state.locations.computerName, "PC-01");
}

TEST(Startup, MissingDataFilesFallBackToTheirFolders) {
    TempDir dir;
    const StartupState state = runStartup(environmentFor(dir.dir()));
    EXPECT_EQ(state.locations.scheduleFilePath, dir.dir() + "Schedule/Schedule.dat");
    EXPECT_EQ(state.locations.memoFilePath, dir.dir() + "Memo/Memo.dat");
    EXPECT_TRUE(fs::is_directory(dir.file("Schedule")));
    EXPECT_TRUE(fs::is_directory(dir.file("Memo")));
    EXPECT_FALSE(fs::exists(dir.file("calendar.ini"))) << "written at the first save only";
}

TEST(Startup, TheDisplayedMonthFollowsForth) {
    const DateValue march15 = *parseDate("2025/03/15");
    const struct {
        int forth;
        const char* expected;
    } rows[] = {
        {0, "2026/12/01"},
        {march15.dayNumber(), "2025/03/01"},
        {march15.startOfMonth().dayNumber(), "2025/03/01"},
        {99999999, "2026/12/01"}, // a damaged value shows the current month
        {-800000, "2026/12/01"},
    };
    for (const auto& row : rows) {
        TempDir dir;
        writeBytes(dir.file("calendar.ini"), "[SYSTEM]\r\nForth=" + std::to_string(row.forth) + "\r\n");
        const StartupState state = runStartup(environmentFor(dir.dir()));
        EXPECT_EQ(formatDate(state.displayMonth), row.expected) << row.forth;
        EXPECT_EQ(state.todayText, "2026/12/08");
        EXPECT_EQ(formatDate(state.thisMonthStart), "2026/12/01");
    }
}

TEST(Startup, SaveMakesTheDataFilesRelativeAndRemembersTheMonth) {
    TempDir dir;
    StartupState state = runStartup(environmentFor(dir.dir()));
    loadSettings(state);
    state.displayMonth = *parseDate("2027/01/01");
    std::string error;
    ASSERT_TRUE(saveSettings(state, &error)) << error;
    ProfileFile saved(dir.file("calendar.ini"));
    saved.load();
    EXPECT_EQ(saved.read("SYSTEM", "ScheduleFile"), "Schedule\\Schedule.dat");
    EXPECT_EQ(saved.read("SYSTEM", "MemoDataFile"), "Memo\\Memo.dat");
    EXPECT_EQ(saved.read("SYSTEM", "Forth"), std::to_string(parseDate("2027/01/01")->dayNumber()));
    EXPECT_EQ(saved.read("SYSTEM", "Lastdate"), "2026/12/08");

    // The next start shows the month the user had moved to.
    EXPECT_EQ(formatDate(runStartup(environmentFor(dir.dir())).displayMonth), "2027/01/01");
}

TEST(ProgramDir, ChosenInOrderAndThePerUserFolderIsSeeded) {
    TempDir dir;
    const auto writable = [](const std::string&) { return true; };
    const auto readOnly = [](const std::string&) { return false; };
    ProgramDirInputs in{"", "", dir.dir() + "bin", dir.dir() + "xdg", dir.dir() + "home"};
    EXPECT_EQ(chooseProgramDir(in, writable), dir.dir() + "bin/");
    EXPECT_EQ(chooseProgramDir(in, readOnly), dir.dir() + "xdg/Velmora/");
    EXPECT_TRUE(fs::exists(dir.dir() + "xdg/Velmora/first.ini")) << "seeded from the templates";

    writeBytes(dir.dir() + "xdg/Velmora/first.ini", "mine");
    chooseProgramDir(in, readOnly);
    EXPECT_EQ(readBytes(dir.dir() + "xdg/Velmora/first.ini"), "mine") << "a seeded file is never replaced";

    in.xdgDataHome.clear();
    EXPECT_EQ(chooseProgramDir(in, readOnly), dir.dir() + "home/.local/share/Velmora/");
    in.environmentHome = dir.dir() + "env";
    EXPECT_EQ(chooseProgramDir(in, writable), dir.dir() + "env/");
    in.commandLineHome = dir.dir() + "cli/";
    EXPECT_EQ(chooseProgramDir(in, writable), dir.dir() + "cli/");
    EXPECT_TRUE(fs::exists(dir.dir() + "cli/Yasumi.dat")) << "any program folder gets the templates it lacks";
}

// Past fault: a save after a failed read wrote the defaults over the file and
// dropped [HOLIDAY] and every key the program does not know.
TEST(Startup, ASettingsFileWithoutReadPermissionIsNeverWrittenOver) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "running as root: a file without read permission still reads";
    }
    TempDir dir;
    writeFirstIni(dir);
    const std::string path = dir.file("calendar.ini");
    fs::copy_file(kKeptLines, path);
    const std::string before = readBytes(path);
    fs::permissions(path, fs::perms::none);

    StartupState state = runStartup(environmentFor(dir.dir()));
    EXPECT_EQ(state.settings.adjst, 99) << "the defaults, not first.ini";
    std::string error;
    EXPECT_FALSE(loadSettings(state, &error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(saveSettings(state, &error));
    EXPECT_FALSE(error.empty());

    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(readBytes(path), before);
}

// The same for names that no user can read as a file, root included.
TEST(Startup, ASettingsPathThatCannotBeReadIsNeverReplacedOrWritten) {
    const struct {
        const char* what;
        void (*make)(const std::string& path);
        bool (*unchanged)(const std::string& path);
    } rows[] = {
        {"a folder named calendar.ini",
         [](const std::string& path) {
             fs::create_directory(path);
             writeBytes(path + "/inside.txt", "mine");
         },
         [](const std::string& path) {
             return fs::is_directory(path) && readBytes(path + "/inside.txt") == "mine" &&
                    std::distance(fs::directory_iterator(path), fs::directory_iterator()) == 1;
         }},
        {"a link that leads to itself", [](const std::string& path) { fs::create_symlink("calendar.ini", path); },
         [](const std::string& path) {
             return fs::is_symlink(fs::symlink_status(path)) && fs::read_symlink(path) == "calendar.ini";
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TempDir dir;
        writeFirstIni(dir);
        const std::string path = dir.file("calendar.ini");
        row.make(path);

        StartupState state = runStartup(environmentFor(dir.dir()));
        EXPECT_TRUE(row.unchanged(path)) << "first.ini is copied only where nothing is";
        EXPECT_EQ(state.settings.adjst, 99);
        std::string error;
        EXPECT_FALSE(loadSettings(state, &error));
        EXPECT_FALSE(error.empty());
        error.clear();
        EXPECT_FALSE(saveSettings(state, &error));
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(row.unchanged(path));
    }
}

TEST(Startup, ALoadThatCannotReadKeepsTheSettingsInMemory) {
    TempDir dir;
    const std::string path = dir.file("calendar.ini");
    fs::copy_file(kKeptLines, path);
    StartupState state = runStartup(environmentFor(dir.dir()));
    ASSERT_TRUE(loadSettings(state));
    ASSERT_EQ(state.settings.kaishi, 1);

    // The options dialog changed a value; meanwhile the file became unreadable.
    state.settings.kaishi = 0;
    fs::rename(path, dir.file("moved.ini"));
    fs::create_directory(path);
    EXPECT_FALSE(loadSettings(state));
    EXPECT_EQ(state.settings.kaishi, 0) << "not the defaults, not the file";
    EXPECT_EQ(state.settings.menuOptions.value("メモを作成する"), "OFF");
    EXPECT_FALSE(saveSettings(state, nullptr));
    EXPECT_TRUE(fs::is_directory(path));
}

// Past fault: a byte that is no character in TITLETEXT or WEEKNAME made every
// settings save fail.
TEST(Startup, BytesThatAreNoCharacterSurviveASettingsSave) {
    TempDir dir;
    const std::string path = dir.file("calendar.ini");
    fs::copy_file(VELMORA_TEST_DATA_DIR "/settings/undecodable-bytes-calendar.ini", path);
    StartupState state = runStartup(environmentFor(dir.dir()));
    ASSERT_TRUE(loadSettings(state));
    std::string error;
    ASSERT_TRUE(saveSettings(state, &error)) << error;

    const std::string saved = readBytes(path);
    EXPECT_NE(saved.find(std::string("\r\nTITLETEXT=x\xFD") + "y\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\nWEEKNAME='\x81 '\r\n"), std::string::npos);

    // Read and saved again, nothing moves.
    StartupState again = runStartup(environmentFor(dir.dir()));
    ASSERT_TRUE(loadSettings(again));
    ASSERT_TRUE(saveSettings(again, &error)) << error;
    EXPECT_EQ(readBytes(path), saved);
}
