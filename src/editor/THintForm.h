#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <QWidget>

class QLabel;

namespace velmora {

// The day hint: a small balloon in the tooltip colours listing a day's
// entries beside the pointer. It never takes the focus, so typing goes on
// where it was while the balloon comes and goes.
class THintForm : public QWidget {
public:
    explicit THintForm(QWidget* parent = nullptr);

    // Shows the lines in `font` beside the screen point `at`, inside `area`
    // (the screen's work area).
    void showLines(const QStringList& lines, const QFont& font, const QPoint& at, const QRect& area);
    QString text() const;

    // Where a balloon of `size` goes: right of and below the point, but
    // above it where it would pass the area's bottom and left of it where
    // it would pass the area's right edge.
    static QPoint placeBeside(const QSize& size, const QPoint& at, const QRect& area);

private:
    QLabel* m_label;
};

} // namespace velmora
