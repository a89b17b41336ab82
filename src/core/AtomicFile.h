#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// Fault injection for tests: the write stops with a failure after this many
// bytes, as a full disk would.
struct AtomicWriteOptions {
    std::optional<std::size_t> failAfterBytes;
};

// Writes the whole file to a temporary file in the same folder and renames it
// over `path`, so that a crash or a failed write never leaves a half-written
// file. On failure the old file is untouched, the temporary file is removed,
// false is returned and *error (when given) holds a Japanese reason.
bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string* error = nullptr,
                         const AtomicWriteOptions& options = {});

// Reads a whole file; nullopt when it does not exist or cannot be read.
std::optional<std::string> readWholeFile(const std::string& path);

} // namespace velmora
