#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// How one memo window looks, as its MEMOOPT value holds it: four digits
// placement, frame, transparency, drawn on the desktop ("1020").
struct MemoLook {
    int placement = 0;
    int frame = 0; // 2: a frame of its own colour, kept under "<file>-Color"
    int trans = 0;
    int drawDesk = 0;

    friend bool operator==(const MemoLook&, const MemoLook&) = default;
};

// A missing or non-digit position reads as 0: older files have three digits.
MemoLook parseMemoLook(std::string_view value);
std::string formatMemoLook(const MemoLook& look);
// The MEMOOPT name of a memo's frame colour: "MEMO0003.dfm-Color".
std::string memoColorKey(std::string_view fileName);

// 3 -> "MEMO0003.dfm".
std::string memoFileName(int number);
// "MEMO0003.dfm" -> "MEMO0003.$$$": the extension replaced and the whole name
// upper-cased, as the drawer has always named its files.
std::string drawerFileName(std::string_view fileName);
// "MEMO0003.dfm" or "MEMO0003.$$$" -> 3 (letter case ignored); nullopt for
// anything else.
std::optional<int> memoNumber(std::string_view fileName);
// The lowest number whose memo file and drawer file are both absent from the
// folder (a folder with a trailing separator). Names compare without regard
// to letter case: the folder may live on a file system that ignores it.
int nextMemoNumber(const std::string& folder);

// The name the folder holds a file under, found without regard to letter
// case (an exact match first); nullopt when there is no such file or `name`
// is not a plain file name.
std::optional<std::string> findInFolder(const std::string& folder, std::string_view name);

} // namespace velmora
