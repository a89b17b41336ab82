#include "editor/ColourPalette.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <limits>
#include <string>

namespace velmora {

namespace {

// 0x00BBGGRR: black, red, blue, green, maroon, purple, teal, orange, grey,
// and three places for colours chosen lately.
constexpr std::array<Colour, ColourPalette::kCount> kDefaults = {
    0x000000, 0x0000FF, 0xFF0000, 0x008000, 0x000080, 0x800080,
    0x808000, 0x0080FF, 0x808080, 0x800000, 0x008080, 0xC0C0C0,
};

Colour absolute(Colour c) {
    return c == std::numeric_limits<Colour>::min() ? std::numeric_limits<Colour>::max() : std::abs(c);
}

} // namespace

ColourPalette::ColourPalette() : m_colours(kDefaults) {}

void ColourPalette::load(const NameValueList& defaultColours) {
    for (int i = 0; i < kCount; ++i) {
        const auto text = defaultColours.find(std::to_string(i));
        if (!text) {
            continue;
        }
        Colour value = 0;
        const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), value);
        if (ec == std::errc() && end == text->data() + text->size()) {
            m_colours[static_cast<std::size_t>(i)] = absolute(value);
        }
    }
}

void ColourPalette::store(NameValueList& defaultColours) const {
    for (int i = 0; i < kCount; ++i) {
        defaultColours.set(std::to_string(i), std::to_string(absolute(m_colours[static_cast<std::size_t>(i)])));
    }
}

bool ColourPalette::setSwatch(int index, Colour colour) {
    if (index < 0 || index >= 9) {
        return false;
    }
    m_colours[static_cast<std::size_t>(index)] = absolute(colour);
    return true;
}

void ColourPalette::remember(Colour colour) {
    colour = absolute(colour);
    if (std::find(m_colours.begin(), m_colours.end(), colour) != m_colours.end()) {
        return;
    }
    m_colours[11] = m_colours[10];
    m_colours[10] = m_colours[9];
    m_colours[9] = colour;
}

} // namespace velmora
