#include "core/NameValueList.h"

#include <algorithm>

namespace velmora {

namespace {

char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isBlank(char c) {
    return c != '\0' && static_cast<unsigned char>(c) <= ' ';
}

} // namespace

int compareIgnoreCase(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(foldAscii(a[i]));
        const auto cb = static_cast<unsigned char>(foldAscii(b[i]));
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && compareIgnoreCase(a, b) == 0;
}

std::string trimmed(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') {
        s.remove_prefix(1);
    }
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') {
        s.remove_suffix(1);
    }
    return std::string(s);
}

std::string NameValueList::name(std::size_t i) const {
    const std::string& l = m_lines[i];
    const auto eq = l.find('=');
    return eq == std::string::npos ? std::string() : l.substr(0, eq);
}

std::string NameValueList::valueAt(std::size_t i) const {
    const std::string& l = m_lines[i];
    const auto eq = l.find('=');
    return eq == std::string::npos ? std::string() : l.substr(eq + 1);
}

std::optional<std::size_t> NameValueList::indexOfName(std::string_view name) const {
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const std::string& l = m_lines[i];
        const auto eq = l.find('=');
        if (eq != std::string::npos && equalsIgnoreCase(std::string_view(l).substr(0, eq), name)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string> NameValueList::find(std::string_view name) const {
    if (auto i = indexOfName(name)) {
        return valueAt(*i);
    }
    return std::nullopt;
}

void NameValueList::set(std::string_view name, std::string_view value) {
    if (auto i = indexOfName(name)) {
        m_lines[*i] = this->name(*i) + "=" + std::string(value);
    } else {
        append(name, value);
    }
}

void NameValueList::append(std::string_view name, std::string_view value) {
    std::string l(name);
    l += '=';
    l += value;
    m_lines.push_back(std::move(l));
}

void NameValueList::insertLine(std::size_t i, std::string line) {
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(std::min(i, m_lines.size())), std::move(line));
}

void NameValueList::removeAt(std::size_t i) {
    if (i < m_lines.size()) {
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

bool NameValueList::remove(std::string_view name) {
    if (auto i = indexOfName(name)) {
        removeAt(*i);
        return true;
    }
    return false;
}

void NameValueList::sortIgnoreCase() {
    // Lines of one name are equal for the sort, so the first of duplicate
    // names stays the first and a lookup reads the same value after a save.
    // Lines of different names differ before the end of the shorter name or
    // at its "=", so this is the order of whole lines for them.
    // A line without "=" sorts as if it had one at its end.
    const auto nameOf = [](const std::string& line) { return std::string_view(line).substr(0, line.find('=')); };
    std::stable_sort(m_lines.begin(), m_lines.end(), [&](const std::string& a, const std::string& b) {
        const std::string_view na = nameOf(a);
        const std::string_view nb = nameOf(b);
        const std::size_t common = std::min(na.size(), nb.size());
        if (const int c = compareIgnoreCase(na.substr(0, common), nb.substr(0, common)); c != 0) {
            return c < 0;
        }
        if (na.size() == nb.size()) {
            return false;
        }
        return na.size() < nb.size() ? compareIgnoreCase("=", nb.substr(common, 1)) < 0
                                     : compareIgnoreCase(na.substr(common, 1), "=") < 0;
    });
}

std::string toCommaText(const std::vector<std::string>& items) {
    if (items.size() == 1 && items.front().empty()) {
        return "\"\"";
    }
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string& item = items[i];
        const bool quote = std::any_of(item.begin(), item.end(), [](char c) {
            return static_cast<unsigned char>(c) <= ' ' || c == ',' || c == '"';
        });
        if (i > 0) {
            out += ',';
        }
        if (!quote) {
            out += item;
            continue;
        }
        out += '"';
        for (char c : item) {
            if (c == '"') {
                out += '"';
            }
            out += c;
        }
        out += '"';
    }
    return out;
}

std::vector<std::string> fromCommaText(std::string_view text) {
    std::vector<std::string> items;
    std::size_t p = 0;
    const std::size_t n = text.size();
    // A NUL ends the text, as it would a C string.
    const auto at = [&](std::size_t i) { return i < n ? text[i] : '\0'; };
    while (isBlank(at(p))) {
        ++p;
    }
    while (at(p) != '\0') {
        std::string item;
        if (at(p) == '"') {
            ++p;
            while (at(p) != '\0') {
                if (at(p) == '"') {
                    ++p;
                    if (at(p) != '"') {
                        break;
                    }
                }
                item += at(p);
                ++p;
            }
        } else {
            const std::size_t start = p;
            while (static_cast<unsigned char>(at(p)) > ' ' && at(p) != ',') {
                ++p;
            }
            item.assign(text.substr(start, p - start));
        }
        items.push_back(std::move(item));
        while (isBlank(at(p))) {
            ++p;
        }
        if (at(p) == ',') {
            if (at(p + 1) == '\0') {
                items.emplace_back();
            }
            do {
                ++p;
            } while (isBlank(at(p)));
        }
    }
    return items;
}

} // namespace velmora
