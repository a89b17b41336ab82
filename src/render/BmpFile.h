#pragma once

#include <QImage>

#include <string>

namespace velmora {

// The bytes of a Windows bitmap file: 24 bits per pixel, rows bottom-up and
// padded to four bytes, as every image viewer and every desktop reads it.
std::string bmpBytes(const QImage& image);

// Writes the picture as such a file through a temporary file and a rename;
// false, with a Japanese reason in *error, when it cannot be written.
bool saveBmp(const QImage& image, const std::string& path, std::string* error = nullptr);

} // namespace velmora
