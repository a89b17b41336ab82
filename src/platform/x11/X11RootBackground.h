#pragma once

#include <X11/Xlib.h>

class QImage;

namespace velmora {

// What the root window itself shows. There is no event for a changed window
// background, and tools like xsetroot or an image viewer's "show on the root"
// name no picture in a property: the root's own pixels, where no window
// covers them, are the only witness of what the user set.

enum class RootLook {
    Same,    // the uncovered root shows the pixmap
    Differs, // most of it shows something else
    Unknown, // too little of the root is uncovered, or the pixmap cannot be read
};

// Compares a few rows of the root window with `pixmap` tiled from the
// root's origin, as the server lays a background out. Cheap enough for a
// once-a-second look: windows are only asked for when some pixel differs.
RootLook compareRootWith(Display* display, Pixmap pixmap);

// The pixels of a pixmap as an RGB32 picture of its own size; null when it
// cannot be read (its owner has freed it).
QImage pixmapPicture(Display* display, Pixmap pixmap);

// The root window's background as the server paints it, `width` x `height`:
// one colour when the uncovered root shows only one, else looked at through
// a window of ours that shows its parent's background for a moment. False
// when the server refused both.
bool readRootBackground(Display* display, int width, int height, QImage* picture);

// True when `shown` is `pixmap` (a picture of it) tiled from the origin.
bool showsPicture(const QImage& shown, const QImage& pixmap);

// The pixmap _XSETROOT_ID names; None without one.
Pixmap xsetrootId(Display* display);

// Frees what _XSETROOT_ID names and removes the property: tools that set the
// root that way leave their resources for the next setter to free. A pixmap
// that is already gone is not followed to its client, whose number may
// belong to another program by now.
void releaseXsetrootId(Display* display);

} // namespace velmora
