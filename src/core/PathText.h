#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Paths as the settings file holds them. Relative paths are stored with "\"
// so that a program folder carried to another system still reads; absolute
// paths keep this system's form.

// The stored form of a path read back into this system's form: "\" in a
// path not starting with "/" becomes "/" (a relative path, or a network path
// "\\server\share\x.dat", which becomes "//server/share/x.dat").
std::string pathFromSetting(std::string_view stored);

// `path` relative to `baseDir` (a folder with a trailing separator), with
// parent steps ("..\") where needed and "\" separators; `path` itself,
// unchanged, when it lies on another volume (a different first folder below
// the root, such as /mnt or /media) or is a network path ("//server/share").
std::string relativeSettingPath(std::string_view baseDir, std::string_view path);

// `path` made absolute against `baseDir` when relative, with "." and ".."
// steps removed lexically; a network path keeps its leading "//".
std::string absolutePath(std::string_view baseDir, std::string_view path);

// The folder part of a path with its trailing separator ("" when none).
std::string folderOf(std::string_view path);
// The last component of a path.
std::string fileNameOf(std::string_view path);
// ASCII lower case, for file-name comparisons.
std::string lowerAscii(std::string_view s);

} // namespace velmora
