#include "settings/FontSetting.h"

namespace velmora {

std::string_view fontPartName(FontPart part) {
    static constexpr std::array<std::string_view, kFontPartCount> names = {
        "Schedule", "Title",   "Fusen", "Holiday",   "YearMonth",  "Yobi",
        "Date",     "Kyureki", "Year",  "Yobi-Year", "Month-Year", "Date-Year",
    };
    return names[static_cast<std::size_t>(part)];
}

std::string fontStyleText(const FontSetting& font) {
    std::string s;
    for (bool bit : {font.bold, font.italic, font.underline, font.strikeOut}) {
        s += bit ? '1' : '0';
    }
    return s;
}

void applyFontStyleText(FontSetting& font, std::string_view text) {
    const auto bit = [&](std::size_t i) { return i < text.size() && text[i] >= '1' && text[i] <= '9'; };
    font.bold = bit(0);
    font.italic = bit(1);
    font.underline = bit(2);
    font.strikeOut = bit(3);
}

} // namespace velmora
