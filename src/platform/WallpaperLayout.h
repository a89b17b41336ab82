#pragma once

#include <QImage>

#include <string>

namespace velmora {

// How a desktop fits its picture to the screen. Span covers every monitor with
// one picture; on the single screen drawn here it is the same as Stretch.
enum class WallpaperStyle { Zoom, Centre, Scale, Stretch, Tile, Span, NoPicture };

// The desktop's picture as that desktop lays it out on a width×height screen over its background colour.
// Always width×height in Format_RGB32; a null picture or NoPicture gives the background alone.
QImage layoutWallpaper(const QImage& picture, WallpaperStyle style, QRgb background, int width, int height);

// The picture file; null when the path is empty or the file cannot be read.
QImage readPicture(const std::string& path);

// The picture file zoomed to cover the screen on black, where no desktop
// lays it out its own way; false when it cannot be read.
bool coverScreen(const std::string& path, int width, int height, QImage* out);

} // namespace velmora
