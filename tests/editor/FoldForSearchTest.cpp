#include "editor/FoldForSearch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace velmora;

namespace {

struct Fold {
    const char* name;
    std::string in;
    std::string out;
};

std::string utf8(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

} // namespace

TEST(FoldForSearch, PunctuationDigitsAndLetters) {
    const std::vector<Fold> table = {
        {"ideographic space", "　", " "},
        {"comma period colon semicolon", "，．：；", ",.:;"},
        {"question exclamation circumflex slash tilde bar", "？！＾／～｜", "?!^/~|"},
        {"wave dash as the code page's tilde", "〜", "~"},
        {"single quotes and prime", "‘’′", "'''"},
        {"double quotes and double prime", "“”″", "\"\"\""},
        {"brackets", "（）［］｛｝", "()[]{}"},
        {"plus minus", "＋－", "+-"},
        {"minus sign as the code page's minus", "−", "-"},
        {"equals and geta", "＝〓", "=="},
        {"less greater", "＜＞", "<>"},
        {"yen", "￥", "\\"},
        {"dollar percent hash ampersand asterisk at", "＄％＃＆＊＠", "$%#&*@"},
        {"full-width digits", "０１２３４５６７８９", "0123456789"},
        {"full-width upper case", "ＡＢＣＸＹＺ", "ABCXYZ"},
        {"full-width lower case", "ａｂｃｘｙｚ", "ABCXYZ"},
        {"ASCII lower case", "abc xyz", "ABC XYZ"},
        {"ASCII kept", "ABC 019 !?", "ABC 019 !?"},
        {"other double-byte kept", "会議ひらがなカタカナ①", "会議ひらがなカタカナ①"},
        {"full-width katakana kept with its marks", "ガパ゛", "ガパ゛"},
        {"empty", "", ""},
    };
    for (const Fold& f : table) {
        EXPECT_EQ(foldForSearch(f.in), f.out) << f.name;
    }
}

TEST(FoldForSearch, EveryHalfWidthKatakana) {
    const std::u32string full =
        U"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホ"
        U"マミムメモヤユヨラリルレロワン";
    ASSERT_EQ(full.size(), 0xFF9Eu - 0xFF61u);
    for (char32_t c = 0xFF61; c <= 0xFF9D; ++c) {
        EXPECT_EQ(foldForSearch(utf8(c)), utf8(full[c - 0xFF61])) << std::hex << static_cast<unsigned>(c);
    }
}

TEST(FoldForSearch, VoicedAndSemiVoicedMarks) {
    const std::vector<Fold> table = {
        {"ka row voiced", "ｶﾞｷﾞｸﾞｹﾞｺﾞ", "ガギグゲゴ"},
        {"sa row voiced", "ｻﾞｼﾞｽﾞｾﾞｿﾞ", "ザジズゼゾ"},
        {"ta row voiced", "ﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞ", "ダヂヅデド"},
        {"ha row voiced", "ﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞ", "バビブベボ"},
        {"ha row semi-voiced", "ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ", "パピプペポ"},
        {"u voiced", "ｳﾞ", "ヴ"},
        {"mark after a kana without that form is dropped", "ｱﾞｶﾟﾝﾞｯﾞ", "アカンッ"},
        {"mark standing alone stays", "ﾞ", "ﾞ"},
        {"mark after ASCII stays", "Aﾟ", "Aﾟ"},
        {"mark after a full-width kana stays", "カﾞ", "カﾞ"},
        {"second mark stands alone", "ｶﾞﾞ", "ガﾞ"},
        {"mixed text", "ﾐｰﾃｨﾝｸﾞ 3F", "ミーティング 3F"},
    };
    for (const Fold& f : table) {
        EXPECT_EQ(foldForSearch(f.in), f.out) << f.name;
    }
}

// Bytes that are no UTF-8 (the codec's stand-ins are valid, but a cut text may not be) pass through.
TEST(FoldForSearch, InvalidBytesPassThrough) {
    const std::string broken = std::string("a\xE3\x81", 3);
    EXPECT_EQ(foldForSearch(broken), std::string("A\xE3\x81", 3));
}
