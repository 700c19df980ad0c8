// Pixel-exact drawing on skin bitmaps: solid fills, gradients, bevel lines and rounded shapes
// whose soft edges are blended against a known background colour, so that no half-magenta
// fringe ever appears where the transparent colour meets the artwork.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QRectF>
#include <functional>

namespace art {

constexpr QRgb kMagenta = 0xFFFF00FF;

// Linear mix of two colours, t = 0 gives a, t = 1 gives b; rounded to the nearest value.
QColor mix(const QColor& a, const QColor& b, double t);
// A colour made lighter (amount > 0) or darker (amount < 0) by mixing with white or black.
QColor shade(const QColor& c, double amount);

// A bitmap being drawn: RGB32, starting all magenta.
class Canvas {
  public:
    Canvas(int width, int height);

    QImage& image() { return m_image; }
    const QImage& image() const { return m_image; }
    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }

    void pixel(int x, int y, const QColor& c);
    QColor at(int x, int y) const { return QColor::fromRgb(m_image.pixel(x, y)); }
    bool isKey(int x, int y) const { return m_image.pixel(x, y) == kMagenta; }

    void fill(const QRect& r, const QColor& c);
    void clear(const QRect& r);  // back to magenta
    void hline(int x0, int x1, int y, const QColor& c);
    void vline(int x, int y0, int y1, const QColor& c);
    // Rows of r shaded from `top` (first row) to `bottom` (last row).
    void verticalGradient(const QRect& r, const QColor& top, const QColor& bottom);
    // Columns of r shaded from `left` to `right`.
    void horizontalGradient(const QRect& r, const QColor& left, const QColor& right);
    // Upper/left lines in `light`, lower/right lines in `dark`.
    void bevel(const QRect& r, const QColor& light, const QColor& dark);
    void outline(const QRect& r, const QColor& c) { bevel(r, c, c); }

    // Paints `c` over every pixel in proportion to how much of it `inside` covers (4 x 4
    // samples). A partly covered magenta pixel is blended with `matte` instead, or, when no
    // matte is given, painted only when at least half covered (a hard edge).
    void cover(const QRect& bounds, const std::function<bool(double, double)>& inside,
               const QColor& c, const QColor& matte = QColor());
    void roundedRect(const QRectF& r, double radius, const QColor& c,
                     const QColor& matte = QColor());
    // A rounded rectangle shaded from `top` (its first row) to `bottom` (its last row).
    void roundedGradient(const QRectF& r, double radius, const QColor& top, const QColor& bottom,
                         const QColor& matte = QColor());
    void ellipse(const QRectF& r, const QColor& c, const QColor& matte = QColor());
    // Makes the pixels outside a rounded rectangle of the whole canvas area `r` magenta.
    void cutCorners(const QRect& r, double radius);

    // Copies another canvas's pixels to (x, y).
    void paste(const Canvas& other, int x, int y);
    // The canvas turned a quarter turn (the first row becomes the first column).
    Canvas transposed() const;

  private:
    QImage m_image;
};

bool insideRoundedRect(const QRectF& r, double radius, double x, double y);

}  // namespace art
