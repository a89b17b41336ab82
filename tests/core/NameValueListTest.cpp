#include "core/NameValueList.h"

#include <gtest/gtest.h>

using namespace velmora;
using Items = std::vector<std::string>;

TEST(NameValueList, LookupIgnoresCaseAndTheFirstMatchWins) {
    NameValueList list({"Alpha=1", "no equals sign", "ALPHA=2", "b=x=y", "=empty name"});
    EXPECT_EQ(list.find("alpha"), "1");
    EXPECT_EQ(list.indexOfName("aLpHa"), 0u);
    EXPECT_EQ(list.find("B"), "x=y"); // only the first "=" separates
    EXPECT_EQ(list.find("missing"), std::nullopt);
    EXPECT_EQ(list.value("missing"), "");
    EXPECT_EQ(list.name(1), "");
    EXPECT_EQ(list.valueAt(1), "");
    EXPECT_FALSE(list.contains("no equals sign"));

    list.set("ALPHA", "3");
    EXPECT_EQ(list.line(0), "Alpha=3"); // the stored spelling stays
    EXPECT_EQ(list.line(2), "ALPHA=2");
    list.set("new", "v");
    EXPECT_EQ(list.lines().back(), "new=v");
    EXPECT_TRUE(list.remove("alpha"));
    EXPECT_EQ(list.find("alpha"), "2"); // the shadowed duplicate comes forward
}

TEST(NameValueList, SortIgnoresCaseAndKeepsEqualLinesInOrder) {
    NameValueList list({"b=1", "A=2", "a=3", "C=4"});
    list.sortIgnoreCase();
    EXPECT_EQ(list.lines(), (Items{"A=2", "a=3", "b=1", "C=4"}));
}

struct CommaCase {
    const char* name;
    Items items;
    std::string text;
};

// Named in test listings by the case, not by its bytes.
void PrintTo(const CommaCase& c, std::ostream* os) {
    *os << c.name;
}

class CommaTextRoundTrip : public testing::TestWithParam<CommaCase> {};

TEST_P(CommaTextRoundTrip, WritesAndReadsBack) {
    const CommaCase& c = GetParam();
    EXPECT_EQ(toCommaText(c.items), c.text);
    EXPECT_EQ(fromCommaText(c.text), c.items);
}

INSTANTIATE_TEST_SUITE_P(Items, CommaTextRoundTrip,
                         testing::Values(CommaCase{"plain", {"a", "b", "c"}, "a,b,c"},
                                         CommaCase{"blank is quoted", {"a b", "c"}, "\"a b\",c"},
                                         CommaCase{"comma is quoted", {"x,y"}, "\"x,y\""},
                                         CommaCase{"quote is doubled", {"say \"hi\""}, "\"say \"\"hi\"\"\""},
                                         CommaCase{"lone empty item", {""}, "\"\""},
                                         CommaCase{"empty item between", {"a", "", "b"}, "a,,b"},
                                         CommaCase{"japanese is not quoted", {"仕事", "個人"}, "仕事,個人"},
                                         CommaCase{"leading blank kept in quotes", {" x", "y "}, "\" x\",\"y \""}),
                         [](const auto& row) {
                             std::string n = row.param.name;
                             for (char& ch : n) {
                                 if (!isalnum(static_cast<unsigned char>(ch))) {
                                     ch = '_';
                                 }
                             }
                             return n;
                         });

struct SplitCase {
    const char* text;
    Items items;
};

TEST(CommaText, SplitsAtCommasAndBlanksOutsideQuotes) {
    const SplitCase cases[] = {
        {"a b,c", {"a", "b", "c"}}, // blanks separate too
        {"  a ,  b  ", {"a", "b"}}, // blanks around items vanish
        {"a,", {"a", ""}},          // a trailing comma adds an empty item
        {"a, ", {"a"}},             // ...but not when blanks follow it
        {"\"ab\"cd", {"ab", "cd"}}, // text after a closing quote is a new item
        {"\"unterminated", {"unterminated"}},
        {"\"a\"\"b\",c", {"a\"b", "c"}},
        {"", {}},
        {",", {"", ""}},
    };
    for (const SplitCase& c : cases) {
        EXPECT_EQ(fromCommaText(c.text), c.items) << c.text;
    }
}
