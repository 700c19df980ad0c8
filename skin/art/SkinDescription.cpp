// The skin description: how each bitmap is cut into frames and margins, where the caption
// buttons sit and when they show, and the colours that replace the desktop's.
#include <cctype>
#include <sstream>

#include "SkinArt.h"

namespace art {

namespace {

std::string colourText(const QColor& c) {
    return std::to_string(c.red()) + " " + std::to_string(c.green()) + " " +
           std::to_string(c.blue());
}

class Description {
  public:
    Description& section(const std::string& name) {
        if (m_text.tellp() > 0) m_text << "\r\n";
        m_text << '[' << name << "]\r\n";
        return *this;
    }
    Description& key(const std::string& name, const std::string& value) {
        m_text << name << '=' << value << "\r\n";
        return *this;
    }
    Description& key(const std::string& name, int value) {
        return key(name, std::to_string(value));
    }
    Description& colour(const std::string& name, const QColor& value) {
        return key(name, colourText(value));
    }
    Description& margins(int left, int top, int right, int bottom) {
        return key("LeftWidth", left)
            .key("TopHeight", top)
            .key("RightWidth", right)
            .key("BottomHeight", bottom);
    }
    std::string text() const { return m_text.str(); }

  private:
    std::ostringstream m_text;
};

// A frame strip of [Personality]: image, 2 frames (active, inactive), fixed ends.
void strip(Description& d, const std::string& part, int topHeight, int botHeight, int trans) {
    std::string lower = part;
    for (char& ch : lower)
        ch = char(std::tolower(static_cast<unsigned char>(ch)));
    d.key(part, lower + ".bmp")
        .key(part + "Frame", 2)
        .key(part + "TopHeight", topHeight)
        .key(part + "BotHeight", botHeight)
        .key(part + "Stretch", 1)
        .key(part + "Trans", trans);
}

// Visibility codes: 0 close box (shown with a system menu), 1 only maximised, 2 only when
// not maximised, 6 with a maximise box, 8 with a minimise box.
void captionButton(Description& d, const std::string& section, int action, int xcoord,
                   int visibility, int visibility1, const std::string& image) {
    d.section(section)
        .key("Action", action)
        .key("Align", 1)
        .key("Xcoord", xcoord)
        .key("Ycoord", 0)
        .key("Visibility", visibility)
        .key("Visibility1", visibility1)
        .key("frame", 6)
        .key("ButtonImage", image);
}

}  // namespace

std::string skinDescription() {
    using namespace palette;
    Description d;
    d.section("Personality");
    // The top strip's ends are its left and right widths; the caption buttons sit over the
    // right one.
    strip(d, "Top", 10, 44, 0);
    // The side strips carry the window's rounded corners in their ends.
    strip(d, "Left", kCaptionHeight, 8, 1);
    strip(d, "Right", kCaptionHeight, 8, 1);
    strip(d, "Bottom", 4, 4, 0);
    d.key("TextBack", "textback.bmp")
        .key("TextShift", 21)
        .key("TextShiftVert", -4)
        .key("TextRightClip", 55)
        .key("TextAlignment", 0)
        .key("TXTBackleft", 16)
        .key("TXTBackRight", 8)
        .key("menuBar", "menubar.bmp")
        .key("TileMenu", 1)
        .key("TileLeftMenu", 4)
        .key("TileRightMenu", 4);

    captionButton(d, "Button0", 0, 17, 0, 0, "close.bmp");
    captionButton(d, "Button1", 1, 32, 2, 6, "maximize.bmp");
    captionButton(d, "Button2", 1, 32, 1, 6, "restore.bmp");
    captionButton(d, "Button3", 2, 47, 0, 8, "minimize.bmp");
    // The window icon: without a frame key the loader drops the image and shows the
    // window's own icon.
    d.section("BUTTON4")
        .key("Action", 3)
        .key("Align", 0)
        .key("Xcoord", 19)
        .key("Ycoord", 3)
        .key("ButtonImage", "icon.bmp");

    d.section("Buttons")
        .key("Bitmap", "button.bmp")
        .key("CheckButton", "checkbox.bmp")
        .key("RadioButton", "radio.bmp")
        .margins(9, 3, 3, 3)
        .key("Trans", 1)
        .key("NormalColour", 0)
        .key("MouseOverColour", 1)
        .key("PressedColour", 2)
        .colour("NormalColour2", kText)
        .colour("MouseOverColour2", kText)
        .colour("PressedColour2", kText);

    d.section("Progress")
        .key("Bitmap", "progress.bmp")
        .margins(3, 3, 3, 3)
        .key("Trans", 0)
        .key("Tile", 0);
    d.section("Tabs")
        .key("Image", "tabs.bmp")
        .key("Border", "tabborder.bmp")
        .margins(4, 4, 4, 2)
        .key("Trans", 1)
        .key("Tile", 0)
        .colour("NormalColour2", kTextSoft)
        .colour("MouseOverColour2", kText);
    d.section("StatusBarEdges")
        .key("Image", "statusbar.bmp")
        .margins(2, 2, 2, 2)
        .colour("NormalColour2", kTextSoft);
    d.section("ComboButton").key("Image", "combobutton.bmp").margins(3, 3, 3, 3).key("Trans", 1);
    d.section("SunkEdge").key("Image", "sunkedge.bmp").margins(2, 2, 2, 2);
    d.section("ExtraImages").key("Image", "extraimages.bmp").key("Trans", 1);
    d.section("MenuItem").key("Image", "menuitem.bmp").margins(3, 3, 3, 3).key("Trans", 1);
    d.section("MenuBackground").key("Image", "menubackground.bmp").margins(3, 3, 3, 3);
    d.section("Scrollbar").key("Image", "scrollbar.bmp");
    d.section("HorzScroll").key("Image", "horzscroll.bmp").margins(2, 2, 2, 2);
    d.section("VertScroll").key("Image", "vertscroll.bmp").margins(2, 2, 2, 2);
    d.section("HorzScrollThumb")
        .key("Image", "horzthumb.bmp")
        .key("FrameCount", 3)
        .margins(6, 0, 6, 0)
        .key("Trans", 1);
    d.section("VertScrollThumb")
        .key("Image", "vertthumb.bmp")
        .key("FrameCount", 3)
        .margins(0, 6, 0, 6)
        .key("Trans", 1);
    d.section("MdiControls").key("Image", "mdicontrols.bmp");

    d.section("Colours")
        .colour("ButtonFace", kFace)
        .colour("Scrollbar", kTrack)
        .colour("HilightText", QColor(255, 255, 255))
        .colour("Hilight", kAccent)
        .colour("Menubar", kMenuBar)
        .colour("Menu", kMenu)
        .colour("MenuText", kText)
        .colour("ButtonText", kText)
        .colour("ButtonHilight", kAccent)
        .colour("ButtonShadow", kDisabled)
        .colour("MenuBarText", kText)
        .colour("TitleTextActive", QColor(240, 243, 246))
        .colour("TitleTextNoActive", QColor(214, 218, 223));
    // Text colours of flat tool buttons: normal, under the mouse, pressed.
    d.section("Colour0").colour("color", kText);
    d.section("Colour1").colour("color", kAccentDark);
    d.section("Colour2").colour("color", QColor(20, 62, 110));
    return d.text();
}

}  // namespace art
