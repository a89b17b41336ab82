#pragma once

#include "render/Canvas.h"

#include <string>
#include <vector>

namespace velmora {

// Records every drawing call with fixed font metrics, so that tests can check
// the geometry exactly: a character is `size in pixels` wide (half that for
// ASCII), a line `size in pixels` high.
class RecordingCanvas : public Canvas {
public:
    struct Call {
        std::string kind; // "text", "textRect", "line", "rectangle", "ellipse", "polygon", "tint"
        Rect rect;        // line: (x1, y1, x2, y2); text: (x, y, x + width, y + height)
        Rect clip;
        std::vector<Point> points;
        std::string text;
        FontSetting font;
        std::uint32_t penColour = 0;
        int penWidth = 0;
        std::uint32_t brushColour = 0;
        BrushStyle brushStyle = BrushStyle::Clear;
        int value = 0; // tint: transparency
    };

    RecordingCanvas(int width, int height, int dpi = 96) : m_width(width), m_height(height), m_dpi(dpi) {}

    int width() const override { return m_width; }
    int height() const override { return m_height; }
    int dpi() const override { return m_dpi; }
    int textWidth(std::string_view text) override;
    int textHeight(std::string_view text) override;
    void textOut(int x, int y, std::string_view text) override;
    void textRect(const Rect& clip, int x, int y, std::string_view text) override;
    void line(int x1, int y1, int x2, int y2) override;
    void rectangle(const Rect& r) override;
    void ellipse(const Rect& r) override;
    void polygon(const std::vector<Point>& points) override;
    void tint(const Rect& area, std::uint32_t colour, int transparencyPercent) override;

    std::vector<Call> calls;
    // The calls of one kind, or drawing a given text.
    std::vector<Call> ofKind(std::string_view kind) const;
    std::vector<Call> withText(std::string_view text) const;

private:
    Call make(std::string kind) const;
    int pixelSize() const;

    int m_width;
    int m_height;
    int m_dpi;
};

} // namespace velmora
