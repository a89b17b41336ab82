#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// ASCII case folding: the names the program compares (section and key names,
// date keys, captions) differ in letter case only in their Latin letters.
bool equalsIgnoreCase(std::string_view a, std::string_view b);
// < 0, 0, > 0 like strcmp, without regard to ASCII letter case.
int compareIgnoreCase(std::string_view a, std::string_view b);

// The text without the blanks and control characters at its ends (every
// byte up to " "), as entry texts are stored and shown.
std::string trimmed(std::string_view text);

// The program's universal container: an ordered list of lines
// "name=value". Lookup by name ignores letter case and the first match wins;
// a line without "=" is kept and has an empty name.
class NameValueList {
public:
    NameValueList() = default;
    explicit NameValueList(std::vector<std::string> lines) : m_lines(std::move(lines)) {}

    std::size_t size() const { return m_lines.size(); }
    bool empty() const { return m_lines.empty(); }
    void clear() { m_lines.clear(); }

    const std::string& line(std::size_t i) const { return m_lines[i]; }
    const std::vector<std::string>& lines() const { return m_lines; }
    // Text before the first "=", or "" for a line without one.
    std::string name(std::size_t i) const;
    // Text after the first "=", or "" for a line without one.
    std::string valueAt(std::size_t i) const;

    // Index of the first line whose name matches, or nullopt.
    std::optional<std::size_t> indexOfName(std::string_view name) const;
    bool contains(std::string_view name) const { return indexOfName(name).has_value(); }
    // Value of the first matching line, or nullopt when no line has that name.
    std::optional<std::string> find(std::string_view name) const;
    // Value of the first matching line, or "" when none.
    std::string value(std::string_view name) const { return find(name).value_or(std::string()); }

    // Replaces the value of the first matching line, or appends "name=value".
    void set(std::string_view name, std::string_view value);
    void append(std::string_view name, std::string_view value);
    void appendLine(std::string line) { m_lines.push_back(std::move(line)); }
    void insertLine(std::size_t i, std::string line);
    void removeAt(std::size_t i);
    // Removes the first matching line; false when there is none.
    bool remove(std::string_view name);

    // Sorts the lines without regard to letter case; lines of the same name
    // keep their order (the first of duplicates stays first).
    void sortIgnoreCase();

    friend bool operator==(const NameValueList&, const NameValueList&) = default;

private:
    std::vector<std::string> m_lines;
};

// The toolkit's comma text of a list of items: an item holding a blank or
// control character, a comma or a double quote is enclosed in double quotes
// with inner quotes doubled; items are joined by commas. A list holding one
// empty item is written as "" so that it reads back as one item.
std::string toCommaText(const std::vector<std::string>& items);
// Splits a comma text at commas and blanks outside quotes. A quoted item ends
// at its closing quote (a doubled quote stands for one); a trailing comma
// adds an empty item.
std::vector<std::string> fromCommaText(std::string_view text);

} // namespace velmora
