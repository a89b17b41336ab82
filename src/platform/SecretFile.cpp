#include "platform/SecretFile.h"

#include "core/ProfileFile.h"

#include <cstdlib>
#include <filesystem>

namespace velmora {

namespace {

std::string defaultPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    std::string base = config && *config ? std::string(config) : std::string(home ? home : "") + "/.config";
    return base + "/Velmora/registry.ini";
}

} // namespace

SecretFile::SecretFile(std::string path) : m_path(path.empty() ? defaultPath() : std::move(path)) {}

std::optional<std::string> SecretFile::secret(const std::string& key) const {
    ProfileFile file(m_path);
    if (file.load() != ReadOutcome::Read) {
        return std::nullopt;
    }
    auto value = file.read("SECRET", key);
    if (value && value->empty()) {
        return std::nullopt;
    }
    return value;
}

void SecretFile::eraseSecret(const std::string& key) {
    ProfileFile file(m_path);
    if (file.load() != ReadOutcome::Read) {
        return;
    }
    file.eraseKey("SECRET", key);
    file.save(nullptr, AtomicWriteOptions{.ownerOnly = true});
    std::error_code ec;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write, ec);
}

} // namespace velmora
