#include "settings/ColorText.h"

#include "core/NameValueList.h"

#include <array>
#include <charconv>

namespace velmora {

namespace {

struct NamedColour {
    const char* name;
    std::uint32_t value;
};

// In the toolkit's own order: where two names share a value the first is written.
constexpr std::array<NamedColour, 52> kNamed = {{
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},
    {"clActiveBorder", 0x8000000A},
    {"clActiveCaption", 0x80000002},
    {"clAppWorkSpace", 0x8000000C},
    {"clBackground", 0x80000001},
    {"clBtnFace", 0x8000000F},
    {"clBtnHighlight", 0x80000014},
    {"clBtnShadow", 0x80000010},
    {"clBtnText", 0x80000012},
    {"clCaptionText", 0x80000009},
    {"clDefault", 0x20000000},
    {"clGradientActiveCaption", 0x8000001B},
    {"clGradientInactiveCaption", 0x8000001C},
    {"clGrayText", 0x80000011},
    {"clHighlight", 0x8000000D},
    {"clHighlightText", 0x8000000E},
    {"clHotLight", 0x8000001A},
    {"clInactiveBorder", 0x8000000B},
    {"clInactiveCaption", 0x80000003},
    {"clInactiveCaptionText", 0x80000013},
    {"clInfoBk", 0x80000018},
    {"clInfoText", 0x80000017},
    {"clMenu", 0x80000004},
    {"clMenuBar", 0x8000001E},
    {"clMenuHighlight", 0x8000001D},
    {"clMenuText", 0x80000007},
    {"clNone", 0x1FFFFFFF},
    {"clScrollBar", 0x80000000},
    {"cl3DDkShadow", 0x80000015},
    {"cl3DLight", 0x80000016},
    {"clWindow", 0x80000005},
    {"clWindowFrame", 0x80000006},
    {"clWindowText", 0x80000008},
}};

// The classic desktop scheme, by system colour index.
constexpr std::array<std::uint32_t, 31> kSystemScheme = {
    0xC8C8C8, // scroll bar
    0x000000, // background
    0x6A240A, // active caption
    0x808080, // inactive caption
    0xC8D0D4, // menu
    0xFFFFFF, // window
    0x000000, // window frame
    0x000000, // menu text
    0x000000, // window text
    0xFFFFFF, // caption text
    0xC8D0D4, // active border
    0xC8D0D4, // inactive border
    0x808080, // application work space
    0x6A240A, // highlight
    0xFFFFFF, // highlight text
    0xC8D0D4, // button face
    0x808080, // button shadow
    0x808080, // grey text
    0x000000, // button text
    0xC8D0D4, // inactive caption text
    0xFFFFFF, // button highlight
    0x404040, // 3D dark shadow
    0xC8D0D4, // 3D light
    0x000000, // info text
    0xE1FFFF, // info background
    0xB5B5B5, // (unused index 25)
    0x800000, // hot light
    0xF0CAA6, // gradient active caption
    0xC0C0C0, // gradient inactive caption
    0x6A240A, // menu highlight
    0xC8D0D4, // menu bar
};

} // namespace

std::string colourToText(Colour colour) {
    const auto bits = static_cast<std::uint32_t>(colour);
    for (const NamedColour& c : kNamed) {
        if (c.value == bits) {
            return c.name;
        }
    }
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out = "$";
    for (int shift = 28; shift >= 0; shift -= 4) {
        out += hex[(bits >> shift) & 0xF];
    }
    return out;
}

std::optional<Colour> colourFromText(std::string_view text) {
    for (const NamedColour& c : kNamed) {
        if (equalsIgnoreCase(c.name, text)) {
            return static_cast<Colour>(c.value);
        }
    }
    std::string_view digits = text;
    int base = 10;
    bool negative = false;
    if (!digits.empty() && digits.front() == '$') {
        base = 16;
        digits.remove_prefix(1);
    } else if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
    } else if (!digits.empty() && digits.front() == '-') {
        negative = true;
        digits.remove_prefix(1);
    }
    if (digits.empty()) {
        return std::nullopt;
    }
    std::uint64_t v = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, base);
    if (ec != std::errc() || end != digits.data() + digits.size() || v > 0xFFFFFFFFull) {
        return std::nullopt;
    }
    if (negative) {
        if (v > 0x80000000ull) {
            return std::nullopt;
        }
        return static_cast<Colour>(static_cast<std::uint32_t>(0u - static_cast<std::uint32_t>(v)));
    }
    if (base == 10 && v > 0x7FFFFFFFull) {
        return std::nullopt;
    }
    return static_cast<Colour>(static_cast<std::uint32_t>(v));
}

std::uint32_t resolveColour(Colour colour) {
    const auto bits = static_cast<std::uint32_t>(colour);
    if (bits & 0x80000000u) {
        const std::uint32_t index = bits & 0xFFu;
        return index < kSystemScheme.size() ? kSystemScheme[index] : 0u;
    }
    if (colour == kClNone) {
        return 0xFFFFFF;
    }
    if (colour == kClDefault) {
        return 0x000000;
    }
    return bits & 0xFFFFFFu;
}

} // namespace velmora
