// Reading a skin's description: which bitmaps make up each part, how they are cut into frames
// and margins, and the colours.
#include <QBuffer>
#include <QImageReader>
#include <algorithm>
#include <map>

#include "IniFile.h"
#include "SkinReader.h"
#include "WinSkinData.h"

namespace {

using namespace skinlimits;

// Geometry from the description is kept within what any later sum of a few values can hold.
constexpr int kGeometryLimit = 0x7FFF;

int geometry(int value) {
    return std::clamp(value, -kGeometryLimit, kGeometryLimit);
}
// A frame count below 1 cannot cut an image; the painters divide by it.
int frames(int value) {
    return std::clamp(value, 1, kGeometryLimit);
}

std::string upperAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return result;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

SkinColour colourOf(std::string_view text, SkinColour fallback) {
    if (text.empty()) return fallback;
    return SkinColour::fromValue(ParseColour(text, 0));
}

// The entry an image reference names: the part after the last path separator, when it ends
// in ".bmp" (lower case); empty otherwise.
std::string_view referencedEntry(std::string_view reference) {
    const std::size_t cut = reference.find_last_of("/\\");
    const std::string_view name =
        cut == std::string_view::npos ? reference : reference.substr(cut + 1);
    const std::size_t dot = name.rfind('.');
    if (name.empty() || dot == std::string_view::npos || name.substr(dot) != ".bmp") return {};
    return name;
}

std::string lowerAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return result;
}

class Description {
  public:
    using Report = std::function<void(SkinProblem::Severity, std::string)>;

    Description(const TIniFile& ini, const TSkinReader& reader, Report report)
        : m_ini(ini), m_reader(reader), m_report(std::move(report)) {}

    void problem(SkinProblem::Severity severity, std::string text) const {
        m_report(severity, std::move(text));
    }

    std::string text(std::string_view section, std::string_view key) const {
        return m_ini.ReadString(section, key, "");
    }
    int number(std::string_view section, std::string_view key, int fallback) const {
        return m_ini.ReadInteger(section, key, fallback);
    }
    int size(std::string_view section, std::string_view key, int fallback) const {
        return geometry(number(section, key, fallback));
    }
    SkinColour colour(std::string_view section, std::string_view key, SkinColour fallback) const {
        return colourOf(text(section, key), fallback);
    }
    // Each entry is decoded once: parts naming the same bitmap share it, and count once
    // against the skin's pixel budget.
    QImage image(std::string_view section, std::string_view key) const {
        const std::string reference = text(section, key);
        if (reference.empty()) return {};
        const auto where = [&] {
            return "[" + std::string(section) + "] " + std::string(key) + "=" +
                   reference.substr(0, 200) + ": ";
        };
        const std::string entry = lowerAscii(referencedEntry(reference));
        if (const auto known = m_images.find(entry); !entry.empty() && known != m_images.end()) {
            if (known->second.isNull()) problem(SkinProblem::error, where() + m_failures[entry]);
            return known->second;
        }
        std::string why;
        QImage image = LoadSkinBitmap(m_reader, reference, &why);
        if (!image.isNull()) {
            const qint64 pixels = qint64(image.width()) * image.height();
            if (m_pixels + pixels > kMaxSkinPixels) {
                why = "the skin's bitmaps would together exceed " + std::to_string(kMaxSkinPixels) +
                      " pixels";
                image = QImage();
            } else {
                m_pixels += pixels;
            }
        }
        if (image.isNull()) problem(SkinProblem::error, where() + why);
        if (!entry.empty()) {
            m_images.emplace(entry, image);
            if (image.isNull()) m_failures.emplace(entry, why);
        }
        return image;
    }

    // The keys every image object has, from its own section.
    void readObject(TDataSkinObject& object, std::string_view section,
                    std::string_view imageKey) const {
        object.Name = std::string(section);
        object.Image = image(section, imageKey);
        readMargins(object, section);
        object.Trans = number(section, "Trans", 0);
        object.Tile = number(section, "Tile", 0);
        readColours(object, section);
    }

    void readMargins(TDataSkinObject& object, std::string_view section) const {
        object.LeftWidth = size(section, "LeftWidth", 0);
        object.RightWidth = size(section, "RightWidth", 0);
        object.TopHeight = size(section, "TopHeight", 0);
        object.BottomHeight = size(section, "BottomHeight", 0);
    }

    void readColours(TDataSkinObject& object, std::string_view section) const {
        object.NormalColour = number(section, "NormalColour", -1);
        object.MouseOverColour = number(section, "MouseOverColour", -1);
        object.PressedColour = number(section, "PressedColour", -1);
        const SkinColour text = SkinColour::fromSystem(SystemColour::WindowText);
        object.NormalColour2 = colour(section, "NormalColour2", text);
        object.MouseOverColour2 = colour(section, "MouseOverColour2", text);
        object.PressedColour2 = colour(section, "PressedColour2", text);
    }

    // An object that exists only when its image key names something.
    template <typename Object = TDataSkinObject>
    std::unique_ptr<Object> optionalObject(std::string_view section,
                                           std::string_view imageKey) const {
        if (text(section, imageKey).empty()) return nullptr;
        auto object = std::make_unique<Object>();
        readObject(*object, section, imageKey);
        return object;
    }

  private:
    const TIniFile& m_ini;
    const TSkinReader& m_reader;
    Report m_report;
    mutable std::map<std::string, QImage> m_images;  // by lower-cased entry name
    mutable std::map<std::string, std::string> m_failures;
    mutable qint64 m_pixels = 0;
};

void readBorder(const Description& d, TDataSkinBorder& border) {
    const std::string& part = border.Name;
    border.Image = d.image("Personality", part);
    const int first = d.size("Personality", part + "TopHeight", 0);
    const int second = d.size("Personality", part + "BotHeight", 0);
    // The fixed ends lie along the strip: left and right on the top and bottom strips, top and
    // bottom on the side strips.
    const bool across = part == "Top" || part == "Bottom";
    border.LeftWidth = across ? first : 0;
    border.RightWidth = across ? second : 0;
    border.TopHeight = across ? 0 : first;
    border.BottomHeight = across ? 0 : second;
    border.FrameCount = frames(d.number("Personality", part + "Frame", 1));
    border.Tile = d.number("Personality", part + "Stretch", 1);
    border.Trans = d.number("Personality", part + "Trans", 1);
    // The strip's thickness becomes a margin of every window.
    const int side = across ? border.Image.height() : border.Image.width();
    const int thickness = side / border.FrameCount;
    if (thickness > kMaxFrameMargin) {
        d.problem(SkinProblem::error, "[Personality] " + part + ": the frame strip would be " +
                                          std::to_string(thickness) + " pixels thick, more than " +
                                          std::to_string(kMaxFrameMargin) + "; it is left out");
        border.Image = QImage();
    }
}

bool isCaptionButton(const std::string& section) {
    const std::string upper = upperAscii(section);
    return startsWith(upper, "BUTTON") && upper != "BUTTONS" && upper != "BUTTON.RADIO" &&
           upper != "BUTTON.CHECKBOX";
}

TDataSkinSysButton readCaptionButton(const Description& d, const std::string& section) {
    TDataSkinSysButton button;
    button.Name = section;
    button.Action = d.number(section, "Action", 0);
    button.Align = d.number(section, "Align", 0);
    button.Xcoord = d.size(section, "Xcoord", 0);
    button.Ycoord = d.size(section, "Ycoord", 0);
    button.Visibility = d.number(section, "Visibility", 0);
    button.Visibility1 = d.number(section, "Visibility1", 0);
    button.Image = d.image(section, "ButtonImage");
    const int frame = d.number(section, "frame", 0);
    if (frame > 0) {
        button.FrameCount = std::min(frame, kGeometryLimit);
        return button;
    }
    // No count given (a negative one cannot be meant either): a wide image holds six frames,
    // a narrow one three.
    int count = 6;
    if (!button.Image.isNull() &&
        double(button.Image.width()) / double(button.Image.height()) <= 3.8)
        count = 3;
    if (button.Action < 0) count = 6;
    button.FrameCount = count;
    // The window-icon buttons draw the window's icon instead.
    if (button.Action == 3 || button.Action == 11) button.Image = QImage();
    return button;
}

// The caption buttons of a maximised MDI child, cut from one image of 12 equal cells, four
// frames for each of the three buttons.
void addMdiButtons(const Description& d, std::vector<TDataSkinSysButton>& buttons) {
    const QImage image = d.image("MDICONTROLS", "Image");
    const int cell = image.isNull() ? 0 : image.width() / 12;
    for (int i = 0; i < 3; ++i) {
        TDataSkinSysButton button;
        button.Name = "MDICONTROLS";
        button.Action = 7 + i;
        button.Align = 100;
        button.Visibility = 100;
        button.Visibility1 = 0;
        button.FrameCount = 4;
        if (!image.isNull()) {
            if (cell > 0) button.Image = image.copy(4 * cell * i, 0, 4 * cell, image.height());
            button.Xcoord = (cell + 4) * (3 - i);
        }
        buttons.push_back(std::move(button));
    }
}

// The number of frames in a check-box or radio-button image when the skin does not say.
int toggleFrames(int given, const QImage& image) {
    if (given > 0) return std::min(given, kGeometryLimit);
    const int count = image.height() < 16 ? image.width() / 13 : image.width() / 16;
    return std::max(count, 4);
}

}  // namespace

QImage LoadSkinBitmap(const TSkinReader& reader, std::string_view reference, std::string* why) {
    std::string ignored;
    std::string& reason = why ? *why : ignored;
    const std::string_view name = referencedEntry(reference);
    if (name.empty()) {
        reason = "an image reference must end in \".bmp\" (lower case)";
        return {};
    }
    const std::vector<std::uint8_t> bytes = reader.ExtractFile(name);
    if (bytes.empty()) {
        reason = "the skin holds no entry " + std::string(name) + " (or it is empty)";
        return {};
    }

    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                              qsizetype(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader decoder(&buffer, "BMP");
    const QSize size = decoder.size();
    if (!size.isValid()) {
        reason = std::string(name) + " is not a BMP file";
        return {};
    }
    if (size.width() > kMaxBitmapSide || size.height() > kMaxBitmapSide ||
        qint64(size.width()) * size.height() > kMaxBitmapPixels) {
        reason = std::string(name) + " is " + std::to_string(size.width()) + " x " +
                 std::to_string(size.height()) + " pixels; a skin bitmap is at most " +
                 std::to_string(kMaxBitmapSide) + " pixels wide and high and " +
                 std::to_string(kMaxBitmapPixels) + " pixels in all";
        return {};
    }
    QImage image;
    if (!decoder.read(&image)) {
        reason = std::string(name) + " cannot be decoded: " + decoder.errorString().toStdString();
        return {};
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

void TSkinData::ReadSkinIni(const TIniFile& ini, const TSkinReader& reader) {
    const Description d(ini, reader, [this](SkinProblem::Severity severity, std::string text) {
        problem(severity, std::move(text));
    });
    const std::vector<std::string> sections = ini.ReadSections();

    for (TDataSkinBorder& border : Borders)
        readBorder(d, border);

    SysButtons.clear();
    std::size_t captionSections = 0;
    for (const std::string& section : sections) {
        if (!isCaptionButton(section)) continue;
        if (++captionSections <= std::size_t(kMaxCaptionButtons))
            SysButtons.push_back(readCaptionButton(d, section));
    }
    if (captionSections > std::size_t(kMaxCaptionButtons))
        d.problem(SkinProblem::error,
                  "the skin has " + std::to_string(captionSections) +
                      " caption buttons ([Button...] sections); only the first " +
                      std::to_string(kMaxCaptionButtons) + " are used");
    addMdiButtons(d, SysButtons);

    Buttons.Image = d.image("Buttons", "Bitmap");
    Buttons.CheckImage = d.image("Buttons", "CheckButton");
    Buttons.RadioImage = d.image("Buttons", "RadioButton");
    d.readMargins(Buttons, "Buttons");
    Buttons.Trans = d.number("Buttons", "Trans", 0);
    d.readColours(Buttons, "Buttons");
    Buttons.RadioButtonFrame = d.number("Buttons", "RadioButtonFrame", 0);
    Buttons.CheckButtonFrame = d.number("Buttons", "CheckButtonFrame", 0);

    // Where the skin gives no menu text colour, menus take its button-face text.
    const std::string buttonFace = d.text("Colours", "ButtonFace");
    Colours.ButtonFace = colourOf(buttonFace, SkinColour::fromSystem(SystemColour::ButtonFace));
    Colours.Scrollbar =
        d.colour("Colours", "Scrollbar", SkinColour::fromSystem(SystemColour::Scrollbar));
    Colours.HilightText =
        d.colour("Colours", "HilightText", SkinColour::fromSystem(SystemColour::HighlightText));
    Colours.Hilight =
        d.colour("Colours", "Hilight", SkinColour::fromSystem(SystemColour::Highlight));
    Colours.Menubar = d.colour("Colours", "Menubar", Colours.ButtonFace);
    Colours.Menu = d.colour("Colours", "Menu", SkinColour::fromSystem(SystemColour::Menu));
    Colours.MenuText = colourOf(ini.ReadString("Colours", "MenuText", buttonFace),
                                SkinColour::fromSystem(SystemColour::MenuText));
    Colours.ButtonText =
        d.colour("Colours", "ButtonText", SkinColour::fromSystem(SystemColour::ButtonText));
    Colours.ButtonHilight =
        d.colour("Colours", "ButtonHilight", SkinColour::fromSystem(SystemColour::ButtonHighlight));
    Colours.ButtonShadow =
        d.colour("Colours", "ButtonShadow", SkinColour::fromSystem(SystemColour::ButtonShadow));
    Colours.MenuBarText =
        d.colour("Colours", "MenuBarText", SkinColour::fromSystem(SystemColour::Menu));
    Colours.TitleTextActive =
        d.colour("Colours", "TitleTextActive", SkinColour::fromSystem(SystemColour::CaptionText));
    Colours.TitleTextNoActive = d.colour("Colours", "TitleTextNoActive",
                                         SkinColour::fromSystem(SystemColour::InactiveCaptionText));

    ColourTable.clear();
    for (const std::string& section : sections) {
        const std::string upper = upperAscii(section);
        if (startsWith(upper, "COLOUR") && upper != "COLOURS")
            ColourTable.push_back(
                d.colour(section, "color", SkinColour::fromSystem(SystemColour::WindowText)));
    }

    Title.Image = d.image("Personality", "TextBack");
    Title.LeftWidth = d.size("Personality", "TextShift", 0);
    Title.TopHeight = d.size("Personality", "TextShiftVert", 0);
    Title.RightWidth = d.size("Personality", "TextRightClip", 0);
    Title.BottomHeight = 0;
    Title.TextAlignment = d.number("Personality", "TextAlignment", 0);
    Title.TextBackLeft = d.size("Personality", "TXTBackleft", 0);
    Title.TextBackRight = d.size("Personality", "TXTBackRight", 0);

    Progress.reset();
    if (!d.text("Progress", "Bitmap").empty()) {
        Progress = std::make_unique<TDataSkinObject>();
        Progress->Name = "Progress";
        Progress->Image = d.image("Progress", "Bitmap");
        d.readMargins(*Progress, "Progress");
        Progress->Trans = d.number("Progress", "Trans", 0);
        Progress->Tile = d.number("Progress", "Tile", 0);
    }

    MenuBar.reset();
    if (!d.text("Personality", "menuBar").empty()) {
        MenuBar = std::make_unique<TDataSkinObject>();
        MenuBar->Name = "Personality";
        MenuBar->Image = d.image("Personality", "menuBar");
        MenuBar->Tile = d.number("Personality", "TileMenu", 0);
        MenuBar->LeftWidth = d.size("Personality", "TileLeftMenu", 1);
        MenuBar->RightWidth = d.size("Personality", "TileRightMenu", 1);
    }

    Tabs = d.optionalObject<TDataSkinBorder>("Tabs", "Image");
    if (Tabs) Tabs->BorderImage = d.image("Tabs", "Border");
    StatusBarEdges = d.optionalObject("StatusBarEdges", "Image");
    ComboButton = d.optionalObject("ComboButton", "Image");
    SunkEdge = d.optionalObject("SunkEdge", "Image");
    ExtraImages = d.optionalObject("ExtraImages", "Image");
    MenuItem = d.optionalObject("MenuItem", "Image");
    MenuBackground = d.optionalObject("MenuBackground", "Image");
    Scrollbar = d.optionalObject("Scrollbar", "Image");
    HorzScroll = d.optionalObject("HorzScroll", "Image");
    VertScroll = d.optionalObject("VertScroll", "Image");
    HorzScrollThumb = d.optionalObject("HorzScrollThumb", "Image");
    VertScrollThumb = d.optionalObject("VertScrollThumb", "Image");

    // The frame counts: fixed by what each part shows, except where the skin says.
    Buttons.FrameCount = 5;
    Buttons.CheckButtonFrame = toggleFrames(Buttons.CheckButtonFrame, Buttons.CheckImage);
    Buttons.RadioButtonFrame = toggleFrames(Buttons.RadioButtonFrame, Buttons.RadioImage);
    if (Progress) Progress->FrameCount = 2;
    if (MenuBar) MenuBar->FrameCount = 2;
    const std::pair<TDataSkinObject*, int> fixed[] = {
        {Tabs.get(), 5},           {StatusBarEdges.get(), 3}, {ComboButton.get(), 4},
        {SunkEdge.get(), 4},       {ExtraImages.get(), 5},    {MenuItem.get(), 5},
        {MenuBackground.get(), 1}, {Scrollbar.get(), 23},     {HorzScroll.get(), 4},
        {VertScroll.get(), 4}};
    for (const auto& [object, count] : fixed)
        if (object) object->FrameCount = count;
    if (HorzScrollThumb)
        HorzScrollThumb->FrameCount = frames(d.number("HorzScrollThumb", "FrameCount", 3));
    if (VertScrollThumb)
        VertScrollThumb->FrameCount = frames(d.number("VertScrollThumb", "FrameCount", 3));

    ButtonFaceBrush = QBrush(Colours.ButtonFace.colour());
    m_loading = 0;
}
