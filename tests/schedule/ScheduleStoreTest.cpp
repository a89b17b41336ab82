#include "schedule/ScheduleStore.h"

#include "core/DateText.h"
#include "core/ProfileFile.h"
#include "schedule/EntryList.h"
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

struct Computer {
    Computer(const TempDir& dir, const std::string& name, const std::string& file = "Schedule.dat")
        : clock(*parseDateTime("2026/12/08 09:30:00")), store(dir.dir(), name, clock, feedback) {
        store.setPath(dir.file(file));
        store.setRecentFiles(&recent);
    }
    FixedClock clock;
    RecordingFeedback feedback;
    std::vector<std::string> recent{"/other/Schedule.dat"};
    ScheduleStore store;
};

// The bytes of one section as the file holds it.
std::string sectionBytes(const std::string& fileBytes, const std::string& name) {
    const auto start = fileBytes.find("[" + name + "]");
    if (start == std::string::npos) {
        return {};
    }
    const auto end = fileBytes.find("\r\n[", start + 1);
    return fileBytes.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

const char* kFile = "[DAY]\r\n"
                    "2024/05/01=\"会議 \",\"say \"\"hi\"\" \"\r\n"
                    "[WEEK]\r\n"
                    "3=\"ゴミ出し \",\"体操 \"\r\n"
                    "WEEK3-01OPT=1,1,1,1,1,0\r\n"
                    "[MONTH]\r\n"
                    "15=\"給料日 \"\r\n"
                    "MONTH15-00OPT=1,1,1,0,0,0\r\n"
                    "[COLOROPT]\r\n"
                    "2024/05/01-00=-255\r\n"
                    "[POPUPFILE]\r\n"
                    "2024/05/01-00=C:\\old\\place\\POP0003.dfm\r\n"
                    "[POPUPSTAT]\r\n"
                    "2024/05/01-00=9\r\n"
                    "[COMPUTER]\r\n"
                    "COMPUTER=PC-A\r\n";

} // namespace

TEST(ScheduleKey, TheFourFormsAndNothingElse) {
    const DateValue may1 = *parseDate("2024/05/01"); // a Wednesday
    EXPECT_EQ(ScheduleKey::make(EntryKind::Dated, "", 0, may1).text(), "2024/05/01-00");
    EXPECT_EQ(ScheduleKey::make(EntryKind::Yearly, "", 1, may1).text(), "YEAR05/01-01");
    EXPECT_EQ(ScheduleKey::make(EntryKind::Monthly, "", 100, may1).text(), "MONTH01-100");
    EXPECT_EQ(ScheduleKey::make(EntryKind::Weekly, "", 3, may1).text(), "WEEK4-03");
    EXPECT_EQ(ScheduleKey::make(EntryKind::Weekly, "3", 1).text(), "WEEK3-01");
    for (const char* key : {"2024/05/01-00", "YEAR02/29-07", "MONTH31-99", "WEEK7-100"}) {
        const auto parsed = ScheduleKey::parse(key);
        ASSERT_TRUE(parsed) << key;
        EXPECT_EQ(parsed->text(), key);
    }
    for (const char* key :
         {"2024/02/30-00", "2024/5/01-00", "YEAR13/01-00", "MONTH32-00", "MONTH00-00", "WEEK8-00", "WEEK3-1",
          "WEEK3-007", "2024/05/01", "../../etc/passwd-00", "2024/05/01-00OPT", "YEAR05/01-01/../x", ""}) {
        EXPECT_FALSE(ScheduleKey::parse(key)) << key;
    }
    EXPECT_EQ(supplementFileName("2024/05/01-00"), "2024050100.hsk");
    EXPECT_EQ(supplementFileName("YEAR05/01-01"), "YEAR050101.hsk");
    EXPECT_EQ(supplementFileName("../secret-00"), std::nullopt);
    EXPECT_TRUE(isPlainFileName("POP0003.dfm"));
    for (const char* name : {"", ".", "..", "../POP0003.dfm", "sub/x.dfm", "C:\\x.dfm", "a\nb"}) {
        EXPECT_FALSE(isPlainFileName(name)) << name;
    }
}

TEST(ScheduleStore, LoadKeepsEntryListsAsTheFileHoldsThem) {
    TempDir dir;
    writeBytes(dir.file("Schedule.dat"), cp932(kFile));
    Computer a(dir, "PC-A");
    a.store.load();
    const NameValueList& day = a.store.section(ScheduleSection::Day);
    EXPECT_EQ(day.value("2024/05/01"), "\"会議 \",\"say \"\"hi\"\" \"");
    EXPECT_EQ(parseEntryList(day.value("2024/05/01")), (std::vector<std::string>{"会議 ", "say \"hi\" "}));
    const NameValueList& week = a.store.section(ScheduleSection::Week);
    EXPECT_EQ(week.value("3"), "\"ゴミ出し \",\"体操 \"");
    EXPECT_EQ(week.value("WEEK3-01OPT"), "1,1,1,1,1,0"); // rule values get no quotes
    EXPECT_EQ(a.store.section(ScheduleSection::Month).value("MONTH15-00OPT"), "1,1,1,0,0,0");
    EXPECT_EQ(a.store.section(ScheduleSection::ColorOpt).value("2024/05/01-00"), "-255");
    EXPECT_EQ(a.store.section(ScheduleSection::PopupFile).value("2024/05/01-00"), "POP0003.dfm");
    EXPECT_TRUE(a.store.section(ScheduleSection::PopupStat).empty()) << "reminder states are never read";
    EXPECT_TRUE(a.store.ownership().ownsFile);
    EXPECT_EQ(a.recent, (std::vector<std::string>{dir.file("Schedule.dat"), "/other/Schedule.dat"}));
    EXPECT_TRUE(a.store.watch().isRunning());
    EXPECT_FALSE(a.store.hasUnsavedEdits());
}

TEST(ScheduleStore, ANewFileBelongsToTheComputerThatMadeIt) {
    TempDir dir;
    Computer a(dir, "PC-A");
    a.store.load();
    EXPECT_EQ(readBytes(dir.file("Schedule.dat")), "[COMPUTER]\r\nCOMPUTER=PC-A\r\n");

    writeBytes(dir.file("Yasumi.dat"), cp932("[YEAR]\r\n01/01=\"元日 \"\r\n"));
    Computer b(dir, "PC-B", "New.dat");
    b.store.load();
    EXPECT_EQ(readBytes(dir.file("New.dat")), cp932("[YEAR]\r\n01/01=\"元日 \"\r\n[COMPUTER]\r\nCOMPUTER=PC-B\r\n"));
    EXPECT_EQ(b.store.section(ScheduleSection::Year).value("01/01"), "\"元日 \"");
}

TEST(ScheduleStore, SaveWritesOnlyWhatChangedAndStampsTheRelease) {
    TempDir dir;
    writeBytes(dir.file("Schedule.dat"), cp932(kFile));
    Computer a(dir, "PC-A");
    a.store.load();
    ASSERT_EQ(a.store.save(true), SaveResult::Saved);
    const std::string once = readBytes(dir.file("Schedule.dat"));
    EXPECT_EQ(sectionBytes(once, "DAY"), sectionBytes(cp932(kFile), "DAY")) << "an unchanged list is not touched";
    ASSERT_EQ(a.store.save(true), SaveResult::Saved);
    EXPECT_EQ(sectionBytes(readBytes(dir.file("Schedule.dat")), "DAY"), sectionBytes(once, "DAY"));

    a.store.section(ScheduleSection::PopupStat).set("2024/05/01-00", "1");
    const ScheduleKey key = a.store.appendEntry(EntryKind::Dated, *parseDate("2024/04/30"), "  歯医者 \"午後\"  ");
    EXPECT_EQ(key.text(), "2024/04/30-00");
    EXPECT_TRUE(a.store.hasUnsavedEdits());
    a.clock.set(*parseDateTime("2026/12/08 10:15:42"));
    ASSERT_EQ(a.store.save(true), SaveResult::Saved);
    EXPECT_FALSE(a.store.hasUnsavedEdits());

    ProfileFile saved(dir.file("Schedule.dat"));
    saved.load();
    // Sorted, and a text with quotes reads back as typed.
    EXPECT_EQ(saved.keyNames("DAY"), (std::vector<std::string>{"2024/04/30", "2024/05/01"}));
    EXPECT_EQ(saved.readSection("DAY").line(0), "2024/04/30=歯医者 \"\"午後\"\" ");
    EXPECT_EQ(saved.read("POPUPSTAT", "2024/05/01-00"), "1");
    EXPECT_EQ(saved.read("COMPUTER", "UPDATEUSER"), "");
    EXPECT_EQ(saved.read("COMPUTER", "LASTUPDATEUSER"), "PC-A");
    EXPECT_EQ(saved.read("COMPUTER", "LASTUPDATE"), "2026/12/08 10:15:42");

    Computer again(dir, "PC-A");
    again.store.load();
    EXPECT_EQ(parseEntryList(again.store.section(ScheduleSection::Day).value("2024/04/30")),
              std::vector<std::string>{"歯医者 \"午後\" "});
    EXPECT_EQ(again.store.watch().knownAge(), fileAge(dir.file("Schedule.dat"))) << "our own write is known";
}

TEST(ScheduleStore, AFileForAllUsersKeepsItsOwner) {
    TempDir dir;
    writeBytes(dir.file("Schedule.dat"), "[COMPUTER]\r\nCOMPUTER=alluser\r\n");
    Computer b(dir, "PC-B");
    b.store.load();
    EXPECT_TRUE(b.store.ownership().ownsFile);
    EXPECT_TRUE(b.store.ownership().forAllUsers);
    b.store.appendEntry(EntryKind::Monthly, *parseDate("2026/12/25"), "x");
    ASSERT_EQ(b.store.save(true), SaveResult::Saved);
    ProfileFile saved(dir.file("Schedule.dat"));
    saved.load();
    EXPECT_EQ(saved.read("COMPUTER", "COMPUTER"), "alluser");
    EXPECT_EQ(saved.read("MONTH", "25"), "x ");
}

TEST(ScheduleStore, AFailedSaveKeepsTheEditsAndSaysSo) {
    TempDir dir;
    writeBytes(dir.file("Schedule.dat"), cp932(kFile));
    Computer a(dir, "PC-A");
    a.store.load();
    a.store.appendEntry(EntryKind::Dated, *parseDate("2026/12/24"), "パーティー");
    fs::permissions(dir.file("Schedule.dat"), fs::perms::owner_read);
    EXPECT_EQ(a.store.save(true), SaveResult::Refused);
    ASSERT_EQ(a.feedback.messages.size(), 1u);
    EXPECT_NE(a.feedback.messages[0].find("保存できませんでした"), std::string::npos);
    EXPECT_EQ(readBytes(dir.file("Schedule.dat")), cp932(kFile));
    EXPECT_TRUE(a.store.hasUnsavedEdits());

    fs::permissions(dir.file("Schedule.dat"), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(a.store.save(true), SaveResult::Saved) << "the kept edits go out with the next save";

    // A text code page 932 cannot hold fails the whole save and keeps the old file.
    const std::string before = readBytes(dir.file("Schedule.dat"));
    a.store.appendEntry(EntryKind::Dated, *parseDate("2026/12/25"), "\U0001F384");
    EXPECT_EQ(a.store.save(true), SaveResult::Failed);
    EXPECT_EQ(readBytes(dir.file("Schedule.dat")), before);

    fs::remove(dir.file("Schedule.dat"));
    a.feedback.messages.clear();
    EXPECT_EQ(a.store.save(true), SaveResult::Refused);
    EXPECT_EQ(a.feedback.messages, std::vector<std::string>{"更新するデータファイルがみつかりません"});
}
