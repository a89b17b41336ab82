#pragma once

#include "memos/MemoFiles.h"
#include "settings/ColorText.h"

#include <QImage>
#include <QPoint>

#include <vector>

namespace velmora {

// A memo pasted onto the wallpaper, as its hidden window hands it over.
struct WallpaperMemo {
    QPoint clientPos; // the client area's top-left corner on the screen
    // The client area's picture; a see-through memo's is drawn on its key
    // colour: black when the text is white, else white.
    QImage client;
    MemoLook look{};
    Colour frameColour = 0;
    Colour textColour = 0;
};

// `DrawDeskTopMemo`: composes the memos, bottom first, into the calendar
// picture with their frames (fx wide at the sides, fy at top and bottom); a
// see-through memo shows the calendar between its letters. Parts beyond the
// picture are left out; a memo without a picture is skipped.
void drawDeskTopMemo(QImage& calendar, const std::vector<WallpaperMemo>& memos, int fx, int fy);

} // namespace velmora
