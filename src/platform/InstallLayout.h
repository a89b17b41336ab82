#pragma once

#include <string>

namespace velmora {

// An installed copy keeps its executables in <prefix>/bin and its shared files
// (templates, help page) in <prefix>/share/velmora; a build or portable folder
// keeps them beside the executables.

// The installed shared folder (with a trailing '/') when the executable of
// `executableDir` belongs to an installed tree; empty otherwise.
std::string installedDataDir(const std::string& executableDir);

// The help page of the program in `executableDir`: beside it, else in the
// installed shared folder.
std::string helpPagePath(const std::string& executableDir);

} // namespace velmora
