#include "editor/ScheduleListModel.h"

#include "EditorTestSupport.h"

using namespace velmora;
using velmora::test::date;
using velmora::test::ListFixture;

namespace {

// Two months of dated days, a weekly, a monthly and a yearly list; opened on
// 2026/12/08 oldest first, the tree walks 2026/11/30, 2026/12/01, 2026/12/08,
// then 3:火曜日, 08, 12/08.
constexpr std::string_view kSearchFile = "[DAY]\n2026/11/30=\"ABC meeting \",\"lunch \"\n"
                                         "2026/12/01=\"ｶﾞｲﾄﾞ確認 \",\"abc review \",\"abc again \"\n"
                                         "2026/12/08=\"（定例）ＭＴＧ \"\n"
                                         "[WEEK]\n3=\"週次ａｂｃ \"\nWEEK3-00OPT=1,1,1,1,1\n"
                                         "[MONTH]\n08=\"月次 \"\n"
                                         "[YEAR]\n12/08=\"記念日 abc \"\n";

struct Found {
    std::string node;
    std::string caption;
};

Found found(ScheduleListModel& model, int row) {
    if (row < 0) {
        return {"", ""};
    }
    return {model.selectedNode()->text, model.rows()[static_cast<std::size_t>(row)].caption};
}

} // namespace

TEST(ScheduleSearch, FindsEachMatchInTreeOrderThenTheEnd) {
    ListFixture f(kSearchFile);
    f.settings.asnd = 0;
    ScheduleListModel model(f.context());
    model.open(date("2026/12/08"));
    model.startSearchAll();
    // Without match case: ABC, abc and ａｂｃ are one; consecutive matches are each found.
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"2026/11/30", "ABC meeting"}, {"2026/12/01", "abc review"}, {"2026/12/01", "abc again"},
        {"3:火曜日", "週次ａｂｃ"},    {"12/08", "記念日 abc"},
    };
    for (const auto& [node, caption] : expected) {
        const Found hit = found(model, model.findNext("abc", false));
        EXPECT_EQ(hit.node, node);
        EXPECT_EQ(hit.caption, caption);
        EXPECT_TRUE(model.selectedNode()->searchHit);
    }
    EXPECT_TRUE(f.feedback.messages.empty());
    EXPECT_EQ(model.findNext("abc", false), -1);
    EXPECT_EQ(f.feedback.messages, std::vector<std::string>{"データの最後です"});
    EXPECT_EQ(model.search().position(), SearchPosition{});
    // After the end the walk starts again from the first dated day.
    EXPECT_EQ(found(model, model.findNext("abc", false)).node, "2026/11/30");
}

TEST(ScheduleSearch, MatchCaseFoldingAndBadTexts) {
    struct Case {
        const char* text;
        bool matchCase;
        const char* node; // "" for the end
    };
    for (const Case& c :
         {Case{"abc", true, "2026/12/01"}, Case{"ABC", true, "2026/11/30"}, Case{"ａｂｃ", true, "3:火曜日"},
          Case{"ガイド", false, "2026/12/01"}, Case{"ｶﾞｲﾄﾞ", false, "2026/12/01"}, Case{"ガイド", true, ""},
          Case{"(定例)mtg", false, "2026/12/08"}, Case{"nothing", false, ""}, Case{"", false, ""},
          // A text the code page cannot hold can be in no entry.
          Case{"🙂", false, ""}}) {
        SCOPED_TRACE(c.text);
        ListFixture f(kSearchFile);
        f.settings.asnd = 0;
        ScheduleListModel model(f.context());
        model.open(date("2026/12/08"));
        model.startSearchAll();
        const int row = model.findNext(c.text, c.matchCase);
        EXPECT_EQ(found(model, row).node, c.node);
        EXPECT_EQ(f.feedback.messages.size(), *c.node ? 0u : 1u);
    }
}

TEST(ScheduleSearch, StartsFromTheSelectedNodeAndStopsWhenClosed) {
    ListFixture f(kSearchFile);
    f.settings.asnd = 0;
    ScheduleListModel model(f.context());
    model.open(date("2026/12/08"));
    struct Case {
        const TreeNode* from;
        const char* node;
    };
    const TreeNode& dated = model.tree().category(EntryKind::Dated);
    const TreeNode& december = *dated.children[1];
    for (const Case& c :
         {Case{&model.tree().root(), "2026/11/30"}, Case{&december, "2026/12/01"},
          Case{december.children[1].get(), "3:火曜日"}, Case{&model.tree().category(EntryKind::Yearly), "12/08"}}) {
        SCOPED_TRACE(c.node);
        model.selectNode(c.from);
        model.startSearchHere();
        EXPECT_EQ(found(model, model.findNext("abc", false)).node, c.node);
    }
    model.search().stop();
    const TreeNode* before = model.selectedNode();
    EXPECT_EQ(model.findNext("abc", false), -1);
    EXPECT_EQ(model.selectedNode(), before);
}

// The shown list's unsaved edits are what the search sees.
TEST(ScheduleSearch, SearchesTheShownListAsEdited) {
    ListFixture f(kSearchFile);
    ScheduleListModel model(f.context());
    model.open(date("2026/12/08"));
    ASSERT_TRUE(model.retitleRow(0, "新しい予定"));
    model.startSearchAll();
    const Found hit = found(model, model.findNext("新しい", false));
    EXPECT_EQ(hit.node, "2026/12/08");
    EXPECT_EQ(hit.caption, "新しい予定");
}
