// The CD information window with names from the disc's CD-Text and from MusicBrainz: the
// source shown, the chooser for several releases, and CDDB after a source that is down.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <optional>

#include "CdMsgUnit.h"
#include "CddbClient.h"
#include "CddbTestServer.h"
#include "DiscId.h"
#include "DiscImages.h"
#include "DriveList.h"
#include "MainUnit.h"
#include "MemoryWaveDevices.h"
#include "MusicBrainzClient.h"
#include "MusicBrainzTestServer.h"
#include "ReleaseChooser.h"
#include "ScopedVariable.h"
#include "TestFiles.h"
#include "WaveAudio.h"

namespace {

using namespace std::chrono_literals;
namespace mb = quillon::musicbrainz;

class CdSourcesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_dir.path());
        m_config.emplace("XDG_CONFIG_HOME", (m_dir.path() / "config").string());
        std::filesystem::create_directory("discs");
        quillon::cdrom::setDiscFolder({});
        quillon::cdrom::setCddbTimeouts(1000ms, 2000ms);
        mb::setMusicBrainzTimeouts(1000ms, 2000ms);
        mb::setMusicBrainzRequestInterval(0ms);
        installWaveService(std::make_unique<MemoryWaveService>(
            std::vector<MemoryWaveService::Device>{{"Speakers"}},
            std::vector<MemoryWaveService::Device>{}));
        // Twelve tracks, as the disc of the canned MusicBrainz answers has.
        m_image = writeCueImage("discs", "demo", std::vector<int>(12, 20));
        m_layout.starts = m_image.trackStarts;
        m_layout.dataTracks.assign(m_layout.starts.size(), false);
        m_layout.leadOut = m_image.leadOut;
        m_discId = mb::discId(*mb::discToc(m_layout));
        m_target = "/ws/2/discid/" + m_discId + "?inc=artist-credits+recordings&fmt=json";
    }
    void TearDown() override {
        m_main.reset();
        quillon::cdrom::setCddbTimeouts(5000ms, 10000ms);
        mb::setMusicBrainzTimeouts(5000ms, 15000ms);
        mb::setMusicBrainzRequestInterval(1000ms);
        std::filesystem::current_path(m_previous);
        m_config.reset();
    }

    void writeSettings(const std::string& more) {
        std::ofstream("settings.ini") << "[CDDB]\nserver=" << m_cddb.address()
                                      << "\n[MusicBrainz]\nserver=" << m_musicBrainz.base()
                                      << "\ncoverart=" << m_musicBrainz.base() << "\n"
                                      << more;
    }
    std::string answer(const std::string& name) const { return musicBrainzAnswer(name, m_discId); }
    TMainForm& open() {
        m_main = std::make_unique<TMainForm>();
        m_main->timer().stop();  // its ticks would write over the status line
        m_main->show();
        return *m_main;
    }
    QStringList names() {
        auto* list = m_main->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
        QStringList result;
        for (int row = 0; row < list->topLevelItemCount(); ++row)
            result << list->topLevelItem(row)->text(1);
        return result;
    }
    static QString value(TCdMsgForm& info, const char* name) {
        const auto* label = info.findChild<QLabel*>(QString::fromLatin1(name));
        EXPECT_NE(label, nullptr) << name;
        return label ? label->text() : QString();
    }
    QString status() { return m_main->findChild<QLabel*>(QStringLiteral("spSLMsgOut"))->text(); }
    // Runs the lookup; a chooser it opens gets `choose` run on it.
    void lookUp(TCdMsgForm& info, const std::function<void(TReleaseChooser&)>& choose = {}) {
        bool chooserSeen = false;
        QTimer::singleShot(0, [&] {
            auto* chooser = qobject_cast<TReleaseChooser*>(QApplication::activeModalWidget());
            if (!chooser) return;
            chooserSeen = true;
            if (choose) choose(*chooser);
            if (chooser->isVisible()) chooser->reject();
        });
        info.FormActivate();
        EXPECT_EQ(chooserSeen, static_cast<bool>(choose));
    }

    TempDir m_dir;
    std::filesystem::path m_previous;
    std::optional<ScopedVariable> m_config;
    std::unique_ptr<TMainForm> m_main;
    DiscImage m_image;
    quillon::cdrom::DiscLayout m_layout;
    MusicBrainzTestServer m_musicBrainz;
    CddbTestServer m_cddb;
    std::string m_discId, m_target;
};

TEST_F(CdSourcesTest, SeveralReleasesOpenTheChooserAndTheChoiceNamesTheRows) {
    writeSettings("[Metadata]\nsources=musicbrainz\n[Naming]\ntemplate={track} {title}\n");
    m_musicBrainz.setAnswer(m_target, answer("several-releases.json"));
    TMainForm& main = open();
    TCdMsgForm info(main);
    lookUp(info, [](TReleaseChooser& chooser) {
        auto* list = chooser.findChild<QTreeWidget*>(QStringLiteral("ReleaseList"));
        ASSERT_EQ(list->topLevelItemCount(), 2);
        EXPECT_EQ(list->topLevelItem(0)->text(4), "Harbour Light Records");
        EXPECT_EQ(list->topLevelItem(1)->text(3), "JP");
        list->setCurrentItem(list->topLevelItem(1));
        QTest::mouseClick(chooser.findChild<QPushButton*>(QStringLiteral("okbutton")),
                          Qt::LeftButton);
    });
    EXPECT_EQ(value(info, "edSource"), "MusicBrainz");
    EXPECT_EQ(value(info, "edDiscID"), QString::fromStdString(m_discId));
    EXPECT_EQ(value(info, "edArtist"), "Hollow Lanterns");
    EXPECT_EQ(value(info, "edTitle"), "Lantern Songs");
    EXPECT_EQ(names().mid(0, 3),
              (QStringList{"01 Lantern Song.mp3", "02 Café Nights.mp3", "03 Über die Brücke.mp3"}));
    EXPECT_EQ(main.discAlbum(), "Lantern Songs");
    EXPECT_EQ(main.discMetadata().releaseId, "22222222-3333-4444-8555-666666666666");
    EXPECT_EQ(status(), "Successful");

    // Cancelling the chooser names nothing.
    lookUp(info, [](TReleaseChooser&) {});
    EXPECT_EQ(status(), "No release chosen");
    EXPECT_TRUE(main.discMetadata().releaseId.empty());
    EXPECT_EQ(names().mid(0, 2), (QStringList{"Track-01.mp3", "Track-02.mp3"}));
}

TEST_F(CdSourcesTest, CdTextNamesTheDiscAndTheSourceIsShown) {
    std::string sheet = "PERFORMER \"Sheet Band\"\r\nTITLE \"Sheet Album\"\r\n";
    {
        std::ifstream in(m_image.sheet, std::ios::binary);
        sheet += std::string(std::istreambuf_iterator<char>(in), {});
    }
    sheet.insert(sheet.find("    INDEX 01 00:00:00"), "    TITLE \"Opening/Intro\"\r\n");
    std::ofstream(m_image.sheet, std::ios::binary | std::ios::trunc) << sheet;
    writeSettings("[Naming]\ntemplate={artist}/{title}\n");
    TCdMsgForm info(open());
    lookUp(info);
    EXPECT_EQ(value(info, "edSource"), "CD-Text");
    EXPECT_EQ(value(info, "edArtist"), "Sheet Band");
    EXPECT_EQ(names().mid(0, 2),
              (QStringList{"Sheet Band/Opening_Intro.mp3", "Sheet Band/Track-02.mp3"}));
    EXPECT_TRUE(m_musicBrainz.requests().empty());
}

TEST_F(CdSourcesTest, CddbAnswersWhenMusicBrainzIsDown) {
    writeSettings("[Metadata]\nsources=musicbrainz,cddb\n");
    m_musicBrainz.stop();
    const std::string id = quillon::cdrom::discIdText(quillon::cdrom::cddbDiscId(m_layout));
    m_cddb.addEntry({"rock",
                     id,
                     "The Band / The Record",
                     {"DISCID=" + id, "DTITLE=The Band / The Record", "TTITLE0=Opening"}});
    TCdMsgForm info(open());
    lookUp(info);
    EXPECT_EQ(value(info, "edSource"), "CDDB");
    EXPECT_EQ(value(info, "edCategory"), "rock");
    EXPECT_EQ(names().mid(0, 2), (QStringList{"Opening.mp3", "Track-02.mp3"}));
    EXPECT_EQ(status(), "Successful");

    // A template of the user's own takes the CDDB names too.
    writeSettings("[Metadata]\nsources=cddb\n[Naming]\ntemplate={artist}/{track} {title}\n");
    lookUp(info);
    EXPECT_EQ(value(info, "edSource"), "CDDB");
    EXPECT_EQ(value(info, "edDiscID"), QString::fromStdString(id));
    EXPECT_EQ(value(info, "edCategory"), "rock");
    EXPECT_EQ(names().mid(0, 2),
              (QStringList{"The Band/01 Opening.mp3", "The Band/02 Track-02.mp3"}));

    // Nobody knows the disc: unknowns, and no source.
    writeSettings("[Metadata]\nsources=musicbrainz\n");
    lookUp(info);
    EXPECT_EQ(value(info, "edSource"), "");
    EXPECT_EQ(value(info, "edArtist"), "Unknown Artist");
    EXPECT_EQ(status(), "No names found for the disc");
}

}  // namespace
