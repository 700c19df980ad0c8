// Scroll bars: the arrow buttons, the tracks and the thumbs.
#include "ArtCanvas.h"
#include "SkinArt.h"

namespace art {

namespace {

using namespace palette;

constexpr int kCell = 16;

enum class Direction { left, right, up, down };

// A small solid arrow head, 7 pixels across and 4 deep, centred in a 16 x 16 cell at x0.
void drawArrow(Canvas& canvas, int x0, Direction direction, const QColor& colour) {
    for (int i = 0; i < 4; ++i) {
        const int from = 4 + i;  // the span across the head, narrowing towards the tip
        const int to = 10 - i;
        switch (direction) {
            case Direction::down:
                canvas.hline(x0 + from, x0 + to, 6 + i, colour);
                break;
            case Direction::up:
                canvas.hline(x0 + from, x0 + to, 9 - i, colour);
                break;
            case Direction::right:
                canvas.vline(x0 + 6 + i, from, to, colour);
                break;
            case Direction::left:
                canvas.vline(x0 + 9 - i, from, to, colour);
                break;
        }
    }
}

// 23 frames of 16 x 16: for left, right, up and down arrows in turn the normal, pressed, hot
// and disabled button; then the corner square, a size grip, and five plain track squares.
QImage arrows() {
    Canvas image(23 * kCell, kCell);
    image.fill(image.image().rect(), kTrack);
    const Direction directions[4] = {Direction::left, Direction::right, Direction::up,
                                     Direction::down};
    const QColor plates[4] = {QColor(), QColor(198, 204, 212), QColor(222, 226, 231), QColor()};
    const QColor glyphs[4] = {QColor(104, 112, 124), kText, QColor(72, 80, 92), kLineSoft};
    for (int d = 0; d < 4; ++d) {
        for (int state = 0; state < 4; ++state) {
            const int x = (4 * d + state) * kCell;
            if (plates[state].isValid())
                image.roundedRect(QRectF(x + 1, 1, kCell - 2, kCell - 2), 2.5, plates[state]);
            drawArrow(image, x, directions[d], glyphs[state]);
        }
    }
    // The corner where two bars meet, and a size grip of three diagonal dot rows.
    image.fill(QRect(16 * kCell, 0, kCell, kCell), kFace);
    const int grip = 17 * kCell;
    image.fill(QRect(grip, 0, kCell, kCell), kFace);
    for (int row = 0; row < 3; ++row)
        for (int i = 0; i <= row; ++i)
            image.fill(QRect(grip + 12 - 4 * i, 4 + 4 * row, 2, 2), kLine);
    return image.image();
}

// Tracks: 4 frames of 16 x 16 (normal, pressed, hot, disabled) with a hairline on the side
// that meets the content; the vertical track is the same turned a quarter turn.
Canvas horizontalTrack() {
    Canvas image(4 * kCell, kCell);
    const QColor fills[4] = {kTrack, QColor(224, 227, 231), QColor(232, 234, 237),
                             QColor(245, 246, 247)};
    for (int i = 0; i < 4; ++i) {
        image.fill(QRect(i * kCell, 0, kCell, kCell), fills[i]);
        image.hline(i * kCell, i * kCell + kCell - 1, 0, QColor(226, 229, 233));
    }
    return image;
}

Canvas verticalTrack() {
    const Canvas horizontal = horizontalTrack();
    Canvas image(4 * kCell, kCell);
    for (int i = 0; i < 4; ++i) {
        Canvas cell(kCell, kCell);
        for (int y = 0; y < kCell; ++y)
            for (int x = 0; x < kCell; ++x)
                cell.pixel(x, y, horizontal.at(i * kCell + y, x));
        image.paste(cell, i * kCell, 0);
    }
    return image;
}

// Thumbs: 3 frames (normal, dragged, hot) of a slim rounded bar on the transparent colour,
// 20 long; the vertical thumb is the same turned a quarter turn.
Canvas horizontalThumb() {
    constexpr int length = 20;
    Canvas image(3 * length, kCell);
    const QColor fills[3] = {QColor(176, 182, 191), kAccent, QColor(148, 156, 167)};
    for (int i = 0; i < 3; ++i)
        image.roundedRect(QRectF(i * length + 1, 4, length - 2, 8), 4, fills[i], kTrack);
    return image;
}

Canvas verticalThumb() {
    const Canvas horizontal = horizontalThumb();
    constexpr int length = 20;
    Canvas image(3 * kCell, length);
    for (int i = 0; i < 3; ++i)
        for (int y = 0; y < length; ++y)
            for (int x = 0; x < kCell; ++x)
                image.pixel(i * kCell + x, y, horizontal.at(i * length + y, x));
    return image;
}

}  // namespace

void drawScrollImages(std::vector<ArtImage>& out) {
    out.push_back({"scrollbar.bmp", arrows()});
    out.push_back({"horzscroll.bmp", horizontalTrack().image()});
    out.push_back({"vertscroll.bmp", verticalTrack().image()});
    out.push_back({"horzthumb.bmp", horizontalThumb().image()});
    out.push_back({"vertthumb.bmp", verticalThumb().image()});
}

}  // namespace art
