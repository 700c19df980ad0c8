// The shipped skin's artwork: the sizes the frame and control painters depend on, images
// drawn opaque never holding the transparent colour, the description naming exactly the
// bitmaps there are, and files that come out the same on every run.
#include <gtest/gtest.h>

#include <QImage>
#include <map>
#include <set>

#include "ArtCanvas.h"
#include "IniFile.h"
#include "SkinArt.h"

namespace {

std::map<std::string, QImage> images() {
    std::map<std::string, QImage> byName;
    for (auto& image : art::drawSkinImages())
        byName[image.name] = image.image;
    return byName;
}

bool holdsKey(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == art::kMagenta) return true;
    return false;
}

}  // namespace

TEST(SkinArt, ImagesHaveTheFixedGeometry) {
    const auto all = art::drawSkinImages();
    const auto byName = images();
    EXPECT_EQ(all.size(), 29u);
    EXPECT_EQ(byName.size(), all.size());  // names are unique
    const std::map<std::string, QSize> fixed = {
        {"top.bmp", {186, 50}},       {"left.bmp", {14, 92}},         {"right.bmp", {14, 92}},
        {"bottom.bmp", {186, 14}},    {"close.bmp", {90, 19}},        {"maximize.bmp", {90, 19}},
        {"restore.bmp", {90, 19}},    {"minimize.bmp", {90, 19}},     {"button.bmp", {275, 22}},
        {"scrollbar.bmp", {368, 16}}, {"mdicontrols.bmp", {180, 14}},
    };
    for (const auto& [name, size] : fixed)
        EXPECT_EQ(byName.at(name).size(), size) << name;
    // Check and radio glyphs: 4 frames of 13 in an image under 16 pixels high.
    EXPECT_EQ(byName.at("checkbox.bmp").size(), QSize(52, 13));
    EXPECT_EQ(byName.at("radio.bmp").size(), QSize(52, 13));
}

TEST(SkinArt, OpaqueImagesHoldNoTransparentColourAndCornersAreCut) {
    // An image drawn opaque would show its magenta; which ones are opaque is the
    // description's say (strips default to transparent, image objects to opaque).
    const auto byName = images();
    const TIniFile ini = TIniFile::FromText(art::skinDescription());
    int opaque = 0;
    for (const char* part : {"Top", "Left", "Right", "Bottom"}) {
        if (ini.ReadInteger("Personality", std::string(part) + "Trans", 1) != 0) continue;
        EXPECT_FALSE(holdsKey(byName.at(ini.ReadString("Personality", part, "")))) << part;
        ++opaque;
    }
    EXPECT_FALSE(holdsKey(byName.at(ini.ReadString("Personality", "menuBar", ""))));
    for (const std::string& section : ini.ReadSections()) {
        for (const char* key : {"Image", "Bitmap"}) {
            const std::string name = ini.ReadString(section, key, "");
            if (name.empty() || section == "MdiControls" || ini.ReadInteger(section, "Trans", 0))
                continue;
            EXPECT_FALSE(holdsKey(byName.at(name))) << section;
            ++opaque;
        }
    }
    EXPECT_GE(opaque, 9);  // the loop above did look

    // The side strips round the window's corners: outermost pixels cut, the rest solid.
    const QImage& left = byName.at("left.bmp");
    const QImage& right = byName.at("right.bmp");
    for (int frame = 0; frame < 2; ++frame) {
        EXPECT_EQ(left.pixel(7 * frame, 0), art::kMagenta);
        EXPECT_EQ(left.pixel(7 * frame, 91), art::kMagenta);
        EXPECT_EQ(right.pixel(7 * frame + 6, 0), art::kMagenta);
        EXPECT_NE(left.pixel(7 * frame, 40), art::kMagenta);
        EXPECT_NE(right.pixel(7 * frame + 6, 40), art::kMagenta);
        EXPECT_NE(left.pixel(7 * frame + 6, 0), art::kMagenta);
    }
}

TEST(SkinArt, DescriptionNamesExactlyTheBitmaps) {
    const TIniFile ini = TIniFile::FromText(art::skinDescription());
    std::set<std::string> referenced;
    for (const std::string& section : ini.ReadSections())
        for (const std::string& key : ini.ReadSection(section)) {
            const std::string value = ini.ReadString(section, key, "");
            if (value.size() > 4 && value.ends_with(".bmp")) referenced.insert(value);
        }
    std::set<std::string> drawn;
    for (const auto& [name, image] : images())
        drawn.insert(name);
    EXPECT_EQ(referenced, drawn);
    EXPECT_EQ(ini.ReadInteger("Personality", "TopTopHeight", 0), 10);
    EXPECT_EQ(ini.ReadInteger("Personality", "TopBotHeight", 0), 44);
    // The window icon button must have no frame key, so the loader shows the window's icon.
    EXPECT_FALSE(ini.ValueExists("BUTTON4", "frame"));
}

TEST(SkinArt, BitmapsAreReproducible24BitFiles) {
    const auto first = art::drawSkinImages();
    const auto second = art::drawSkinImages();
    ASSERT_EQ(first.size(), second.size());
    for (size_t i = 0; i < first.size(); ++i) {
        const auto bytes = art::encodeBmp24(first[i].image);
        EXPECT_EQ(bytes, art::encodeBmp24(second[i].image)) << first[i].name;
        ASSERT_GE(bytes.size(), 54u);
        EXPECT_EQ(bytes[28], 24) << first[i].name;
        const QImage decoded = QImage::fromData(bytes.data(), int(bytes.size()), "BMP");
        ASSERT_FALSE(decoded.isNull()) << first[i].name;
        EXPECT_EQ(decoded.convertToFormat(QImage::Format_RGB32), first[i].image) << first[i].name;
    }
}
