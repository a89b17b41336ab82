#pragma once

#include <optional>
#include <string_view>

namespace velmora {

// An integer setting of a desktop's settings daemon ("Net/DoubleClickTime"),
// from the XSETTINGS blob it publishes: byte order, serial, count, then the
// settings one after the other. nullopt when the name is not there, is not
// an integer, or the blob is cut short.
std::optional<int> xsettingsInteger(std::string_view blob, std::string_view name);

// How long a double-click may take when the desktop does not say.
inline constexpr int kDefaultDoubleClickMs = 500;

} // namespace velmora
