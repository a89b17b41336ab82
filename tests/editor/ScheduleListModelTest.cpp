#include "editor/ScheduleListModel.h"

#include "EditorTestSupport.h"

using namespace velmora;
using velmora::test::captions;
using velmora::test::date;
using velmora::test::ListFixture;

namespace {

using Texts = std::vector<std::string>;

Texts childTexts(const TreeNode& node) {
    Texts out;
    for (const auto& child : node.children) {
        out.push_back(child->text);
    }
    return out;
}

const TreeNode* childNamed(const TreeNode& node, std::string_view text) {
    for (const auto& child : node.children) {
        if (child->text == text) {
            return child.get();
        }
    }
    return nullptr;
}

// Tuesday 2026/05/12: a weekly entry for March only and a monthly one for
// February only belong to the date but not to May.
constexpr std::string_view kMayFile = "[DAY]\n2026/05/12=\"打合せ \"\n"
                                      "[WEEK]\n3=\"三月だけ \",\"毎週 \"\nWEEK3-00OPT=1,1,1,1,1,001000000000\n"
                                      "[MONTH]\n12=\"二月だけ \"\nMONTH12-00OPT=0,0,0,1,0,2\n"
                                      "[YEAR]\n05/12=\"記念日 \"\n"
                                      "[COLOROPT]\nWEEK3-00=5\nWEEK3-01=6\n";

} // namespace

TEST(ScheduleListModel, TreeHoldsEveryListAndTheStartDate) {
    struct Case {
        int asnd;
        Texts months;
        Texts decemberDays;
    };
    for (const Case& c : {Case{1, {"2026/12", "2025/01"}, {"2026/12/09", "2026/12/08", "2026/12/01"}},
                          Case{0, {"2025/01", "2026/12"}, {"2026/12/01", "2026/12/08", "2026/12/09"}}}) {
        SCOPED_TRACE(c.asnd);
        // Names as another program may leave them: unsorted, with a stray one.
        ListFixture f("[DAY]\n2026/12/09=\"a \"\n2025/01/05=\"b \"\n2026/12/01=\"c \"\nbogus=\"d \"\n"
                      "[WEEK]\n3=\"w \"\nWEEK3-00OPT=1,1,1,1,1,0\n[MONTH]\n15=\"m \"\n[YEAR]\n02/29=\"y \"\n");
        f.settings.asnd = c.asnd;
        ScheduleListModel model(f.context());
        model.open(date("2026/12/08"));
        const ScheduleTree& tree = model.tree();
        EXPECT_EQ(childTexts(tree.root()), (Texts{"0:基本ｽｹｼﾞｭｰﾙ", "1:毎週", "2:毎月", "3:毎年"}));
        EXPECT_EQ(childTexts(tree.category(EntryKind::Dated)), c.months);
        const TreeNode* december = childNamed(tree.category(EntryKind::Dated), "2026/12");
        ASSERT_TRUE(december);
        EXPECT_EQ(childTexts(*december), c.decemberDays);
        EXPECT_EQ(childTexts(tree.category(EntryKind::Weekly)), Texts{"3:火曜日"});
        EXPECT_EQ(childTexts(tree.category(EntryKind::Monthly)), (Texts{"08", "15"}));
        EXPECT_EQ(childTexts(tree.category(EntryKind::Yearly)), (Texts{"02/29", "12/08"}));
        ASSERT_TRUE(model.selectedNode());
        EXPECT_EQ(model.selectedNode()->text, "2026/12/08");
        EXPECT_EQ(model.selectedNode()->icon(), 10);
        EXPECT_TRUE(model.isDayView());
        EXPECT_EQ(captions(model), Texts{"w"}); // the weekly entry of Tuesdays

        model.setNewestFirst(c.asnd == 0);
        EXPECT_EQ(f.settings.asnd, c.asnd == 0 ? 1 : 0);
        Texts reversed = c.months;
        std::reverse(reversed.begin(), reversed.end());
        EXPECT_EQ(childTexts(tree.category(EntryKind::Dated)), reversed);
    }
}

TEST(ScheduleListModel, RowsOutsideTheMonthWaitBehindTheOthers) {
    ListFixture f(kMayFile);
    ScheduleListModel model(f.context());
    model.open(date("2026/05/12"));
    EXPECT_EQ(captions(model), (Texts{"打合せ", "毎週", "記念日"}));
    ASSERT_EQ(model.heldWeekly().size(), 1u);
    EXPECT_EQ(model.heldWeekly()[0].caption, "三月だけ");
    ASSERT_EQ(model.heldMonthly().size(), 1u);
    const EntryRow& shown = model.rows()[1];
    EXPECT_EQ(shown.field(RowField::Key), "WEEK3-01");
    EXPECT_EQ(shown.field(RowField::Color), "6");

    model.setViewDate(date("2026/05/13"));
    EXPECT_EQ(f.value(ScheduleSection::Week, "3"), "\"毎週 \",\"三月だけ \"");
    EXPECT_EQ(f.value(ScheduleSection::Week, "WEEK3-01OPT"), "1,1,1,1,1,001000000000");
    // The rule of the entry that was first must not stay on the one now first.
    EXPECT_FALSE(f.has(ScheduleSection::Week, "WEEK3-00OPT"));
    EXPECT_EQ(f.value(ScheduleSection::ColorOpt, "WEEK3-00"), "6");
    EXPECT_EQ(f.value(ScheduleSection::ColorOpt, "WEEK3-01"), "5");
    EXPECT_EQ(f.value(ScheduleSection::Month, "MONTH12-00OPT"), "0,0,0,1,0,2");
    EXPECT_EQ(f.value(ScheduleSection::Year, "05/12"), "\"記念日 \"");

    // Under the weekly category nothing is held back.
    model.selectNode(&model.tree().ensureDateNode(EntryKind::Weekly, date("2026/05/12")));
    EXPECT_EQ(captions(model), (Texts{"毎週", "三月だけ"}));
    EXPECT_EQ(model.viewDate(), date("1996/01/02"));
    EXPECT_EQ(model.dateLabelText(), "毎週火曜日");
}

TEST(ScheduleListModel, DeletingRenumbersTheRestWithEverythingTheyCarry) {
    ListFixture f("[DAY]\n2026/12/08=\"a \",\"b \",\"c \"\n"
                  "[COLOROPT]\n2026/12/08-00=1\n2026/12/08-01=2\n2026/12/08-02=3\n"
                  "[FONTNAME]\n2026/12/08-02=IPAMincho\n"
                  "[POPUP]\n2026/12/08-01=1,0,00,00,0\n2026/12/08-02=1,1,09,30,1\n"
                  "[POPUPFILE]\n2026/12/08-01=C:\\old\\POP0001.dfm\n");
    test::writeBytes(f.dir.file("2026120801.hsk"), test::cp932("bの補足\r\n"));
    test::writeBytes(f.dir.file("2026120802.hsk"), test::cp932("cの補足\r\n"));
    test::writeBytes(f.dir.file("POP0001.dfm"), "state");
    NameValueList& states = f.store.section(ScheduleSection::PopupStat);
    states.set("2026/12/08-01", "1");
    states.set("2026/12/08-02", "1");
    f.store.section(ScheduleSection::PopupTime).set("2026/12/08-09:30", "2026/12/08-02,c,WEEK1-00,x");

    ScheduleListModel model(f.context());
    model.open(date("2026/12/08"));
    EXPECT_EQ(model.rows()[1].field(RowField::Supplement), "bの補足\n");
    model.setDeleted({1}, true);
    EXPECT_TRUE(model.changed());
    model.stepDate(false);

    EXPECT_EQ(f.value(ScheduleSection::Day, "2026/12/08"), "\"a \",\"c \"");
    EXPECT_EQ(f.value(ScheduleSection::ColorOpt, "2026/12/08-01"), "3");
    EXPECT_FALSE(f.has(ScheduleSection::ColorOpt, "2026/12/08-02"));
    EXPECT_EQ(f.value(ScheduleSection::FontName, "2026/12/08-01"), "IPAMincho");
    EXPECT_EQ(f.value(ScheduleSection::Popup, "2026/12/08-01"), "1,1,09,30,1");
    EXPECT_FALSE(f.has(ScheduleSection::PopupFile, "2026/12/08-01"));
    EXPECT_EQ(test::readBytes(f.dir.file("2026120801.hsk")), test::cp932("cの補足\r\n"));
    EXPECT_FALSE(std::filesystem::exists(f.dir.file("2026120802.hsk")));
    EXPECT_EQ(f.reminders.closed, Texts{"2026/12/08-01"});
    EXPECT_EQ(f.reminders.moves,
              (std::vector<std::pair<std::string, std::string>>{{"2026/12/08-02", "2026/12/08-01"}}));
    EXPECT_EQ(states.value("2026/12/08-01"), "1");
    EXPECT_FALSE(states.contains("2026/12/08-02"));
    EXPECT_EQ(f.value(ScheduleSection::PopupTime, "2026/12/08-09:30"), "2026/12/08-01,c,WEEK1-00,x");

    EXPECT_EQ(model.deletionQueue(), Texts{"POP0001.dfm"});
    model.close();
    EXPECT_FALSE(std::filesystem::exists(f.dir.file("POP0001.dfm")));
}

TEST(ScheduleListModel, ADayWithoutEntriesLosesItsName) {
    ListFixture f("[DAY]\n2026/12/08=\"a \"\n[COLOROPT]\n2026/12/08-00=1\n");
    ScheduleListModel model(f.context());
    model.open(date("2026/12/08"));
    model.setDeleted({0, 1}, true); // ".." is no entry
    model.close();
    EXPECT_FALSE(f.has(ScheduleSection::Day, "2026/12/08"));
    EXPECT_FALSE(f.has(ScheduleSection::ColorOpt, "2026/12/08-00"));
    EXPECT_TRUE(f.store.hasUnsavedEdits());
}

TEST(ScheduleListModel, SwappedEntriesSwapTheirReminderStates) {
    ListFixture f("[DAY]\n2026/12/08=\"a \",\"b \"\n[COLOROPT]\n2026/12/08-00=1\n2026/12/08-01=2\n");
    f.store.section(ScheduleSection::PopupStat).set("2026/12/08-00", "1");
    f.store.section(ScheduleSection::PopupStat).set("2026/12/08-01", "9");
    ScheduleListModel model(f.context());
    model.open(date("2026/12/08"));
    EXPECT_FALSE(model.canMove(0, true));
    EXPECT_FALSE(model.canMove(1, false)); // ".." stays last
    EXPECT_EQ(model.moveRow(1, true), 0);
    model.close();
    EXPECT_EQ(f.value(ScheduleSection::Day, "2026/12/08"), "\"b \",\"a \"");
    EXPECT_EQ(f.value(ScheduleSection::ColorOpt, "2026/12/08-00"), "2");
    EXPECT_EQ(f.value(ScheduleSection::PopupStat, "2026/12/08-00"), "9");
    EXPECT_EQ(f.value(ScheduleSection::PopupStat, "2026/12/08-01"), "1");
    EXPECT_EQ(f.reminders.moves,
              (std::vector<std::pair<std::string, std::string>>{{"2026/12/08-00", "2026/12/08-01"}}));
}

TEST(ScheduleListModel, AnAddedRowNeverActsOnTheEntryItsKeyBelongedTo) {
    ListFixture f(kMayFile);
    f.store.section(ScheduleSection::PopupStat).set("WEEK3-00", "1");
    f.store.section(ScheduleSection::PopupStat).set("WEEK3-01", "1");
    ScheduleListModel model(f.context());
    model.open(date("2026/05/12"));
    EditFormModel editor = model.editorForNew();
    editor.setText("新規");
    editor.setPattern(EditPattern::Weekly);
    const int at = model.addRow(editor);
    // One weekly row is shown: the new one is keyed as the entry shown is.
    EXPECT_EQ(model.rows()[static_cast<std::size_t>(at)].field(RowField::Key), "WEEK3-01");
    model.setDeleted({at}, true);
    model.close();
    EXPECT_TRUE(f.reminders.closed.empty());
    EXPECT_EQ(f.value(ScheduleSection::Week, "3"), "\"毎週 \",\"三月だけ \"");
    EXPECT_EQ(f.value(ScheduleSection::PopupStat, "WEEK3-00"), "1");
    EXPECT_EQ(f.value(ScheduleSection::PopupStat, "WEEK3-01"), "1");
    EXPECT_EQ(f.value(ScheduleSection::ColorOpt, "WEEK3-00"), "6");
    EXPECT_EQ(f.value(ScheduleSection::ColorOpt, "WEEK3-01"), "5");
}

TEST(ScheduleListModel, DateNavigation) {
    struct Case {
        const char* name;
        int asnd;
        EntryKind kind;
        bool upper;
        const char* expected;
    };
    const Case cases[] = {
        {"dated, newest first: up is the next day", 1, EntryKind::Dated, true, "2026/12/09"},
        {"dated, oldest first: up is the day before", 0, EntryKind::Dated, true, "2026/12/07"},
        {"dated, newest first: down is the day before", 1, EntryKind::Dated, false, "2026/12/07"},
        {"weekly: up is always a day back", 1, EntryKind::Weekly, true, "1996/01/01"},
        {"monthly: back over the month's start", 1, EntryKind::Monthly, true, "1996/01/07"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ListFixture f("");
        f.settings.asnd = c.asnd;
        ScheduleListModel model(f.context());
        model.open(date("2026/12/08"));
        if (c.kind != EntryKind::Dated) {
            model.selectNode(model.tree().findDateNode(c.kind, date("2026/12/08")));
        }
        model.stepDate(c.upper);
        EXPECT_EQ(formatDate(model.viewDate()), c.expected);
        EXPECT_EQ(model.viewKind(), c.kind);
    }

    ListFixture f("[DAY]\n2100/12/31=\"end \"\n");
    f.settings.asnd = 1;
    ScheduleListModel model(f.context());
    model.open(date("2100/12/31"));
    model.stepDate(true); // beyond the range: nothing
    EXPECT_EQ(formatDate(model.viewDate()), "2100/12/31");
    model.stepDate(false);
    EXPECT_TRUE(model.reselectPending()); // 2100/12/30 has no entries
    EXPECT_FALSE(model.tree().findDateNode(EntryKind::Dated, date("2100/12/30")));
    model.resolvePendingReselect();
    ASSERT_TRUE(model.selectedNode());
    EXPECT_EQ(model.selectedNode()->text, "2100/12/30");
    model.setViewDate(date("2100/12/31"));
    EXPECT_FALSE(model.reselectPending());
    EXPECT_EQ(model.selectedNode()->text, "2100/12/31");
}

TEST(ScheduleListModel, LeapDayOfTheYearlyListOpensIn1996) {
    ListFixture f("[YEAR]\n02/29=\"閏日 \"\n");
    ScheduleListModel model(f.context());
    model.open(date("2026/12/08"));
    model.selectNode(childNamed(model.tree().category(EntryKind::Yearly), "02/29"));
    EXPECT_EQ(model.viewDate(), date("1996/02/29"));
    EXPECT_EQ(captions(model), Texts{"閏日"});
    EXPECT_EQ(model.dateLabelText(), "毎年02/29日");
    EXPECT_FALSE(model.editorForNew().patternChoiceVisible());
}

TEST(ScheduleListModel, FolderViewsListChildNodesAndTheirEntries) {
    ListFixture f("[DAY]\n2026/12/01=\"a \",\"b \"\n[WEEK]\n3=\"w \"\n[COLOROPT]\n2026/12/01-01=-255\n");
    ScheduleListModel model(f.context());
    model.open(date("2026/12/08"));
    const TreeNode* day = model.selectedNode();
    model.selectNode(day->parent);
    EXPECT_FALSE(model.isEntryView());
    EXPECT_EQ(captions(model), (Texts{"2026/12/01(火):", "2026/12/08(火):", ".."}));
    EXPECT_EQ(model.folderRows()[0].second, "\"a \",\"b \" ");
    EXPECT_EQ(model.rowToSelect(), 1); // the day just left
    const auto entries = model.folderRowEntries(0);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].text, "b");
    EXPECT_EQ(entries[1].colour, 255);
    EXPECT_EQ(entries[0].colour, 0x112233);

    model.selectNode(day->parent->parent);
    EXPECT_EQ(model.pickerDateForRow(0), date("2026/12/01"));
    model.selectNode(&model.tree().category(EntryKind::Weekly));
    EXPECT_EQ(captions(model), (Texts{"3:火曜日:", ".."}));
    EXPECT_EQ(model.folderRows()[0].second, "\"w \"");
    EXPECT_EQ(model.dateLabelText(), "1:毎週");
}

TEST(ScheduleListModel, InPlaceEditsRefuseWhatCannotBeStored) {
    ListFixture f("[DAY]\n2026/12/08=\"祝賀会 \"\n[HOLIDAYOPT]\n2026/12/08-00=祝賀会\n");
    ScheduleListModel model(f.context());
    model.open(date("2026/12/08"));
    EXPECT_FALSE(model.retitleRow(0, "  "));
    EXPECT_FALSE(model.retitleRow(0, "🎉"));
    EXPECT_FALSE(model.retitleRow(1, "x")); // ".."
    ASSERT_EQ(f.feedback.messages.size(), 2u);
    EXPECT_EQ(f.feedback.messages[0], "空白は入力出来ません");
    EXPECT_NE(f.feedback.messages[1].find("🎉"), std::string::npos);
    EXPECT_FALSE(model.changed());
    EXPECT_TRUE(model.retitleRow(0, "創立記念"));
    EXPECT_EQ(model.firstColumnWidth(), static_cast<int>(std::string("創立記念").size() * 10 * 1.1) + 34);
    model.close();
    EXPECT_EQ(f.value(ScheduleSection::Day, "2026/12/08"), "\"創立記念 \"");
    EXPECT_EQ(f.value(ScheduleSection::HolidayOpt, "2026/12/08-00"), "創立記念");
}

TEST(ScheduleListModel, ACommitWritesOnce) {
    ListFixture f("[DAY]\n2026/12/08=\"a \"\n");
    ScheduleListModel model(f.context());
    model.open(date("2026/12/08"));
    model.commitEntries();
    model.commitEntries(); // no rows loaded any more: nothing to write, nothing to wipe
    model.close();
    EXPECT_EQ(f.value(ScheduleSection::Day, "2026/12/08"), "\"a \"");
}
