#pragma once

#include <QImage>

namespace velmora {

// How a desktop fits its picture to the screen. Span covers every monitor with
// one picture; on the single screen drawn here it is the same as Stretch.
enum class WallpaperStyle { Zoom, Centre, Scale, Stretch, Tile, Span, NoPicture };

// The desktop's picture as that desktop lays it out on a width×height screen over its background colour.
// Always width×height in Format_RGB32; a null picture or NoPicture gives the background alone.
QImage layoutWallpaper(const QImage& picture, WallpaperStyle style, QRgb background, int width, int height);

} // namespace velmora
