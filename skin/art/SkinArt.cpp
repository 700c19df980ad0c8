#include "SkinArt.h"

#include <QtEndian>

namespace art {

std::vector<ArtImage> drawSkinImages() {
    std::vector<ArtImage> images;
    drawFrameImages(images);
    drawControlImages(images);
    drawScrollImages(images);
    return images;
}

std::vector<unsigned char> encodeBmp24(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const int width = image.width();
    const int height = image.height();
    const int rowBytes = (width * 3 + 3) & ~3;
    const quint32 dataSize = quint32(rowBytes) * quint32(height);
    const quint32 headerSize = 14 + 40;
    std::vector<unsigned char> out(headerSize + dataSize, 0);
    auto put16 = [&](size_t at, quint16 v) { qToLittleEndian(v, out.data() + at); };
    auto put32 = [&](size_t at, quint32 v) { qToLittleEndian(v, out.data() + at); };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, headerSize + dataSize);
    put32(10, headerSize);
    put32(14, 40);
    put32(18, quint32(width));
    put32(22, quint32(height));  // positive: rows stored bottom-up
    put16(26, 1);
    put16(28, 24);
    put32(30, 0);  // no compression
    put32(34, dataSize);
    put32(38, 2835);  // 72 dots per inch
    put32(42, 2835);
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(height - 1 - y));
        unsigned char* row = out.data() + headerSize + size_t(y) * size_t(rowBytes);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<unsigned char>(qBlue(line[x]));
            row[3 * x + 1] = static_cast<unsigned char>(qGreen(line[x]));
            row[3 * x + 2] = static_cast<unsigned char>(qRed(line[x]));
        }
    }
    return out;
}

}  // namespace art
