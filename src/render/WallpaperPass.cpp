#include "render/WallpaperPass.h"

#include "render/DrawWallPaper.h"
#include "render/QtCanvas.h"
#include "settings/Settings.h"

#include <QPainter>

namespace velmora {

QImage basePicture(const std::string& path, int width, int height) {
    QImage picture;
    if (!path.empty()) {
        picture.load(QString::fromStdString(path));
    }
    QImage base(width, height, QImage::Format_RGB32);
    base.fill(QColor(0x80, 0x80, 0x80));
    if (picture.isNull()) {
        return base;
    }
    if (picture.width() == width && picture.height() == height) {
        return picture.convertToFormat(QImage::Format_RGB32);
    }
    const QImage scaled = picture.scaled(width, height, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    QPainter p(&base);
    p.drawImage((width - scaled.width()) / 2, (height - scaled.height()) / 2, scaled);
    return base;
}

bool adjustsAtStart(const Settings& settings, DateValue month, DateValue now) {
    return settings.adjst != 99 && now.year() == month.year() && now.month() == month.month();
}

QImage renderCalendar(QImage base, const RenderInputs& in, DrawState& state, int dpi) {
    QImage image = std::move(base);
    {
        QtCanvas canvas(image, dpi);
        drawCalendar(canvas, in, state);
    }
    return image;
}

} // namespace velmora
