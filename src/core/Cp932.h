#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::cp932 {

// Decodes code page 932 bytes (Microsoft's mapping) to UTF-8. A byte or byte
// pair that has no mapping becomes U+FFFD; decoding never fails.
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
std::optional<std::string> fromUtf8(std::string_view utf8, EncodeError* error = nullptr);

// True when every character of the UTF-8 text has a code page 932 form.
bool canEncode(std::string_view utf8);

} // namespace velmora::cp932
