#include "ArtCanvas.h"

#include <algorithm>
#include <cmath>

namespace art {

namespace {

int channel(int a, int b, double t) {
    return int(std::lround(a + (b - a) * t));
}

}  // namespace

QColor mix(const QColor& a, const QColor& b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return QColor(channel(a.red(), b.red(), t), channel(a.green(), b.green(), t),
                  channel(a.blue(), b.blue(), t));
}

QColor shade(const QColor& c, double amount) {
    return amount >= 0 ? mix(c, Qt::white, amount) : mix(c, Qt::black, -amount);
}

Canvas::Canvas(int width, int height) : m_image(width, height, QImage::Format_RGB32) {
    m_image.fill(kMagenta);
}

void Canvas::pixel(int x, int y, const QColor& c) {
    if (x < 0 || y < 0 || x >= width() || y >= height()) return;
    m_image.setPixel(x, y, c.rgb());
}

void Canvas::fill(const QRect& r, const QColor& c) {
    const QRect clipped = r & m_image.rect();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            m_image.setPixel(x, y, c.rgb());
}

void Canvas::clear(const QRect& r) {
    fill(r, QColor::fromRgb(kMagenta));
}

void Canvas::hline(int x0, int x1, int y, const QColor& c) {
    fill(QRect(QPoint(std::min(x0, x1), y), QPoint(std::max(x0, x1), y)), c);
}

void Canvas::vline(int x, int y0, int y1, const QColor& c) {
    fill(QRect(QPoint(x, std::min(y0, y1)), QPoint(x, std::max(y0, y1))), c);
}

void Canvas::verticalGradient(const QRect& r, const QColor& top, const QColor& bottom) {
    const int rows = r.height();
    for (int i = 0; i < rows; ++i) {
        const double t = rows > 1 ? double(i) / (rows - 1) : 0.0;
        hline(r.left(), r.right(), r.top() + i, mix(top, bottom, t));
    }
}

void Canvas::horizontalGradient(const QRect& r, const QColor& left, const QColor& right) {
    const int columns = r.width();
    for (int i = 0; i < columns; ++i) {
        const double t = columns > 1 ? double(i) / (columns - 1) : 0.0;
        vline(r.left() + i, r.top(), r.bottom(), mix(left, right, t));
    }
}

void Canvas::bevel(const QRect& r, const QColor& light, const QColor& dark) {
    hline(r.left(), r.right(), r.top(), light);
    vline(r.left(), r.top(), r.bottom(), light);
    hline(r.left(), r.right(), r.bottom(), dark);
    vline(r.right(), r.top(), r.bottom(), dark);
}

void Canvas::cover(const QRect& bounds, const std::function<bool(double, double)>& inside,
                   const QColor& c, const QColor& matte) {
    const QRect clipped = bounds & m_image.rect();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                    hits += inside(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4);
            if (hits == 0) continue;
            const double coverage = hits / 16.0;
            if (hits == 16) {
                pixel(x, y, c);
            } else if (!isKey(x, y)) {
                pixel(x, y, mix(at(x, y), c, coverage));
            } else if (matte.isValid()) {
                pixel(x, y, mix(matte, c, coverage));
            } else if (hits >= 8) {
                pixel(x, y, c);
            }
        }
    }
}

bool insideRoundedRect(const QRectF& r, double radius, double x, double y) {
    if (x < r.left() || x > r.right() || y < r.top() || y > r.bottom()) return false;
    const double cx = std::clamp(x, r.left() + radius, r.right() - radius);
    const double cy = std::clamp(y, r.top() + radius, r.bottom() - radius);
    const double dx = x - cx;
    const double dy = y - cy;
    return dx * dx + dy * dy <= radius * radius;
}

void Canvas::roundedRect(const QRectF& r, double radius, const QColor& c, const QColor& matte) {
    cover(
        r.toAlignedRect(), [&](double x, double y) { return insideRoundedRect(r, radius, x, y); },
        c, matte);
}

void Canvas::roundedGradient(const QRectF& r, double radius, const QColor& top,
                             const QColor& bottom, const QColor& matte) {
    const QRect rows = r.toAlignedRect();
    for (int y = rows.top(); y <= rows.bottom(); ++y) {
        const double t = rows.height() > 1 ? double(y - rows.top()) / (rows.height() - 1) : 0.0;
        cover(
            QRect(rows.left(), y, rows.width(), 1),
            [&](double x, double yy) { return insideRoundedRect(r, radius, x, yy); },
            mix(top, bottom, t), matte);
    }
}

void Canvas::ellipse(const QRectF& r, const QColor& c, const QColor& matte) {
    const QPointF centre = r.center();
    const double rx = r.width() / 2;
    const double ry = r.height() / 2;
    cover(
        r.toAlignedRect(),
        [&](double x, double y) {
            const double dx = (x - centre.x()) / rx;
            const double dy = (y - centre.y()) / ry;
            return dx * dx + dy * dy <= 1.0;
        },
        c, matte);
}

void Canvas::cutCorners(const QRect& r, double radius) {
    const QRectF shape(r.left(), r.top(), r.width(), r.height());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (!insideRoundedRect(shape, radius, x + 0.5, y + 0.5))
                pixel(x, y, QColor::fromRgb(kMagenta));
}

void Canvas::paste(const Canvas& other, int x, int y) {
    for (int j = 0; j < other.height(); ++j)
        for (int i = 0; i < other.width(); ++i)
            pixel(x + i, y + j, other.at(i, j));
}

Canvas Canvas::transposed() const {
    Canvas result(height(), width());
    for (int y = 0; y < height(); ++y)
        for (int x = 0; x < width(); ++x)
            result.pixel(y, x, at(x, y));
    return result;
}

}  // namespace art
