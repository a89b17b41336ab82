#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <vector>

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

// Files written while it lives can grow to `bytes` only and a longer write
// fails, as on a full disk (root included, unlike a read-only folder).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

// Runs `body` as an ordinary user, for whom file modes count: in a child
// process as user "nobody" (after giving it `owned`) when this process is
// root, directly otherwise. A failure inside the child fails the calling test.
void runAsOrdinaryUser(const std::vector<std::filesystem::path>& owned, const std::function<void()>& body);

} // namespace velmora::test
