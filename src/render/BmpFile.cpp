#include "render/BmpFile.h"

#include "core/AtomicFile.h"

#include <array>

namespace velmora {

namespace {

// Little-endian fields of the headers, written at a running offset.
struct Fields {
    std::array<char, 54> bytes{};
    std::size_t at = 0;
    void put(std::uint32_t v, int size) {
        for (int i = 0; i < size; ++i) {
            bytes[at++] = static_cast<char>((v >> (8 * i)) & 0xFF);
        }
    }
};

// The rows go out a few at a time: the whole file next to the picture would
// be most of a pass's peak memory.
constexpr int kRowsPerPiece = 64;

// Hands the file's bytes to the sink: the headers, then the rows bottom-up.
bool writeBmp(const QImage& source, const ContentSink& sink) {
    const QImage image =
        source.format() == QImage::Format_RGB32 ? source : source.convertToFormat(QImage::Format_RGB32);
    const auto width = static_cast<std::uint32_t>(image.width());
    const auto height = static_cast<std::uint32_t>(image.height());
    const std::uint32_t rowBytes = (width * 3 + 3) & ~3u;
    const std::uint32_t pixelBytes = rowBytes * height;
    Fields h;
    // BITMAPFILEHEADER
    h.put('B', 1);
    h.put('M', 1);
    h.put(54 + pixelBytes, 4);
    h.put(0, 4);
    h.put(54, 4);
    // BITMAPINFOHEADER
    h.put(40, 4);
    h.put(width, 4);
    h.put(height, 4); // positive: bottom-up
    h.put(1, 2);
    h.put(24, 2);
    h.put(0, 4); // no compression
    h.put(pixelBytes, 4);
    h.put(3780, 4); // 96 dpi in pixels per metre
    h.put(3780, 4);
    h.put(0, 4);
    h.put(0, 4);
    if (!sink(std::string_view(h.bytes.data(), h.bytes.size()))) {
        return false;
    }
    std::string rows(static_cast<std::size_t>(rowBytes) * kRowsPerPiece, '\0');
    int filled = 0;
    for (int y = static_cast<int>(height) - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        auto* p = reinterpret_cast<unsigned char*>(rows.data()) + static_cast<std::size_t>(filled) * rowBytes;
        for (std::uint32_t x = 0; x < width; ++x) {
            const QRgb px = line[x];
            p[0] = static_cast<unsigned char>(px);
            p[1] = static_cast<unsigned char>(px >> 8);
            p[2] = static_cast<unsigned char>(px >> 16);
            p += 3;
        }
        if (++filled == kRowsPerPiece || y == 0) {
            if (!sink(std::string_view(rows.data(), static_cast<std::size_t>(filled) * rowBytes))) {
                return false;
            }
            filled = 0;
        }
    }
    return true;
}

} // namespace

std::string bmpBytes(const QImage& image) {
    std::string out;
    writeBmp(image, [&](std::string_view piece) {
        out.append(piece);
        return true;
    });
    return out;
}

bool saveBmp(const QImage& image, const std::string& path, std::string* error) {
    return replaceFileWith(
               path, [&](const ContentSink& sink) { return writeBmp(image, sink); }, error) == WriteResult::Written;
}

} // namespace velmora
