#include "memos/MemoState.h"

#include "core/ProfileFile.h"

namespace velmora {

std::string escapeMemoText(const std::string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\r') {
            out += "\\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

std::string unescapeMemoText(const std::string& value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char next = value[++i];
            out += next == 'n' ? '\n' : next;
        } else {
            out += value[i];
        }
    }
    return out;
}

bool readMemoState(const std::string& path, MemoState* state, std::string* error, const char* section) {
    const std::string_view kMemo = section;
    ProfileFile file(path);
    if (file.load(error) != ReadOutcome::Read) {
        if (error && error->empty()) {
            *error = "ファイルがありません";
        }
        return false;
    }
    MemoState& s = *state;
    s.left = file.readInteger(kMemo, "Left", s.left);
    s.top = file.readInteger(kMemo, "Top", s.top);
    s.width = file.readInteger(kMemo, "Width", s.width);
    s.height = file.readInteger(kMemo, "Height", s.height);
    if (const auto text = file.read(kMemo, "Text")) {
        s.text = unescapeMemoText(*text);
    }
    s.font.face = file.readString(kMemo, "FontName", s.font.face);
    s.font.size = file.readInteger(kMemo, "FontSize", s.font.size);
    s.font.colour = static_cast<Colour>(file.readInteger(kMemo, "FontColor", static_cast<int>(s.font.colour)));
    const std::string style = file.readString(kMemo, "FontStyle", fontStyleText(s.font));
    const auto flag = [&](std::size_t i, bool fallback) { return i < style.size() ? style[i] == '1' : fallback; };
    s.font.bold = flag(0, s.font.bold);
    s.font.italic = flag(1, s.font.italic);
    s.font.underline = flag(2, s.font.underline);
    s.font.strikeOut = flag(3, s.font.strikeOut);
    s.colour = static_cast<Colour>(file.readInteger(kMemo, "Color", static_cast<int>(s.colour)));
    s.autoSize = file.readBool(kMemo, "AutoSize", s.autoSize);
    s.picture = file.readString(kMemo, "Picture", s.picture);
    if (const auto text = file.read(kMemo, "EditorText")) {
        s.editorText = unescapeMemoText(*text);
    }
    s.editorPicture = file.readString(kMemo, "EditorPicture", s.editorPicture);
    s.fileName = file.readString(kMemo, "FileName", s.fileName);
    s.locked = file.readBool(kMemo, "Lock", s.locked);
    s.entryKey = file.readString(kMemo, "Key", s.entryKey);
    return true;
}

namespace {

// Fills the profile; false when a text cannot be stored.
bool fill(ProfileFile& file, const MemoState& s, std::string_view kMemo) {
    bool ok = true;
    file.writeInteger(kMemo, "Left", s.left);
    file.writeInteger(kMemo, "Top", s.top);
    file.writeInteger(kMemo, "Width", s.width);
    file.writeInteger(kMemo, "Height", s.height);
    ok = file.writeString(kMemo, "Text", escapeMemoText(s.text)) && ok;
    ok = file.writeString(kMemo, "FontName", s.font.face) && ok;
    file.writeInteger(kMemo, "FontSize", s.font.size);
    file.writeInteger(kMemo, "FontColor", static_cast<int>(s.font.colour));
    file.writeString(kMemo, "FontStyle", fontStyleText(s.font));
    file.writeInteger(kMemo, "Color", static_cast<int>(s.colour));
    file.writeBool(kMemo, "AutoSize", s.autoSize);
    ok = file.writeString(kMemo, "Picture", s.picture) && ok;
    ok = file.writeString(kMemo, "EditorText", escapeMemoText(s.editorText)) && ok;
    ok = file.writeString(kMemo, "EditorPicture", s.editorPicture) && ok;
    ok = file.writeString(kMemo, "FileName", s.fileName) && ok;
    file.writeBool(kMemo, "Lock", s.locked);
    if (!s.entryKey.empty()) {
        ok = file.writeString(kMemo, "Key", s.entryKey) && ok;
    }
    return ok;
}

} // namespace

std::optional<std::string> memoStateBytes(const MemoState& state, const char* section) {
    ProfileFile file;
    if (!fill(file, state, section)) {
        return std::nullopt;
    }
    return file.bytes();
}

bool writeMemoState(const std::string& path, const MemoState& s, std::string* error, const char* section) {
    ProfileFile file(path);
    if (!fill(file, s, section)) {
        if (error) {
            *error = "保存できない文字が含まれています";
        }
        return false;
    }
    return file.save(error);
}

} // namespace velmora
