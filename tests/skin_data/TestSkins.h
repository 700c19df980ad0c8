// Skins made in memory for the tests: small bitmaps, a description, packed as a skin file and
// wrapped as the stored property.
#pragma once

#include <QBuffer>
#include <QImage>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "SkinReader.h"

namespace testskins {

using Bytes = std::vector<std::uint8_t>;

// A BMP file of the given size, filled with one colour.
inline Bytes bmp(int width, int height, QRgb fill = qRgb(200, 10, 10)) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return Bytes(data.begin(), data.end());
}

inline Bytes textBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// A skin file of the bitmaps with the description last.
inline Bytes skinFile(const std::string& description, std::vector<SkinEntry> bitmaps = {}) {
    bitmaps.emplace_back("skin.ini", textBytes(description));
    return PackSkinFile(bitmaps);
}

// The stored property: a 32-bit little-endian count, then the skin file.
inline Bytes stored(const Bytes& file) {
    const auto count = std::uint32_t(file.size());
    Bytes out;
    out.reserve(4 + file.size());
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(std::uint8_t(count >> shift));
    out.insert(out.end(), file.begin(), file.end());
    return out;
}

}  // namespace testskins
