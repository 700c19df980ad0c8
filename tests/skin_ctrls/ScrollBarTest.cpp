// The skinned scroll bar: thumb geometry, and Qt's dragging acting on the drawn thumb.
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>
#include <climits>

#include "SkinControlSet.h"
#include "SkinCtrls.h"
#include "TestControlSkin.h"

using namespace skintest;

TEST(SkinThumb, LengthAndPosition) {
    // 100 pixels of track, a page of 10 in a range of 100 (positions 0..90).
    SkinThumb t = SkinThumbGeometry(100, 0, 90, 10, 0, 16);
    EXPECT_TRUE(t.visible);
    EXPECT_EQ(t.length, 10);
    EXPECT_EQ(t.start, 0);
    EXPECT_EQ(SkinThumbGeometry(100, 0, 90, 10, 45, 16).start, 45);
    EXPECT_EQ(SkinThumbGeometry(100, 0, 90, 10, 90, 16).start, 90);
    // A minimum other than 0; a position out of range stays on the track.
    EXPECT_EQ(SkinThumbGeometry(100, 10, 100, 10, 55, 16).start, 45);
    EXPECT_EQ(SkinThumbGeometry(100, 0, 90, 10, 500, 16).start, 90);

    // A small page still gives an 8-pixel thumb; a page of 0 the system's thumb.
    t = SkinThumbGeometry(100, 0, 999, 1, 999, 16);
    EXPECT_EQ(t.length, 8);
    EXPECT_EQ(t.start, 92);
    EXPECT_EQ(SkinThumbGeometry(100, 0, 50, 0, 0, 16).length, 16);

    // The page covers everything: the thumb fills the track less one pixel.
    t = SkinThumbGeometry(100, 0, 0, 40, 0, 16);
    EXPECT_EQ(t.start, 0);
    EXPECT_EQ(t.length, 99);

    // A track shorter than the minimum thumb, a reversed range, no track.
    EXPECT_EQ(SkinThumbGeometry(5, 0, 90, 10, 0, 16).length, 5);
    EXPECT_FALSE(SkinThumbGeometry(100, 10, 0, 10, 0, 16).visible);
    EXPECT_FALSE(SkinThumbGeometry(0, 0, 90, 10, 0, 16).visible);

    // Huge ranges do not overflow.
    t = SkinThumbGeometry(1000, INT_MIN, INT_MAX - 1000, 1000, INT_MAX - 1000, 16);
    EXPECT_EQ(t.length, 8);
    EXPECT_EQ(t.start, 992);
}

TEST(SkinScrollBar, DrawsAndDragsTheSameThumb) {
    auto skin = makeSkin();
    QWidget window;
    auto* list = new QListWidget(&window);
    for (int i = 0; i < 200; ++i)
        list->addItem(QString::number(i));
    list->resize(150, 200);
    window.resize(160, 210);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    SkinControlSet set;
    set.attach(&window, *skin, true);
    QScrollBar* bar = list->verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());

    const int b = bar->width();
    const int track = bar->height() - 2 * b;
    const SkinThumb expected =
        SkinThumbGeometry(track, bar->minimum(), bar->maximum(), bar->pageStep(), bar->value(), b);
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = Qt::Vertical;
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.pageStep = bar->pageStep();
    option.sliderPosition = bar->sliderPosition();
    const QRect thumb = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                     QStyle::SC_ScrollBarSlider, bar);
    EXPECT_EQ(thumb, QRect(0, b + expected.start, b, expected.length));

    // Arrows up (9) and down (13), the track and the thumb.
    EXPECT_EQ(pixelOf(bar, QPoint(b / 2, 1)), frameColour(kArrows, 9));
    EXPECT_EQ(pixelOf(bar, QPoint(b / 2, bar->height() - 2)), frameColour(kArrows, 13));
    EXPECT_EQ(pixelOf(bar, thumb.center()), frameColour(kVertThumb, 1));
    EXPECT_EQ(pixelOf(bar, QPoint(b / 2, bar->height() - b - 2)), frameColour(kVertTrack, 1));

    // Dragging the drawn thumb by 40 pixels moves it by 40 pixels; frame 2 while dragged.
    const QPoint grip = thumb.center();
    QTest::mousePress(bar, Qt::LeftButton, {}, grip);
    QTest::mouseMove(bar, grip + QPoint(0, 40));
    EXPECT_EQ(pixelOf(bar, grip + QPoint(0, 40)), frameColour(kVertThumb, 2));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, grip + QPoint(0, 40));
    const SkinThumb moved =
        SkinThumbGeometry(track, bar->minimum(), bar->maximum(), bar->pageStep(), bar->value(), b);
    EXPECT_NEAR(moved.start, expected.start + 40, 1);
    EXPECT_EQ(pixelOf(bar, QPoint(b / 2, b + moved.start + 1)), frameColour(kVertThumb, 1));

    // A press on the down arrow shows its pressed frame and scrolls one line.
    const int before = bar->value();
    const QPoint down(b / 2, bar->height() - 2);
    QTest::mousePress(bar, Qt::LeftButton, {}, down);
    EXPECT_EQ(pixelOf(bar, down), frameColour(kArrows, 14));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, down);
    EXPECT_GT(bar->value(), before);
    EXPECT_EQ(pixelOf(bar, down), frameColour(kArrows, 13));

    set.detach(true);
    EXPECT_EQ(bar->style(), QApplication::style());
}
