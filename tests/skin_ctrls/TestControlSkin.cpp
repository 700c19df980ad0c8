#include "TestControlSkin.h"

#include <QPixmap>

namespace skintest {

QColor frameColour(int role, int frame) {
    // Spread roles and frames apart; none is magenta, the face or a text colour.
    return QColor((role * 37 + 11) % 256, (frame * 41 + 5) % 256,
                  (role * 13 + frame * 7 + 100) % 256);
}

QImage frameStrip(int role, int frames, int frameWidth, int height) {
    QImage image(frames * frameWidth, height, QImage::Format_RGB32);
    for (int k = 1; k <= frames; ++k)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < frameWidth; ++x)
                image.setPixel((k - 1) * frameWidth + x, y, frameColour(role, k).rgb());
    return image;
}

namespace {

std::uint32_t value(const QColor& c) {
    return std::uint32_t(c.red()) | std::uint32_t(c.green()) << 8 | std::uint32_t(c.blue()) << 16;
}

std::unique_ptr<TDataSkinObject> object(int role, int frames, int frameWidth, int height) {
    auto o = std::make_unique<TDataSkinObject>();
    o->Image = frameStrip(role, frames, frameWidth, height);
    o->FrameCount = frames;
    o->NormalColour2 = SkinColour::fromValue(value(kNormalText));
    o->MouseOverColour2 = SkinColour::fromValue(value(kNormalText));
    o->PressedColour2 = SkinColour::fromValue(value(kNormalText));
    return o;
}

}  // namespace

std::unique_ptr<TSkinData> makeSkin() {
    auto skin = std::make_unique<TSkinData>();
    skin->Colours.ButtonFace = SkinColour::fromValue(value(kFace));
    skin->Colours.ButtonShadow = SkinColour::fromValue(value(kShadowColour));
    skin->Colours.ButtonText = SkinColour::fromValue(value(kButtonText));
    skin->Colours.MenuText = SkinColour::fromValue(value(kButtonText));
    skin->Colours.Menu = SkinColour::fromValue(value(kFace));
    skin->Colours.Scrollbar = SkinColour::fromValue(value(kFace));

    TDataSkinButton& b = skin->Buttons;
    b.Image = frameStrip(kButton, 5, 55, 22);  // 275 x 22
    b.FrameCount = 5;
    b.LeftWidth = 9;
    b.RightWidth = 3;
    b.TopHeight = 3;
    b.BottomHeight = 3;
    b.NormalColour2 = SkinColour::fromValue(value(kNormalText));
    b.MouseOverColour2 = SkinColour::fromValue(value(kNormalText));
    b.PressedColour2 = SkinColour::fromValue(value(kNormalText));
    b.CheckImage = frameStrip(kCheck, 4, 12, 12);  // 48 x 12
    b.CheckButtonFrame = 4;
    b.RadioImage = frameStrip(kRadio, 4, 12, 12);
    b.RadioButtonFrame = 4;

    skin->Progress = object(kProgress, 2, 20, 10);
    skin->StatusBarEdges = object(kStatus, 3, 20, 10);
    skin->ComboButton = object(kCombo, 4, 16, 16);
    skin->SunkEdge = object(kSunk, 4, 16, 16);
    skin->MenuItem = object(kMenuItem, 5, 30, 20);
    skin->MenuBackground = object(kMenuBack, 1, 30, 30);
    skin->Scrollbar = object(kArrows, 23, 16, 16);
    skin->HorzScroll = object(kHorzTrack, 4, 16, 16);
    skin->VertScroll = object(kVertTrack, 4, 16, 16);
    skin->HorzScrollThumb = object(kHorzThumb, 3, 16, 16);
    skin->VertScrollThumb = object(kVertThumb, 3, 16, 16);
    auto tabs = std::make_unique<TDataSkinBorder>();
    tabs->Image = frameStrip(kTabs, 5, 20, 20);
    tabs->FrameCount = 5;
    tabs->BorderImage = frameStrip(kTabBorder, 1, 20, 20);
    tabs->NormalColour2 = SkinColour::fromValue(value(kNormalText));
    tabs->MouseOverColour2 = SkinColour::fromValue(value(kNormalText));
    skin->Tabs = std::move(tabs);
    return skin;
}

QColor pixelOf(QWidget* widget, QPoint at) {
    return widget->grab().toImage().pixelColor(at);
}

int countColour(QWidget* widget, const QColor& colour) {
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour.rgb()) ++n;
    return n;
}

}  // namespace skintest
