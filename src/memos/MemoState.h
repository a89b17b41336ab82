#pragma once

#include "settings/FontSetting.h"

#include <optional>
#include <string>

namespace velmora {

// What a note window keeps in its state file: a memo in "MEMO0003.dfm" (or
// "MEMO0003.$$$" in the drawer), a reminder window in "POP0003.dfm": where
// it stands, what it shows and how. The look digits are not here but in the
// data file.
struct MemoState {
    int left = 0;
    int top = 0;
    int width = 200;
    int height = 100;
    std::string text;             // what the memo shows (the label)
    FontSetting font{};           // the memo's font, colour included
    Colour colour = 0xE1FFFF;     // the face: a light yellow note
    bool autoSize = true;         // the window follows the text or picture
    std::string picture = "NONE"; // picture path; "NONE": none; "": put in the drawer
    std::string editorText;       // the input box's text
    std::string editorPicture;    // the input box's copy of the picture path
    std::string fileName;         // "MEMO0003.dfm"
    bool locked = true;           // 位置ロック: the memo cannot be moved or sized
    std::string entryKey;         // a reminder window's entry

    friend bool operator==(const MemoState&, const MemoState&) = default;
};

// Reads a memo file. Whatever could be read is in *state (the rest keeps its
// defaults), so a damaged file still gives a memo. False, with a Japanese
// reason in *error, when the file could not be read at all.
// A reminder window's file holds its state under another section name.
inline constexpr const char* kMemoSection = "Memo";
inline constexpr const char* kReminderSection = "Popup";
bool readMemoState(const std::string& path, MemoState* state, std::string* error = nullptr,
                   const char* section = kMemoSection);

// Writes a memo file whole and atomically; on failure the old file is intact
// and *error holds a Japanese reason. Text that code page 932 cannot hold is
// refused the same way, writing nothing.
bool writeMemoState(const std::string& path, const MemoState& state, std::string* error = nullptr,
                    const char* section = kMemoSection);
// The file's bytes (CP932 INI text); nullopt when the text cannot be stored.
std::optional<std::string> memoStateBytes(const MemoState& state, const char* section = kMemoSection);

// A memo's multi-line text as one INI value and back: "\" and line ends are
// escaped, and the value is quoted so that blanks at either end survive.
std::string escapeMemoText(const std::string& text);
std::string unescapeMemoText(const std::string& value);

} // namespace velmora
