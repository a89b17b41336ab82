#include "core/Cp932.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <random>
#include <set>
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

// What a byte that reads as no character decodes to.
std::string stray(unsigned byte) {
    return utf8(0xF700 + byte);
}

std::string hex(const std::string& bytes) {
    std::string out;
    char buffer[4];
    for (const char b : bytes) {
        std::snprintf(buffer, sizeof buffer, "%02X ", static_cast<unsigned char>(b));
        out += buffer;
    }
    return out;
}

// Characters that more than one pair decodes to, found by decoding every pair.
const std::set<char32_t>& charactersWithSeveralPairs() {
    static const std::set<char32_t> several = [] {
        std::map<char32_t, int> count;
        for (unsigned code = 0x8140; code <= 0xFCFC; ++code) {
            const auto chars = codePoints(cp932::toUtf8(pair(code)));
            if (chars.size() == 1) {
                ++count[chars[0]];
            }
        }
        std::set<char32_t> out;
        for (const auto& [c, n] : count) {
            if (n > 1) {
                out.insert(c);
            }
        }
        return out;
    }();
    return several;
}

bool hasCharacterWithSeveralPairs(const std::string& text) {
    const auto chars = codePoints(text);
    return std::any_of(chars.begin(), chars.end(),
                       [](char32_t c) { return charactersWithSeveralPairs().count(c) != 0; });
}

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

TEST(Cp932Test, LinuxInputCharactersAreWrittenAsJisPairs) {
    struct Case {
        char32_t typed;
        unsigned written;
        char32_t readBack; // Microsoft's character at that pair
    };
    const Case cases[] = {
        {0x301C, 0x8160, 0xFF5E}, // 〜
        {0x2212, 0x817C, 0xFF0D}, // −
        {0x2016, 0x8161, 0x2225}, // ‖
        {0x00A2, 0x8191, 0xFFE0}, // ¢
        {0x00A3, 0x8192, 0xFFE1}, // £
        {0x00AC, 0x81CA, 0xFFE2}, // ¬
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "U+" << std::hex << static_cast<unsigned>(c.typed));
        EXPECT_TRUE(cp932::canEncode(utf8(c.typed)));
        EXPECT_EQ(encodeExact(utf8(c.typed), nullptr), pair(c.written));
        EXPECT_EQ(decodeExact(pair(c.written)), utf8(c.readBack));
        EXPECT_EQ(cp932::fromUtf8(utf8(c.readBack)), pair(c.written));
    }
    // Refused before: an entry typed on Linux could not be saved.
    EXPECT_EQ(encodeExact("会議 10:00〜12:00", nullptr),
              pair(0x89EF) + pair(0x8B63) + " 10:00" + pair(0x8160) + "12:00");
}

TEST(Cp932Test, SingleBytesAreAsciiKanaOrStrayBytes) {
    for (unsigned b = 0; b < 0x100; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const bool kana = b >= 0xA1 && b <= 0xDF;
        const std::string decoded = decodeExact(byte);
        if (b < 0x80 || kana) {
            EXPECT_EQ(decoded, utf8(kana ? 0xFF61 + (b - 0xA1) : b)) << b;
        } else {
            EXPECT_EQ(decoded, stray(b)) << b; // 0x80, 0xA0, 0xFD-0xFF, and lead bytes at the end
        }
        EXPECT_EQ(encodeExact(decoded, nullptr), byte) << b;
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
            EXPECT_EQ(decoded, stray(lead) + decodeExact(std::string(1, static_cast<char>(trail)))) << std::hex << code;
        }
    }
    for (const auto& [c, codes] : pairsOf) {
        EXPECT_FALSE(c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F)) << std::hex << c;
        // Stray bytes must never read as a real character.
        EXPECT_FALSE(c >= 0xF700 && c <= 0xF7FF) << std::hex << c;
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

TEST(Cp932Test, StrayBytesAreKeptWithoutSwallowingText) {
    const std::string a = utf8(0x3042);
    const std::pair<std::string, std::string> cases[] = {
        {"\x80", stray(0x80)},
        {"\xA0x", stray(0xA0) + "x"},
        {"\xFD\xFE\xFF", stray(0xFD) + stray(0xFE) + stray(0xFF)},
        {"\x81", stray(0x81)},                        // lead byte at the end
        {"ab\xFC", "ab" + stray(0xFC)},               // lead byte at the end
        {"\x81\x20", stray(0x81) + " "},              // trail out of range
        {"\x81\x7F", stray(0x81) + "\x7F"},           // 0x7F is never a trail
        {"\x85\x40", stray(0x85) + "@"},              // unmapped row, ASCII second byte kept
        {"\x82\x22x\"", stray(0x82) + "\"x\""},       // a quote after a lead byte survives
        {"\x81\xFD", stray(0x81) + stray(0xFD)},      // 0xFD is no trail and no character
        {"\x85\x82\xA0", stray(0x85) + a},            // a real pair right after a bad lead
        {"\x87\xB1", stray(0x87) + utf8(0xFF71)},     // unmapped pair, kana second byte kept
        {"\xEB\x9F", stray(0xEB) + stray(0x9F)},      // second byte is a lead at the end
        {"\x81\x81\xA0", utf8(0xFF1D) + stray(0xA0)}, // a pair, then a stray byte
        {std::string("\x81\0", 2), stray(0x81) + std::string(1, '\0')},
        {"", ""},
    };
    for (const auto& [bytes, expected] : cases) {
        SCOPED_TRACE(hex(bytes));
        EXPECT_EQ(decodeExact(bytes), expected);
        EXPECT_EQ(encodeExact(expected, nullptr), bytes);
    }
}

TEST(Cp932Test, DecodedBytesAreWrittenBackAsTheyWere) {
    struct Case {
        const char* name;
        std::string bytes;
        std::string written; // empty: the bytes themselves
    };
    const std::string kanji = pair(0x8ABF) + pair(0x8E9A); // 漢字
    const Case cases[] = {
        {"lead byte before a blank", "2024/01/05=\"\x81 abc \"", ""},
        {"byte that is no character", "x\xFDy", ""},
        {"file saved as UTF-8", "\xE4\xBC\x9A\xE8\xAD\xB0", ""},                      // 会議
        {"UTF-8 with a lead at the end", "\xE4\xBC\x9A\xE8\xAD\xB0\xE3\x81\x82", ""}, // 会議あ
        {"cut inside a pair", kanji.substr(0, 3), ""},
        {"cut inside a pair, then a line end", kanji.substr(0, 3) + "\r\n", ""},
        {"every bad single byte", "\x80\xA0\xFD\xFE\xFF", ""},
        // A stray lead before a character with several pairs keeps standing alone.
        {"stray 0x81 before the IBM not sign", "\x81\xFA\x54", ""},
        {"stray 0xEA before the IBM numeral one", "\xEA\xFA\x4A", ""},
        {"stray 0x84 before the IBM because sign", "\x84\xFA\x5B", ""},
        {"stray 0x87 before the IBM numero sign", "\x87\xFA\x59", ""},
        // Where the lead stays alone either way, the written pair is the usual one.
        {"stray 0x81 before a NEC-selected kanji", "\x81\xED\x40", "\x81\xFA\x5C"},
        {"NEC row duplicate", pair(0x8790), pair(0x81E0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string decoded = decodeExact(c.bytes);
        const auto written = encodeExact(decoded, nullptr);
        ASSERT_TRUE(written.has_value());
        EXPECT_EQ(hex(*written), hex(c.written.empty() ? c.bytes : c.written));
        EXPECT_EQ(decodeExact(*written), decoded);
    }
    for (unsigned b = 0x80; b <= 0xFF; ++b) {
        const std::string alone(1, static_cast<char>(b));
        EXPECT_EQ(cp932::fromUtf8(cp932::toUtf8(alone)), alone) << b;
    }
}

TEST(Cp932Test, RandomBytesAreWrittenBackAsTheSameText) {
    // Bytes that make lone leads, pairs of duplicated characters and bad bytes likely.
    const unsigned char interesting[] = {0x81, 0x82, 0x84, 0x87, 0xEA, 0xED, 0xEE, 0xFA, 0xFB, 0xFC, 0x40,
                                         0x4A, 0x54, 0x5C, 0x7F, 0x80, 0x90, 0xA0, 0xFD, 0xFE, 0xFF, 0x20};
    std::mt19937 random(20240105);
    std::uniform_int_distribution<int> length(0, 16);
    std::uniform_int_distribution<int> anyByte(0, 0xFF);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof interesting - 1);
    int rewritten = 0;
    for (int n = 0; n < 20000; ++n) {
        std::string bytes;
        for (int k = length(random); k > 0; --k) {
            bytes += static_cast<char>(anyByte(random) < 0x80 ? interesting[pick(random)] : anyByte(random));
        }
        const std::string decoded = decodeExact(bytes);
        const auto written = encodeExact(decoded, nullptr);
        ASSERT_TRUE(written.has_value()) << hex(bytes);
        ASSERT_EQ(decodeExact(*written), decoded) << hex(bytes) << "written as " << hex(*written);
        if (hasCharacterWithSeveralPairs(decoded)) {
            rewritten += *written != bytes;
        } else {
            ASSERT_EQ(hex(*written), hex(bytes));
        }
    }
    EXPECT_GT(rewritten, 100) << "the inputs hardly reach characters with several pairs";
}

TEST(Cp932Test, UnencodableTextReportsOffsetAndCharacter) {
    struct Case {
        std::string text;
        std::size_t offset;
        char32_t character;
    };
    const Case cases[] = {
        // Characters with no CP932 form, including ones Python writes as single bytes.
        {utf8(0x3042) + utf8(0x2014), 3, 0x2014},
        {"x" + utf8(0x1F600) + "y", 1, 0x1F600},
        {utf8(0xA5), 0, 0xA5},
        {utf8(0x80), 0, 0x80},
        {utf8(0xF8F0), 0, 0xF8F0},
        {utf8(0xFFFD), 0, 0xFFFD},
        // Next to the stray-byte range: U+F700-U+F77F would be ASCII, U+F800 is past it.
        {"ab" + utf8(0xF77F), 2, 0xF77F},
        {utf8(0xF741), 0, 0xF741},
        {utf8(0xF800), 0, 0xF800},
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

    // A stray byte is written whatever follows it, so text made of encodable
    // pieces stays encodable; an edit that puts a lone lead before a byte it
    // pairs with reads back as that pair, and 0xA1-0xDF always read as kana.
    const std::pair<std::string, std::string> edited[] = {
        {utf8(0xF781) + "A", "\x81"
                             "A"},
        {utf8(0xF781) + utf8(0x301C), "\x81" + pair(0x8160)},
        {utf8(0xF7B1), "\xB1"},
        {utf8(0xF780) + utf8(0xF7FF), "\x80\xFF"},
    };
    for (const auto& [pieces, written] : edited) {
        EXPECT_TRUE(cp932::canEncode(pieces)) << hex(written);
        EXPECT_EQ(encodeExact(pieces, nullptr), written);
    }
}
