#include "SkinCheck.h"

#include <algorithm>
#include <string>
#include <utility>

namespace {

using Problems = std::vector<SkinProblem>;

std::string number(qint64 value) {
    return std::to_string(value);
}

// Swaps the older-skin message box out while a check loads: the check reports it instead.
class QuietLoad {
  public:
    QuietLoad() : m_saved(std::exchange(TSkinData::showMessage, nullptr)) {}
    ~QuietLoad() { TSkinData::showMessage = std::move(m_saved); }
    QuietLoad(const QuietLoad&) = delete;
    QuietLoad& operator=(const QuietLoad&) = delete;

  private:
    std::function<void(const QString&)> m_saved;
};

// One image cut into frames, side by side or stacked, with fixed margins inside each frame.
struct Cut {
    std::string name;  // how the author finds it: the section and key
    const QImage* image;
    int frames;
    bool stacked;
    int left = 0, top = 0, right = 0, bottom = 0;
};

void checkCut(const Cut& cut, Problems& problems) {
    if (!cut.image || cut.image->isNull()) return;
    const int frames = std::max(1, cut.frames);
    const int along = cut.stacked ? cut.image->height() : cut.image->width();
    const std::string dimension = cut.stacked ? "high" : "wide";
    if (along < frames) {
        problems.push_back({SkinProblem::error, cut.name + ": " + number(along) + " pixels " +
                                                    dimension + " cannot hold " + number(frames) +
                                                    " frames; nothing of it is drawn"});
        return;
    }
    if (along % frames != 0)
        problems.push_back({SkinProblem::warning, cut.name + ": " + number(along) + " pixels " +
                                                      dimension + " is not a multiple of its " +
                                                      number(frames) + " frames; the last " +
                                                      number(along % frames) +
                                                      " pixels are never drawn"});
    const int frameWidth = cut.stacked ? cut.image->width() : along / frames;
    const int frameHeight = cut.stacked ? along / frames : cut.image->height();
    if (cut.left < 0 || cut.right < 0 || cut.top < 0 || cut.bottom < 0)
        problems.push_back({SkinProblem::warning, cut.name + ": a margin is negative"});
    if (cut.left + cut.right > frameWidth)
        problems.push_back({SkinProblem::warning, cut.name + ": the left and right margins (" +
                                                      number(cut.left) + " + " + number(cut.right) +
                                                      ") are wider than a frame (" +
                                                      number(frameWidth) + ")"});
    if (cut.top + cut.bottom > frameHeight)
        problems.push_back({SkinProblem::warning, cut.name + ": the top and bottom margins (" +
                                                      number(cut.top) + " + " + number(cut.bottom) +
                                                      ") are higher than a frame (" +
                                                      number(frameHeight) + ")"});
}

Cut objectCut(const std::string& name, const TDataSkinObject& object, bool stacked = false) {
    return {name,
            &object.Image,
            object.FrameCount,
            stacked,
            object.LeftWidth,
            object.TopHeight,
            object.RightWidth,
            object.BottomHeight};
}

void checkGeometry(const TSkinData& skin, SkinCheckReport& report) {
    Problems& problems = report.problems;
    const char* const strips[4] = {"Left", "Right", "Top", "Bottom"};
    for (int i = 0; i < 4; ++i) {
        const TDataSkinBorder& strip = skin.Borders[i];
        const bool stacked = i == TSkinData::bdTop || i == TSkinData::bdBottom;
        checkCut(objectCut("[Personality] " + std::string(strips[i]), strip, stacked), problems);
    }
    report.frame = SkinFrameSizes(skin);
    if (report.frame.top() == 0)
        problems.push_back({SkinProblem::warning,
                            "windows get no caption row: they cannot be moved, nor closed from "
                            "their frame"});

    for (const TDataSkinSysButton& button : skin.SysButtons) {
        if (button.Align == 100) continue;  // the fixed MDI buttons
        ++report.captionButtons;
        const std::string name = "[" + button.Name + "] ButtonImage";
        checkCut({name, &button.Image, button.FrameCount, false}, problems);
        const int height = button.Image.height();
        if (!button.Image.isNull() && button.Ycoord + height > report.frame.top())
            problems.push_back(
                {SkinProblem::warning, name + ": the button reaches below the caption row (" +
                                           number(report.frame.top()) + " pixels high)"});
    }

    checkCut(objectCut("[Buttons] Bitmap", skin.Buttons), problems);
    checkCut(
        {"[Buttons] CheckButton", &skin.Buttons.CheckImage, skin.Buttons.CheckButtonFrame, false},
        problems);
    checkCut(
        {"[Buttons] RadioButton", &skin.Buttons.RadioImage, skin.Buttons.RadioButtonFrame, false},
        problems);
    if (skin.Tabs) {
        checkCut(objectCut("[Tabs] Image", *skin.Tabs), problems);
    }
    const std::pair<const char*, const TDataSkinObject*> objects[] = {
        {"[StatusBarEdges] Image", skin.StatusBarEdges.get()},
        {"[ComboButton] Image", skin.ComboButton.get()},
        {"[SunkEdge] Image", skin.SunkEdge.get()},
        {"[ExtraImages] Image", skin.ExtraImages.get()},
        {"[MenuItem] Image", skin.MenuItem.get()},
        {"[MenuBackground] Image", skin.MenuBackground.get()},
        {"[Scrollbar] Image", skin.Scrollbar.get()},
        {"[HorzScroll] Image", skin.HorzScroll.get()},
        {"[VertScroll] Image", skin.VertScroll.get()},
        {"[HorzScrollThumb] Image", skin.HorzScrollThumb.get()},
        {"[VertScrollThumb] Image", skin.VertScrollThumb.get()},
        {"[Progress] Bitmap", skin.Progress.get()}};
    for (const auto& [name, object] : objects)
        if (object) checkCut(objectCut(name, *object), problems);
    if (skin.MenuBar) checkCut(objectCut("[Personality] menuBar", *skin.MenuBar, true), problems);
}

}  // namespace

int SkinCheckReport::count(SkinProblem::Severity severity) const {
    return int(std::count_if(problems.begin(), problems.end(),
                             [severity](const SkinProblem& p) { return p.severity == severity; }));
}

SkinCheckReport CheckSkin(TSkinData& skin, std::span<const std::uint8_t> skinFile) {
    SkinCheckReport report;
    // The stored property counts its bytes in a signed 32-bit number.
    if (skinFile.empty() || skinFile.size() > 0x7FFFFFFFu) {
        report.problems.push_back(
            {SkinProblem::error, skinFile.empty() ? "the file is empty" : "the file is too large"});
        return report;
    }
    const auto size = std::uint32_t(skinFile.size());
    std::vector<std::uint8_t> stored;
    stored.reserve(4 + skinFile.size());
    for (int shift = 0; shift < 32; shift += 8)
        stored.push_back(std::uint8_t(size >> shift));
    stored.insert(stored.end(), skinFile.begin(), skinFile.end());
    {
        const QuietLoad quiet;
        skin.ReadSkinStream(stored);
    }
    report.problems = skin.LoadProblems();
    report.loaded = skin.Loading() == 0;
    if (report.loaded) checkGeometry(skin, report);
    return report;
}

SkinCheckReport CheckSkinFile(std::span<const std::uint8_t> skinFile) {
    TSkinData skin;
    return CheckSkin(skin, skinFile);
}
