// The window frame: the four strips, the caption buttons, the caption text background, the
// menu bar, the buttons of a maximised child window and the placeholder window icon.
#include <cmath>

#include "ArtCanvas.h"
#include "SkinArt.h"

namespace art {

namespace {

using namespace palette;

constexpr double kTopRadius = 6.0;
constexpr double kBottomRadius = 3.0;
const QColor kInnerLine{30, 36, 44};
const QColor kIdleInnerLine{82, 89, 99};

struct FrameColours {
    QColor top, bottom, shine, edge, inner;
};

FrameColours frameColours(bool active) {
    if (active) return {kCaptionTop, kCaptionBottom, kCaptionShine, kFrameEdge, kInnerLine};
    return {kIdleTop, kIdleBottom, kIdleShine, kIdleEdge, kIdleInnerLine};
}

// The caption colour of row y (0 .. kCaptionHeight - 1), away from the side edges.
QColor captionRow(const FrameColours& c, int y) {
    if (y == 0) return c.edge;
    if (y == 1) return c.shine;
    if (y == kCaptionHeight - 1) return c.inner;
    return mix(c.top, c.bottom, double(y - 2) / (kCaptionHeight - 4));
}

// Rounds a window corner: pixels outside `shape` become transparent, and the ring between the
// shape and the shape one pixel in takes the edge colour, blended into the inside along the
// curve.
void roundWindowCorner(Canvas& canvas, const QRect& area, const QRectF& shape, double radius,
                       const QColor& edge) {
    const QRectF inner = shape.adjusted(1, 1, -1, -1);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (!insideRoundedRect(shape, radius, x + 0.5, y + 0.5)) {
                canvas.pixel(x, y, QColor::fromRgb(kMagenta));
                continue;
            }
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                    hits += insideRoundedRect(inner, radius - 1, x + (sx + 0.5) / 4,
                                              y + (sy + 0.5) / 4);
            if (hits < 16) canvas.pixel(x, y, mix(edge, canvas.at(x, y), hits / 16.0));
        }
    }
}

// One frame of the left strip (7 x 92); the right strip is its mirror image.
Canvas leftFrame(bool active) {
    const FrameColours c = frameColours(active);
    constexpr int kHeight = 92;
    Canvas f(kBorder, kHeight);
    const int bottomStart = kHeight - kBorder;  // the rows beside the bottom strip
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kBorder; ++x) {
            QColor colour;
            if (y < kCaptionHeight) {
                colour = captionRow(c, y);
                if (y == kCaptionHeight - 1 && x < kBorder - 1)
                    colour = mix(c.bottom, c.inner, 0.5);
                if (x == 1 && y > 1) colour = mix(c.shine, colour, std::min(1.0, y / 12.0));
            } else if (y == bottomStart) {
                colour = x == kBorder - 1 ? c.inner : c.bottom;
            } else {
                colour = c.bottom;
                if (x == kBorder - 1 && y < bottomStart) colour = c.inner;
            }
            if (x == 0 || y == kHeight - 1) colour = c.edge;
            f.pixel(x, y, colour);
        }
    }
    // The window's own corners: wide shapes reaching past the strip to the right.
    roundWindowCorner(f, QRect(0, 0, kBorder, kCaptionHeight), QRectF(0, 0, 100, 200), kTopRadius,
                      c.edge);
    roundWindowCorner(f, QRect(0, bottomStart, kBorder, kBorder),
                      QRectF(0, kHeight - 200, 100, 200), kBottomRadius, c.edge);
    return f;
}

Canvas mirrored(const Canvas& source) {
    Canvas result(source.width(), source.height());
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            result.pixel(source.width() - 1 - x, y, source.at(x, y));
    return result;
}

// Two frames (active, inactive) side by side.
QImage sideStrip(bool right) {
    Canvas strip(2 * kBorder, 92);
    for (int i = 0; i < 2; ++i) {
        const Canvas frame = leftFrame(i == 0);
        strip.paste(right ? mirrored(frame) : frame, i * kBorder, 0);
    }
    return strip.image();
}

QImage topStrip() {
    Canvas strip(186, 2 * kCaptionHeight);
    for (int i = 0; i < 2; ++i) {
        const FrameColours c = frameColours(i == 0);
        for (int y = 0; y < kCaptionHeight; ++y)
            strip.hline(0, strip.width() - 1, i * kCaptionHeight + y, captionRow(c, y));
    }
    return strip.image();
}

QImage bottomStrip() {
    Canvas strip(186, 2 * kBorder);
    for (int i = 0; i < 2; ++i) {
        const FrameColours c = frameColours(i == 0);
        const int y0 = i * kBorder;
        strip.hline(0, strip.width() - 1, y0, c.inner);
        strip.fill(QRect(0, y0 + 1, strip.width(), kBorder - 2), c.bottom);
        strip.hline(0, strip.width() - 1, y0 + kBorder - 1, c.edge);
    }
    return strip.image();
}

// Distance from (px, py) to the segment (ax, ay)-(bx, by).
double segmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax;
    const double dy = by - ay;
    double t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy);
    t = std::fmax(0.0, std::fmin(1.0, t));
    const double ex = px - (ax + t * dx);
    const double ey = py - (ay + t * dy);
    return std::sqrt(ex * ex + ey * ey);
}

enum class Glyph { close, maximise, restore, minimise };

// A caption glyph centred on (cx, cy) in a 7 x 7 box.
void drawGlyph(Canvas& canvas, Glyph glyph, int cx, int cy, const QColor& colour,
               const QColor& matte) {
    const int l = cx - 3, t = cy - 3, r = cx + 3, b = cy + 3;
    switch (glyph) {
        case Glyph::close:
            canvas.cover(
                QRect(l - 1, t - 1, 9, 9),
                [&](double x, double y) {
                    return segmentDistance(x, y, l + 0.5, t + 0.5, r + 0.5, b + 0.5) < 0.75 ||
                           segmentDistance(x, y, r + 0.5, t + 0.5, l + 0.5, b + 0.5) < 0.75;
                },
                colour, matte);
            break;
        case Glyph::maximise:
            canvas.outline(QRect(QPoint(l, t), QPoint(r, b)), colour);
            canvas.hline(l, r, t + 1, colour);
            break;
        case Glyph::restore: {
            // The back window shows only where the front one does not cover it.
            const QRect back(QPoint(l + 2, t), QPoint(r, b - 2));
            const QRect front(QPoint(l, t + 2), QPoint(r - 2, b));
            Canvas mask(canvas.width(), canvas.height());
            mask.outline(back, colour);
            mask.hline(back.left(), back.right(), back.top() + 1, colour);
            for (int y = back.top(); y <= back.bottom(); ++y)
                for (int x = back.left(); x <= back.right(); ++x)
                    if (!mask.isKey(x, y) && !front.contains(x, y)) canvas.pixel(x, y, colour);
            canvas.outline(front, colour);
            canvas.hline(front.left(), front.right(), front.top() + 1, colour);
            break;
        }
        case Glyph::minimise:
            canvas.fill(QRect(QPoint(l, b - 1), QPoint(r, b)), colour);
            break;
    }
}

// A caption button: 6 frames of 15 x 19 on the transparent colour. Frames: normal, pressed,
// hot, inactive, hot while inactive, disabled.
QImage captionButton(Glyph glyph) {
    constexpr int w = kCaptionButtonWidth;
    constexpr int h = kCaptionButtonHeight;
    Canvas image(6 * w, h);
    const QColor activeMatte = mix(kCaptionTop, kCaptionBottom, 0.45);
    const QColor idleMatte = mix(kIdleTop, kIdleBottom, 0.45);
    const bool close = glyph == Glyph::close;
    struct Look {
        QColor plate, glyph, matte;
    };
    const Look looks[6] = {
        {QColor(), kGlyph, activeMatte},
        {close ? kClosePressed : shade(kCaptionBottom, -0.22), Qt::white, activeMatte},
        {close ? kCloseHot : shade(kCaptionTop, 0.14), Qt::white, activeMatte},
        {QColor(), kGlyphIdle, idleMatte},
        {close ? kCloseHot : shade(kIdleTop, 0.14), Qt::white, idleMatte},
        {QColor(), mix(kGlyphIdle, kIdleBottom, 0.55), idleMatte},
    };
    for (int i = 0; i < 6; ++i) {
        Canvas cell(w, h);
        const Look& look = looks[i];
        if (look.plate.isValid())
            cell.roundedRect(QRectF(0.5, 1.5, 14, 15), 3, look.plate, look.matte);
        drawGlyph(cell, glyph, 7, 9, look.glyph, look.plate.isValid() ? look.plate : look.matte);
        image.paste(cell, i * w, 0);
    }
    return image.image();
}

// The buttons of a maximised child window, drawn into the light menu bar: minimise, restore
// and close, each normal, pressed, hot and hot again (15 x 14 cells).
QImage mdiControls() {
    constexpr int w = 15;
    constexpr int h = 14;
    Canvas image(12 * w, h);
    const Glyph glyphs[3] = {Glyph::minimise, Glyph::restore, Glyph::close};
    for (int g = 0; g < 3; ++g) {
        for (int state = 0; state < 4; ++state) {
            Canvas cell(w, h);
            QColor plate;
            if (state == 1) plate = mix(kAccentTint, kAccentLight, 0.45);
            if (state >= 2) plate = kAccentTint;
            if (plate.isValid()) {
                cell.roundedRect(QRectF(0.5, 0.5, 14, 13), 2.5, state == 1 ? kAccent : kAccentLight,
                                 kMenuBar);
                cell.roundedRect(QRectF(1.5, 1.5, 12, 11), 1.5, plate);
            }
            drawGlyph(cell, glyphs[g], 7, 7, kText, plate.isValid() ? plate : kMenuBar);
            image.paste(cell, (4 * g + state) * w, 0);
        }
    }
    return image.image();
}

QImage menuBar() {
    Canvas image(40, 40);
    for (int i = 0; i < 2; ++i) {
        const int y0 = i * 20;
        image.verticalGradient(QRect(0, y0, 40, 19), kMenuBar, shade(kMenuBar, -0.015));
        image.hline(0, 39, y0 + 19, kLineSoft);
    }
    return image.image();
}

// Behind the caption text: left fully transparent, so the caption's own gradient shows, and
// wide enough on the left to keep the title clear of the window icon.
QImage textBack() {
    Canvas image(32, 2 * kCaptionHeight);
    return image.image();
}

// A small disc on the transparent colour; the loader discards it (the window's own icon
// takes its place), so it only stands in for skins that want to offer one.
QImage windowIcon() {
    Canvas icon(16, 16);
    const QColor matte = mix(kCaptionTop, kCaptionBottom, 0.3);
    icon.ellipse(QRectF(0.5, 0.5, 15, 15), kAccentDark, matte);
    icon.ellipse(QRectF(1.5, 1.5, 13, 13), kAccent);
    icon.ellipse(QRectF(3.5, 3.5, 9, 9), kAccentLight);
    icon.ellipse(QRectF(5.5, 5.5, 5, 5), kAccentDark);
    icon.ellipse(QRectF(6.5, 6.5, 3, 3), kCaptionBottom);
    return icon.image();
}

}  // namespace

void drawFrameImages(std::vector<ArtImage>& out) {
    out.push_back({"top.bmp", topStrip()});
    out.push_back({"left.bmp", sideStrip(false)});
    out.push_back({"right.bmp", sideStrip(true)});
    out.push_back({"bottom.bmp", bottomStrip()});
    out.push_back({"textback.bmp", textBack()});
    out.push_back({"menubar.bmp", menuBar()});
    out.push_back({"close.bmp", captionButton(Glyph::close)});
    out.push_back({"maximize.bmp", captionButton(Glyph::maximise)});
    out.push_back({"restore.bmp", captionButton(Glyph::restore)});
    out.push_back({"minimize.bmp", captionButton(Glyph::minimise)});
    out.push_back({"mdicontrols.bmp", mdiControls()});
    out.push_back({"icon.bmp", windowIcon()});
}

}  // namespace art
