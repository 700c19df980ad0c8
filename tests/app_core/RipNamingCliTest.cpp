// quillon-cli rip with names looked up (--metadata, --release) and a name template
// (--template), against local MusicBrainz and CDDB servers.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "CddbTestServer.h"
#include "DiscId.h"
#include "DiscImages.h"
#include "DiscToc.h"
#include "MusicBrainzTestServer.h"
#include "RunCommand.h"
#include "TestFiles.h"

namespace mb = quillon::musicbrainz;

namespace {

class RipNamingCliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directory(m_temp.path() / "discs");
        // Twelve tracks, as the disc of the canned answers has.
        const DiscImage image =
            writeCueImage(m_temp.path() / "discs", "disc", std::vector<int>(12, 15));
        m_layout.starts = image.trackStarts;
        m_layout.dataTracks.assign(m_layout.starts.size(), false);
        m_layout.leadOut = image.leadOut;
        m_discId = mb::discId(*mb::discToc(m_layout));
        m_target = "/ws/2/discid/" + m_discId + "?inc=artist-credits+recordings&fmt=json";
        writeSettings("");
    }
    CommandResult cli(const std::string& arguments) {
        return runCommand("cd " + shellQuote(m_temp.path().string()) + " && " +
                          shellQuote(QUILLON_CLI) + " rip --format wav --drive " +
                          shellQuote((m_temp.path() / "discs" / "disc.cue").string()) + " " +
                          arguments);
    }
    void writeSettings(const std::string& more) {
        std::ofstream(m_temp.path() / "settings.ini")
            << "[MusicBrainz]\nserver=" << m_musicBrainz.base()
            << "\ncoverart=" << m_musicBrainz.base() << "\n"
            << more;
    }
    std::string answer(const std::string& name) const { return musicBrainzAnswer(name, m_discId); }
    // Every file below the folder, as paths relative to it, sorted.
    std::vector<std::string> files(const std::string& folder) const {
        std::vector<std::string> names;
        const auto root = m_temp.path() / folder;
        if (!std::filesystem::exists(root)) return names;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
            if (entry.is_regular_file())
                names.push_back(std::filesystem::relative(entry.path(), root).string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir m_temp;
    MusicBrainzTestServer m_musicBrainz;
    quillon::cdrom::DiscLayout m_layout;
    std::string m_discId, m_target;
};

TEST_F(RipNamingCliTest, MusicBrainzNamesFillTheTemplateAndThePlaylist) {
    m_musicBrainz.setAnswer(m_target, answer("one-release.json"));
    const auto result =
        cli("--out out --tracks 1-2,5 --metadata musicbrainz "
            "--template '{albumartist}/{album} ({year})/{track} {title}'");
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("Source    MusicBrainz\n"), std::string::npos) << result.output;
    const std::string album = "Hollow Lanterns/Lantern Songs (2004)/";
    EXPECT_EQ(files("out"), (std::vector<std::string>{
                                album + "01 Lantern Song.wav", album + "02 Café Nights.wav",
                                album + "05 雨の駅.wav", album + "Lantern Songs.cue",
                                album + "Lantern Songs.log", album + "Lantern Songs.m3u8"}));
    std::ifstream playlist(m_temp.path() / "out" / (album + "Lantern Songs.m3u8"));
    const std::string text{std::istreambuf_iterator<char>(playlist), {}};
    const std::string head =
        "#EXTM3U\n#EXTINF:0,Hollow Lanterns - Lantern Song\n01 Lantern Song.wav\n";
    EXPECT_EQ(text.substr(0, head.size()), head);
    ASSERT_FALSE(m_musicBrainz.requests().empty());
    EXPECT_EQ(m_musicBrainz.requests()[0].userAgent.rfind("Quillon/", 0), 0u);
}

TEST_F(RipNamingCliTest, SeveralReleasesNeedARelease) {
    m_musicBrainz.setAnswer(m_target, answer("several-releases.json"));
    auto result = cli("--out out --metadata musicbrainz");
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("  22222222-3333-4444-8555-666666666666  Hollow Lanterns - "
                                 "Lantern Songs (2004, JP, 12 tracks)\n"),
              std::string::npos)
        << result.output;
    EXPECT_TRUE(files("out").empty());

    // The settings' own template and sources take over where no option says otherwise.
    writeSettings("[Metadata]\nsources=musicbrainz\n[Naming]\ntemplate={album}/{disc}-{track}\n");
    result = cli("--out out --tracks 12 --release 11111111-2222-4333-8444-555555555555");
    ASSERT_EQ(result.status, 0) << result.output;
    // The rip log and cue sheet land beside the files, in the album's folder.
    const std::string folder = "Lantern Songs (Deluxe)/";
    EXPECT_EQ(files("out"),
              (std::vector<std::string>{folder + "2-12.wav", folder + "Lantern Songs (Deluxe).cue",
                                        folder + "Lantern Songs (Deluxe).log",
                                        folder + "Lantern Songs (Deluxe).m3u8"}));

    result = cli("--out other --release 33333333-4444-4555-8666-777777777777");
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_TRUE(files("other").empty());
}

TEST_F(RipNamingCliTest, HostileCddbNamesStayInTheOutputFolder) {
    CddbTestServer cddb;
    const std::string id = quillon::cdrom::discIdText(quillon::cdrom::cddbDiscId(m_layout));
    cddb.addEntry({"rock",
                   id,
                   "../.. / .hidden",
                   {"DTITLE=../.. / .hidden", "TTITLE0=../../etc/passwd", "TTITLE1=\x1b[2J"}});
    // The settings' template holds for --cddb too.
    writeSettings("[CDDB]\nserver=" + cddb.address() +
                  "\n[Naming]\ntemplate={artist}/{album}/{track} {title}\n");
    const auto result = cli("--out out --tracks 1-3 --cddb");
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(files("out"),
              (std::vector<std::string>{
                  "___../_hidden/01 .._.._etc_passwd.wav", "___../_hidden/02  [2J.wav",
                  "___../_hidden/03 Track-03.wav", "___../_hidden/_hidden.cue",
                  "___../_hidden/_hidden.log", "___../_hidden/_hidden.m3u8"}));
}

TEST_F(RipNamingCliTest, NoAnswerKeepsTrackNamesAndBadOptionsAreUsageErrors) {
    m_musicBrainz.stop();
    auto result = cli("--out out --tracks 1 --metadata musicbrainz,cdtext");
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("no names found"), std::string::npos) << result.output;
    EXPECT_EQ(files("out"),
              (std::vector<std::string>{"Track-01.wav", "playlist.m3u8", "rip.cue", "rip.log"}));

    for (const std::string arguments :
         {"--out x --metadata gnudb", "--out x --metadata cddb,cddb", "--out x --template {name}",
          "--out x --template '{title'"}) {
        result = cli(arguments);
        EXPECT_EQ(result.status, 2) << arguments << "\n" << result.output;
    }
}

}  // namespace
