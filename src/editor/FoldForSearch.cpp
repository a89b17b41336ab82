#include "editor/FoldForSearch.h"

#include <array>
#include <string_view>

namespace velmora {

namespace {

// U+FF61 .. U+FF9F: the JIS X 0201 katakana and marks as their JIS X 0208 forms.
constexpr std::array<char32_t, 63> kHalfKana = {
    U'。', U'「', U'」', U'、', U'・', U'ヲ', U'ァ', U'ィ', U'ゥ', U'ェ', U'ォ', U'ャ', U'ュ', U'ョ', U'ッ', U'ー',
    U'ア', U'イ', U'ウ', U'エ', U'オ', U'カ', U'キ', U'ク', U'ケ', U'コ', U'サ', U'シ', U'ス', U'セ', U'ソ', U'タ',
    U'チ', U'ツ', U'テ', U'ト', U'ナ', U'ニ', U'ヌ', U'ネ', U'ノ', U'ハ', U'ヒ', U'フ', U'ヘ', U'ホ', U'マ', U'ミ',
    U'ム', U'メ', U'モ', U'ヤ', U'ユ', U'ヨ', U'ラ', U'リ', U'ル', U'レ', U'ロ', U'ワ', U'ン', U'゛', U'゜',
};
constexpr char32_t kVoicedMark = 0xFF9E;
constexpr char32_t kSemiVoicedMark = 0xFF9F;

// The voiced (゛) or semi-voiced (゜) form of a kana from the half-width
// table, or 0 when it has none. In the full-width block the voiced form
// follows its kana directly, and the semi-voiced one two places on.
char32_t withMark(char32_t kana, char32_t mark) {
    static constexpr std::u32string_view voiceable = U"カキクケコサシスセソタチツテトハヒフヘホ";
    static constexpr std::u32string_view semiVoiceable = U"ハヒフヘホ";
    if (mark == kVoicedMark) {
        if (kana == U'ウ') {
            return U'ヴ';
        }
        return voiceable.find(kana) != std::u32string_view::npos ? kana + 1 : 0;
    }
    return semiVoiceable.find(kana) != std::u32string_view::npos ? kana + 2 : 0;
}

// The ASCII form of a full-width (or JIS) punctuation mark, or 0.
char asciiOf(char32_t c) {
    switch (c) {
    case 0x3000:
        return ' ';
    case U'，':
        return ',';
    case U'．':
        return '.';
    case U'：':
        return ':';
    case U'；':
        return ';';
    case U'？':
        return '?';
    case U'！':
        return '!';
    case U'＾':
        return '^';
    case U'／':
        return '/';
    case U'～': // the code page's 〜 reads as either
    case U'〜':
        return '~';
    case U'｜':
        return '|';
    case U'‘':
    case U'’':
    case U'′':
        return '\'';
    case U'“':
    case U'”':
    case U'″':
        return '"';
    case U'（':
        return '(';
    case U'）':
        return ')';
    case U'［':
        return '[';
    case U'］':
        return ']';
    case U'｛':
        return '{';
    case U'｝':
        return '}';
    case U'＋':
        return '+';
    case U'－': // the code page's minus reads as either
    case U'−':
        return '-';
    case U'＝':
    case U'〓':
        return '=';
    case U'＜':
        return '<';
    case U'＞':
        return '>';
    case U'￥':
        return '\\';
    case U'＄':
        return '$';
    case U'％':
        return '%';
    case U'＃':
        return '#';
    case U'＆':
        return '&';
    case U'＊':
        return '*';
    case U'＠':
        return '@';
    default:
        break;
    }
    if (c >= U'０' && c <= U'９') {
        return static_cast<char>('0' + (c - U'０'));
    }
    if (c >= U'Ａ' && c <= U'Ｚ') {
        return static_cast<char>('A' + (c - U'Ａ'));
    }
    if (c >= U'ａ' && c <= U'ｚ') {
        return static_cast<char>('A' + (c - U'ａ'));
    }
    return 0;
}

void put(std::string& out, char32_t c) {
    if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool isContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

} // namespace

void foldForSearchInto(std::string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    // The full-width kana last written from a half-width one, which a mark may still join.
    char32_t pendingKana = 0;
    std::size_t pendingAt = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            out += static_cast<char>(b >= 'a' && b <= 'z' ? b - 'a' + 'A' : b);
            ++i;
            pendingKana = 0;
            continue;
        }
        // Ideographs (U+4000 .. U+9FFF) never change: the bulk of a Japanese text.
        if (b >= 0xE4 && b <= 0xE9 && i + 2 < n && isContinuation(p[i + 1]) && isContinuation(p[i + 2])) {
            out.append(reinterpret_cast<const char*>(p + i), 3);
            i += 3;
            pendingKana = 0;
            continue;
        }
        if ((b == 0xE2 || b == 0xE3 || b == 0xEF) && i + 2 < n && isContinuation(p[i + 1]) &&
            isContinuation(p[i + 2])) {
            const char32_t c = (static_cast<char32_t>(b & 0x0F) << 12) | (static_cast<char32_t>(p[i + 1] & 0x3F) << 6) |
                               (p[i + 2] & 0x3F);
            i += 3;
            if (c == kVoicedMark || c == kSemiVoicedMark) {
                if (pendingKana != 0) {
                    // Merged into the kana before it, or dropped when it has no such form.
                    if (const char32_t marked = withMark(pendingKana, c)) {
                        out.resize(pendingAt);
                        put(out, marked);
                    }
                    pendingKana = 0;
                    continue;
                }
                put(out, c); // standing alone
                continue;
            }
            if (c >= 0xFF61 && c <= 0xFF9D) {
                pendingAt = out.size();
                pendingKana = kHalfKana[c - 0xFF61];
                put(out, pendingKana);
                continue;
            }
            pendingKana = 0;
            if (const char a = asciiOf(c)) {
                out += a;
            } else {
                put(out, c);
            }
            continue;
        }
        // Anything else (two- and four-byte forms, stray bytes) as it stands.
        out += static_cast<char>(b);
        ++i;
        while (i < n && isContinuation(p[i])) {
            out += static_cast<char>(p[i]);
            ++i;
        }
        pendingKana = 0;
    }
}

std::string foldForSearch(std::string_view text) {
    std::string out;
    foldForSearchInto(text, out);
    return out;
}

} // namespace velmora
