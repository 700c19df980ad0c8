#include "SkinPainters.h"

#include <QPoint>
#include <algorithm>
#include <vector>

#include "WinSkinData.h"

namespace {

// Skin images arrive as RGB32; anything else (a test's ARGB image, an indexed bitmap) is
// converted once so the copy loops below can read 32-bit pixels directly.
QImage asRgb32(const QImage& image) {
    if (image.format() == QImage::Format_RGB32) return image;
    return image.convertToFormat(QImage::Format_RGB32);
}

// Nearest-neighbour stretch of `source` (a rectangle of `src`) into `target` (a rectangle of
// `dst`), clipped to both images. Destination pixel (i, j) of the target takes source pixel
// (i * sw / tw, j * sh / th), the mapping of a colour-on-colour stretched block transfer.
void stretchCopy(QImage& dst, const QRect& target, const QImage& src, const QRect& source) {
    if (target.width() <= 0 || target.height() <= 0) return;
    if (source.width() <= 0 || source.height() <= 0) return;
    const QRect clippedTarget = target & dst.rect();
    if (clippedTarget.isEmpty()) return;
    const qint64 tw = target.width();
    const qint64 th = target.height();
    const qint64 sw = source.width();
    const qint64 sh = source.height();
    const int srcW = src.width();
    const int srcH = src.height();

    // Column map computed once per piece.
    std::vector<int> columns(size_t(clippedTarget.width()));
    for (int x = clippedTarget.left(); x <= clippedTarget.right(); ++x) {
        const qint64 i = x - target.left();
        columns[size_t(x - clippedTarget.left())] = source.left() + int(i * sw / tw);
    }
    for (int y = clippedTarget.top(); y <= clippedTarget.bottom(); ++y) {
        const qint64 j = y - target.top();
        const int sy = source.top() + int(j * sh / th);
        auto* out = reinterpret_cast<QRgb*>(dst.scanLine(y));
        if (sy < 0 || sy >= srcH) continue;  // outside the source: leave the destination
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(sy));
        for (int x = clippedTarget.left(); x <= clippedTarget.right(); ++x) {
            const int sx = columns[size_t(x - clippedTarget.left())];
            if (sx < 0 || sx >= srcW) continue;
            out[x] = in[sx] | 0xFF000000u;
        }
    }
}

// Repeats `source` unscaled from `origin` in steps of its own size while the tile's
// top-left lies before `limit` (exclusive); tiles overrun `limit` and are cut only by the
// destination bitmap.
void tileCopy(QImage& dst, QPoint origin, QPoint limit, const QImage& src, const QRect& source) {
    if (source.width() <= 0 || source.height() <= 0) return;
    for (int y = origin.y(); y < limit.y(); y += source.height()) {
        for (int x = origin.x(); x < limit.x(); x += source.width()) {
            stretchCopy(dst, QRect(QPoint(x, y), source.size()), src, source);
        }
    }
}

int clampFrameCount(int frameCount) {
    return frameCount < 1 ? 1 : frameCount;
}

// Draws an RGB32 picture with magenta keyed out or opaque, without smoothing.
void drawPicture(QPainter& painter, const QPoint& at, const QImage& picture, bool transparent) {
    if (picture.isNull()) return;
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(at, transparent ? KeyedImage(picture) : asRgb32(picture));
    painter.restore();
}

}  // namespace

QRect SkinFrameRect(const QImage& image, int frameCount, int frame, bool vertical) {
    const int n = clampFrameCount(frameCount);
    // A skin naming a frame it does not have draws the nearest one rather than nothing.
    const int k = std::clamp(frame, 1, n);
    if (vertical) {
        const int fh = image.height() / n;
        return QRect(0, fh * (k - 1), image.width(), fh);
    }
    const int fw = image.width() / n;
    return QRect(fw * (k - 1), 0, fw, image.height());
}

QImage DrawNineSlice(QSize destination, const QImage& image, SkinMargins margins, bool vertical,
                     bool tile, int frameCount, int frame) {
    const int W = std::max(0, destination.width());
    const int H = std::max(0, destination.height());
    QImage result(W, H, QImage::Format_RGB32);
    if (result.isNull()) return result;
    result.fill(Qt::black);
    if (image.isNull()) return result;

    const QImage src = asRgb32(image);
    const QRect f = SkinFrameRect(src, frameCount, frame, vertical);
    const int fx = f.x();
    const int fy = f.y();
    const int fw = f.width();
    const int fh = f.height();

    int L = std::max(0, margins.left);
    int T = std::max(0, margins.top);
    int R = std::max(0, margins.right);
    int B = std::max(0, margins.bottom);
    if (W < L + R) L = R = 0;
    if (H < T + B) T = B = 0;

    const int midW = W - L - R;
    const int midH = H - T - B;
    const int srcMidW = fw - L - R;
    const int srcMidH = fh - T - B;

    auto piece = [&](QRect target, QRect source) { stretchCopy(result, target, src, source); };

    if (L * T > 0) piece(QRect(0, 0, L, T), QRect(fx, fy, L, T));
    if (L * B > 0) piece(QRect(0, H - B, L, B), QRect(fx, fy + fh - B, L, B));
    if (R * T > 0) piece(QRect(W - R, 0, R, T), QRect(fx + fw - R, fy, R, T));
    if (L > 0) piece(QRect(0, T, L, midH), QRect(fx, fy + T, L, srcMidH));
    if (T > 0) piece(QRect(L, 0, midW, T), QRect(fx + L, fy, srcMidW, T));
    const QRect middleSource(fx + L, fy + T, srcMidW, srcMidH);
    if (tile) {
        if (midW > 0 && midH > 0)
            tileCopy(result, QPoint(L, T), QPoint(W - R, H - B), src, middleSource);
    } else {
        piece(QRect(L, T, midW, midH), middleSource);
    }
    if (R * B > 0) piece(QRect(W - R, H - B, R, B), QRect(fx + fw - R, fy + fh - B, R, B));
    if (R > 0) piece(QRect(W - R, T, R, midH), QRect(fx + fw - R, fy + T, R, srcMidH));
    if (B > 0) piece(QRect(L, H - B, midW, B), QRect(fx + L, fy + fh - B, srcMidW, B));
    return result;
}

QImage DrawNineSlice(QSize destination, const TDataSkinObject& object, int frame, bool vertical) {
    return DrawNineSlice(
        destination, object.Image,
        {object.LeftWidth, object.TopHeight, object.RightWidth, object.BottomHeight}, vertical,
        object.Tile != 0, object.FrameCount, frame);
}

namespace {

// The black picture a painter composes into before drawing it at destination; null when
// there is nothing to draw (an empty place, no image, or no memory for the picture).
QImage composingPicture(const QRect& destination, const QImage& image) {
    if (destination.width() <= 0 || destination.height() <= 0 || image.isNull()) return {};
    QImage bitmap(destination.size(), QImage::Format_RGB32);
    if (!bitmap.isNull()) bitmap.fill(Qt::black);
    return bitmap;
}

}  // namespace

void DrawThreePart(QPainter& painter, const QRect& destination, const QImage& image, bool vertical,
                   bool transparent, int frameCount, int frame, int left, int right) {
    QImage bitmap = composingPicture(destination, image);
    if (bitmap.isNull()) return;
    const int W = bitmap.width();
    const int H = bitmap.height();
    const QImage src = asRgb32(image);
    const QRect f = SkinFrameRect(src, frameCount, frame, vertical);
    const int L = std::max(0, left);
    const int R = std::max(0, right);
    const int midW = f.width() - L - R;

    stretchCopy(bitmap, QRect(0, 0, L, H), src, QRect(f.x(), f.y(), L, f.height()));
    if (midW > 0) {
        const QRect middle(f.x() + L, f.y(), midW, f.height());
        for (int x = L; x < W - R; x += midW)
            stretchCopy(bitmap, QRect(x, 0, midW, H), src, middle);
    }
    stretchCopy(bitmap, QRect(W - R, 0, R, H), src,
                QRect(f.x() + f.width() - R, f.y(), R, f.height()));
    drawPicture(painter, destination.topLeft(), bitmap, transparent);
}

void DrawFrameTransparent(QPainter& painter, const QRect& destination, const QImage& image,
                          int frame, bool transparent) {
    QImage bitmap = composingPicture(destination, image);
    if (bitmap.isNull()) return;
    const int W = bitmap.width();
    const QImage src = asRgb32(image);
    const QRect source(W * (std::max(1, frame) - 1), 0, W, src.height());
    if (!source.intersects(src.rect())) return;  // no such frame: nothing to show
    stretchCopy(bitmap, bitmap.rect(), src, source);
    drawPicture(painter, destination.topLeft(), bitmap, transparent);
}

void DrawSkinBitmap(QPainter& painter, const QPoint& at, const QImage& bitmap, bool transparent) {
    drawPicture(painter, at, bitmap, transparent);
}

void DrawNineSliceDirect(QPainter& painter, const QRect& destination, const QImage& image,
                         SkinMargins margins, bool vertical, int frameCount, int frame) {
    if (destination.width() <= 0 || destination.height() <= 0 || image.isNull()) return;
    // Composing first and copying once gives the same pixels as stretching each piece onto
    // the device, without depending on the painter's own scaling rules.
    const QImage picture =
        DrawNineSlice(destination.size(), image, margins, vertical, false, frameCount, frame);
    drawPicture(painter, destination.topLeft(), picture, false);
}

void DrawTiled(QPainter& painter, const QRect& destination, const QImage& image,
               const QRect& source) {
    const QRect s = source & image.rect();
    if (destination.isEmpty() || s.isEmpty()) return;
    const QImage tile = asRgb32(image.copy(s));
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (int y = destination.top(); y <= destination.bottom(); y += tile.height()) {
        const int h = std::min(tile.height(), destination.bottom() + 1 - y);
        for (int x = destination.left(); x <= destination.right(); x += tile.width()) {
            const int w = std::min(tile.width(), destination.right() + 1 - x);
            painter.drawImage(QPoint(x, y), tile, QRect(0, 0, w, h));
        }
    }
    painter.restore();
}

QRegion RegionFromBitmap(const QImage& bitmap, int x, int y) {
    QRegion region;
    if (bitmap.isNull()) return region;
    const QImage src = asRgb32(bitmap);
    const int width = src.width();
    const int keyR = qRed(kSkinKeyColour);
    const int keyG = qGreen(kSkinKeyColour);
    const int keyB = qBlue(kSkinKeyColour);
    auto within = [](int value, int key) {
        return value >= key && value <= std::min(255, key + 1);
    };
    auto transparent = [&](QRgb p) {
        return within(qRed(p), keyR) && within(qGreen(p), keyG) && within(qBlue(p), keyB);
    };

    // Rows with the same runs as the row above extend that band instead of adding rectangles;
    // a region of mostly rectangular shape then costs a handful of rectangles, and the
    // rectangles stay in the sorted, non-abutting band form QRegion::setRects expects.
    constexpr size_t kBatch = 2000;
    std::vector<QRect> pending;  // finished bands
    std::vector<QRect> band;     // runs of the band still growing
    std::vector<QRect> row;
    pending.reserve(kBatch + 64);

    auto flushBand = [&] {
        pending.insert(pending.end(), band.begin(), band.end());
        band.clear();
        if (pending.size() >= kBatch) {
            QRegion part;
            part.setRects(pending.data(), int(pending.size()));
            region += part;
            pending.clear();
        }
    };

    for (int r = 0; r < src.height(); ++r) {
        row.clear();
        const auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(r));
        int c = 0;
        while (c < width) {
            while (c < width && transparent(line[c]))
                ++c;
            const int start = c;
            while (c < width && !transparent(line[c]))
                ++c;
            if (c > start) row.emplace_back(x + start, y + r, c - start, 1);
        }
        const bool sameRuns =
            !band.empty() && band.size() == row.size() && band.back().bottom() + 1 == y + r &&
            std::equal(band.begin(), band.end(), row.begin(), [](const QRect& a, const QRect& b) {
                return a.left() == b.left() && a.width() == b.width();
            });
        if (sameRuns) {
            for (QRect& rect : band)
                rect.setHeight(rect.height() + 1);
            continue;
        }
        flushBand();
        band.swap(row);
    }
    flushBand();
    if (!pending.empty()) {
        QRegion part;
        part.setRects(pending.data(), int(pending.size()));
        region += part;
    }
    return region;
}

QImage KeyedImage(const QImage& image) {
    if (image.isNull()) return image;
    QImage keyed = asRgb32(image).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int r = 0; r < keyed.height(); ++r) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(r));
        for (int c = 0; c < keyed.width(); ++c) {
            if (line[c] == kSkinKeyColour) line[c] = 0;
        }
    }
    return keyed;
}

QImage& SkinScratch(QSize size) {
    static QImage scratch;
    const int w = std::max(size.width(), scratch.width());
    const int h = std::max(size.height(), scratch.height());
    if (w > scratch.width() || h > scratch.height() || scratch.isNull()) {
        scratch = QImage(std::max(1, w), std::max(1, h), QImage::Format_ARGB32_Premultiplied);
    }
    scratch.fill(Qt::transparent);
    return scratch;
}
