#pragma once

#include <cstddef>
#include <cstdint>

// The generated code page 932 mapping; see tools/cp932/gen_cp932_table.py.
namespace velmora::cp932::table {

inline constexpr unsigned kFirstTrail = 0x40;
inline constexpr unsigned kLastTrail = 0xFC;
inline constexpr std::size_t kTrailCount = kLastTrail - kFirstTrail + 1; // 0x7F included, always unmapped
inline constexpr std::size_t kLeadCount = (0x9F - 0x81 + 1) + (0xFC - 0xE0 + 1);

// Row of a lead byte in kDecode: 0x81-0x9F, then 0xE0-0xFC; -1 for any other byte.
constexpr int leadRow(unsigned char b) {
    if (b >= 0x81 && b <= 0x9F) {
        return b - 0x81;
    }
    if (b >= 0xE0 && b <= 0xFC) {
        return b - 0xE0 + (0x9F - 0x81 + 1);
    }
    return -1;
}

// The character of each byte pair, 0 where the pair has no mapping (no pair
// decodes to U+0000).
extern const std::uint16_t kDecode[kLeadCount][kTrailCount];

// A character and the pair the encoder writes for it.
struct CharCode {
    std::uint16_t unicode;
    std::uint16_t code;
};
// The characters that several pairs decode to, sorted by character.
extern const CharCode kPreferred[];
extern const std::size_t kPreferredCount;
// Characters no pair decodes to that are still written, as their JIS X 0208
// pair: what Linux input gives for 〜 − ‖ ¢ £ ¬. Sorted by character.
extern const CharCode kEncodeOnly[];
extern const std::size_t kEncodeOnlyCount;

} // namespace velmora::cp932::table
