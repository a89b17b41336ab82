#pragma once

#include "settings/FontSetting.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Rectangles as the drawing code computes them: right and bottom exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

enum class BrushStyle { Clear, Solid };
enum class PenMode { Copy, NoOp };

// What the drawing pass draws with: a font (face, size in points, colour,
// style), a pen and a brush, and a few primitives. Colours are 0x00BBGGRR.
// QtCanvas draws into a picture; RecordingCanvas records with fixed metrics.
class Canvas {
public:
    virtual ~Canvas() = default;

    virtual int width() const = 0;
    virtual int height() const = 0;
    // Pixels per inch of the screen the picture is for.
    virtual int dpi() const = 0;

    // The current font; text is drawn in its colour (a settings colour,
    // system colours resolved). A pixel height above 0 replaces its size.
    FontSetting font;
    int fontPixelHeight = 0;
    std::uint32_t penColour = 0;
    int penWidth = 1;
    PenMode penMode = PenMode::Copy;
    std::uint32_t brushColour = 0xFFFFFF;
    BrushStyle brushStyle = BrushStyle::Clear;

    // Width and height (ascent + descent) of the text in the current font.
    virtual int textWidth(std::string_view text) = 0;
    virtual int textHeight(std::string_view text) = 0;
    // Draws the text with its top-left corner at (x, y); with a solid brush
    // the text's box is filled first.
    virtual void textOut(int x, int y, std::string_view text) = 0;
    // The same, clipped to the rectangle.
    virtual void textRect(const Rect& clip, int x, int y, std::string_view text) = 0;

    virtual void line(int x1, int y1, int x2, int y2) = 0;
    // Outline in the pen, filled with the brush unless it is clear.
    virtual void rectangle(const Rect& r) = 0;
    virtual void ellipse(const Rect& r) = 0;
    virtual void polygon(const std::vector<Point>& points) = 0;
    // Mixes every pixel of the area with the colour: channel =
    // colour * (100 - transparency) div 100 + old * transparency div 100.
    virtual void tint(const Rect& area, std::uint32_t colour, int transparencyPercent) = 0;
};

// Pixels of a font size in points on a screen of `dpi`, truncated.
inline int pointsToPixels(int points, int dpi) {
    return points * dpi / 72;
}

} // namespace velmora
