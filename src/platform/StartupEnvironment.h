#pragma once

#include "platform/Platform.h"
#include "settings/Startup.h"

#include <optional>
#include <string>

namespace velmora {

// The start-up inputs of either program from the platform and the process
// environment (VELMORA_HOME, XDG_DATA_HOME, HOME). `commandLineHome` is the
// command-line tool's --home; `today` replaces the clock's date.
StartupEnvironment makeStartupEnvironment(const Platform& platform, const Clock& clock,
                                          const std::string& commandLineHome = {},
                                          std::optional<DateValue> today = std::nullopt);

} // namespace velmora
