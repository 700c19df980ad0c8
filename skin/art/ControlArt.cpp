// Control artwork: push buttons, check and radio glyphs, progress bar, tabs, status bar,
// combo box parts and menu entries.
#include <cmath>

#include "ArtCanvas.h"
#include "SkinArt.h"

namespace art {

namespace {

using namespace palette;

const QColor kWhite{255, 255, 255};
const QColor kFlat{241, 242, 244};

// A face with a one-pixel rounded border, a shaded fill and an optional highlight row.
struct FaceLook {
    QColor border, top, bottom, highlight, ring;
};

void drawFace(Canvas& canvas, const QRect& cell, double radius, const FaceLook& look,
              const QColor& matte) {
    const QRectF outer(cell.x(), cell.y(), cell.width(), cell.height());
    canvas.roundedRect(outer, radius, look.border, matte);
    const QRectF inner = outer.adjusted(1, 1, -1, -1);
    canvas.roundedGradient(inner, radius - 1, look.top, look.bottom);
    if (look.ring.isValid()) {
        const QRect r = inner.toAlignedRect();
        canvas.hline(r.left() + 1, r.right() - 1, r.top(), look.ring);
        canvas.hline(r.left() + 1, r.right() - 1, r.bottom(), look.ring);
        canvas.vline(r.left(), r.top() + 1, r.bottom() - 1, look.ring);
        canvas.vline(r.right(), r.top() + 1, r.bottom() - 1, look.ring);
    } else if (look.highlight.isValid()) {
        canvas.hline(cell.left() + 2, cell.right() - 2, cell.top() + 1, look.highlight);
    }
}

// Push button: 5 frames of 55 x 22 (normal, pressed, disabled, focused or hot, default).
QImage pushButton() {
    constexpr int w = 55, h = 22;
    Canvas image(5 * w, h);
    const FaceLook looks[5] = {
        {kLine, QColor(252, 252, 253), QColor(234, 236, 239), kWhite, QColor()},
        {shade(kLine, -0.18), QColor(210, 214, 220), QColor(224, 227, 231), QColor(), QColor()},
        {kLineSoft, kFlat, kFlat, QColor(), QColor()},
        {kAccent, QColor(250, 252, 255), QColor(229, 238, 249), QColor(),
         mix(kAccentLight, kWhite, 0.45)},
        {kAccentDark, QColor(252, 252, 253), QColor(234, 236, 239), kWhite, QColor()},
    };
    for (int i = 0; i < 5; ++i)
        drawFace(image, QRect(i * w, 0, w, h), 3, looks[i], kFace);
    return image.image();
}

// A tick from the lower left up to the right, centred in a 13 x 13 cell at x0.
void drawTick(Canvas& canvas, int x0, const QColor& colour, const QColor& under) {
    auto near = [](double px, double py, double ax, double ay, double bx, double by) {
        const double dx = bx - ax, dy = by - ay;
        double t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy);
        t = std::fmax(0.0, std::fmin(1.0, t));
        const double ex = px - (ax + t * dx), ey = py - (ay + t * dy);
        return ex * ex + ey * ey < 0.85 * 0.85;
    };
    canvas.cover(
        QRect(x0 + 2, 2, 9, 9),
        [&](double x, double y) {
            const double lx = x - x0;
            return near(lx, y, 3.6, 6.6, 5.4, 8.6) || near(lx, y, 5.4, 8.6, 9.6, 4.2);
        },
        colour, under);
}

// The look of frame i of a check box or radio button: unchecked, checked, disabled, disabled
// checked.
struct ToggleLook {
    bool checked;
    QColor border;
    QColor fill;
};
ToggleLook toggleFrame(int i) {
    const bool checked = i == 1 || i == 3;
    const bool disabled = i >= 2;
    const QColor border = disabled ? kLineSoft : checked ? kAccentDark : shade(kLine, -0.1);
    const QColor fill =
        checked ? (disabled ? QColor(186, 192, 200) : kAccent) : (disabled ? kFlat : kWhite);
    return {checked, border, fill};
}

// Check box: 4 frames of 13 x 13 (unchecked, checked, disabled, disabled checked).
QImage checkBox() {
    Canvas image(4 * 13, 13);
    for (int i = 0; i < 4; ++i) {
        const auto [checked, border, fill] = toggleFrame(i);
        const QRectF box(i * 13, 0, 13, 13);
        image.roundedRect(box, 2.5, border, kFace);
        image.roundedRect(box.adjusted(1, 1, -1, -1), 1.5, fill);
        if (checked) drawTick(image, i * 13, kWhite, fill);
    }
    return image.image();
}

// Radio button: 4 frames of 13 x 13 (unchecked, checked, disabled, disabled checked).
QImage radioButton() {
    Canvas image(4 * 13, 13);
    for (int i = 0; i < 4; ++i) {
        const auto [checked, border, fill] = toggleFrame(i);
        const double x = i * 13;
        image.ellipse(QRectF(x, 0, 13, 13), border, kFace);
        image.ellipse(QRectF(x + 1, 1, 11, 11), fill);
        if (checked) image.ellipse(QRectF(x + 4, 4, 5, 5), kWhite);
    }
    return image.image();
}

// Progress bar: the empty track and the filled part, 2 frames of 24 x 16, opaque.
QImage progressBar() {
    constexpr int w = 24, h = 16;
    Canvas image(2 * w, h);
    for (int i = 0; i < 2; ++i) {
        const QRect cell(i * w, 0, w, h);
        image.fill(cell, kFace);
        drawFace(image, cell, 3,
                 {kLine, QColor(222, 225, 230), QColor(240, 242, 244), QColor(), QColor()}, kFace);
    }
    // The fill sits inside the track's border so the two frames join without a seam.
    const QRectF fill(w + 1, 1, w - 2, h - 2);
    image.roundedGradient(fill, 2, QColor(110, 172, 234), kAccentDark);
    image.hline(w + 3, 2 * w - 4, 2, mix(kAccentLight, kWhite, 0.35));
    return image.image();
}

// Tabs: 5 frames of 40 x 22 (other tab, tab with the focus, hot, disabled, spare), rounded
// at the top; the bottom row of a tab that is not selected is the page's top border.
QImage tabs() {
    constexpr int w = 40, h = 22;
    Canvas image(5 * w, h);
    for (int i = 0; i < 5; ++i) {
        const bool selected = i == 1 || i == 4;
        QColor top = QColor(236, 238, 241), bottom = QColor(220, 223, 228), border = kLine;
        if (selected) top = kFaceLight, bottom = kFace;
        if (i == 2) top = QColor(246, 247, 249), bottom = QColor(230, 233, 237);
        if (i == 3) top = bottom = QColor(226, 228, 231), border = kLineSoft;
        const QRectF shape(i * w, selected ? 0 : 2, w, h + 6);
        image.roundedRect(shape, 4, border, kFace);
        image.roundedGradient(shape.adjusted(1, 1, -1, -1), 3, top, bottom);
        if (i == 1) {
            const QRectF inner = shape.adjusted(1, 1, -1, -1);
            image.cover(
                QRect(i * w, 1, w, 2),
                [&](double x, double y) { return insideRoundedRect(inner, 3, x, y); }, kAccent);
        }
        if (!selected) {
            image.hline(i * w, i * w + w - 1, h - 1, kLine);
        }
    }
    return image.image();
}

// The page under the tabs: a border drawn with fixed margins around the page face.
QImage tabBorder() {
    Canvas image(20, 20);
    image.fill(QRect(0, 0, 20, 20), kFace);
    image.roundedRect(QRectF(0, 0, 20, 20), 2, kLine, kFace);
    image.roundedRect(QRectF(1, 1, 18, 18), 1, kFace);
    return image.image();
}

// Status bar: 3 frames of 16 x 20 (lowered, raised, none).
QImage statusBar() {
    constexpr int w = 16, h = 20;
    Canvas image(3 * w, h);
    image.fill(QRect(0, 0, w, h), QColor(236, 238, 241));
    image.outline(QRect(0, 0, w, h), kLineSoft);
    image.fill(QRect(w, 0, w, h), kFace);
    image.bevel(QRect(w, 0, w, h), kFaceLight, kLineSoft);
    image.fill(QRect(2 * w, 0, w, h), kFace);
    return image.image();
}

// The drop-down button of a combo box: 4 frames of 18 x 21 (normal, pressed, disabled,
// focused or hot), the right end of the box's border included.
QImage comboButton() {
    constexpr int w = 18, h = 21;
    Canvas image(4 * w, h);
    struct Look {
        QColor border, separator, top, bottom;
    };
    const Look looks[4] = {
        {kLine, kLineSoft, QColor(250, 250, 251), QColor(234, 236, 239)},
        {kLine, kLine, QColor(210, 214, 220), QColor(224, 227, 231)},
        {kLineSoft, kLineSoft, kFlat, kFlat},
        {kLine, kAccentLight, QColor(244, 248, 254), kAccentTint},
    };
    for (int i = 0; i < 4; ++i) {
        const Look& look = looks[i];
        // A shape reaching past the cell's left edge gives square left corners.
        Canvas cell(w, h);
        cell.roundedRect(QRectF(-4, 0, w + 4, h), 3, look.border, kFace);
        cell.roundedGradient(QRectF(-4, 1, w + 3, h - 2), 2, look.top, look.bottom);
        cell.vline(0, 1, h - 2, look.separator);
        image.paste(cell, i * w, 0);
    }
    return image.image();
}

// The combo box's sunken edge: 4 frames of 12 x 12 (normal, hot, disabled, focused).
QImage sunkEdge() {
    constexpr int s = 12;
    Canvas image(4 * s, s);
    const QColor borders[4] = {kLine, kAccentLight, kLineSoft, kAccent};
    const QColor fills[4] = {kWhite, kWhite, kFlat, kWhite};
    for (int i = 0; i < 4; ++i) {
        image.fill(QRect(i * s, 0, s, s), fills[i]);
        image.outline(QRect(i * s, 0, s, s), borders[i]);
    }
    return image.image();
}

// The drop-down arrow: 5 frames of 9 x 6 on the transparent colour.
QImage dropArrow() {
    constexpr int w = 9, h = 6;
    Canvas image(5 * w, h);
    const QColor colours[5] = {kTextSoft, kText, kLineSoft, kAccentDark, kText};
    for (int i = 0; i < 5; ++i) {
        for (int row = 0; row < 4; ++row)
            image.hline(i * w + 1 + row, i * w + 7 - row, 1 + row, colours[i]);
    }
    return image.image();
}

// Menu entries: 5 frames of 24 x 20 (normal, separator in the bottom rows, disabled
// selection, selection, spare).
QImage menuItem() {
    constexpr int w = 24, h = 20;
    Canvas image(5 * w, h);
    image.hline(w + 2, 2 * w - 3, h - 5, kLineSoft);
    image.roundedRect(QRectF(2 * w + 1, 1, w - 2, h - 2), 2, QColor(232, 234, 237), kMenu);
    image.roundedRect(QRectF(3 * w + 1, 1, w - 2, h - 2), 2, kAccent, kMenu);
    image.roundedRect(QRectF(4 * w + 1, 1, w - 2, h - 2), 2, kAccentTint, kMenu);
    return image.image();
}

// The popup menu's background: a light face inside a one-pixel border.
QImage menuBackground() {
    Canvas image(16, 16);
    image.fill(QRect(0, 0, 16, 16), kMenu);
    image.outline(QRect(0, 0, 16, 16), kLine);
    return image.image();
}

}  // namespace

void drawControlImages(std::vector<ArtImage>& out) {
    out.push_back({"button.bmp", pushButton()});
    out.push_back({"checkbox.bmp", checkBox()});
    out.push_back({"radio.bmp", radioButton()});
    out.push_back({"progress.bmp", progressBar()});
    out.push_back({"tabs.bmp", tabs()});
    out.push_back({"tabborder.bmp", tabBorder()});
    out.push_back({"statusbar.bmp", statusBar()});
    out.push_back({"combobutton.bmp", comboButton()});
    out.push_back({"sunkedge.bmp", sunkEdge()});
    out.push_back({"extraimages.bmp", dropArrow()});
    out.push_back({"menuitem.bmp", menuItem()});
    out.push_back({"menubackground.bmp", menuBackground()});
}

}  // namespace art
