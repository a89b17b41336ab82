#pragma once

#include "memos/MemoFiles.h"

#include <cstddef>
#include <string>
#include <vector>

namespace velmora {

// The rules of a note window's look (memo and reminder windows alike) and of
// the memo window's input, kept apart from the window so that they can be
// checked as tables.

// A placement chosen from the menu. TransComp exists only for top-most
// windows: choosing Bottom or Top lowers it to TransStd, choosing TopMost
// raises TransStd to TransComp.
void choosePlacement(MemoLook& look, int placement);
// A transparency chosen from the menu; TransComp on a window that is not
// top-most becomes TransStd.
void chooseTransparency(MemoLook& look, int trans);
// What a paint starts from: a top-most TransStd window is shaped.
int paintedTransparency(const MemoLook& look);

struct NoteSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const NoteSize&, const NoteSize&) = default;
};

// The size a memo takes for input: half as large again, at least 200 × 300.
NoteSize inputModeSize(NoteSize size);

// A window whose top (left) lies below (right of) the screen's last row
// (column) comes back to the middle of the screen.
int fitIntoScreen(int position, int screenExtent);

// The window size that holds a client of `content` with the frame `frame`
// wide on every side; a picture without frame fills the window.
NoteSize autoFitSize(NoteSize content, int frame, bool pictureWithoutFrame);

// What ending input does with a memo.
struct InputEnd {
    std::string text;  // the memo's text: trailing blanks of its last line stripped
    bool hide = false; // nothing left to show: the window goes (to the drawer)
    bool autoSizeOff = false;
};
// `editorText`: what was typed; `picture`: the picture path ("NONE", "" or a path).
InputEnd endInput(const std::string& editorText, const std::string& picture);

// Where a memo pasted onto the wallpaper joins the list of wallpaper memos
// (bottom first), given the placements of those already there: a bottom memo
// goes first, a top-most one last, a normal one last but below top-most ones
// when the last memo is top-most.
std::size_t wallpaperMemoIndex(const std::vector<int>& placements, int placement);

// A picture file a memo accepts: a ".bmp" of any letter case.
bool isMemoPictureFile(const std::string& path);

} // namespace velmora
