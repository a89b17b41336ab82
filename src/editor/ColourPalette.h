#pragma once

#include "core/NameValueList.h"
#include "settings/ColorText.h"

#include <array>

namespace velmora {

// The entry editor's twelve colour swatches, kept between openings in the
// settings' DefColor list under the names "0".."11".
class ColourPalette {
public:
    static constexpr int kCount = 12;

    // The swatches before any are stored.
    ColourPalette();

    // Takes the stored swatches; one without a usable value keeps its colour.
    void load(const NameValueList& defaultColours);
    // Stores all twelve, as absolute values, under "0".."11".
    void store(NameValueList& defaultColours) const;

    Colour swatch(int index) const { return m_colours[static_cast<std::size_t>(index)]; }
    const std::array<Colour, kCount>& swatches() const { return m_colours; }
    // A right click and the colour dialog on one of the first nine swatches;
    // false (nothing changes) for the other three.
    bool setSwatch(int index, Colour colour);
    // A colour chosen through ColorPanel: when no swatch shows it, it goes into
    // the tenth swatch, the tenth moving to the eleventh and that to the twelfth.
    void remember(Colour colour);

private:
    std::array<Colour, kCount> m_colours;
};

} // namespace velmora
