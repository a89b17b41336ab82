#include "editor/ScheduleListModel.h"

#include "EditorTestSupport.h"

#include <filesystem>

using namespace velmora;
using velmora::test::captions;
using velmora::test::date;
using velmora::test::ListFixture;

namespace {

using Texts = std::vector<std::string>;

EntryRow entry(const char* caption, EntryKind kind, const char* opt = " ", const char* opt2 = " ") {
    EntryRow row;
    row.caption = caption;
    row.kind = kind;
    row.setField(RowField::Opt, opt);
    row.setField(RowField::Opt2, opt2);
    return row;
}

} // namespace

TEST(ScheduleClipboard, CutEntriesMoveToAnotherDayWithEverythingTheyCarry) {
    ListFixture f("[DAY]\n2026/12/08=\"keep \",\"a \",\"b \"\n2026/12/10=\"there \"\n"
                  "[COLOROPT]\n2026/12/08-01=255\n2026/12/08-02=-65280\n"
                  "[FONTNAME]\n2026/12/08-01=IPAMincho\n"
                  "[POPUP]\n2026/12/08-01=1,1,09,30,0\n2026/12/08-02=1,1,10,00,0\n"
                  "[POPUPFILE]\n2026/12/08-01=POP0003.dfm\n2026/12/08-02=POP0007.dfm\n2026/11/01-00=POP0000.dfm\n");
    test::writeBytes(f.dir.file("POP0003.dfm"), "state a");
    test::writeBytes(f.dir.file("POP0001.dfm"), "stray");
    test::writeBytes(f.dir.file("2026120801.hsk"), test::cp932("aの補足\r\n"));
    ScheduleClipboard hub;
    ScheduleListContext context = f.context();
    context.clipboard = &hub;
    {
        ScheduleListModel model(context);
        model.open(date("2026/12/08"));
        model.cutRows({1, 2});
        EXPECT_TRUE(model.rows()[1].deleted && model.rows()[2].deleted);
        model.setViewDate(date("2026/12/10"));
        EXPECT_EQ(f.value(ScheduleSection::Day, "2026/12/08"), "\"keep \"");
        model.close();
    }
    // The clipboard outlives the window: the next one pastes it.
    ASSERT_EQ(hub.rows().size(), 2u);
    EXPECT_FALSE(hub.rows()[0].deleted);
    ScheduleListModel model(context);
    model.open(date("2026/12/10"));
    EXPECT_EQ(model.paste(), (std::vector<int>{1, 2}));
    EXPECT_EQ(captions(model), (Texts{"there", "a", "b"}));
    EXPECT_EQ(model.rows()[1].field(RowField::Key), "2026/12/10-01");
    // POP0000, which another entry names, and the file POP0001 are taken; b's file was missing.
    EXPECT_EQ(model.rows()[1].field(RowField::PopupFile), "POP0002.dfm");
    EXPECT_EQ(test::readBytes(f.dir.file("POP0002.dfm")), "state a");
    EXPECT_FALSE(model.rows()[2].hasValue(RowField::PopupFile));
    model.close();
    EXPECT_EQ(f.value(ScheduleSection::Day, "2026/12/10"), "\"there \",\"a \",\"b \"");
    EXPECT_EQ(f.value(ScheduleSection::ColorOpt, "2026/12/10-01"), "255");
    EXPECT_EQ(f.value(ScheduleSection::ColorOpt, "2026/12/10-02"), "-65280");
    EXPECT_EQ(f.value(ScheduleSection::FontName, "2026/12/10-01"), "IPAMincho");
    EXPECT_EQ(f.value(ScheduleSection::Popup, "2026/12/10-02"), "1,1,10,00,0");
    EXPECT_EQ(test::readBytes(f.dir.file("2026121001.hsk")), test::cp932("aの補足\r\n"));
    // The cut entry's own window file went with it; the copy stays.
    EXPECT_FALSE(std::filesystem::exists(f.dir.file("POP0003.dfm")));
    EXPECT_EQ(f.value(ScheduleSection::PopupFile, "2026/12/10-01"), "POP0002.dfm");
}

TEST(ScheduleClipboard, PasteFitsTheOptionSetsToTheTargetKind) {
    struct Case {
        const char* name;
        EntryRow source;
        EntryKind view; // dated: the day view of 2026/12/08
        EntryKind kind;
        const char* opt;
        const char* opt2;
    };
    const std::vector<Case> table = {
        {"weekly under monthly takes its second set", entry("w", EntryKind::Weekly, "1,0,1,0,1", "2,1,0,0"),
         EntryKind::Monthly, EntryKind::Monthly, "2,1,0,0", " "},
        {"dated under weekly: every week and month", entry("d", EntryKind::Dated), EntryKind::Weekly, EntryKind::Weekly,
         "1,1,1,1,1", "1,1,1,1"},
        {"yearly under monthly", entry("y", EntryKind::Yearly), EntryKind::Monthly, EntryKind::Monthly, "1,1,1,1", " "},
        {"monthly under weekly keeps its set as the second", entry("m", EntryKind::Monthly, "0,0,1,1,0,3"),
         EntryKind::Weekly, EntryKind::Weekly, "1,1,1,1,1", "0,0,1,1,0,3"},
        {"weekly under yearly drops its sets", entry("w", EntryKind::Weekly, "1,0,1,0,1", "2,1,0,0"), EntryKind::Yearly,
         EntryKind::Yearly, " ", " "},
        {"monthly under dated category", entry("m", EntryKind::Monthly, "0,0,1,1"), EntryKind::Dated,
         EntryKind::Monthly, "0,0,1,1", " "},
        {"weekly keeps its own sets under weekly", entry("w", EntryKind::Weekly, "1,0,1,0,1", "2,1,0,0"),
         EntryKind::Weekly, EntryKind::Weekly, "1,0,1,0,1", "2,1,0,0"},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.name);
        ListFixture f("[WEEK]\n3=\"x \"\n[MONTH]\n08=\"x \"\n");
        ScheduleClipboard hub;
        hub.set({c.source});
        ScheduleListContext context = f.context();
        context.clipboard = &hub;
        ScheduleListModel model(context);
        model.open(date("2026/12/08"));
        if (c.view != EntryKind::Dated) {
            model.selectNode(&model.tree().ensureDateNode(c.view, date("2026/12/08")));
        }
        const auto pasted = model.paste();
        ASSERT_EQ(pasted.size(), 1u);
        const EntryRow& row = model.rows()[static_cast<std::size_t>(pasted.front())];
        EXPECT_EQ(row.kind, c.kind);
        EXPECT_EQ(row.field(RowField::Opt), c.opt);
        EXPECT_EQ(row.field(RowField::Opt2), c.opt2);
        EXPECT_TRUE(model.rows().back().parent);
        // Keyed after the existing entry of its list.
        const bool hasOne = c.kind == EntryKind::Weekly || c.kind == EntryKind::Monthly;
        EXPECT_EQ(row.field(RowField::Index), hasOne ? "1" : "0");
    }
}

TEST(ScheduleClipboard, CopyToFollowingDaysAppendsBehindTheirEntries) {
    ListFixture f("[DAY]\n2024/01/30=\"x \",\"会議 \"\n2024/02/01=\"先約 \"\n2100/12/30=\"年末 \"\n"
                  "[COLOROPT]\n2024/01/30-01=255\n2024/02/01-01=9\n"
                  "[POPUP]\n2024/01/30-01=1,1,09,30,0\n[POPUPFILE]\n2024/01/30-01=POP0000.dfm\n");
    test::writeBytes(f.dir.file("2024013001.hsk"), test::cp932("補足\r\n"));
    // A stale description under the key the copy takes must not become the copy's.
    test::writeBytes(f.dir.file("2024020101.hsk"), test::cp932("古い\r\n"));
    ScheduleListModel model(f.context());
    model.open(date("2024/01/30"));
    EXPECT_EQ(model.copyToFollowingDays({1}, 3), 3);
    EXPECT_EQ(model.clipboard().rows().size(), 1u);
    EXPECT_EQ(f.value(ScheduleSection::Day, "2024/01/31"), "\"会議 \"");
    EXPECT_EQ(f.value(ScheduleSection::Day, "2024/02/01"), "\"先約 \",\"会議 \"");
    EXPECT_EQ(f.value(ScheduleSection::Day, "2024/02/02"), "\"会議 \"");
    EXPECT_FALSE(f.has(ScheduleSection::Day, "2024/02/03"));
    EXPECT_EQ(f.value(ScheduleSection::ColorOpt, "2024/02/01-01"), "255");
    EXPECT_EQ(f.value(ScheduleSection::Popup, "2024/01/31-00"), "1,1,09,30,0");
    EXPECT_FALSE(f.has(ScheduleSection::PopupFile, "2024/01/31-00"));
    EXPECT_FALSE(std::filesystem::exists(f.dir.file("2024013100.hsk")));
    EXPECT_FALSE(std::filesystem::exists(f.dir.file("2024020101.hsk")));
    EXPECT_TRUE(model.tree().findDateNode(EntryKind::Dated, date("2024/02/02")));
    EXPECT_TRUE(model.changed());
    // The shown list is as it was.
    EXPECT_EQ(captions(model), (Texts{"x", "会議"}));

    // Never past the last navigable day.
    model.setViewDate(date("2100/12/30"));
    EXPECT_EQ(model.copyToFollowingDays({0}, 6), 1);
    EXPECT_EQ(f.value(ScheduleSection::Day, "2100/12/31"), "\"年末 \"");
}

TEST(ScheduleClipboard, ListMenuEnabling) {
    struct Case {
        const char* name;
        std::vector<int> selected;
        bool clipboard;
        ListMenuState expected;
    };
    // Rows: 0 dated, 1 weekly, 2 "..".
    const std::vector<Case> table = {
        {"nothing selected, empty clipboard", {}, false, {.add = true}},
        {"nothing selected, clipboard filled", {}, true, {.add = true, .paste = true}},
        {"one dated row",
         {0},
         true,
         {.cut = true, .copy = true, .remove = true, .revive = true, .retitle = true, .copyToDays = true}},
        {"one weekly row", {1}, false, {.cut = true, .copy = true, .remove = true, .revive = true, .retitle = true}},
        {"two rows", {0, 1}, true, {.cut = true, .copy = true, .remove = true, .revive = true}},
        {"the parent row among them", {0, 2}, true, {}},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.name);
        ListFixture f("[DAY]\n2026/12/08=\"d \"\n[WEEK]\n3=\"w \"\n");
        ScheduleListModel model(f.context());
        model.open(date("2026/12/08"));
        if (c.clipboard) {
            model.copyRows({0});
        }
        EXPECT_EQ(model.listMenuState(c.selected), c.expected);
    }
}

TEST(ScheduleClipboard, BulkDeletesWalkTheTree) {
    constexpr std::string_view file = "[DAY]\n2026/11/30=\"a \"\n2026/12/01=\"b \"\n2026/12/08=\"c \"\n"
                                      "2026/12/20=\"d \"\n[WEEK]\n3=\"毎週 \"\n[MONTH]\n08=\"毎月 \"\n";
    struct Case {
        const char* name;
        int asnd;
        const char* node; // a dated day or month, or a category's text
        bool upTo;
        Texts left; // the DAY names that remain
    };
    const std::vector<Case> table = {
        {"under a month", 0, "2026/12", false, {"2026/11/30"}},
        {"under the dated category", 1, "0:基本ｽｹｼﾞｭｰﾙ", false, {}},
        {"up to a day, oldest first", 0, "2026/12/01", true, {"2026/12/08", "2026/12/20"}},
        {"up to a day, newest first", 1, "2026/12/08", true, {"2026/12/20"}},
        {"up to a month, oldest first: its days stay", 0, "2026/12", true, {"2026/12/01", "2026/12/08", "2026/12/20"}},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.name);
        ListFixture f(file);
        f.settings.asnd = c.asnd;
        ScheduleListModel model(f.context());
        model.open(date("2026/12/08"));
        const TreeNode& dated = model.tree().category(EntryKind::Dated);
        const TreeNode* node = &dated;
        for (const auto& month : dated.children) {
            if (month->text == c.node) {
                node = month.get();
            }
            for (const auto& day : month->children) {
                if (day->text == c.node) {
                    node = day.get();
                }
            }
        }
        model.selectNode(node);
        const int removed = c.upTo ? model.deleteUpTo(node) : model.deleteUnderNode(node);
        EXPECT_EQ(removed, 4 - static_cast<int>(c.left.size()));
        Texts left;
        for (std::size_t i = 0; i < f.store.section(ScheduleSection::Day).size(); ++i) {
            left.push_back(f.store.section(ScheduleSection::Day).name(i));
        }
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, c.left);
        // The repeating entries a day view shows are not the walk's.
        EXPECT_EQ(f.value(ScheduleSection::Week, "3"), "\"毎週 \"");
        EXPECT_EQ(f.value(ScheduleSection::Month, "08"), "\"毎月 \"");
        EXPECT_EQ(model.selectedNode(), node);
    }
    // Cancelled, nothing goes; the weekly category is no target of "ここ以前".
    ListFixture f(file);
    f.feedback.answer = false;
    ScheduleListModel model(f.context());
    model.open(date("2026/12/08"));
    EXPECT_EQ(model.deleteUnderNode(&model.tree().root()), 0);
    f.feedback.answer = true;
    EXPECT_FALSE(ScheduleListModel::canDeleteUpTo(&model.tree().category(EntryKind::Weekly)));
    EXPECT_EQ(model.deleteUpTo(&model.tree().category(EntryKind::Weekly)), 0);
    EXPECT_EQ(f.store.section(ScheduleSection::Day).size(), 4u);
    // Under a weekly child only the weekly entries go.
    EXPECT_EQ(model.deleteUnderNode(&model.tree().category(EntryKind::Weekly)), 1);
    EXPECT_FALSE(f.has(ScheduleSection::Week, "3"));
    EXPECT_EQ(f.store.section(ScheduleSection::Day).size(), 4u);
}
