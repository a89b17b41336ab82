#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace velmora::test {

// A fresh folder under the system temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // The folder with a trailing separator, as the program holds folders.
    std::string dir() const { return m_path.string() + "/"; }
    std::string file(std::string_view name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

void writeBytes(const std::filesystem::path& file, std::string_view bytes);
std::string readBytes(const std::filesystem::path& file);
// CP932 bytes of UTF-8 text; fails the running test when it has no CP932 form.
std::string cp932(std::string_view utf8);

} // namespace velmora::test
