#pragma once

#include "reminders/ReminderWindows.h"

#include <string>

namespace velmora {

// The per-user store of the reminders' secret values: section SECRET of
// $XDG_CONFIG_HOME/Velmora/registry.ini (by default ~/.config/Velmora/),
// readable by its owner only.
class SecretFile : public ReminderSecrets {
public:
    // `path` empty: the per-user file above.
    explicit SecretFile(std::string path = {});

    std::optional<std::string> secret(const std::string& key) const override;
    void eraseSecret(const std::string& key) override;
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace velmora
