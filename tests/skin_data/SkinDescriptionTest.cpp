// Reading a skin's description: images, frame counts, caption buttons, colours and the
// optional parts.
#include <gtest/gtest.h>

#include "SkinReader.h"
#include "TestSkins.h"
#include "WinSkinData.h"

using namespace testskins;

namespace {

class SkinDescription : public ::testing::Test {
  protected:
    // Loads the description with the bitmaps; the load must succeed.
    void load(const std::string& description, std::vector<SkinEntry> bitmaps = {}) {
        skin.ReadSkinStream(stored(skinFile(description, std::move(bitmaps))));
        ASSERT_EQ(skin.Loading(), 0);
    }
    const TDataSkinSysButton& button(const std::string& name) {
        for (const auto& b : skin.SysButtons)
            if (b.Name == name) return b;
        throw std::runtime_error("no caption button " + name);
    }

    TSkinData skin;
};

TEST(ParseColour, ComponentsAndSeparators) {
    const std::uint32_t grey = 60 | 60 << 8 | 60 << 16;
    EXPECT_EQ(ParseColour("60 60 60", 5), grey);
    EXPECT_EQ(ParseColour("60,60,60", 5), grey);
    EXPECT_EQ(ParseColour("  60;60/60  ", 5), grey);
    EXPECT_EQ(ParseColour("", 0x123456), 0x123456u);
    EXPECT_EQ(ParseColour("   ", 0x123456), 0u);  // only blanks: black, not the default
    // A doubled separator skips a component.
    EXPECT_EQ(ParseColour("60  60 60", 5), 60u | 0u << 8 | 60u << 16);
    // Components wrap at 256; more than three are ignored.
    EXPECT_EQ(ParseColour("300 256 255 9", 5), 44u | 0u << 8 | 255u << 16);
    // A number too long to convert leaves its component at 0.
    EXPECT_EQ(ParseColour("99999999999 1 2", 5), 0u | 1u << 8 | 2u << 16);
    // The last number counts only when it is the third.
    EXPECT_EQ(ParseColour("1,2", 5), 1u);
}

TEST_F(SkinDescription, ImagesByReferenceLowerCaseBmpOnly) {
    load(
        "[Personality]\nTop=skins\\parts\\TOP.bmp\nLeft=c:/x/left.bmp\nRight=right.BMP\n"
        "Bottom=missing.bmp\nTextBack=notbmp.bmp\n",
        {{"Top.bmp", bmp(186, 50)},
         {"left.bmp", bmp(14, 92)},
         {"right.bmp", bmp(14, 92)},
         {"notbmp.bmp", textBytes("not a bitmap")}});
    const auto& top = skin.Borders[TSkinData::bdTop];
    ASSERT_FALSE(top.Image.isNull());
    EXPECT_EQ(top.Image.size(), QSize(186, 50));
    EXPECT_EQ(top.Image.format(), QImage::Format_RGB32);
    EXPECT_EQ(top.Image.pixel(3, 3), qRgb(200, 10, 10));
    EXPECT_EQ(skin.Borders[TSkinData::bdLeft].Image.size(), QSize(14, 92));
    EXPECT_TRUE(skin.Borders[TSkinData::bdRight].Image.isNull());   // ".BMP"
    EXPECT_TRUE(skin.Borders[TSkinData::bdBottom].Image.isNull());  // no such entry
    EXPECT_TRUE(skin.Title.Image.isNull());                         // not a bitmap
}

TEST_F(SkinDescription, FrameStripsTitleAndMenuBar) {
    load(
        "[Personality]\nTop=top.bmp\nTopTopHeight=10\nTopBotHeight=44\nTopFrame=2\nTopStretch=0\n"
        "Left=top.bmp\nLeftTopHeight=5\nLeftBotHeight=6\nLeftFrame=0\nLeftTrans=0\n"
        "TextShift=21\nTextShiftVert=-4\nTextRightClip=55\nTextAlignment=1\nTXTBackleft=3\n"
        "TXTBackRight=4\nmenuBar=top.bmp\nTileMenu=1\n",
        {{"top.bmp", bmp(186, 50)}});
    const auto& top = skin.Borders[TSkinData::bdTop];
    EXPECT_EQ(top.Name, "Top");
    EXPECT_EQ((std::vector{top.LeftWidth, top.RightWidth, top.TopHeight, top.BottomHeight}),
              (std::vector{10, 44, 0, 0}));
    EXPECT_EQ(top.FrameCount, 2);
    EXPECT_EQ(top.Tile, 0);
    EXPECT_EQ(top.Trans, 1);
    const auto& left = skin.Borders[TSkinData::bdLeft];
    EXPECT_EQ((std::vector{left.LeftWidth, left.RightWidth, left.TopHeight, left.BottomHeight}),
              (std::vector{0, 0, 5, 6}));
    EXPECT_EQ(left.Trans, 0);
    EXPECT_EQ(left.Tile, 1);
    // A count of 0 would have the frame painter divide by it.
    EXPECT_EQ(left.FrameCount, 1);
    EXPECT_EQ(skin.Borders[TSkinData::bdBottom].FrameCount, 1);

    EXPECT_EQ(skin.Title.TextShift(), 21);
    EXPECT_EQ(skin.Title.TextShiftVert(), -4);
    EXPECT_EQ(skin.Title.TextRightClip(), 55);
    EXPECT_EQ(skin.Title.TextAlignment, 1);
    EXPECT_EQ(skin.Title.TextBackLeft, 3);
    EXPECT_EQ(skin.Title.TextBackRight, 4);

    ASSERT_TRUE(skin.MenuBar);
    EXPECT_EQ(skin.MenuBar->Name, "Personality");
    EXPECT_EQ(skin.MenuBar->Tile, 1);
    EXPECT_EQ(skin.MenuBar->LeftWidth, 1);  // TileLeftMenu's default
    EXPECT_EQ(skin.MenuBar->RightWidth, 1);
}

TEST_F(SkinDescription, CaptionButtonsAndTheirFrames) {
    load(
        "[Button0]\nAction=0\nAlign=1\nXcoord=17\nButtonImage=wide.bmp\n"
        "[ButtonX]\nButtonImage=narrow.bmp\n"
        "[Button.Checkbox]\nButtonImage=wide.bmp\n[BUTTONS]\n[button.radio]\n"
        "[Button2]\nframe=2\nButtonImage=narrow.bmp\n"
        "[Button3]\nAction=3\nButtonImage=narrow.bmp\n"
        "[Button4]\nAction=3\nframe=2\nButtonImage=narrow.bmp\n"
        "[Button5]\nAction=-1\nButtonImage=narrow.bmp\n"
        "[Button6]\n"
        "[MDIControls]\nImage=mdi.bmp\n",
        {{"wide.bmp", bmp(90, 19)}, {"narrow.bmp", bmp(57, 19)}, {"mdi.bmp", bmp(180, 14)}});
    std::vector<std::string> names;
    for (const auto& b : skin.SysButtons)
        names.push_back(b.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"Button0", "ButtonX", "Button2", "Button3",
                                               "Button4", "Button5", "Button6", "MDICONTROLS",
                                               "MDICONTROLS", "MDICONTROLS"}));
    EXPECT_EQ(button("Button0").FrameCount, 6);  // 90 x 19: frames of 15
    EXPECT_EQ(button("Button0").Align, 1);
    EXPECT_EQ(button("Button0").Xcoord, 17);
    EXPECT_EQ(button("ButtonX").FrameCount, 3);  // 57 x 19: frames of 19
    EXPECT_EQ(button("Button2").FrameCount, 2);
    // The window-icon button without a count draws the window icon, not an image.
    EXPECT_TRUE(button("Button3").Image.isNull());
    EXPECT_FALSE(button("Button4").Image.isNull());
    EXPECT_EQ(button("Button5").FrameCount, 6);
    EXPECT_EQ(button("Button6").FrameCount, 6);

    // The maximised MDI child's buttons: cells of 180 / 12 = 15.
    for (int i = 0; i < 3; ++i) {
        const auto& mdi = skin.SysButtons[7 + std::size_t(i)];
        EXPECT_EQ(mdi.Action, 7 + i);
        EXPECT_EQ(mdi.Xcoord, 57 - 19 * i);
        EXPECT_EQ(mdi.Image.size(), QSize(60, 14));
        EXPECT_EQ((std::vector{mdi.Align, mdi.Visibility, mdi.Visibility1, mdi.FrameCount}),
                  (std::vector{100, 100, 0, 4}));
    }
}

TEST_F(SkinDescription, WithoutMdiImageTheMdiButtonsAreEmpty) {
    load("[Colours]\n");
    ASSERT_EQ(skin.SysButtons.size(), 3u);
    for (const auto& mdi : skin.SysButtons) {
        EXPECT_TRUE(mdi.Image.isNull());
        EXPECT_EQ(mdi.FrameCount, 4);
    }
}

TEST_F(SkinDescription, PushCheckAndRadioButtons) {
    load(
        "[Buttons]\nBitmap=push.bmp\nCheckButton=check.bmp\nRadioButton=radio.bmp\n"
        "LeftWidth=9\nRightWidth=3\nTopHeight=3\nBottomHeight=3\nNormalColour=1\n"
        "NormalColour2=1 2 3\n",
        {{"push.bmp", bmp(275, 22)}, {"check.bmp", bmp(48, 12)}, {"radio.bmp", bmp(208, 16)}});
    EXPECT_EQ(skin.Buttons.FrameCount, 5);
    EXPECT_EQ(skin.Buttons.LeftWidth, 9);
    EXPECT_EQ(skin.Buttons.NormalColour, 1);
    EXPECT_EQ(skin.Buttons.MouseOverColour, -1);
    EXPECT_EQ(skin.Buttons.NormalColour2.colour(), QColor(1, 2, 3));
    EXPECT_EQ(skin.Buttons.CheckButtonFrame, 4);   // 48 div 13 = 3, at least 4
    EXPECT_EQ(skin.Buttons.RadioButtonFrame, 13);  // 16 high: 208 div 16

    load("[Buttons]\nCheckButton=check.bmp\nCheckButtonFrame=7\n", {{"check.bmp", bmp(130, 13)}});
    EXPECT_EQ(skin.Buttons.CheckButtonFrame, 7);
    EXPECT_EQ(skin.Buttons.RadioButtonFrame, 4);  // no image
    EXPECT_TRUE(skin.Buttons.Image.isNull());
}

TEST_F(SkinDescription, ColoursAndTheirFallbacks) {
    load("[Colours]\nButtonFace=219 219 213\nTitleTextNoActive=1,2,3\nMenu=\nHilight=   \n");
    EXPECT_EQ(skin.Colours.MenuText.colour(), QColor(219, 219, 213));
    EXPECT_EQ(skin.Colours.Menubar.colour(), QColor(219, 219, 213));
    EXPECT_EQ(skin.Colours.TitleTextNoActive.colour(), QColor(1, 2, 3));
    EXPECT_EQ(skin.ButtonFaceBrush.color(), QColor(219, 219, 213));
    EXPECT_TRUE(skin.Colours.Menu.isSystem);
    EXPECT_EQ(skin.Colours.Menu.system, SystemColour::menu);
    // The INI reader drops the blanks around a value, so this is no colour text at all.
    EXPECT_EQ(skin.Colours.Hilight.system, SystemColour::highlight);
    EXPECT_EQ(skin.Colours.MenuBarText.system, SystemColour::menu);

    load("[Colours]\nMenuText=10 20 30\n");
    EXPECT_EQ(skin.Colours.MenuText.colour(), QColor(10, 20, 30));
    EXPECT_TRUE(skin.Colours.ButtonFace.isSystem);
    EXPECT_TRUE(skin.Colours.Menubar.isSystem);
    EXPECT_EQ(skin.Colours.Menubar.system, SystemColour::buttonFace);

    load("[Colours]\n");
    EXPECT_EQ(skin.Colours.MenuText.system, SystemColour::menuText);
    EXPECT_EQ(skin.Colours.TitleTextNoActive.system, SystemColour::inactiveCaptionText);
}

TEST_F(SkinDescription, ColourTableInDescriptionOrder) {
    load(
        "[Colour5]\ncolor=5 5 5\n[Colours]\nButtonFace=1 1 1\n[colour2]\nCOLOR=2 2 2\n"
        "[ColourX]\n");
    ASSERT_EQ(skin.ColourTable.size(), 3u);
    QColor colour;
    ASSERT_TRUE(skin.GetColour(0, colour));
    EXPECT_EQ(colour, QColor(5, 5, 5));
    ASSERT_TRUE(skin.GetColour(1, colour));
    EXPECT_EQ(colour, QColor(2, 2, 2));
    EXPECT_EQ(skin.ColourTable[2].system, SystemColour::windowText);
    colour = Qt::green;
    EXPECT_FALSE(skin.GetColour(3, colour));
    EXPECT_FALSE(skin.GetColour(-1, colour));
    EXPECT_EQ(colour, QColor(Qt::green));
}

TEST_F(SkinDescription, OptionalObjectsAndTheirFrameCounts) {
    load(
        "[Tabs]\nImage=a.bmp\nBorder=b.bmp\nTile=1\n[Scrollbar]\nImage=a.bmp\n"
        "[HorzScrollThumb]\nImage=a.bmp\nFrameCount=7\n[VertScrollThumb]\nImage=a.bmp\n"
        "[MenuItem]\nImage=missing.bmp\nPressedColour=2\n[Progress]\nBitmap=a.bmp\n"
        "[StatusBarEdges]\nImage=\n",
        {{"a.bmp", bmp(40, 10)}, {"b.bmp", bmp(8, 8)}});
    ASSERT_TRUE(skin.Tabs);
    EXPECT_EQ(skin.Tabs->FrameCount, 5);
    EXPECT_EQ(skin.Tabs->Tile, 1);
    EXPECT_EQ(skin.Tabs->BorderImage.size(), QSize(8, 8));
    ASSERT_TRUE(skin.Scrollbar);
    EXPECT_EQ(skin.Scrollbar->FrameCount, 23);
    EXPECT_EQ(skin.HorzScrollThumb->FrameCount, 7);
    EXPECT_EQ(skin.VertScrollThumb->FrameCount, 3);
    // A named image the skin lacks still makes the object, with an empty image.
    ASSERT_TRUE(skin.MenuItem);
    EXPECT_TRUE(skin.MenuItem->Image.isNull());
    EXPECT_EQ(skin.MenuItem->PressedColour, 2);
    EXPECT_EQ(skin.MenuItem->FrameCount, 5);
    ASSERT_TRUE(skin.Progress);
    EXPECT_EQ(skin.Progress->FrameCount, 2);
    EXPECT_FALSE(skin.StatusBarEdges);
    EXPECT_FALSE(skin.ComboButton);
    EXPECT_FALSE(skin.MenuBar);

    // A new skin without them releases the old objects.
    load("[Scrollbar]\nImage=a.bmp\n", {{"a.bmp", bmp(40, 10)}});
    EXPECT_FALSE(skin.Tabs);
    EXPECT_FALSE(skin.MenuItem);
    EXPECT_FALSE(skin.Progress);
    EXPECT_TRUE(skin.Scrollbar);
}

TEST_F(SkinDescription, HostileNumbersStayUsable) {
    load(
        "[Personality]\nTop=a.bmp\nTopTopHeight=2147483647\nTopFrame=-3\n"
        "[Button0]\nframe=-2\nXcoord=-2147483648\nButtonImage=a.bmp\n"
        "[Buttons]\nCheckButtonFrame=-5\nLeftWidth=junk\n",
        {{"a.bmp", bmp(40, 10)}});
    const auto& top = skin.Borders[TSkinData::bdTop];
    EXPECT_EQ(top.FrameCount, 1);
    // Margins are kept small enough to be added up.
    EXPECT_LE(top.LeftWidth, 0x7FFF);
    EXPECT_GE(skin.SysButtons[0].Xcoord, -0x7FFF);
    EXPECT_EQ(skin.SysButtons[0].FrameCount, 6);  // 40 x 10 is wider than 3.8
    EXPECT_EQ(skin.Buttons.CheckButtonFrame, 4);
    EXPECT_EQ(skin.Buttons.LeftWidth, 0);
}

}  // namespace
