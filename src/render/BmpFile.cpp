#include "render/BmpFile.h"

#include "core/AtomicFile.h"

namespace velmora {

namespace {

void put16(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

} // namespace

std::string bmpBytes(const QImage& source) {
    const QImage image =
        source.format() == QImage::Format_RGB32 ? source : source.convertToFormat(QImage::Format_RGB32);
    const auto width = static_cast<std::uint32_t>(image.width());
    const auto height = static_cast<std::uint32_t>(image.height());
    const std::uint32_t rowBytes = (width * 3 + 3) & ~3u;
    const std::uint32_t pixelBytes = rowBytes * height;
    std::string out;
    out.reserve(54 + pixelBytes);
    // BITMAPFILEHEADER
    out += "BM";
    put32(out, 54 + pixelBytes);
    put32(out, 0);
    put32(out, 54);
    // BITMAPINFOHEADER
    put32(out, 40);
    put32(out, width);
    put32(out, height); // positive: bottom-up
    put16(out, 1);
    put16(out, 24);
    put32(out, 0); // no compression
    put32(out, pixelBytes);
    put32(out, 3780); // 96 dpi in pixels per metre
    put32(out, 3780);
    put32(out, 0);
    put32(out, 0);
    out.resize(54 + static_cast<std::size_t>(pixelBytes), '\0');
    auto* dest = reinterpret_cast<unsigned char*>(out.data()) + 54;
    for (int y = static_cast<int>(height) - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        unsigned char* p = dest;
        for (std::uint32_t x = 0; x < width; ++x) {
            const QRgb px = line[x];
            p[0] = static_cast<unsigned char>(px);
            p[1] = static_cast<unsigned char>(px >> 8);
            p[2] = static_cast<unsigned char>(px >> 16);
            p += 3;
        }
        dest += rowBytes;
    }
    return out;
}

bool saveBmp(const QImage& image, const std::string& path, std::string* error) {
    return writeFileAtomically(path, bmpBytes(image), error);
}

} // namespace velmora
