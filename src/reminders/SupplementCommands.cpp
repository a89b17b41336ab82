#include "reminders/SupplementCommands.h"

#include "core/AtomicFile.h"
#include "core/Cp932.h"
#include "core/NameValueList.h"
#include "reminders/ReminderWindows.h"
#include "schedule/ScheduleKey.h"

#include <filesystem>
#include <system_error>

namespace velmora {

namespace {

std::string withCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::vector<std::string> linesOf(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.emplace_back(line);
        start = end + 1;
    }
    return lines;
}

// A secret goes only into a file no other user can read: a new file is
// created for its owner alone, an existing one loses its group and other
// permissions first (an owner's read-only mark stays, and still refuses the
// write). False when the file could not be made private.
bool writeSecretFile(const std::string& path, std::string_view bytes) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::exists(path, ec)) {
        fs::permissions(path, fs::perms::group_all | fs::perms::others_all, fs::perm_options::remove, ec);
        if (ec ||
            (fs::status(path, ec).permissions() & (fs::perms::group_all | fs::perms::others_all)) != fs::perms::none) {
            return false;
        }
    }
    return writeFileAtomically(path, bytes, nullptr, AtomicWriteOptions{.ownerOnly = true});
}

bool startsWithIgnoreCase(std::string_view line, std::string_view prefix) {
    return line.size() >= prefix.size() && equalsIgnoreCase(line.substr(0, prefix.size()), prefix);
}

} // namespace

SupplementCommands SupplementCommands::parse(std::string_view text) {
    SupplementCommands commands;
    for (const std::string& line : linesOf(text)) {
        if (startsWithIgnoreCase(line, "EXEC ")) {
            const std::vector<std::string> fields = fromCommaText(line);
            if (fields.size() > 1 && !fields[1].empty()) {
                commands.execs.push_back({fields[1], fields.size() > 2 ? fields[2] : std::string()});
            }
        }
        if (startsWithIgnoreCase(line, "AutoClose")) {
            commands.autoClose = true;
        }
    }
    return commands;
}

std::string supplementText(const std::string& key, const std::string& folder, ReminderSecrets& secrets) {
    const auto name = supplementFileName(key);
    if (!name) {
        return {};
    }
    const std::string path = folder + *name;
    if (const auto pending = secrets.secret(key); pending && !pending->empty()) {
        // The secret is erased only once the file holds it, privately;
        // otherwise it waits in the store for the next reminder, and this one
        // still runs its commands.
        const auto bytes = cp932::fromUtf8(withCrLf(*pending));
        if (bytes && writeSecretFile(path, *bytes)) {
            secrets.eraseSecret(key);
        }
        return *pending;
    }
    const auto bytes = readWholeFile(path);
    return bytes ? cp932::toUtf8(*bytes) : std::string();
}

} // namespace velmora
