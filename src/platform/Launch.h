#pragma once

#include <string>

namespace velmora {

// Starts `program` detached in `workingDir` with `parameters` split like a
// command line (blanks separate, double quotes group) into separate
// arguments; no shell ever sees them. False when it cannot be started.
bool launchDetached(const std::string& program, const std::string& parameters, const std::string& workingDir);

} // namespace velmora
