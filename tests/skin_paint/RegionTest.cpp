// Window regions from the non-magenta pixels of a bitmap.
#include <gtest/gtest.h>

#include <QImage>
#include <QRegion>

#include "SkinPainters.h"

TEST(SkinRegion, MagentaAndNearMagentaAreLeftOut) {
    QImage all(30, 20, QImage::Format_RGB32);
    all.fill(kSkinKeyColour);
    EXPECT_TRUE(RegionFromBitmap(all, 5, 5).isEmpty());

    all.setPixel(3, 2, qRgb(255, 1, 255));  // within the tolerance
    all.setPixel(4, 2, qRgb(254, 0, 255));  // below the key: solid
    all.setPixel(5, 2, qRgb(255, 2, 255));  // beyond the tolerance: solid
    all.setPixel(6, 2, qRgb(255, 0, 254));  // solid
    const QRegion region = RegionFromBitmap(all, 10, 100);
    EXPECT_EQ(region, QRegion(QRect(14, 102, 3, 1)));
}

TEST(SkinRegion, RoundedCaptionGivesItsShapeOffset) {
    // A caption with two magenta pixels cut from each top corner.
    QImage image(40, 10, QImage::Format_RGB32);
    image.fill(qRgb(40, 50, 60));
    for (const QPoint p :
         {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(39, 0), QPoint(38, 0), QPoint(39, 1)})
        image.setPixel(p, kSkinKeyColour);
    QRegion expected(QRect(2, 0, 36, 1));
    expected += QRect(1, 1, 38, 1);
    expected += QRect(0, 2, 40, 8);
    EXPECT_EQ(RegionFromBitmap(image, 0, 0), expected);
    EXPECT_EQ(RegionFromBitmap(image, -3, 7), expected.translated(-3, 7));
}

TEST(SkinRegion, ManyRunsMergeAcrossBatches) {
    // A checkerboard has 6000 runs, several batches' worth.
    QImage image(120, 100, QImage::Format_RGB32);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 120; ++x)
            image.setPixel(x, y, (x + y) % 2 ? kSkinKeyColour : qRgb(0, 0, 0));
    const QRegion region = RegionFromBitmap(image, 0, 0);
    int solid = 0;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 120; ++x) {
            ASSERT_EQ(region.contains(QPoint(x, y)), (x + y) % 2 == 0) << x << "," << y;
            solid += region.contains(QPoint(x, y));
        }
    }
    EXPECT_EQ(solid, 6000);
    EXPECT_EQ(region.boundingRect(), QRect(0, 0, 120, 100));
}
