#include "render/RecordingCanvas.h"

namespace velmora {

int RecordingCanvas::pixelSize() const {
    const int px = fontPixelHeight > 0 ? fontPixelHeight : pointsToPixels(font.size > 0 ? font.size : 9, m_dpi);
    return px > 0 ? px : 1;
}

int RecordingCanvas::textWidth(std::string_view text) {
    int width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        // Half-width for ASCII and the half-width katakana block (U+FF61..U+FF9F).
        const bool halfKana =
            n == 3 && c == 0xEF && i + 1 < text.size() &&
            (static_cast<unsigned char>(text[i + 1]) == 0xBD || static_cast<unsigned char>(text[i + 1]) == 0xBE);
        width += (n == 1 || halfKana) ? pixelSize() / 2 : pixelSize();
        i += n;
    }
    return width;
}

int RecordingCanvas::textHeight(std::string_view) {
    return pixelSize();
}

RecordingCanvas::Call RecordingCanvas::make(std::string kind) const {
    Call c;
    c.kind = std::move(kind);
    c.font = font;
    c.penColour = penColour;
    c.penWidth = penWidth;
    c.brushColour = brushColour;
    c.brushStyle = brushStyle;
    return c;
}

void RecordingCanvas::textOut(int x, int y, std::string_view text) {
    Call c = make("text");
    c.text = std::string(text);
    c.rect = Rect{x, y, x + textWidth(text), y + textHeight(text)};
    calls.push_back(std::move(c));
}

void RecordingCanvas::textRect(const Rect& clip, int x, int y, std::string_view text) {
    Call c = make("textRect");
    c.text = std::string(text);
    c.rect = Rect{x, y, x + textWidth(text), y + textHeight(text)};
    c.clip = clip;
    calls.push_back(std::move(c));
}

void RecordingCanvas::line(int x1, int y1, int x2, int y2) {
    Call c = make("line");
    c.rect = Rect{x1, y1, x2, y2};
    if (penMode == PenMode::Copy) {
        calls.push_back(std::move(c));
    }
}

void RecordingCanvas::rectangle(const Rect& r) {
    Call c = make("rectangle");
    c.rect = r;
    calls.push_back(std::move(c));
}

void RecordingCanvas::ellipse(const Rect& r) {
    Call c = make("ellipse");
    c.rect = r;
    calls.push_back(std::move(c));
}

void RecordingCanvas::polygon(const std::vector<Point>& points) {
    Call c = make("polygon");
    c.points = points;
    calls.push_back(std::move(c));
}

void RecordingCanvas::tint(const Rect& area, std::uint32_t colour, int transparencyPercent) {
    Call c = make("tint");
    c.rect = area;
    c.brushColour = colour;
    c.value = transparencyPercent;
    calls.push_back(std::move(c));
}

std::vector<RecordingCanvas::Call> RecordingCanvas::ofKind(std::string_view kind) const {
    std::vector<Call> out;
    for (const Call& c : calls) {
        if (c.kind == kind) {
            out.push_back(c);
        }
    }
    return out;
}

std::vector<RecordingCanvas::Call> RecordingCanvas::withText(std::string_view text) const {
    std::vector<Call> out;
    for (const Call& c : calls) {
        if (c.text == text) {
            out.push_back(c);
        }
    }
    return out;
}

} // namespace velmora
