#include "core/Cp932.h"

#include "core/Cp932Table.h"

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <vector>

namespace velmora::cp932 {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr unsigned kFirstKana = 0xA1;
constexpr unsigned kLastKana = 0xDF;
constexpr char32_t kFirstKanaUnicode = 0xFF61;
// A byte that reads as nothing decodes to kEscapeBase + byte; see Cp932.h.
constexpr char32_t kEscapeBase = 0xF700;

// Every character of the table is in the BMP, so a UTF-8 form is at most three bytes.
char* putUtf8(char* out, char32_t c) {
    if (c < 0x80) {
        *out++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *out++ = static_cast<char>(0xC0 | (c >> 6));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out++ = static_cast<char>(0xE0 | (c >> 12));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// Reads one non-ASCII UTF-8 sequence of at most `avail` bytes. Overlong forms,
// surrogates, values above U+10FFFF and truncated sequences are refused; the
// per-lead bounds of the first continuation byte rule them out without a
// separate check.
bool readUtf8(const unsigned char* s, std::size_t avail, char32_t& c, std::size_t& length) {
    const unsigned b0 = s[0];
    unsigned lo = 0x80;
    unsigned hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        c = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        c = b0 & 0x0F;
        lo = b0 == 0xE0 ? 0xA0 : lo;
        hi = b0 == 0xED ? 0x9F : hi;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        c = b0 & 0x07;
        lo = b0 == 0xF0 ? 0x90 : lo;
        hi = b0 == 0xF4 ? 0x8F : hi;
    } else {
        return false;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if (k >= avail || s[k] < lo || s[k] > hi) {
            return false;
        }
        c = (c << 6) | (s[k] & 0x3F);
        lo = 0x80;
        hi = 0xBF;
    }
    return true;
}

bool isNecSelected(std::uint16_t code) {
    return code >= 0xED00 && code <= 0xEEFF;
}

struct Tables {
    // CP932 form of every BMP character: 0 for none, a byte below 0x100, or a
    // pair as lead << 8 | trail. ASCII is handled before the lookup, so 0 is free.
    std::vector<std::uint16_t> reverse;
    // Every pair of each character that has several, by character, the
    // written pair first and then the IBM rows before the NEC-selected copies.
    std::vector<table::CharCode> alternates;
};

const Tables& tables() {
    // Never destroyed: the last saves of a program that the lost display
    // ends with exit() may run after static destructors.
    static const Tables& built = *new Tables([] {
        Tables r;
        r.reverse.assign(0x10000, 0);
        for (unsigned b = kFirstKana; b <= kLastKana; ++b) {
            r.reverse[kFirstKanaUnicode + (b - kFirstKana)] = static_cast<std::uint16_t>(b);
        }
        // The generator makes sure that no pair decodes to an escape.
        for (unsigned b = 0x80; b <= 0xFF; ++b) {
            r.reverse[kEscapeBase + b] = static_cast<std::uint16_t>(b);
        }
        std::vector<table::CharCode> all;
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            const int row = table::leadRow(static_cast<unsigned char>(lead));
            if (row < 0) {
                continue;
            }
            for (unsigned t = 0; t < table::kTrailCount; ++t) {
                const std::uint16_t u = table::kDecode[row][t];
                if (u != 0) {
                    all.push_back({u, static_cast<std::uint16_t>((lead << 8) | (t + table::kFirstTrail))});
                    if (r.reverse[u] == 0) {
                        r.reverse[u] = all.back().code;
                    }
                }
            }
        }
        // Duplicates take the pair the reference encoder writes, not whichever came first.
        for (std::size_t k = 0; k < table::kPreferredCount; ++k) {
            r.reverse[table::kPreferred[k].unicode] = table::kPreferred[k].code;
        }
        for (std::size_t k = 0; k < table::kEncodeOnlyCount; ++k) {
            r.reverse[table::kEncodeOnly[k].unicode] = table::kEncodeOnly[k].code;
        }
        const auto* preferredEnd = table::kPreferred + table::kPreferredCount;
        for (const table::CharCode& p : all) {
            if (std::binary_search(table::kPreferred, preferredEnd, p,
                                   [](const auto& a, const auto& b) { return a.unicode < b.unicode; })) {
                r.alternates.push_back(p);
            }
        }
        const std::vector<std::uint16_t>& reverse = r.reverse;
        std::sort(r.alternates.begin(), r.alternates.end(), [&reverse](const auto& a, const auto& b) {
            auto rank = [&reverse](const table::CharCode& p) {
                return std::tuple(p.unicode, p.code != reverse[p.unicode], isNecSelected(p.code), p.code);
            };
            return rank(a) < rank(b);
        });
        return r;
    }());
    return built;
}

// Whether `byte` after the lead byte of `row` would be read as a pair with it.
bool completesPair(int row, unsigned byte) {
    return byte >= table::kFirstTrail && byte <= table::kLastTrail &&
           table::kDecode[row][byte - table::kFirstTrail] != 0;
}

// The pair to write for `c` right after a lead byte of `row` that stands
// alone. Decoded text has the stray lead only where the next byte did not join
// it, and a character with several pairs may be written as one it does join
// (a lone 0x81 before the IBM row's "¬", 0xFA54, reads as "＝" if "¬" is written
// as 0x81CA), so take a pair of the character that keeps the lead alone.
std::uint16_t keepLeadAlone(const Tables& t, char32_t c, std::uint16_t code, int row) {
    const auto [first, last] =
        std::equal_range(t.alternates.begin(), t.alternates.end(), table::CharCode{static_cast<std::uint16_t>(c), 0},
                         [](const auto& a, const auto& b) { return a.unicode < b.unicode; });
    for (auto it = first; it != last; ++it) {
        if (!completesPair(row, it->code >> 8)) {
            return it->code;
        }
    }
    return code;
}

// Shared by fromUtf8 and canEncode; `out` is null when only the answer matters.
bool encode(std::string_view utf8, std::string* out, EncodeError* error) {
    const auto* in = reinterpret_cast<const unsigned char*>(utf8.data());
    const std::size_t n = utf8.size();
    const Tables& t = tables();
    const std::uint16_t* reverse = t.reverse.data();
    // No character takes more CP932 bytes than UTF-8 bytes.
    char* p = nullptr;
    if (out) {
        out->assign(n, '\0');
        p = out->data();
    }
    int loneLeadRow = -1; // a lead byte was just written on its own
    std::size_t i = 0;
    while (i < n) {
        if (in[i] < 0x80) {
            if (p) {
                *p++ = static_cast<char>(in[i]);
            }
            loneLeadRow = -1;
            ++i;
            continue;
        }
        char32_t c = 0;
        std::size_t length = 0;
        const bool wellFormed = readUtf8(in + i, n - i, c, length);
        std::uint16_t code = wellFormed && c <= 0xFFFF ? reverse[c] : 0;
        if (code == 0) {
            if (error) {
                *error = EncodeError{i, wellFormed ? c : kReplacement};
            }
            return false;
        }
        if (loneLeadRow >= 0 && code > 0xFF && completesPair(loneLeadRow, code >> 8)) {
            code = keepLeadAlone(t, c, code, loneLeadRow);
        }
        loneLeadRow = code <= 0xFF ? table::leadRow(static_cast<unsigned char>(code)) : -1;
        if (p) {
            if (code > 0xFF) {
                *p++ = static_cast<char>(code >> 8);
            }
            *p++ = static_cast<char>(code & 0xFF);
        }
        i += length;
    }
    if (out) {
        out->resize(static_cast<std::size_t>(p - out->data()));
    }
    return true;
}

} // namespace

std::string toUtf8(std::string_view bytes) {
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    // One input byte never yields more than three UTF-8 bytes.
    std::string out(n * 3, '\0');
    char* p = out.data();
    std::size_t i = 0;
    while (i < n) {
        const unsigned b = in[i++];
        if (b < 0x80) {
            *p++ = static_cast<char>(b);
            continue;
        }
        if (b >= kFirstKana && b <= kLastKana) {
            p = putUtf8(p, kFirstKanaUnicode + (b - kFirstKana));
            continue;
        }
        char32_t c = kEscapeBase + b;
        const int row = table::leadRow(static_cast<unsigned char>(b));
        if (row >= 0 && i < n && in[i] >= table::kFirstTrail && in[i] <= table::kLastTrail) {
            // An unmapped pair gives up only its lead byte: the second byte may
            // be a character of its own (an ASCII delimiter, a kana, a new lead).
            if (const std::uint16_t u = table::kDecode[row][in[i] - table::kFirstTrail]) {
                c = u;
                ++i;
            }
        }
        p = putUtf8(p, c);
    }
    out.resize(static_cast<std::size_t>(p - out.data()));
    return out;
}

std::optional<std::string> fromUtf8(std::string_view utf8, EncodeError* error) {
    std::string out;
    if (!encode(utf8, &out, error)) {
        return std::nullopt;
    }
    return out;
}

bool canEncode(std::string_view utf8) {
    return encode(utf8, nullptr, nullptr);
}

} // namespace velmora::cp932
