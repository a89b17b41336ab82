#include "platform/WallpaperLayout.h"

#include <QPainter>

#include <algorithm>

namespace velmora {

namespace {

// The picture's size scaled by one factor so that it fits inside the screen
// (cover false) or covers it (cover true). Compared as products so that no
// rounding decides which side touches the screen's edge.
QSize keepAspect(QSize picture, int width, int height, bool cover) {
    const qint64 pw = picture.width();
    const qint64 ph = picture.height();
    const bool widerThanScreen = pw * height > ph * width;
    if (widerThanScreen != cover) {
        return {width, std::max(1, static_cast<int>((ph * width + pw / 2) / pw))};
    }
    return {std::max(1, static_cast<int>((pw * height + ph / 2) / ph)), height};
}

// Centred; when the difference is odd the left and top take the smaller half,
// both for the margin and for the part cropped away.
QPoint centred(QSize picture, int width, int height) {
    return {(width - picture.width()) / 2, (height - picture.height()) / 2};
}

} // namespace

QImage layoutWallpaper(const QImage& picture, WallpaperStyle style, QRgb background, int width, int height) {
    QImage screen(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
    screen.fill(QColor(background)); // the colour is always opaque
    if (picture.isNull() || style == WallpaperStyle::NoPicture || screen.isNull()) {
        return screen;
    }
    QPainter painter(&screen);
    switch (style) {
    case WallpaperStyle::Zoom:
    case WallpaperStyle::Scale: {
        const QSize size = keepAspect(picture.size(), width, height, style == WallpaperStyle::Zoom);
        const QImage scaled = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        painter.drawImage(centred(scaled.size(), width, height), scaled);
        break;
    }
    case WallpaperStyle::Stretch:
    case WallpaperStyle::Span:
        painter.drawImage(QPoint(0, 0), picture.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        break;
    case WallpaperStyle::Centre:
        painter.drawImage(centred(picture.size(), width, height), picture);
        break;
    case WallpaperStyle::Tile:
        for (int y = 0; y < height; y += picture.height()) {
            for (int x = 0; x < width; x += picture.width()) {
                painter.drawImage(QPoint(x, y), picture);
            }
        }
        break;
    case WallpaperStyle::NoPicture:
        break;
    }
    return screen;
}

QImage readPicture(const std::string& path) {
    return path.empty() ? QImage() : QImage(QString::fromStdString(path));
}

bool coverScreen(const std::string& path, int width, int height, QImage* out) {
    const QImage source = readPicture(path);
    if (source.isNull()) {
        return false;
    }
    *out = layoutWallpaper(source, WallpaperStyle::Zoom, 0xFF000000, width, height);
    return true;
}

} // namespace velmora
