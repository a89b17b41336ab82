#pragma once

#include <array>
#include <cstdint>

// The Japanese old (lunisolar) calendar as a table of month starts, generated
// by tools/lunar into LunarTableData.cpp.
namespace velmora {

inline constexpr int kLunarFirstYear = 1970;
inline constexpr int kLunarLastYear = 2100;
inline constexpr int kLunarYears = kLunarLastYear - kLunarFirstYear + 1; // 131

// One lunar year; row 0 is lunar year 1970. A lunar year takes the number of
// the civil year its month 1 begins in. Each value is the civil date a lunar
// month begins on, written month * 100 + day (206 = 6 February), in Japan
// Standard Time. Index 0..11 hold months 1..12; index 12 holds the leap month,
// or 0 when the year has none. The leap month comes right after the regular
// month whose start precedes it most closely, and takes that month's number.
// All dates lie in the lunar year's own civil year except month 12 (index 11),
// which lies in January of the next civil year when its value is below 200.
using LunarTableRow = std::array<std::int32_t, 13>;

const std::array<LunarTableRow, kLunarYears>& lunarTable();

} // namespace velmora
