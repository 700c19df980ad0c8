// Checking a skin whose description is the fuzzer's input, next to a few small bitmaps named
// bar.bmp, wide.bmp, tall.bmp and bad.bmp (not a BMP file), through the path of
// `quillon-cli skin check`. The load must finish, stay within the skin limits and leave every
// part usable by the painters.
#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "SkinCheck.h"
#include "SkinReader.h"
#include "WinSkinData.h"

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_skin_description: %s\n", what);
        std::abort();
    }
}

std::vector<std::uint8_t> bmp(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 255));
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return std::vector<std::uint8_t>(data.begin(), data.end());
}

std::vector<SkinEntry>& bitmaps() {
    static std::vector<SkinEntry> entries = {{"bar.bmp", bmp(30, 8)},
                                             {"wide.bmp", bmp(36, 4)},
                                             {"tall.bmp", bmp(4, 20)},
                                             {"bad.bmp", {'B', 'M', 1, 2, 3}}};
    return entries;
}

void checkObject(const TDataSkinObject* object) {
    if (object) check(object->FrameCount >= 1, "frame count below 1");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QApplication application(*argc, *argv);
    TSkinData::showMessage = [](const QString&) {};
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<SkinEntry> entries = bitmaps();
    entries.emplace_back("skin.ini", std::vector<std::uint8_t>(data, data + size));
    const std::vector<std::uint8_t> file = PackSkinFile(entries);

    TSkinData skin;
    const SkinCheckReport report = CheckSkin(skin, file);
    check(skin.Loading() == 0 && report.loaded, "a well-formed skin did not load");
    check(report.usable() == (report.count(SkinProblem::error) == 0), "verdict");
    check(skin.SysButtons.size() >= 3, "the MDI buttons are missing");
    check(skin.SysButtons.size() <= std::size_t(skinlimits::kMaxCaptionButtons) + 3,
          "more caption buttons than a window is built from");
    const QMargins frame = SkinFrameSizes(skin);
    for (int side : {frame.left(), frame.top(), frame.right(), frame.bottom()})
        check(side >= 0 && side <= skinlimits::kMaxFrameMargin, "frame margin out of bounds");
    for (const auto& button : skin.SysButtons)
        checkObject(&button);
    for (const auto& border : skin.Borders)
        checkObject(&border);
    checkObject(&skin.Buttons);
    check(skin.Buttons.CheckButtonFrame >= 1 && skin.Buttons.RadioButtonFrame >= 1,
          "toggle frames");
    const TDataSkinObject* const optional[] = {
        skin.Tabs.get(),           skin.StatusBarEdges.get(),  skin.ComboButton.get(),
        skin.SunkEdge.get(),       skin.ExtraImages.get(),     skin.MenuItem.get(),
        skin.MenuBackground.get(), skin.Scrollbar.get(),       skin.HorzScroll.get(),
        skin.VertScroll.get(),     skin.HorzScrollThumb.get(), skin.VertScrollThumb.get(),
        skin.Progress.get(),       skin.MenuBar.get()};
    for (const TDataSkinObject* object : optional)
        checkObject(object);
    QColor colour;
    for (int i = 0; i < int(skin.ColourTable.size()); ++i)
        check(skin.GetColour(i, colour), "colour");
    check(!skin.GetColour(int(skin.ColourTable.size()), colour), "colour past the table");
    return 0;
}
