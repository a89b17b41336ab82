#include "editor/EditFormModel.h"
#include "editor/ColourPalette.h"
#include "editor/EntryRowStore.h"

#include "EditorTestSupport.h"

using namespace velmora;
using velmora::test::date;

namespace {

EditFormContext contextAt(const char* now = "2026/12/08 09:05:00") {
    EditFormContext c;
    c.viewDate = date("2026/12/08");
    c.now = *parseDateTime(now);
    c.scheduleFontName = "IPAGothic";
    c.scheduleFontColour = 0x112233;
    return c;
}

EntryRow rowOf(EntryKind kind, std::vector<std::pair<RowField, std::string>> fields) {
    EntryRow row;
    row.caption = "会議";
    row.kind = kind;
    for (auto& [f, v] : fields) {
        row.setField(f, v);
    }
    return row;
}

std::array<bool, 12> onlyMonths(std::initializer_list<int> months) {
    std::array<bool, 12> out{};
    for (int m : months) {
        out[static_cast<std::size_t>(m - 1)] = true;
    }
    return out;
}

constexpr std::array<bool, 12> kAllMonths{true, true, true, true, true, true, true, true, true, true, true, true};

} // namespace

TEST(EditFormModel, FillsTheControlsFromStoredRows) {
    struct Case {
        const char* name;
        EntryRow row;
        std::function<void(const EditFormValues&)> check;
    };
    const Case cases[] = {
        {"monthly 1,0,1,1,2,001100000000: Saturday, holiday, next day, offset 2, March and April",
         rowOf(EntryKind::Monthly, {{RowField::Opt, "1,0,1,1,2,001100000000"}}),
         [](const EditFormValues& v) {
             EXPECT_EQ(v.pattern, EditPattern::Monthly);
             EXPECT_EQ(v.avoid, (std::array<bool, 3>{true, false, true}));
             EXPECT_EQ(v.shiftChoice, 1);
             EXPECT_EQ(v.offset, 2);
             EXPECT_EQ(v.months, onlyMonths({3, 4}));
         }},
        {"weekly rule 0,1,1,1,1,0: first week off, every month",
         rowOf(EntryKind::Weekly, {{RowField::Opt, "0,1,1,1,1,0"}, {RowField::Opt2, "0,1,0,4,-3"}}),
         [](const EditFormValues& v) {
             EXPECT_EQ(v.weeks, (std::array<bool, 5>{false, true, true, true, true}));
             EXPECT_EQ(v.months, kAllMonths);
             EXPECT_EQ(v.avoid, (std::array<bool, 3>{false, true, false}));
             EXPECT_EQ(v.shiftChoice, 4);
             EXPECT_EQ(v.offset, -3);
         }},
        {"a month number as filter checks that month only", rowOf(EntryKind::Monthly, {{RowField::Opt, "0,0,0,1,0,3"}}),
         [](const EditFormValues& v) { EXPECT_EQ(v.months, onlyMonths({3})); }},
        {"timed reminder on the day with sound", rowOf(EntryKind::Dated, {{RowField::Popup, "1,1,09,30,1"}}),
         [](const EditFormValues& v) {
             EXPECT_EQ(v.reminder, ReminderChoice::TimedOnDay);
             EXPECT_EQ(v.hour, 9);
             EXPECT_EQ(v.minute, 30);
             EXPECT_TRUE(v.sound);
         }},
        {"start-up reminder every day, four items: no sound", rowOf(EntryKind::Dated, {{RowField::Popup, "0,0,00,00"}}),
         [](const EditFormValues& v) {
             EXPECT_EQ(v.reminder, ReminderChoice::StartupEveryDay);
             EXPECT_FALSE(v.sound);
         }},
        {"-0 is black, not drawn", rowOf(EntryKind::Dated, {{RowField::Color, "-0"}}),
         [](const EditFormValues& v) {
             EXPECT_EQ(v.colour, 0);
             EXPECT_TRUE(v.popOnly);
         }},
        {"no colour: the schedule font's", rowOf(EntryKind::Dated, {}),
         [](const EditFormValues& v) {
             EXPECT_EQ(v.colour, 0x112233);
             EXPECT_FALSE(v.popOnly);
             EXPECT_EQ(v.fontName, "IPAGothic");
             EXPECT_EQ(v.intervalBase, date("2026/12/08"));
         }},
        {"period with an end only", rowOf(EntryKind::Dated, {{RowField::FromTo, "____/__/__-2024/03/31"}}),
         [](const EditFormValues& v) {
             EXPECT_EQ(v.fromDate, kEmptyDateText);
             EXPECT_EQ(v.toDate, "2024/03/31");
         }},
        {"interval and its base date",
         rowOf(EntryKind::Yearly, {{RowField::IntOpt, "2,0,3,20240101"}, {RowField::PtnOpt, "010001"}}),
         [](const EditFormValues& v) {
             EXPECT_EQ(v.pattern, EditPattern::Yearly);
             EXPECT_EQ(v.intervalWeeks, 2);
             EXPECT_EQ(v.intervalYears, 3);
             EXPECT_EQ(v.intervalBase, date("2024/01/01"));
             EXPECT_EQ(v.outPatterns, (std::array<bool, 6>{false, true, false, false, false, true}));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditFormModel editor(contextAt());
        editor.fillFromRow(c.row);
        c.check(editor.values());
    }
}

TEST(EditFormModel, WritesTheFieldsInTheFileFormats) {
    struct Case {
        const char* name;
        std::function<void(EditFormModel&)> act;
        RowField field;
        const char* expected;
    };
    const Case cases[] = {
        {"every day at 09:05 without sound", [](EditFormModel& e) { e.setReminder(ReminderChoice::TimedEveryDay); },
         RowField::Popup, "0,1,09,05,0"},
        {"no reminder", [](EditFormModel&) {}, RowField::Popup, " "},
        {"black, not drawn",
         [](EditFormModel& e) {
             e.setColour(0);
             e.setPopOnly(true);
         },
         RowField::Color, "-0"},
        {"end date only", [](EditFormModel& e) { e.setToDate("2024/03/31"); }, RowField::FromTo,
         "____/__/__-2024/03/31"},
        {"both dates empty", [](EditFormModel& e) { e.setFromDate("____/__/__"); }, RowField::FromTo, " "},
        {"weeks, months and years 0 remove the interval",
         [](EditFormModel& e) {
             e.setInterval(2, 0, 0);
             e.setInterval(0, 0, 0);
         },
         RowField::IntOpt, " "},
        {"interval with its base", [](EditFormModel& e) { e.setInterval(2, 1, 0); }, RowField::IntOpt,
         "2,1,0,20261208"},
        {"the schedule font is no font of its own", [](EditFormModel& e) { e.setFontName("IPAGothic"); },
         RowField::FontName, " "},
        {"another font", [](EditFormModel& e) { e.setFontName("IPAMincho"); }, RowField::FontName, "IPAMincho"},
        {"holiday: the text names it", [](EditFormModel& e) { e.setHolidayFlag(true); }, RowField::Holiday, "会議"},
        {"holiday: always shown only", [](EditFormModel& e) { e.setHolidayFlag(true); }, RowField::PtnOpt, "000001"},
        {"no output pattern", [](EditFormModel&) {}, RowField::PtnOpt, " "},
        {"monthly rule",
         [](EditFormModel& e) {
             e.setPattern(EditPattern::Monthly);
             e.setAvoid(AvoidDay::Sunday, true);
             e.setOffset(9);
             e.setMonth(2, false);
         },
         RowField::Opt, "0,1,0,1,7,101111111111"},
        {"weekly rule",
         [](EditFormModel& e) {
             e.setPattern(EditPattern::Weekly);
             e.setWeek(0, false);
         },
         RowField::Opt, "0,1,1,1,1,111111111111"},
        {"weekly shift rule",
         [](EditFormModel& e) {
             e.setPattern(EditPattern::Weekly);
             e.setShiftChoice(3);
         },
         RowField::Opt2, "0,0,0,3,0"},
        {"a dated entry has no rules", [](EditFormModel&) {}, RowField::Opt, " "},
        {"description", [](EditFormModel& e) { e.setDescription("a\nb\n"); }, RowField::Supplement, "a\nb\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditFormModel editor(contextAt());
        editor.setText("  会議 ");
        c.act(editor);
        EntryRow row = rowOf(EntryKind::Dated, {{RowField::Opt, "stale"}, {RowField::PopupFile, "POP0001.dfm"}});
        editor.writeToRow(row);
        EXPECT_EQ(row.field(c.field), c.expected);
        EXPECT_EQ(row.caption, "会議");
        EXPECT_EQ(row.field(RowField::PopupFile), "POP0001.dfm"); // never the editor's
    }
}

TEST(EditFormModel, ControlsFollowEachOther) {
    EditFormModel e(contextAt());
    EXPECT_FALSE(e.shiftEnabled());
    e.setPattern(EditPattern::Monthly);
    EXPECT_TRUE(e.shiftEnabled());
    EXPECT_FALSE(e.weeksEnabled());
    EXPECT_TRUE(e.monthsEnabled());

    e.setAvoid(AvoidDay::Saturday, true);
    e.setShiftChoice(2); // unconditional: nothing to avoid
    EXPECT_EQ(e.values().avoid, (std::array<bool, 3>{}));
    e.setAvoid(AvoidDay::Holiday, true);
    EXPECT_EQ(e.values().shiftChoice, 0);
    e.setShiftChoice(4);
    e.setAvoid(AvoidDay::Sunday, true);
    EXPECT_EQ(e.values().shiftChoice, 4);

    e.setOutPattern(1, true);
    e.setOutPattern(5, true);
    EXPECT_EQ(e.values().outPatterns, (std::array<bool, 6>{false, false, false, false, false, true}));
    e.setOutPattern(0, true);
    EXPECT_EQ(e.values().outPatterns, (std::array<bool, 6>{true, false, false, false, false, false}));
    e.setHolidayFlag(true);
    EXPECT_FALSE(e.outPatternsEnabled());
    e.setOutPattern(2, true); // disabled
    EXPECT_EQ(e.values().outPatterns, (std::array<bool, 6>{false, false, false, false, false, true}));

    EXPECT_FALSE(e.soundEnabled());
    e.setReminder(ReminderChoice::TimedOnDay);
    EXPECT_TRUE(e.soundEnabled());
    EXPECT_TRUE(e.timeVisible());
    EXPECT_EQ(std::make_pair(e.values().hour, e.values().minute), std::make_pair(9, 5));
    e.setReminder(ReminderChoice::StartupOnDay);
    EXPECT_FALSE(e.timeVisible());

    e.setFromChecked(true);
    EXPECT_EQ(e.values().fromDate, "2026/12/08");
    EXPECT_TRUE(e.fromChecked());
    e.setFromDate("____/__/__");
    EXPECT_FALSE(e.fromChecked());

    e.appendExecLine("/opt/my \"tool\"");
    e.appendExecLine("/bin/true");
    EXPECT_EQ(e.values().description, "Exec \"/opt/my \"\"tool\"\"\" \"\"\nExec \"/bin/true\" \"\"\n");
}

TEST(EditFormModel, PatternFixedUnderARepeatingCategory) {
    EditFormContext c = contextAt();
    c.fixedPattern = EditPattern::Weekly;
    EditFormModel e(c);
    EXPECT_FALSE(e.patternChoiceVisible());
    e.setPattern(EditPattern::Once);
    EXPECT_EQ(e.values().pattern, EditPattern::Weekly);
    e.fillFromRow(rowOf(EntryKind::Dated, {}));
    EXPECT_EQ(e.values().pattern, EditPattern::Weekly);
}

TEST(EditFormModel, CaptionsForTheViewDate) {
    EXPECT_EQ(patternCaptions(date("2026/02/08")), (std::array<std::string, 4>{"2026年2月8日の予定", "毎週日曜日の予定",
                                                                               "毎月8日の予定", "毎年2月8日の予定"}));
}

TEST(EditFormModel, OkIsRefusedWithAReason) {
    struct Case {
        const char* name;
        std::function<void(EditFormModel&)> act;
        const char* expected; // "" for accepted
    };
    const Case cases[] = {
        {"empty", [](EditFormModel& e) { e.setText(" \t"); }, "スケジュールが入力されていません"},
        {"emoji in the text", [](EditFormModel& e) { e.setText("寿司🍣"); },
         "予定の「🍣」(U+1F363)はスケジュールファイルに保存できない文字です。別の文字に置き換えてください"},
        {"emoji in the description",
         [](EditFormModel& e) {
             e.setText("会議");
             e.setDescription("memo ✅");
         },
         "補足説明の「✅」(U+2705)はスケジュールファイルに保存できない文字です。別の文字に置き換えてください"},
        {"half-typed date",
         [](EditFormModel& e) {
             e.setText("会議");
             e.setFromDate("2026/1_/__");
         },
         "適用開始日「2026/1_/__」は正しい日付ではありません"},
        {"Linux-typed wave dash is stored", [](EditFormModel& e) { e.setText("9時〜10時"); }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditFormModel e(contextAt());
        c.act(e);
        EXPECT_EQ(e.validate().value_or(""), c.expected);
    }
}

TEST(EntryRow, CaptionsLoseLineBreaksThatWouldSplitTheFile) {
    EXPECT_EQ(entryCaption(" 会議\r\n資料\t持参 "), "会議  資料 持参");
    EntryRow row;
    EXPECT_EQ(row.overlay(), 0);
    row.setField(RowField::Popup, "0,0,00,00,0");
    EXPECT_EQ(row.overlay(), 1);
    row.setField(RowField::Popup, "");
    EXPECT_EQ(row.field(RowField::Popup), " ");
    EXPECT_EQ(EntryRow::parentRow().overlay(), 3);
    row.setField(RowField::Color, "-255");
    EXPECT_EQ(rowColour(row, 7), 255);
    row.setField(RowField::Color, "red");
    EXPECT_EQ(rowColour(row, 7), 7);
}

TEST(EditFormModel, OpeningAnEntryLetsItRemindAgainToday) {
    test::ListFixture f("[POPUP]\n2026/12/08-00=1,1,09,30,1\n2026/12/08-01=0,1,09,30,0\n");
    f.store.section(ScheduleSection::PopupStat).set("2026/12/08-00", "1");
    f.store.section(ScheduleSection::PopupStat).set("2026/12/08-01", "9");
    NameValueList& queue = f.store.section(ScheduleSection::PopupTime);
    queue.set("2026/12/08-09:30", "2026/12/08-00,会議,2026/12/08-01,朝礼");
    queue.set("09:30", "2026/12/08-00,会議");

    releaseReminderForEditing(f.store, "2026/12/08-00", f.reminders, date("2026/12/08"));
    EXPECT_EQ(f.reminders.closed, std::vector<std::string>{"2026/12/08-00"});
    EXPECT_FALSE(f.has(ScheduleSection::PopupStat, "2026/12/08-00"));
    EXPECT_EQ(f.value(ScheduleSection::PopupStat, "2026/12/08-01"), "9");
    // The other entry queued at the same minute still reminds.
    EXPECT_EQ(queue.value("2026/12/08-09:30"), "2026/12/08-01,朝礼");
    EXPECT_FALSE(queue.contains("09:30"));

    releaseReminderForEditing(f.store, "POPUP", f.reminders, date("2026/12/08"));
    releaseReminderForEditing(f.store, "2026/12/08-01", f.reminders, date("2026/12/08"));
    EXPECT_FALSE(f.has(ScheduleSection::PopupStat, "2026/12/08-01"));
    EXPECT_EQ(f.reminders.closed.size(), 1u);
}

TEST(ColourPalette, KeepsTwelveSwatchesAndTheLatestChoices) {
    ColourPalette palette;
    NameValueList stored;
    stored.set("0", "-255");
    stored.set("3", "x");
    palette.load(stored);
    EXPECT_EQ(palette.swatch(0), 255);
    EXPECT_EQ(palette.swatch(3), ColourPalette().swatch(3));

    EXPECT_FALSE(palette.setSwatch(9, 1));
    EXPECT_TRUE(palette.setSwatch(8, -77));
    const Colour tenth = palette.swatch(9);
    const Colour eleventh = palette.swatch(10);
    palette.remember(0x123456);
    EXPECT_EQ(palette.swatch(9), 0x123456);
    EXPECT_EQ(palette.swatch(10), tenth);
    EXPECT_EQ(palette.swatch(11), eleventh);
    palette.remember(255); // already shown
    EXPECT_EQ(palette.swatch(9), 0x123456);

    NameValueList out;
    palette.store(out);
    EXPECT_EQ(out.size(), 12u);
    EXPECT_EQ(out.value("8"), "77");
}
