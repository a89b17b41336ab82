#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// A colour as the settings hold it: 0x00BBGGRR for a plain colour; the
// toolkit's special values for system colours (0x80000000 | index), clNone
// and clDefault.
using Colour = std::int32_t;

inline constexpr Colour kClNone = 0x1FFFFFFF;
inline constexpr Colour kClDefault = 0x20000000;
inline constexpr Colour kSystemColourFlag = static_cast<Colour>(0x80000000u);
inline constexpr Colour kClWindowText = static_cast<Colour>(0x80000008u);

// The toolkit's colour text: the colour's name ("clRed", "clBtnFace") when it
// has one, otherwise "$" and eight upper-case hexadecimal digits.
std::string colourToText(Colour colour);
// A colour name (any letter case), "$" + hexadecimal digits, or a decimal
// number; nullopt for anything else.
std::optional<Colour> colourFromText(std::string_view text);
// The RGB value (0x00BBGGRR) a colour paints with: system colours map to the
// fixed values of the classic desktop scheme, clNone and clDefault to white
// and black.
std::uint32_t resolveColour(Colour colour);

} // namespace velmora
