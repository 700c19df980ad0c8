// The built-in skin's scroll-bar arrows, rendered: they must read as arrows at the size the
// bar really has.
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QScrollBar>
#include <QStyle>
#include <QTest>

#include "ShippedSkin.h"
#include "SkinControlSet.h"
#include "SkinCtrls.h"
#include "WinSkinData.h"

namespace {

// The rows of an up arrow's square that hold glyph pixels (far darker than the button's
// plate), each as its number of glyph pixels, top to bottom.
std::vector<int> glyphRows(const QImage& square) {
    std::vector<int> rows;
    for (int y = 0; y < square.height(); ++y) {
        int count = 0;
        for (int x = 0; x < square.width(); ++x)
            count += qGray(square.pixel(x, y)) < 150;
        if (count > 0) rows.push_back(count);
    }
    return rows;
}

class ShippedArrows : public ::testing::Test {
  protected:
    void SetUp() override {
        skin.ReadSkinStream(ShippedSkinStream());
        ASSERT_EQ(skin.Loading(), 0);
        ASSERT_TRUE(skin.Scrollbar && skin.Scrollbar->hasImage());
        art = skin.Scrollbar->Image.height();
    }
    // Frame k (from 1) of the arrow image.
    QImage frame(int k) const {
        const int w = skin.Scrollbar->Image.width() / skin.Scrollbar->FrameCount;
        return skin.Scrollbar->Image.copy(w * (k - 1), 0, w, art);
    }

    TSkinData skin;
    int art = 0;
};

}  // namespace

TEST_F(ShippedArrows, TheBarIsAsThickAsTheArtAndShowsItPixelForPixel) {
    QWidget window;
    auto* list = new QListWidget(&window);
    for (int i = 0; i < 200; ++i)
        list->addItem(QString::number(i));
    list->resize(150, 200);
    window.resize(160, 210);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QScrollBar* bar = list->verticalScrollBar();
    const int own = bar->width();
    SkinControlSet set;
    set.attach(&window, skin, true);
    QCoreApplication::processEvents();
    ASSERT_EQ(bar->width(), art);

    const QImage drawn = bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(drawn.copy(0, 0, art, art), frame(9).convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(drawn.copy(0, drawn.height() - art, art, art),
              frame(13).convertToFormat(QImage::Format_RGB32));

    set.detach(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->width(), own);
}

TEST_F(ShippedArrows, ABarSqueezedBelowTheArtStillShowsArrowHeads) {
    // A bar given less room than the art needs: its arrows are drawn smaller, not cut into
    // dashes. An arrow head keeps several rows, each wider than the one nearer its tip.
    for (const int thickness : {14, 12, 10}) {
        SCOPED_TRACE(thickness);
        QWidget window;
        auto* bar = new QScrollBar(Qt::Vertical, &window);
        bar->setRange(0, 100);
        bar->setGeometry(0, 0, thickness, 120);
        window.resize(40, 130);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        TSkinScrollBar control(nullptr);
        control.AttachControl(bar, skin, false);
        ASSERT_NE(bar->style(), QApplication::style());  // drawn from the skin
        const QImage drawn = bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const std::vector<int> rows = glyphRows(drawn.copy(0, 0, thickness, thickness));
        std::string shape;
        for (int row : rows)
            shape += std::to_string(row) + " ";
        SCOPED_TRACE(shape);
        ASSERT_GE(rows.size(), 3u);
        for (std::size_t i = 1; i < rows.size(); ++i)
            EXPECT_GT(rows[i], rows[i - 1]) << "row " << i;
        control.Detach();
    }
}
