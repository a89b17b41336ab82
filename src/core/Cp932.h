#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::cp932 {

// Decodes code page 932 bytes (Microsoft's mapping) to UTF-8; decoding never
// fails. A byte that reads as no character becomes the private-use character
// U+F700 + byte (U+F780-U+F7FF), which fromUtf8 writes back as that byte, so a
// stray byte (a file cut inside a pair, one saved as UTF-8) survives an edit
// of its line. Such bytes are 0x80, 0xA0 and 0xFD-0xFF, and a lead byte at the
// end or before a byte it makes no mapped pair with; that next byte is then
// read on its own. No pair decodes to that range (the user-defined area is
// U+E000-U+E757).
std::string toUtf8(std::string_view bytes);

// Where an encoding stopped: the byte offset into the UTF-8 input and the
// character that code page 932 cannot hold (U+FFFD for malformed UTF-8).
struct EncodeError {
    std::size_t offset = 0;
    char32_t character = 0;
};

// Encodes UTF-8 text to code page 932. Returns nullopt, and fills *error when
// given, at the first character that has no code page 932 form; nothing is
// ever replaced by "?".
// What toUtf8 gives is written as bytes that decode to the same text: the
// bytes it came from, except that a character several pairs decode to is
// written as the pair the system's converter writes (one that leaves a stray
// lead byte before it alone). Besides the decoded characters, U+301C, U+2212,
// U+2016, U+00A2, U+00A3 and U+00AC (what Linux input types for 〜 − ‖ ¢ £ ¬)
// are written as their JIS X 0208 pairs, which read back as Microsoft's
// U+FF5E, U+FF0D, U+2225, U+FFE0, U+FFE1 and U+FFE2. Text no decoding gives
// is written too but reads back otherwise: U+F7A1-U+F7DF as half-width kana,
// and a stray lead byte moved by an edit before a byte it pairs with as that pair.
std::optional<std::string> fromUtf8(std::string_view utf8, EncodeError* error = nullptr);

// True when every character of the UTF-8 text has a code page 932 form (the
// stray bytes U+F780-U+F7FF included): fromUtf8 would succeed.
bool canEncode(std::string_view utf8);

} // namespace velmora::cp932
