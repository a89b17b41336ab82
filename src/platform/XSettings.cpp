#include "platform/XSettings.h"

#include <cstdint>

namespace velmora {

namespace {

class Reader {
public:
    Reader(std::string_view blob, bool bigEndian) : m_blob(blob), m_big(bigEndian) {}
    bool skip(std::size_t n) {
        if (n > m_blob.size() - m_at) {
            return false;
        }
        m_at += n;
        return true;
    }
    std::optional<std::uint32_t> number(std::size_t bytes) {
        if (bytes > m_blob.size() - m_at) {
            return std::nullopt;
        }
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < bytes; ++i) {
            const auto b = static_cast<std::uint8_t>(m_blob[m_at + (m_big ? i : bytes - 1 - i)]);
            v = (v << 8) | b;
        }
        m_at += bytes;
        return v;
    }
    std::optional<std::string_view> text(std::size_t length) {
        if (length > m_blob.size() - m_at) {
            return std::nullopt;
        }
        const std::string_view t = m_blob.substr(m_at, length);
        m_at += length;
        return t;
    }

private:
    std::string_view m_blob;
    bool m_big;
    std::size_t m_at = 0;
};

constexpr std::size_t padded(std::size_t n) {
    return (n + 3) & ~std::size_t{3};
}

} // namespace

std::optional<int> xsettingsInteger(std::string_view blob, std::string_view name) {
    if (blob.size() < 12) {
        return std::nullopt;
    }
    Reader r(blob, blob[0] != 0); // 0: least significant byte first
    r.skip(4);                    // byte order and padding
    r.skip(4);                    // serial
    const auto count = r.number(4);
    if (!count) {
        return std::nullopt;
    }
    for (std::uint32_t i = 0; i < *count; ++i) {
        const auto type = r.number(1);
        const bool pad = r.skip(1);
        const auto length = r.number(2);
        if (!type || !pad || !length) {
            return std::nullopt;
        }
        const auto key = r.text(*length);
        if (!key || !r.skip(padded(*length) - *length) || !r.skip(4)) { // name, padding, last change
            return std::nullopt;
        }
        if (*type == 0) { // integer
            const auto value = r.number(4);
            if (!value) {
                return std::nullopt;
            }
            if (*key == name) {
                return static_cast<int>(static_cast<std::int32_t>(*value));
            }
        } else if (*type == 1) { // string
            const auto textLength = r.number(4);
            if (!textLength || !r.skip(padded(*textLength))) {
                return std::nullopt;
            }
        } else if (*type == 2) { // colour: four 16-bit channels
            if (!r.skip(8)) {
                return std::nullopt;
            }
        } else {
            return std::nullopt; // a type this reader does not know: the rest cannot be found
        }
    }
    return std::nullopt;
}

} // namespace velmora
