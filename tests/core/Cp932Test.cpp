#include "core/Cp932.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

using namespace velmora;

namespace {

std::string utf8(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

// Code points of well-formed UTF-8 (the decoder's output).
std::vector<char32_t> codePoints(const std::string& s) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = n == 1 ? b : b & (0x7F >> n);
        for (std::size_t k = 1; k < n && i + k < s.size(); ++k) {
            c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        }
        out.push_back(c);
        i += n;
    }
    return out;
}

std::string pair(unsigned code) {
    return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

// Inputs live in buffers of exactly their size, so the sanitizer sees any read past the end.
std::string decodeExact(const std::string& bytes) {
    const std::vector<char> buffer(bytes.begin(), bytes.end());
    return cp932::toUtf8({buffer.data(), buffer.size()});
}
std::optional<std::string> encodeExact(const std::string& text, cp932::EncodeError* error) {
    const std::vector<char> buffer(text.begin(), text.end());
    return cp932::fromUtf8({buffer.data(), buffer.size()}, error);
}

const std::string kBad = utf8(0xFFFD);

} // namespace

TEST(Cp932Test, KnownCharactersMapBothWays) {
    struct Case {
        std::string bytes;
        char32_t unicode;
        std::string written; // what encoding the character writes; empty means `bytes`
    };
    const Case cases[] = {
        {"\x5C", 0x5C, ""},
        {"\x7E", 0x7E, ""},
        {pair(0x8160), 0xFF5E, ""},
        {pair(0x817C), 0xFF0D, ""},
        {pair(0x818F), 0xFFE5, ""},
        {pair(0x815F), 0xFF3C, ""},
        {pair(0x82A0), 0x3042, ""},
        {pair(0x8ABF), 0x6F22, ""},
        {"\xB1", 0xFF71, ""},
        {pair(0x8740), 0x2460, ""},
        {pair(0xF040), 0xE000, ""},
        {pair(0xF9FC), 0xE757, ""},
        // Duplicates: JIS rows over NEC row 13 over the IBM rows, IBM over NEC-selected IBM.
        {pair(0x8790), 0x2252, pair(0x81E0)},
        {pair(0x879A), 0x2235, pair(0x81E6)},
        {pair(0xFA5B), 0x2235, pair(0x81E6)},
        {pair(0xFA54), 0xFFE2, pair(0x81CA)},
        {pair(0xFA4A), 0x2160, pair(0x8754)},
        {pair(0xEEEF), 0x2170, pair(0xFA40)},
        {pair(0xEEE0), 0x9AD9, pair(0xFBFC)},
        {pair(0xED40), 0x7E8A, pair(0xFA5C)},
        {pair(0xEDF8), 0x7147, pair(0xFB57)},
        {pair(0xFA40), 0x2170, ""},
        {pair(0xFBFC), 0x9AD9, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "U+" << std::hex << static_cast<unsigned>(c.unicode));
        EXPECT_EQ(decodeExact(c.bytes), utf8(c.unicode));
        EXPECT_EQ(cp932::fromUtf8(utf8(c.unicode)), c.written.empty() ? c.bytes : c.written);
    }
    EXPECT_EQ(decodeExact("a\xB1" + pair(0x8ABF) + "\\~"), "a\xEF\xBD\xB1\xE6\xBC\xA2\\~");
}

TEST(Cp932Test, SingleBytesAreAsciiKanaOrReplaced) {
    for (unsigned b = 0; b < 0x100; ++b) {
        const bool kana = b >= 0xA1 && b <= 0xDF;
        const std::string decoded = decodeExact(std::string(1, static_cast<char>(b)));
        if (b < 0x80 || kana) {
            EXPECT_EQ(decoded, utf8(kana ? 0xFF61 + (b - 0xA1) : b)) << b;
            EXPECT_EQ(cp932::fromUtf8(decoded), std::string(1, static_cast<char>(b))) << b;
        } else {
            EXPECT_EQ(decoded, kBad) << b; // 0x80, 0xA0, 0xFD-0xFF, and lead bytes at the end
        }
    }
}

TEST(Cp932Test, EveryPairRoundTripsToItsPreferredForm) {
    std::map<unsigned, std::vector<unsigned>> pairsOf; // code point -> pairs
    for (unsigned code = 0x8100; code <= 0xFCFF; ++code) {
        const unsigned lead = code >> 8;
        const unsigned trail = code & 0xFF;
        if (lead > 0x9F && lead < 0xE0) {
            continue;
        }
        const std::string decoded = decodeExact(pair(code));
        const std::vector<char32_t> chars = codePoints(decoded);
        if (chars.size() == 1 && chars[0] != 0xFFFD) {
            EXPECT_TRUE(trail >= 0x40 && trail <= 0xFC && trail != 0x7F) << std::hex << code;
            pairsOf[chars[0]].push_back(code);
        } else {
            // Only the lead byte is given up; the second byte is read on its own.
            EXPECT_EQ(decoded, kBad + decodeExact(std::string(1, static_cast<char>(trail)))) << std::hex << code;
        }
    }
    for (const auto& [c, codes] : pairsOf) {
        EXPECT_FALSE(c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F)) << std::hex << c;
        // The lowest pair that reads as the character, the IBM rows before their NEC-selected copies.
        std::vector<unsigned> ranked = codes;
        for (unsigned& code : ranked) {
            if (code >= 0xED00 && code <= 0xEEFF) {
                code += 0x10000; // ranks after 0xFCFF
            }
        }
        const unsigned best = *std::min_element(ranked.begin(), ranked.end()) & 0xFFFF;
        EXPECT_EQ(encodeExact(utf8(c), nullptr), pair(best)) << std::hex << c;
    }

    auto decodesTo = [](unsigned code) {
        const auto chars = codePoints(decodeExact(pair(code)));
        return chars.size() == 1 ? chars[0] : U'\0';
    };
    // Rows whose layout is fixed: kana in sequence, user-defined area from U+E000.
    for (unsigned i = 0; i <= 0x52; ++i) {
        EXPECT_EQ(decodesTo(0x829F + i), 0x3041 + i) << i;
    }
    for (unsigned i = 0; i <= 0x55; ++i) {
        EXPECT_EQ(decodesTo(0x8340 + i + (i >= 0x3F ? 1 : 0)), 0x30A1 + i) << i;
    }
    char32_t next = 0xE000;
    for (unsigned lead = 0xF0; lead <= 0xF9; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail != 0x7F) {
                ASSERT_EQ(decodesTo((lead << 8) | trail), next++) << std::hex << lead << trail;
            }
        }
    }
    // Kanji levels 1 (889F-9872) and 2 (989F-EAA4) have no holes, and nothing follows either.
    for (unsigned code = 0x889F; code <= 0xEAA4; ++code) {
        const unsigned lead = code >> 8;
        const unsigned trail = code & 0xFF;
        if ((lead > 0x9F && lead < 0xE0) || trail < 0x40 || trail == 0x7F || trail > 0xFC ||
            (code > 0x9872 && code < 0x989F)) {
            continue;
        }
        const char32_t c = decodesTo(code);
        ASSERT_TRUE(c >= 0x4E00 && c <= 0x9FFF) << std::hex << code;
    }
    EXPECT_EQ(decodesTo(0x9873), U'\0');
    EXPECT_EQ(decodesTo(0xEAA5), U'\0');
}

TEST(Cp932Test, BadBytesBecomeReplacementWithoutSwallowingText) {
    const std::string a = utf8(0x3042);
    const std::pair<std::string, std::string> cases[] = {
        {"\x80", kBad},
        {"\xA0x", kBad + "x"},
        {"\xFD\xFE\xFF", kBad + kBad + kBad},
        {"\x81", kBad},                    // lead byte at the end
        {"ab\xFC", "ab" + kBad},           // lead byte at the end
        {"\x81\x20", kBad + " "},          // trail out of range
        {"\x81\x7F", kBad + "\x7F"},       // 0x7F is never a trail
        {"\x85\x40", kBad + "@"},          // unmapped row, ASCII second byte kept
        {"\x82\x22x\"", kBad + "\"x\""},   // a quote after a lead byte survives
        {"\x81\xFD", kBad + kBad},         // 0xFD is no trail and no character
        {"\x85\x82\xA0", kBad + a},        // a real pair right after a bad lead
        {"\x87\xB1", kBad + utf8(0xFF71)}, // unmapped pair, kana second byte kept
        {"\xEB\x9F", kBad + kBad},         // second byte is a lead at the end
        {std::string("\x81\0", 2), kBad + std::string(1, '\0')},
        {"", ""},
    };
    for (const auto& [bytes, expected] : cases) {
        EXPECT_EQ(decodeExact(bytes), expected) << testing::PrintToString(bytes);
    }
}

TEST(Cp932Test, UnencodableTextReportsOffsetAndCharacter) {
    struct Case {
        std::string text;
        std::size_t offset;
        char32_t character;
    };
    const Case cases[] = {
        // Characters with no CP932 form, including ones Python writes one way only.
        {"ab" + utf8(0x301C), 2, 0x301C},
        {utf8(0x3042) + utf8(0x2014), 3, 0x2014},
        {"x" + utf8(0x1F600) + "y", 1, 0x1F600},
        {utf8(0xA5), 0, 0xA5},
        {utf8(0xA2), 0, 0xA2},
        {utf8(0x2212), 0, 0x2212},
        {utf8(0x80), 0, 0x80},
        {utf8(0xF8F0), 0, 0xF8F0},
        {utf8(0xFFFD), 0, 0xFFFD},
        // Malformed UTF-8 is reported as U+FFFD at the start of the bad sequence.
        {"ab\x80", 2, 0xFFFD},                  // stray continuation byte
        {"\xFF", 0, 0xFFFD},                    // never a UTF-8 byte
        {"\xC0\xAF", 0, 0xFFFD},                // overlong "/"
        {"a\xE0\x80\xAF", 1, 0xFFFD},           // overlong, three bytes
        {"\xF0\x82\x82\xAC", 0, 0xFFFD},        // overlong, four bytes
        {"\xED\xA0\x80", 0, 0xFFFD},            // surrogate
        {"\xF4\x90\x80\x80", 0, 0xFFFD},        // above U+10FFFF
        {utf8(0x3042) + "\xE3\x81", 3, 0xFFFD}, // truncated at the end
        {"\xE3\x81x", 0, 0xFFFD},               // truncated by ASCII
        {"\xC3", 0, 0xFFFD},                    // lone lead at the end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        cp932::EncodeError error{99, 0};
        EXPECT_FALSE(encodeExact(c.text, &error).has_value());
        EXPECT_EQ(error.offset, c.offset);
        EXPECT_EQ(error.character, c.character);
        EXPECT_FALSE(cp932::canEncode(c.text));
        EXPECT_FALSE(encodeExact(c.text, nullptr).has_value());
    }
}

TEST(Cp932Test, CanEncodeAcceptsWhatFromUtf8Writes) {
    const std::string text = "Meeting 10:00 \\ " + utf8(0x3042) + utf8(0x6F22) + utf8(0xFF71) + utf8(0x2460) +
                             utf8(0xE000) + utf8(0x9AD9) + utf8(0xFF5E) + std::string(1, '\0') + "~";
    EXPECT_TRUE(cp932::canEncode(text));
    EXPECT_TRUE(cp932::canEncode(""));
    const auto bytes = cp932::fromUtf8(text);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(*bytes, "Meeting 10:00 \\ " + pair(0x82A0) + pair(0x8ABF) + "\xB1" + pair(0x8740) + pair(0xF040) +
                          pair(0xFBFC) + pair(0x8160) + std::string(1, '\0') + "~");
    EXPECT_EQ(cp932::toUtf8(*bytes), text);
    EXPECT_EQ(cp932::fromUtf8(""), std::string());
}
