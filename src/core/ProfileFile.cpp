#include "core/ProfileFile.h"

#include "core/Cp932.h"

#include <charconv>

namespace velmora {

namespace {

constexpr std::size_t npos = std::string::npos;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isSpace(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isSpace(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::string stripQuotes(const std::string& v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        return v.substr(1, v.size() - 2);
    }
    return v;
}

} // namespace

ProfileFile::Line ProfileFile::makeLine(std::string raw, std::string text) {
    Line line;
    line.raw = std::move(raw);
    line.text = std::move(text);
    const std::string_view t = trim(line.text);
    if (t.empty()) {
        line.kind = Kind::Other;
    } else if (t.front() == ';') {
        line.kind = Kind::Comment;
    } else if (t.front() == '[' && t.find(']') != npos) {
        line.kind = Kind::Section;
        line.name = std::string(trim(t.substr(1, t.rfind(']') - 1)));
    } else if (const auto eq = t.find('='); eq != npos) {
        line.kind = Kind::Key;
        line.name = std::string(trim(t.substr(0, eq)));
        line.value = std::string(trim(t.substr(eq + 1)));
    } else {
        // A line without "=" is a key without a value, as the profile reader sees it.
        line.kind = Kind::Key;
        line.name = std::string(t);
    }
    return line;
}

ProfileFile::Line ProfileFile::makeTextLine(std::string text) {
    Line line = makeLine(std::string(), std::move(text));
    line.dirty = true;
    return line;
}

ReadOutcome ProfileFile::load(std::string* error) {
    FileRead r = readFile(m_path);
    parse(r.bytes);
    m_stamp = r.stamp;
    m_contentHash = hashOfBytes(r.bytes);
    m_loadFailed = r.outcome == ReadOutcome::Failed;
    m_loadError = r.error;
    if (error) {
        *error = r.error;
    }
    return r.outcome;
}

void ProfileFile::parse(std::string_view bytes) {
    m_lines.clear();
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        const std::size_t next = end == npos ? bytes.size() : end + 1;
        if (end == npos) {
            end = bytes.size();
        }
        if (end > start && bytes[end - 1] == '\r') {
            --end;
        }
        std::string raw(bytes.substr(start, end - start));
        std::string text = cp932::toUtf8(raw);
        m_lines.push_back(makeLine(std::move(raw), std::move(text)));
        start = next;
    }
}

std::size_t ProfileFile::findSection(std::string_view section) const {
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == Kind::Section && equalsIgnoreCase(m_lines[i].name, section)) {
            return i;
        }
    }
    return npos;
}

std::size_t ProfileFile::sectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < m_lines.size() && m_lines[i].kind != Kind::Section) {
        ++i;
    }
    return i;
}

std::vector<std::size_t> ProfileFile::sectionHeaders(std::string_view section) const {
    std::vector<std::size_t> headers;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == Kind::Section && equalsIgnoreCase(m_lines[i].name, section)) {
            headers.push_back(i);
        }
    }
    return headers;
}

std::size_t ProfileFile::findKey(std::string_view section, std::string_view key) const {
    for (std::size_t header : sectionHeaders(section)) {
        if (const std::size_t i = findKeyIn(header, key); i != npos) {
            return i;
        }
    }
    return npos;
}

std::size_t ProfileFile::findKeyIn(std::size_t header, std::string_view key) const {
    const std::size_t end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (m_lines[i].kind == Kind::Key && equalsIgnoreCase(m_lines[i].name, key)) {
            return i;
        }
    }
    return npos;
}

std::optional<std::string> ProfileFile::read(std::string_view section, std::string_view key) const {
    const std::size_t i = findKey(section, key);
    if (i == npos) {
        return std::nullopt;
    }
    return stripQuotes(m_lines[i].value);
}

std::string ProfileFile::readString(std::string_view section, std::string_view key, std::string_view fallback) const {
    auto v = read(section, key);
    return v ? *v : std::string(fallback);
}

int ProfileFile::readInteger(std::string_view section, std::string_view key, int fallback) const {
    const auto v = read(section, key);
    if (!v) {
        return fallback;
    }
    std::string_view s = trim(*v);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (!s.empty() && s.front() == '$') {
        base = 16;
        s.remove_prefix(1);
    } else if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty()) {
        return fallback;
    }
    unsigned long long magnitude = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
    if (ec != std::errc() || end != s.data() + s.size()) {
        return fallback;
    }
    // Hexadecimal texts name 32-bit patterns ("$80000000" is a system colour);
    // decimal ones must fit.
    if (base == 16) {
        if (magnitude > 0xFFFFFFFFull) {
            return fallback;
        }
        const auto bits = static_cast<std::uint32_t>(magnitude);
        const auto value = static_cast<std::int32_t>(bits);
        return negative ? static_cast<int>(0u - bits) : value;
    }
    if (negative ? magnitude > 2147483648ull : magnitude > 2147483647ull) {
        return fallback;
    }
    return negative ? static_cast<int>(-static_cast<long long>(magnitude)) : static_cast<int>(magnitude);
}

bool ProfileFile::readBool(std::string_view section, std::string_view key, bool fallback) const {
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

bool ProfileFile::hasSection(std::string_view section) const {
    return findSection(section) != npos;
}

std::vector<std::string> ProfileFile::sectionNames() const {
    std::vector<std::string> names;
    for (const Line& l : m_lines) {
        if (l.kind == Kind::Section) {
            names.push_back(l.name);
        }
    }
    return names;
}

std::vector<std::string> ProfileFile::keyNames(std::string_view section) const {
    std::vector<std::string> names;
    for (std::size_t header : sectionHeaders(section)) {
        const std::size_t end = sectionEnd(header);
        for (std::size_t i = header + 1; i < end; ++i) {
            if (m_lines[i].kind == Kind::Key) {
                names.push_back(m_lines[i].name);
            }
        }
    }
    return names;
}

NameValueList ProfileFile::readSection(std::string_view section) const {
    // A second copy of a section (two files pasted together, an old editor)
    // is read after the first, so that rewriting the section keeps its lines.
    NameValueList list;
    for (std::size_t header : sectionHeaders(section)) {
        const std::size_t end = sectionEnd(header);
        for (std::size_t i = header + 1; i < end; ++i) {
            const Line& l = m_lines[i];
            if (l.kind != Kind::Key) {
                continue;
            }
            if (trim(l.text).find('=') == npos) {
                list.appendLine(l.name);
            } else {
                list.append(l.name, stripQuotes(l.value));
            }
        }
    }
    return list;
}

bool ProfileFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    if (!cp932::canEncode(section) || !cp932::canEncode(key) || !cp932::canEncode(value)) {
        return false;
    }
    std::string text(key);
    text += '=';
    text += value;
    std::size_t header = findSection(section);
    if (header == npos) {
        m_lines.push_back(makeTextLine("[" + std::string(section) + "]"));
        m_lines.push_back(makeTextLine(std::move(text)));
        return true;
    }
    const std::size_t i = findKey(section, key);
    if (i != npos) {
        // Keep the key's spelling as the file has it.
        m_lines[i] = makeTextLine(m_lines[i].name + "=" + std::string(value));
        return true;
    }
    // After the section's last non-blank line, so blank separators stay between sections.
    std::size_t at = sectionEnd(header);
    while (at > header + 1 && m_lines[at - 1].kind == Kind::Other) {
        --at;
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), makeTextLine(std::move(text)));
    return true;
}

void ProfileFile::writeInteger(std::string_view section, std::string_view key, int value) {
    writeString(section, key, std::to_string(value));
}

void ProfileFile::writeBool(std::string_view section, std::string_view key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

void ProfileFile::eraseKey(std::string_view section, std::string_view key) {
    for (std::size_t i = findKey(section, key); i != npos; i = findKey(section, key)) {
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void ProfileFile::eraseSection(std::string_view section) {
    // Every copy of the section goes, so that a rewritten section is the only one.
    for (std::size_t header = findSection(section); header != npos; header = findSection(section)) {
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(header),
                      m_lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd(header)));
    }
}

bool ProfileFile::writeSection(std::string_view section, const NameValueList& lines) {
    if (!cp932::canEncode(section)) {
        return false;
    }
    std::vector<Line> body;
    body.reserve(lines.size());
    for (const std::string& l : lines.lines()) {
        if (!cp932::canEncode(l)) {
            return false;
        }
        body.push_back(makeTextLine(l));
    }
    std::size_t header = findSection(section);
    if (header == npos) {
        m_lines.push_back(makeTextLine("[" + std::string(section) + "]"));
        m_lines.insert(m_lines.end(), std::make_move_iterator(body.begin()), std::make_move_iterator(body.end()));
        return true;
    }
    // Later copies of the section would otherwise shadow nothing but confuse readers.
    const std::size_t end = sectionEnd(header);
    std::size_t keepFrom = end;
    while (keepFrom > header + 1 && m_lines[keepFrom - 1].kind == Kind::Other) {
        --keepFrom;
    }
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(header + 1),
                  m_lines.begin() + static_cast<std::ptrdiff_t>(keepFrom));
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(header + 1), std::make_move_iterator(body.begin()),
                   std::make_move_iterator(body.end()));
    for (std::size_t later = header + 1; later < m_lines.size();) {
        if (m_lines[later].kind == Kind::Section && equalsIgnoreCase(m_lines[later].name, section)) {
            m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(later),
                          m_lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd(later)));
        } else {
            ++later;
        }
    }
    return true;
}

std::string ProfileFile::bytes() const {
    std::string out;
    for (const Line& l : m_lines) {
        if (l.dirty) {
            // Every dirty line was checked when it was written.
            out += cp932::fromUtf8(l.text).value_or(std::string());
        } else {
            out += l.raw;
        }
        out += "\r\n";
    }
    return out;
}

bool ProfileFile::save(std::string* error, const AtomicWriteOptions& options) const {
    if (m_loadFailed) {
        if (error) {
            *error = "ファイルを読み込めなかったため書き込みません（" + m_loadError + "）";
        }
        return false;
    }
    return writeFileAtomically(m_path, bytes(), error, options);
}

WriteResult ProfileFile::saveIfUnchanged(std::string* error) {
    if (m_loadFailed) {
        save(error);
        return WriteResult::Failed;
    }
    const std::string content = bytes();
    AtomicWriteOptions options;
    options.unchangedSince = m_stamp;
    FileStamp written;
    const WriteResult result = replaceFile(m_path, content, error, options, &written);
    if (result == WriteResult::Written) {
        m_stamp = written;
        m_contentHash = hashOfBytes(content);
    }
    return result;
}

std::size_t hashOfBytes(std::string_view bytes) {
    return std::hash<std::string_view>{}(bytes) ^ bytes.size();
}

UpdateResult updateProfileFile(const std::string& path, const std::function<bool(ProfileFile&)>& change,
                               std::string* error, ProfileFile* done) {
    // The guard keeps other copies of the program out of the window between
    // the read and the rename; the stamp check still catches any other writer.
    constexpr int kGuardWaitMs = 15000;
    const auto guard = WriteGuard::acquire(path, kGuardWaitMs, error);
    if (!guard) {
        return UpdateResult::Failed;
    }
    // Each round loses only to a writer that renamed its file in between;
    // the bound only keeps a broken file system from spinning for ever.
    constexpr int kRounds = 200;
    for (int round = 0; round < kRounds; ++round) {
        ProfileFile file(path);
        if (file.load(error) == ReadOutcome::Failed) {
            return UpdateResult::Failed;
        }
        if (!change(file)) {
            if (done) {
                *done = std::move(file);
            }
            return UpdateResult::Declined;
        }
        switch (file.saveIfUnchanged(error)) {
        case WriteResult::Written:
            if (done) {
                *done = std::move(file);
            }
            return UpdateResult::Written;
        case WriteResult::Failed:
            return UpdateResult::Failed;
        case WriteResult::Changed:
            break;
        }
    }
    if (error) {
        *error = "他のコンピュータが書き込み続けているため保存できません";
    }
    return UpdateResult::Failed;
}

} // namespace velmora
