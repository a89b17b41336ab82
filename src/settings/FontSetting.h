#pragma once

#include "settings/ColorText.h"

#include <array>
#include <string>
#include <string_view>

namespace velmora {

// A font as the settings hold it: plain values, turned into a real font only
// by the drawing layer.
struct FontSetting {
    std::string face;
    int size = 0; // points; 0 = automatic where the drawing allows it
    Colour colour = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;

    friend bool operator==(const FontSetting&, const FontSetting&) = default;
};

// The calendar parts that have a font entry, in the order they are written.
enum class FontPart {
    Schedule,
    Title,
    Fusen,
    Holiday,
    YearMonth,
    Yobi,
    Date,
    Kyureki,
    Year,
    YobiYear,
    MonthYear,
    DateYear,
};
inline constexpr std::size_t kFontPartCount = 12;

// "Schedule", "Title", ..., "Yobi-Year", "Month-Year", "Date-Year".
std::string_view fontPartName(FontPart part);

// Four "0"/"1" characters: bold, italic, underline, strike-out.
std::string fontStyleText(const FontSetting& font);
// Sets the style bits from such a text; a missing or non-digit character reads as "0".
void applyFontStyleText(FontSetting& font, std::string_view text);

} // namespace velmora
