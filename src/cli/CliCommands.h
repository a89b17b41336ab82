#pragma once

#include "platform/Platform.h"
#include "settings/Startup.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace velmora::cli {

// Exit statuses of the command-line tool.
inline constexpr int kOk = 0;
inline constexpr int kFailure = 1;
inline constexpr int kUsage = 2;

// Thrown by a command for arguments it cannot take; main prints the usage.
struct UsageError {
    std::string message;
};

struct CliContext {
    const Platform& platform;
    const Clock& clock;
    std::string home;               // --home
    std::optional<DateValue> today; // --today
    std::ostream& out;
    std::ostream& err;

    // The start-up steps as the resident program runs them.
    StartupState startUp() const;
};

int runSettings(CliContext& context, const std::vector<std::string>& args);
int runPaths(CliContext& context, const std::vector<std::string>& args);

} // namespace velmora::cli
