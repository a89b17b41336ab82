#pragma once

#include "core/AtomicFile.h"
#include "core/NameValueList.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// A Windows-style INI file in code page 932, with the profile semantics the
// program's files were written under: section and key names compare without
// regard to letter case, blanks around names and values are trimmed, a value
// loses one pair of enclosing quotes (double or single) on reading, lines
// starting with ";" are comments, and of duplicate keys the first wins.
// Values and sections are read whole, whatever their size. Lines nobody
// changed keep their bytes when the file is saved.
class ProfileFile {
public:
    ProfileFile() = default;
    explicit ProfileFile(std::string path) : m_path(std::move(path)) {}

    // Reads the file. A missing file gives an empty profile. A file that
    // cannot be read gives an empty profile too, *error a Japanese reason, and
    // the profile refuses to be saved: what was not read is never written over.
    ReadOutcome load(std::string* error = nullptr);
    bool loadFailed() const { return m_loadFailed; }
    // A digest of the bytes last read or written, to tell whether the file
    // still holds what the program knows of it.
    std::size_t contentHash() const { return m_contentHash; }
    // Parses CP932 bytes as the file's content.
    void parse(std::string_view bytes);

    const std::string& path() const { return m_path; }
    void setPath(std::string path) { m_path = std::move(path); }

    // Value of the key with one pair of enclosing quotes removed, or nullopt.
    // A section that occurs more than once is read as one, in file order.
    std::optional<std::string> read(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key, std::string_view fallback) const;
    // Decimal (or "$"/"0x" hexadecimal) integer; the fallback when absent or not a number.
    int readInteger(std::string_view section, std::string_view key, int fallback) const;
    // Any non-zero integer is true.
    bool readBool(std::string_view section, std::string_view key, bool fallback) const;

    bool hasSection(std::string_view section) const;
    std::vector<std::string> sectionNames() const;
    // Names of the section's keys in file order (duplicates included).
    std::vector<std::string> keyNames(std::string_view section) const;
    // The section's lines as "name=value", each value as read() gives it
    // (one pair of enclosing quotes removed); a line without "=" as its name.
    NameValueList readSection(std::string_view section) const;

    // Sets a key in place, or appends it to its section, or appends a new
    // section at the end. Returns false, changing nothing, when the name or
    // the value holds a character code page 932 cannot store.
    bool writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, int value);
    void writeBool(std::string_view section, std::string_view key, bool value);
    // Removes every line of the key in the section.
    void eraseKey(std::string_view section, std::string_view key);
    // Removes the section with all its lines.
    void eraseSection(std::string_view section);
    // Replaces the section's lines by `lines` ("name=value" each), keeping the
    // section's place; a new section goes at the end. False, changing nothing,
    // when a line holds a character code page 932 cannot store.
    bool writeSection(std::string_view section, const NameValueList& lines);

    // The file's content as CP932 bytes with CRLF line ends.
    std::string bytes() const;
    // Writes the whole file atomically; on failure (a load that failed
    // included) the old file is intact and *error holds a Japanese reason.
    bool save(std::string* error = nullptr, const AtomicWriteOptions& options = {}) const;
    // Writes the whole file only when it is still the version this profile
    // read (or still missing); Changed when another writer came between.
    // After a write the profile counts as read from what it wrote.
    WriteResult saveIfUnchanged(std::string* error = nullptr);

private:
    enum class Kind { Other, Section, Key, Comment };
    struct Line {
        std::string raw;  // CP932 bytes as read; empty when `dirty`
        std::string text; // UTF-8
        Kind kind = Kind::Other;
        std::string name;  // section name or key name
        std::string value; // key value, trimmed, quotes kept
        bool dirty = false;
    };

    static Line makeLine(std::string raw, std::string text);
    static Line makeTextLine(std::string text);
    // Index of the header of the first section with that name, or npos.
    std::size_t findSection(std::string_view section) const;
    // One past the section's last line (the next header or the end).
    std::size_t sectionEnd(std::size_t header) const;
    // The first line of the key in any copy of the section, or npos.
    std::size_t findKey(std::string_view section, std::string_view key) const;
    std::size_t findKeyIn(std::size_t header, std::string_view key) const;
    // Headers of every copy of the section, in file order.
    std::vector<std::size_t> sectionHeaders(std::string_view section) const;

    std::string m_path;
    std::vector<Line> m_lines;
    bool m_loadFailed = false;
    std::string m_loadError;
    std::optional<FileStamp> m_stamp;
    std::size_t m_contentHash = 0;
};

std::size_t hashOfBytes(std::string_view bytes);

enum class UpdateResult {
    Written,
    Declined, // `change` chose to write nothing
    Failed,   // read or write failed; *error holds the reason
};

// A read-modify-write of a profile file that never loses another writer's
// save: the file is read, `change` edits it (returning false to write
// nothing) and it is written back only if nobody replaced it meanwhile;
// otherwise all of it starts again from a fresh read. A file that cannot be
// read is never written. `done`, when given, receives the profile as last
// read or written.
UpdateResult updateProfileFile(const std::string& path, const std::function<bool(ProfileFile&)>& change,
                               std::string* error = nullptr, ProfileFile* done = nullptr);

} // namespace velmora
