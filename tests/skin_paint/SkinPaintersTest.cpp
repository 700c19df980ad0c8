// Nine-slice, three-part and frame drawing, checked pixel by pixel against images whose every
// pixel names its own position.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "SkinPainters.h"
#include "WinSkinData.h"

namespace {

// Pixel (x, y) has red x and green y, so a drawn pixel tells where it was copied from.
QImage positionImage(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x, y, 7));
    return image;
}

QPoint sourceOf(const QImage& drawn, int x, int y) {
    const QRgb p = drawn.pixel(x, y);
    return {qRed(p), qGreen(p)};
}

}  // namespace

TEST(SkinFrames, SideBySideAndStackedFramesSplitTheImage) {
    const QImage strip = positionImage(14, 92);
    EXPECT_EQ(SkinFrameRect(strip, 2, 1, false), QRect(0, 0, 7, 92));
    EXPECT_EQ(SkinFrameRect(strip, 2, 2, false), QRect(7, 0, 7, 92));
    const QImage top = positionImage(186, 50);
    EXPECT_EQ(SkinFrameRect(top, 2, 2, true), QRect(0, 25, 186, 25));

    // Frame 2 drawn at its own size is a plain copy of the lower half.
    const QImage drawn = DrawNineSlice(QSize(186, 25), top, {10, 3, 44, 3}, true, false, 2, 2);
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 186; x += 5)
            ASSERT_EQ(sourceOf(drawn, x, y), QPoint(x, 25 + y));
}

TEST(SkinNineSlice, CornersAreExactAndEdgesStretch) {
    // A 9 x 9 frame (the second of two) with 3-pixel margins into 20 x 15.
    const QImage image = positionImage(18, 9);
    const QImage drawn = DrawNineSlice(QSize(20, 15), image, {3, 3, 3, 3}, false, false, 2, 2);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(sourceOf(drawn, x, y), QPoint(9 + x, y));
            EXPECT_EQ(sourceOf(drawn, 17 + x, y), QPoint(15 + x, y));
            EXPECT_EQ(sourceOf(drawn, x, 12 + y), QPoint(9 + x, 6 + y));
            EXPECT_EQ(sourceOf(drawn, 17 + x, 12 + y), QPoint(15 + x, 6 + y));
        }
    }
    // The 3-pixel middle stretched over 14 x 9 by nearest neighbour.
    for (int x = 3; x < 17; ++x)
        EXPECT_EQ(sourceOf(drawn, x, 0).x(), 12 + (x - 3) * 3 / 14);
    for (int y = 3; y < 12; ++y)
        EXPECT_EQ(sourceOf(drawn, 0, y).y(), 3 + (y - 3) * 3 / 9);
    EXPECT_EQ(sourceOf(drawn, 16, 11), QPoint(14, 5));
}

TEST(SkinNineSlice, MarginsThatDoNotFitAreDropped) {
    const QImage image = positionImage(9, 9);
    // Too narrow for 3 + 3: the whole frame width is stretched, the height keeps its margins.
    const QImage narrow = DrawNineSlice(QSize(5, 20), image, {3, 3, 3, 3}, false, false, 1, 1);
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(sourceOf(narrow, x, 0), QPoint(x * 9 / 5, 0));
    EXPECT_EQ(sourceOf(narrow, 4, 19), QPoint(7, 8));
    // Too low for 3 + 3: the same for the rows.
    const QImage low = DrawNineSlice(QSize(20, 4), image, {3, 3, 3, 3}, false, false, 1, 1);
    for (int y = 0; y < 4; ++y)
        EXPECT_EQ(sourceOf(low, 0, y), QPoint(0, y * 9 / 4));
    EXPECT_EQ(sourceOf(low, 19, 3), QPoint(8, 6));
}

TEST(SkinNineSlice, TiledMiddleRepeatsFromItsTopLeftAndIsCutByLaterPieces) {
    // Frame 8 wide: 2 left, a 4-pixel middle, 2 right; drawn 14 wide gives a 10-pixel middle.
    const QImage image = positionImage(8, 6);
    const QImage drawn = DrawNineSlice(QSize(14, 6), image, {2, 0, 2, 0}, false, true, 1, 1);
    const int expected[14] = {0, 1, 2, 3, 4, 5, 2, 3, 4, 5, 2, 3, 6, 7};
    for (int x = 0; x < 14; ++x)
        EXPECT_EQ(sourceOf(drawn, x, 1).x(), expected[x]) << x;

    // Without a right margin the bitmap's edge cuts the last tile; rows repeat likewise.
    const QImage open = DrawNineSlice(QSize(12, 9), image, {2, 1, 0, 1}, false, true, 1, 1);
    for (int x = 2; x < 12; ++x)
        EXPECT_EQ(sourceOf(open, x, 4).x(), 2 + (x - 2) % 6);
    const int rows[9] = {0, 1, 2, 3, 4, 1, 2, 3, 5};
    for (int y = 0; y < 9; ++y)
        EXPECT_EQ(sourceOf(open, 5, y).y(), rows[y]) << y;

    // The image-object overload takes margins, tiling and frame count from the object.
    TDataSkinObject object;
    object.Image = positionImage(16, 6);
    object.LeftWidth = object.RightWidth = 2;
    object.FrameCount = 2;
    object.Tile = 1;
    const QImage fromObject = DrawNineSlice(QSize(14, 6), object, 2);
    for (int x = 0; x < 14; ++x)
        EXPECT_EQ(sourceOf(fromObject, x, 1).x(), 8 + expected[x]);
}

TEST(SkinDrawing, MagentaStaysTransparentWhenAsked) {
    QImage image = positionImage(12, 4);   // 2 frames of 6: 2 left, 2 middle, 2 right
    image.setPixel(6, 0, kSkinKeyColour);  // frame 2's top-left pixel
    QImage canvas(10, 4, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        DrawThreePart(painter, QRect(0, 0, 10, 4), image, false, true, 2, 2, 2, 2);
    }
    EXPECT_EQ(canvas.pixel(0, 0), qRgb(255, 255, 255));
    const int columns[10] = {6, 7, 8, 9, 8, 9, 8, 9, 10, 11};
    for (int x = 1; x < 10; ++x)
        EXPECT_EQ(sourceOf(canvas, x, 0).x(), columns[x]) << x;

    // Opaque drawing keeps the magenta; a frame as wide as the destination is picked by index.
    {
        QPainter painter(&canvas);
        DrawFrameTransparent(painter, QRect(1, 0, 6, 4), image, 2, false);
    }
    EXPECT_EQ(canvas.pixel(1, 0), kSkinKeyColour);
    EXPECT_EQ(sourceOf(canvas, 6, 3), QPoint(11, 3));

    const QImage keyed = KeyedImage(image);
    EXPECT_EQ(qAlpha(keyed.pixel(6, 0)), 0);
    EXPECT_EQ(qAlpha(keyed.pixel(7, 0)), 255);
}

TEST(SkinDrawing, TilesAreCutByTheDestination) {
    const QImage image = positionImage(10, 10);
    QImage canvas(12, 12, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        DrawTiled(painter, QRect(1, 1, 9, 7), image, QRect(2, 2, 4, 3));
    }
    EXPECT_EQ(sourceOf(canvas, 1, 1), QPoint(2, 2));
    EXPECT_EQ(sourceOf(canvas, 9, 7), QPoint(2 + 8 % 4, 2 + 6 % 3));
    EXPECT_EQ(canvas.pixel(10, 4), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(4, 8), qRgb(255, 255, 255));
}

TEST(SkinDrawing, MalformedSkinValuesDrawSafely) {
    // Margins wider than the frame, a frame past the last, an empty image, no frames.
    const QImage image = positionImage(8, 8);
    const QImage wide = DrawNineSlice(QSize(30, 30), image, {6, 6, 6, 6}, false, true, 1, 1);
    EXPECT_EQ(sourceOf(wide, 0, 0), QPoint(0, 0));
    const QImage past = DrawNineSlice(QSize(4, 8), image, {}, false, false, 2, 7);
    EXPECT_EQ(sourceOf(past, 0, 0), QPoint(4, 0));  // the last frame
    EXPECT_EQ(DrawNineSlice(QSize(5, 5), QImage(), {}, false, false, 1, 1).size(), QSize(5, 5));
    EXPECT_EQ(SkinFrameRect(image, 0, 1, false), image.rect());
    QImage canvas(8, 8, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        DrawFrameTransparent(painter, QRect(0, 0, 4, 4), image, 5, false);
        DrawTiled(painter, QRect(0, 0, 8, 8), image, QRect(20, 20, 4, 4));
    }
    EXPECT_EQ(canvas.pixel(1, 1), qRgb(255, 255, 255));
    {
        QPainter painter(&canvas);
        DrawThreePart(painter, QRect(0, 0, 8, 8), image, false, false, 1, 1, 9, 9);
    }
    EXPECT_EQ(sourceOf(canvas, 1, 1), QPoint(1, 1));
    EXPECT_TRUE(RegionFromBitmap(QImage(), 0, 0).isEmpty());
}

TEST(SkinDrawing, ScratchGrowsAndIsCleared) {
    QImage& first = SkinScratch(QSize(40, 10));
    first.fill(Qt::red);
    QImage& second = SkinScratch(QSize(20, 30));
    EXPECT_EQ(&first, &second);
    EXPECT_GE(second.width(), 40);
    EXPECT_GE(second.height(), 30);
    EXPECT_EQ(second.pixel(5, 5), 0u);
}
