// The skin component's life: the stored stream, loading, activation, older and damaged skins,
// and replacing the skin from a file at run time.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <algorithm>
#include <memory>

#include "LZH.h"
#include "ShippedSkin.h"
#include "SkinManage.h"
#include "SkinReader.h"
#include "TestFiles.h"
#include "TestSkins.h"
#include "WinSkinData.h"

using namespace testskins;

namespace {

const std::string kDescription =
    "[Personality]\nTop=top.bmp\nTopFrame=2\n[Colours]\nButtonFace=10 20 30\n";

Bytes goodSkin() {
    return skinFile(kDescription, {{"Top.bmp", bmp(186, 50)}});
}

// A well-formed container of another version.
Bytes olderSkin() {
    Bytes raw = PackSkinContainer({{"skin.ini", textBytes(kDescription)}});
    raw[0] = 0x1F;  // 19999
    raw[1] = 0x4E;
    return TLZH::Compress(raw);
}

class SkinData : public ::testing::Test {
  protected:
    SkinData() {
        TSkinData::showMessage = [this](const QString& text) { messages << text; };
    }
    ~SkinData() override { TSkinData::showMessage = nullptr; }

    int requested() const { return TSkinManage::instance().requestedState(); }
    void clearRequest() { TSkinManage::instance().SetSkinState(0); }

    QStringList messages;
};

TEST_F(SkinData, CreationAndRegistration) {
    auto skin = std::make_unique<TSkinData>();
    const auto& skins = TSkinManage::instance().skins();
    EXPECT_NE(std::find(skins.begin(), skins.end(), skin.get()), skins.end());
    EXPECT_EQ(skin->Loading(), 1);
    EXPECT_EQ(skin->SkinStore(), "(none)");
    EXPECT_EQ(skin->WriteSkinStream(), (Bytes{0, 0, 0, 0}));
    TSkinData* const gone = skin.get();
    skin.reset();
    EXPECT_EQ(std::find(skins.begin(), skins.end(), gone), skins.end());
}

TEST_F(SkinData, StoredStreamLoadsAndWritesBack) {
    TSkinData skin;
    const Bytes value = stored(goodSkin());
    skin.ReadSkinStream(value);
    EXPECT_EQ(skin.Loading(), 0);
    EXPECT_EQ(skin.SkinStore(), "(Good)");
    EXPECT_EQ(skin.WriteSkinStream(), value);
    EXPECT_EQ(skin.Borders[TSkinData::bdTop].FrameCount, 2);
    EXPECT_EQ(skin.ButtonFaceBrush.color(), QColor(10, 20, 30));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SkinData, StoredCountsThatLoadNothing) {
    Bytes tooLong = stored(goodSkin());
    tooLong[0] = std::uint8_t(tooLong[0] + 1);  // one byte more than is stored
    Bytes negative = stored(goodSkin());
    negative[3] = 0x80;
    for (const Bytes& value : {Bytes{0, 0, 0, 0}, Bytes{0, 0}, negative, tooLong}) {
        TSkinData skin;
        skin.ReadSkinStream(value);
        EXPECT_EQ(skin.Loading(), 1);
        EXPECT_EQ(skin.SkinStore(), "(none)");
        EXPECT_EQ(skin.SysButtons.size(), 0u);
    }
}

TEST_F(SkinData, ActivationAfterReadingFollowsTheLoad) {
    TSkinData skin;
    clearRequest();
    skin.beginReading();
    skin.SetActive(true);
    skin.ReadSkinStream(stored(goodSkin()));
    EXPECT_EQ(requested(), 0);  // nothing while reading
    skin.Loaded();
    EXPECT_TRUE(skin.Active());
    EXPECT_EQ(requested(), 1);

    skin.SetActive(false);
    EXPECT_EQ(requested(), 2);
    clearRequest();
    skin.SetSkinFormtype(sfDialog);
    skin.SetActive(true);
    EXPECT_EQ(requested(), 0);  // only the main form's skin switches skinning
}

TEST_F(SkinData, OlderSkinShowsTheMessageAndSkinsNothing) {
    TSkinData skin;
    clearRequest();
    skin.beginReading();
    skin.SetActive(true);
    skin.ReadSkinStream(stored(olderSkin()));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], "This is Older Skin File\rPlease update to new version !");
    EXPECT_EQ(skin.Loading(), 1);
    EXPECT_TRUE(skin.SysButtons.empty());
    skin.Loaded();
    EXPECT_FALSE(skin.Active());
    EXPECT_EQ(requested(), 2);
}

TEST_F(SkinData, DamagedStreamKeepsWhatWasLoaded) {
    TSkinData skin;
    skin.ReadSkinStream(stored(goodSkin()));
    Bytes damaged = goodSkin();
    damaged.resize(10);
    skin.ReadSkinStream(stored(damaged));
    EXPECT_EQ(skin.Loading(), 1);
    EXPECT_EQ(skin.Borders[TSkinData::bdTop].Image.size(), QSize(186, 50));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SkinData, SkinFileReplacesTheSkinAtRunTime) {
    TempDir dir;
    TSkinData skin;
    skin.ReadSkinStream(stored(goodSkin()));
    skin.SetActive(true);
    clearRequest();

    const Bytes other = skinFile("[Personality]\nTop=t.bmp\n[Colours]\nButtonFace=1 1 1\n",
                                 {{"t.bmp", bmp(30, 12)}});
    writeBytes(dir.file("other.skn"), other);
    skin.SetSkinFile(QString::fromStdString(dir.file("other.skn")));
    EXPECT_EQ(skin.SkinFile(), QString::fromStdString(dir.file("other.skn")));
    EXPECT_EQ(skin.Loading(), 0);
    EXPECT_EQ(skin.skinStream(), other);
    EXPECT_EQ(skin.Borders[TSkinData::bdTop].Image.size(), QSize(30, 12));
    EXPECT_EQ(requested(), 3);

    // A missing file, or one that is no skin, leaves the skin in use as it was.
    clearRequest();
    writeBytes(dir.file("broken.skn"), {1, 2, 3, 4, 5});
    for (const std::string& name : {std::string("missing.skn"), std::string("broken.skn")}) {
        skin.SetSkinFile(QString::fromStdString(dir.file(name)));
        EXPECT_EQ(skin.SkinFile(), QString::fromStdString(dir.file(name)));
        EXPECT_EQ(skin.Loading(), 0);
        EXPECT_EQ(skin.skinStream(), other);
        EXPECT_EQ(skin.Borders[TSkinData::bdTop].Image.size(), QSize(30, 12));
    }
    EXPECT_EQ(requested(), 0);
}

TEST_F(SkinData, ShippedSkinLoadsWhole) {
    const auto shipped = ShippedSkinStream();
    ASSERT_GE(shipped.size(), 4u);
    if (shipped.size() == 4) GTEST_SKIP() << "built without skin artwork";
    TSkinData skin;
    skin.ReadSkinStream(shipped);
    ASSERT_EQ(skin.Loading(), 0);
    EXPECT_TRUE(messages.isEmpty());
    for (const auto& border : skin.Borders)
        EXPECT_FALSE(border.Image.isNull()) << border.Name;
    EXPECT_GE(skin.SysButtons.size(), 3u);
    EXPECT_FALSE(skin.Buttons.Image.isNull());
    TSkinReader reader;
    ASSERT_EQ(reader.OpenSkin(skin.skinStream()), TSkinReader::OpenResult::ok);
    EXPECT_LE(reader.names().size(), TSkinReader::kMaxEntries);
}

}  // namespace
