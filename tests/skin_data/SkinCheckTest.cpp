// Checking a skin as the program loads it, and the limits that keep a hostile description
// from building windows out of huge strips and endless caption buttons.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "LZH.h"
#include "ShippedSkin.h"
#include "SkinCheck.h"
#include "TestSkins.h"
#include "WinSkinData.h"

using namespace testskins;

namespace {

// The problems' texts, one per line, for failure messages and searching.
std::string texts(const SkinCheckReport& report) {
    std::string all;
    for (const SkinProblem& problem : report.problems)
        all += (problem.severity == SkinProblem::error ? "error: " : "warning: ") + problem.text +
               "\n";
    return all;
}

bool mentions(const SkinCheckReport& report, SkinProblem::Severity severity,
              const std::string& part) {
    return std::any_of(report.problems.begin(), report.problems.end(), [&](const SkinProblem& p) {
        return p.severity == severity && p.text.find(part) != std::string::npos;
    });
}

}  // namespace

TEST(SkinCheck, TheShippedSkinIsUsableWithoutAProblem) {
    const auto file = ShippedSkinFile();
    ASSERT_FALSE(file.empty());
    const SkinCheckReport report = CheckSkinFile(file);
    EXPECT_TRUE(report.usable());
    EXPECT_TRUE(report.problems.empty()) << texts(report);
    EXPECT_EQ(report.frame, QMargins(7, 25, 7, 7));
    EXPECT_EQ(report.captionButtons, 5);
}

TEST(SkinCheck, EachProblemOfTheDescriptionIsReportedWithItsPlace) {
    const std::string description =
        "[Personality]\nTop=top.bmp\nLeft=left.BMP\nRight=gone.bmp\nBottom=text.bmp\n"
        "Left=left.bmp\n"
        "[Button0]\nButtonImage=narrow.bmp\nframe=9\n"
        "[Button1]\nButtonImage=odd.bmp\nframe=4\n"
        "[Buttons]\nBitmap=top.bmp\nLeftWidth=40\nRightWidth=40\n";
    const SkinCheckReport report =
        CheckSkinFile(skinFile(description, {{"top.bmp", bmp(60, 50)},
                                             {"text.bmp", textBytes("no bitmap here")},
                                             {"narrow.bmp", bmp(5, 19)},
                                             {"odd.bmp", bmp(90, 19)}}));
    EXPECT_TRUE(report.loaded);
    EXPECT_FALSE(report.usable());
    // Images that cannot be had: a reference not ending in lower-case ".bmp", a missing entry,
    // an entry that is no bitmap. The first Left key is the one read.
    EXPECT_TRUE(mentions(report, SkinProblem::error, "[Personality] Left=left.BMP: "));
    EXPECT_TRUE(mentions(report, SkinProblem::error, "[Personality] Right=gone.bmp: "));
    EXPECT_TRUE(mentions(report, SkinProblem::error, "text.bmp is not a BMP file"));
    // Frames: more than the image is wide, a width that does not divide; margins wider than
    // the push button's frame (60 / 5 = 12).
    EXPECT_TRUE(mentions(report, SkinProblem::error, "[Button0] ButtonImage: 5 pixels wide"));
    EXPECT_TRUE(mentions(report, SkinProblem::warning, "[Button1] ButtonImage: 90 pixels wide"));
    EXPECT_TRUE(mentions(report, SkinProblem::warning, "[Buttons] Bitmap: the left and right"));
    EXPECT_EQ(report.count(SkinProblem::error), 4) << texts(report);
    EXPECT_EQ(report.frame, QMargins(0, 50, 0, 0));
}

TEST(SkinCheck, AFileThatIsNoSkinIsUnusable) {
    SkinCheckReport report = CheckSkinFile(Bytes{1, 2, 3});
    EXPECT_FALSE(report.loaded);
    EXPECT_FALSE(report.usable());
    EXPECT_TRUE(mentions(report, SkinProblem::error, "not a skin file or damaged"))
        << texts(report);

    // An older container: reported, and no message box opens.
    Bytes container = PackSkinContainer({{"skin.ini", textBytes("")}});
    container[0] = 0x1F;  // version 19999
    container[1] = 0x4E;
    bool boxShown = false;
    const auto savedMessage = TSkinData::showMessage;
    TSkinData::showMessage = [&](const QString&) { boxShown = true; };
    report = CheckSkinFile(TLZH::Compress(container));
    TSkinData::showMessage = savedMessage;
    EXPECT_FALSE(boxShown);
    EXPECT_FALSE(report.loaded);
    EXPECT_TRUE(mentions(report, SkinProblem::error, "19999")) << texts(report);

    // A container without a description loads every part at its default: nobody means that.
    report = CheckSkinFile(PackSkinFile({{"a.bmp", bmp(4, 4)}}));
    EXPECT_TRUE(report.loaded);
    EXPECT_FALSE(report.usable());
    EXPECT_TRUE(mentions(report, SkinProblem::error, "no description")) << texts(report);
}

TEST(SkinLimits, StripsTooThickOrTooLongAreLeftOut) {
    TSkinData skin;
    // A strip of 1 x 8193 pixels (beyond any bitmap a skin may hold), one 300 pixels thick, and
    // one that is 300 wide but cut into two frames of 150.
    const SkinCheckReport report = CheckSkin(
        skin,
        skinFile(
            "[Personality]\nTop=long.bmp\nLeft=thick.bmp\nRight=thick.bmp\n"
            "RightFrame=2\nBottom=fine.bmp\n",
            {{"long.bmp", bmp(8193, 1)}, {"thick.bmp", bmp(300, 4)}, {"fine.bmp", bmp(20, 6)}}));
    ASSERT_TRUE(report.loaded);
    EXPECT_TRUE(skin.Borders[TSkinData::bdTop].Image.isNull());
    EXPECT_TRUE(skin.Borders[TSkinData::bdLeft].Image.isNull());
    EXPECT_EQ(report.frame, QMargins(0, 0, 150, 6));
    EXPECT_TRUE(mentions(report, SkinProblem::error, "long.bmp is 8193 x 1 pixels"))
        << texts(report);
    EXPECT_TRUE(
        mentions(report, SkinProblem::error, "[Personality] Left: the frame strip would be 300"))
        << texts(report);
    EXPECT_FALSE(report.usable());
}

TEST(SkinLimits, AHostileDescriptionLoadsInLinearTimeAndBuildsFewButtons) {
    // Tens of thousands of sections, each read for several keys: lookups that scan the whole
    // text would take hours here.
    const int count = 20000;
    std::string description = "[Personality]\nTop=top.bmp\n";
    description.reserve(std::size_t(count) * 80);
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        description += "[Button" + n + "]\nButtonImage=button.bmp\nAction=5\nXcoord=" + n +
                       "\n[Colour" + n + "]\ncolor=" + std::to_string(i % 256) + " 0 0\n";
    }
    TSkinData skin;
    const SkinCheckReport report = CheckSkin(
        skin, skinFile(description, {{"top.bmp", bmp(40, 50)}, {"button.bmp", bmp(90, 19)}}));
    ASSERT_TRUE(report.loaded);
    ASSERT_EQ(skin.SysButtons.size(), std::size_t(skinlimits::kMaxCaptionButtons) + 3);
    EXPECT_EQ(skin.SysButtons[31].Xcoord, 31);
    EXPECT_TRUE(mentions(report, SkinProblem::error, "20000 caption buttons")) << texts(report);
    // Every button shares the one decoded bitmap.
    EXPECT_EQ(skin.SysButtons[0].Image.constBits(), skin.SysButtons[31].Image.constBits());
    ASSERT_EQ(skin.ColourTable.size(), std::size_t(count));
    EXPECT_EQ(skin.ColourTable[300].colour(), QColor(300 % 256, 0, 0));
}
