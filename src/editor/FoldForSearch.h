#pragma once

#include <string>
#include <string_view>

namespace velmora {

// The form in which the search compares texts without match case (UTF-8 in,
// UTF-8 out; the result is only ever compared, never shown or stored):
// full-width punctuation, digits and letters become their ASCII forms with
// letters in upper case, ASCII letters become upper case, and half-width
// katakana become full-width, a following ﾞ or ﾟ merged into the kana (ｶﾞ ->
// ガ) or dropped after one that has no such form. A mark standing alone and
// every other character stay as they are; invalid UTF-8 bytes pass through.
std::string foldForSearch(std::string_view text);
// The same into `out` (replaced), so a walk over many texts reuses one buffer.
void foldForSearchInto(std::string_view text, std::string& out);

} // namespace velmora
