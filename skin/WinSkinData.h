// The loaded skin: bitmaps cut into frames and margins, and colours, looked up by role by the
// window frame, the menu bar and the control painters. Read-only once loaded.
#pragma once

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QMargins>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class QWidget;
class TSkinReader;
class TIniFile;

// A colour of the skin, or a colour of the desktop's palette taken when it is drawn.
enum class SystemColour : std::uint8_t {
    ButtonFace,
    Scrollbar,
    HighlightText,
    Highlight,
    Menu,
    MenuText,
    ButtonText,
    ButtonHighlight,
    ButtonShadow,
    CaptionText,
    InactiveCaptionText,
    WindowText,
};
QColor systemColour(SystemColour role);

struct SkinColour {
    bool isSystem = true;
    SystemColour system = SystemColour::WindowText;
    std::uint32_t value = 0;  // red | green << 8 | blue << 16, when not a system colour

    static SkinColour fromSystem(SystemColour role) { return {true, role, 0}; }
    static SkinColour fromValue(std::uint32_t v) { return {false, SystemColour::WindowText, v}; }
    QColor colour() const;
};

// "60 60 60", "60,60,60": red | green << 8 | blue << 16; an empty text gives the default.
std::uint32_t ParseColour(std::string_view text, std::uint32_t defaultValue);
inline QColor colourFromValue(std::uint32_t v) {
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

// What a skin may build a window from. Far beyond any real skin, and small enough that a
// hostile description can neither make loading crawl nor exhaust memory; what lies beyond is
// left out, with a load problem saying so.
namespace skinlimits {
constexpr int kMaxCaptionButtons = 32;         // [ButtonN] sections used
constexpr int kMaxFrameMargin = 256;           // thickness of a frame strip, in pixels
constexpr int kMaxBitmapSide = 8192;           // width or height of one bitmap
constexpr qint64 kMaxBitmapPixels = 16 << 20;  // one bitmap
constexpr qint64 kMaxSkinPixels = 32 << 20;    // every distinct bitmap of a skin together
}  // namespace skinlimits

// Something of a skin that loading could not use as the skin means it: an error leaves a part
// out (or the whole skin); a warning is drawn, but not as its author may expect.
struct SkinProblem {
    enum Severity : std::uint8_t { warning, error };
    Severity severity = error;
    std::string text;
};

// The image an image reference of the description names: the entry called like the part after
// the last '/' or '\\', when that ends in ".bmp" (lower case), decoded to RGB32; otherwise, or
// when there is no such entry, it is not a BMP file or it is larger than skinlimits allow, an
// empty image. why, when given, says why a non-empty reference gave an empty image.
QImage LoadSkinBitmap(const TSkinReader& reader, std::string_view reference,
                      std::string* why = nullptr);

// The unit most skinned parts are drawn from: an image of equal frames with fixed margins.
struct TDataSkinObject {
    int LeftWidth = 0;
    int TopHeight = 0;
    int RightWidth = 0;
    int BottomHeight = 0;
    QImage Image;  // RGB32; magenta (255, 0, 255) is the transparent colour
    int Trans = 0;
    int Tile = 0;
    std::string Name;
    int FrameCount = 1;
    int NormalColour = -1;  // colour-table indexes, -1 none
    int MouseOverColour = -1;
    int PressedColour = -1;
    SkinColour NormalColour2;  // text colours
    SkinColour MouseOverColour2;
    SkinColour PressedColour2;

    virtual ~TDataSkinObject() = default;
    bool hasImage() const { return !Image.isNull(); }
};

struct TDataSkinBorder : TDataSkinObject {
    QImage BorderImage;
};

struct TDataSkinButton : TDataSkinObject {
    QImage CheckImage;
    QImage RadioImage;
    int CheckButtonFrame = 0;
    int RadioButtonFrame = 0;
};

// The caption text: the margins hold the text shift, the vertical shift and the right clip;
// Image is the text background.
struct TDataSkinTitle : TDataSkinObject {
    int TextAlignment = 0;
    int TextBackLeft = 0;
    int TextBackRight = 0;

    int TextShift() const { return LeftWidth; }
    int TextShiftVert() const { return TopHeight; }
    int TextRightClip() const { return RightWidth; }
};

// A caption button. Image holds its frames side by side.
struct TDataSkinSysButton : TDataSkinObject {
    int Action = 0;
    int Align = 0;
    int Xcoord = 0;
    int Ycoord = 0;
    int Visibility = 0;
    int Visibility1 = 0;
};

enum TSkinControlType : std::uint8_t {
    xcMainMenu,
    xcPopupMenu,
    xcToolbar,
    xcControlbar,
    xcCombo,
    xcCheckBox,
    xcRadioButton,
    xcProgress,
    xcScrollbar,
    xcEdit,
    xcButton,
    xcBitBtn,
    xcSpeedButton,
    xcPanel,
    xcGroupBox,
    xcStatusBar,
    xcTab,
};
using TSkinControlSet = std::uint32_t;  // bit i = kind i
constexpr TSkinControlSet kAllSkinControls = 0x1FFFF;

enum TSkinFormType : std::uint8_t { sfMainform, sfOnlyThisForm, sfDialog };

// The [Colours] of the skin.
struct TSkinColours {
    SkinColour ButtonFace = SkinColour::fromSystem(SystemColour::ButtonFace);
    SkinColour Scrollbar = SkinColour::fromSystem(SystemColour::Scrollbar);
    SkinColour HilightText = SkinColour::fromSystem(SystemColour::HighlightText);
    SkinColour Hilight = SkinColour::fromSystem(SystemColour::Highlight);
    SkinColour Menubar = SkinColour::fromSystem(SystemColour::ButtonFace);
    SkinColour Menu = SkinColour::fromSystem(SystemColour::Menu);
    SkinColour MenuText = SkinColour::fromSystem(SystemColour::MenuText);
    SkinColour ButtonText = SkinColour::fromSystem(SystemColour::ButtonText);
    SkinColour ButtonHilight = SkinColour::fromSystem(SystemColour::ButtonHighlight);
    SkinColour ButtonShadow = SkinColour::fromSystem(SystemColour::ButtonShadow);
    SkinColour MenuBarText = SkinColour::fromSystem(SystemColour::Menu);
    SkinColour TitleTextActive = SkinColour::fromSystem(SystemColour::CaptionText);
    SkinColour TitleTextNoActive = SkinColour::fromSystem(SystemColour::InactiveCaptionText);
};

class TSkinData;
// The frame a skinned window gets from the skin: each strip's thickness (the Top and Bottom
// strips stack their frames vertically, the Left and Right ones side by side).
QMargins SkinFrameSizes(const TSkinData& skin);

class TSkinData : public QObject {
    Q_OBJECT

  public:
    // The owner is the form the component belongs to (its window is the one sfOnlyThisForm
    // serves). Registers with the skin manager.
    explicit TSkinData(QWidget* ownerForm = nullptr);
    ~TSkinData() override;

    QWidget* ownerForm() const { return m_ownerForm; }

    // Published properties.
    bool Active() const { return m_active; }
    void SetActive(bool v);
    int DisableTag() const { return m_disableTag; }
    void SetDisableTag(int v) { m_disableTag = v; }
    TSkinControlSet SkinControls() const { return m_skinControls; }
    void SetSkinControls(TSkinControlSet v) { m_skinControls = v; }
    bool skinsControl(TSkinControlType kind) const { return (m_skinControls >> kind) & 1u; }
    const QString& SkinFile() const { return m_skinFile; }
    void SetSkinFile(const QString& fileName);
    QString SkinStore() const { return m_stream.empty() ? "(none)" : "(Good)"; }
    TSkinFormType SkinFormtype() const { return m_formType; }
    void SetSkinFormtype(TSkinFormType v) { m_formType = v; }

    // The stored property: a 32-bit little-endian count, then that many bytes of skin file.
    // Reading it runs the load sequence at once (nothing is loaded for a count <= 0).
    void ReadSkinStream(std::span<const std::uint8_t> stored);
    std::vector<std::uint8_t> WriteSkinStream() const;
    const std::vector<std::uint8_t>& skinStream() const { return m_stream; }

    // Reading stored property values: while reading, SetActive only stores the value; Loaded()
    // ends the reading and applies Active as (Loading() == 0).
    void beginReading() { m_reading = true; }
    void Loaded();

    // Decodes the skin stream and reads the description (see the data model).
    void LoadSkinStream();
    int Loading() const { return m_loading; }
    // What the last load found wrong with the skin, in the order it was met.
    const std::vector<SkinProblem>& LoadProblems() const { return m_problems; }

    // The colour-table entry index; false for an index outside the table.
    bool GetColour(int index, QColor& colour) const;

    // What a loaded skin holds.
    TSkinColours Colours;
    std::vector<SkinColour> ColourTable;
    TDataSkinTitle Title;
    std::vector<TDataSkinSysButton> SysButtons;  // the skin's buttons, then the 3 MDI buttons
    TDataSkinButton Buttons;
    TDataSkinBorder Borders[4];  // Left, Right, Top, Bottom
    enum Border { bdLeft, bdRight, bdTop, bdBottom };
    std::unique_ptr<TDataSkinBorder> Tabs;  // BorderImage from the key "Border"
    std::unique_ptr<TDataSkinObject> StatusBarEdges, ComboButton, SunkEdge, ExtraImages, MenuItem,
        MenuBackground, Scrollbar, HorzScroll, VertScroll, HorzScrollThumb, VertScrollThumb;
    std::unique_ptr<TDataSkinObject> Progress;
    std::unique_ptr<TDataSkinObject> MenuBar;  // [Personality] menuBar; named "Personality"
    QBrush ButtonFaceBrush;
    // The window icon shared by the windows this skin draws (set by the first window that has
    // one; used by windows without an icon of their own).
    QImage SharedIcon;

    // Shows the message of a skin file that is too old; a message box unless a test replaces
    // it.
    static std::function<void(const QString& text)> showMessage;

  private:
    void ReadSkinIni(const TIniFile& ini, const TSkinReader& reader);
    void problem(SkinProblem::Severity severity, std::string text);
    void requestState(int state);

    QWidget* m_ownerForm = nullptr;
    bool m_active = false;
    bool m_reading = false;
    int m_disableTag = 99;
    TSkinControlSet m_skinControls = kAllSkinControls;
    QString m_skinFile;
    TSkinFormType m_formType = sfMainform;
    std::vector<std::uint8_t> m_stream;
    int m_loading = 1;
    std::vector<SkinProblem> m_problems;
};
