// Finding a disc's names: the sources in the order of the settings, MusicBrainz releases as
// choices, CDDB entries, and sources that are down, slow or hostile.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "CddbClient.h"
#include "CddbTestServer.h"
#include "DiscId.h"
#include "DiscToc.h"
#include "MetadataResolver.h"
#include "MusicBrainzClient.h"
#include "MusicBrainzTestServer.h"
#include "RipSupport.h"
#include "ServiceUrls.h"

namespace mb = quillon::musicbrainz;
using namespace std::chrono_literals;
using Outcome = MetadataResult::Outcome;
using Source = DiscMetadata::Source;

namespace {

const std::string kRelease = "5b7c3a4e-8f1d-4c2a-9b6e-1d2f3a4b5c6d";
const std::string kJpeg = std::string("\xFF\xD8\xFF\xE0", 4) + std::string(500, 'j');

class MetadataResolverTest : public RipFixture {
  protected:
    void SetUp() override {
        RipFixture::SetUp();
        insertDisc(std::vector<int>(12, 20));
        ASSERT_EQ(m_disc.open(), DiscSession::OpenResult::opened);
        const auto layout = quillon::cdrom::layoutFromToc(m_disc.toc());
        m_toc = *mb::discToc(layout);
        m_discId = mb::discId(m_toc);
        m_cddbId = quillon::cdrom::discIdText(quillon::cdrom::cddbDiscId(layout));
        m_target = "/ws/2/discid/" + m_discId + "?inc=artist-credits+recordings&fmt=json";
        m_fuzzyTarget = m_target + "&toc=" + mb::tocText(m_toc);

        m_settings.sources = *parseMetadataSources(kDefaultMetadataSources);
        m_settings.musicBrainzServer = m_musicBrainz.base();
        m_settings.coverArtServer = m_musicBrainz.base();
        m_settings.contact = "someone@example.org";
        m_settings.cddb.server = m_cddb.address();
        mb::setMusicBrainzTimeouts(1000ms, 2000ms);
        mb::setMusicBrainzRequestInterval(0ms);
        quillon::cdrom::setCddbTimeouts(1000ms, 2000ms);
    }
    void TearDown() override {
        mb::setMusicBrainzTimeouts(5000ms, 15000ms);
        mb::setMusicBrainzRequestInterval(1000ms);
        quillon::cdrom::setCddbTimeouts(5000ms, 10000ms);
        RipFixture::TearDown();
    }

    // A canned answer about this disc: the disc of the answers has twelve tracks, the test disc
    // twelve short ones, and the answers are given its disc ID.
    std::string answer(const std::string& name) const { return musicBrainzAnswer(name, m_discId); }
    void addCddbEntry(const std::string& category, const std::string& discTitle) {
        m_cddb.addEntry({category,
                         m_cddbId,
                         discTitle,
                         {"# xmcd", "DISCID=" + m_cddbId, "DTITLE=" + discTitle, "DYEAR=1999",
                          "DGENRE=Folk", "TTITLE0=First", "TTITLE11=Last"}});
    }
    MetadataResult resolve(const std::string& releaseId = "") {
        return resolveMetadata({m_disc.handle(), &m_disc.toc(), releaseId}, m_settings);
    }

    MusicBrainzTestServer m_musicBrainz;
    CddbTestServer m_cddb;
    MetadataSettings m_settings;
    mb::DiscToc m_toc;
    std::string m_discId, m_cddbId, m_target, m_fuzzyTarget;
};

TEST_F(MetadataResolverTest, OneReleaseNamesTheDiscWithItsCover) {
    m_musicBrainz.setAnswer(m_target, answer("one-release.json"));
    m_musicBrainz.setAnswer("/release/" + kRelease + "/front", kJpeg, 200,
                            "Content-Type: image/jpeg\r\n");
    const MetadataResult result = resolve();
    ASSERT_EQ(result.outcome, Outcome::named);
    const DiscMetadata& disc = result.metadata;
    EXPECT_EQ(disc.source, Source::musicBrainz);
    EXPECT_EQ(disc.artist, "Hollow Lanterns");
    EXPECT_EQ(disc.album, "Lantern Songs");
    EXPECT_EQ(disc.year, "2004-03-01");
    EXPECT_EQ(disc.releaseId, kRelease);
    ASSERT_EQ(disc.tracks.size(), 12u);
    EXPECT_EQ(disc.tracks[11].title, "Coda");
    EXPECT_FALSE(disc.tracks[0].recordingId.empty());
    ASSERT_TRUE(disc.cover);
    EXPECT_EQ(disc.cover->mimeType, "image/jpeg");
    EXPECT_EQ(disc.cover->data.size(), kJpeg.size());
    // The image has no CD-Text; CDDB is never asked.
    EXPECT_EQ(result.notes.front(), "CD-Text: none on the disc");
    EXPECT_TRUE(m_cddb.requests().empty());
    const auto requests = m_musicBrainz.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].userAgent, "Quillon/0.1 ( someone@example.org )");

    // A cover larger than the cap is left out, and that is no failure.
    m_settings.maxCoverBytes = 100;
    const MetadataResult capped = resolve();
    EXPECT_EQ(capped.outcome, Outcome::named);
    EXPECT_FALSE(capped.metadata.cover);
}

TEST_F(MetadataResolverTest, SeveralReleasesAreChoicesAndAnIdPicksOne) {
    m_musicBrainz.setAnswer(m_target, answer("several-releases.json"));
    const MetadataResult result = resolve();
    ASSERT_EQ(result.outcome, Outcome::choose);
    ASSERT_EQ(result.choices.size(), 2u);
    EXPECT_EQ(choiceText(result.choices[0]),
              "Hollow Lanterns feat. Mara Venn - Lantern Songs (Deluxe) (2010, US, Harbour Light "
              "Records, 12 tracks)");
    EXPECT_EQ(result.choices[0].discNumber, 2);
    EXPECT_EQ(result.choices[1].year, "2004");  // "2004-03" is no date a tag takes
    EXPECT_FALSE(result.metadata.cover);

    const MetadataResult picked = resolve(choiceId(result.choices[1]));
    ASSERT_EQ(picked.outcome, Outcome::named);
    EXPECT_EQ(picked.metadata.releaseId, "22222222-3333-4444-8555-666666666666");
    EXPECT_EQ(picked.metadata.country, "JP");

    // A release that does not hold the disc names nothing; CDDB is not asked instead.
    const MetadataResult wrong = resolve("33333333-4444-4555-8666-777777777777");
    EXPECT_EQ(wrong.outcome, Outcome::notFound);
    EXPECT_TRUE(m_cddb.requests().empty());
}

TEST_F(MetadataResolverTest, AnUnknownDiscIdIsAskedAgainWithTheToc) {
    m_musicBrainz.setAnswer(m_fuzzyTarget, musicBrainzAnswer("fuzzy-toc.json"));
    const MetadataResult result = resolve();
    ASSERT_EQ(result.outcome, Outcome::named);
    EXPECT_EQ(result.metadata.country, "DE");
    const auto requests = m_musicBrainz.requests();
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(requests[0].target, m_target);
    EXPECT_EQ(requests[1].target, m_fuzzyTarget);
}

TEST_F(MetadataResolverTest, CdTextComesFirstWhenTheDiscHasIt) {
    std::string sheet = "PERFORMER \"Sheet Band\"\r\nTITLE \"Sheet Album\"\r\n";
    {
        std::ifstream in(m_image.sheet, std::ios::binary);
        sheet += std::string(std::istreambuf_iterator<char>(in), {});
    }
    const auto at = sheet.find("    INDEX 01 00:00:00");
    ASSERT_NE(at, std::string::npos);
    sheet.insert(at, "    TITLE \"Opening\"\r\n");
    std::ofstream(m_image.sheet, std::ios::binary | std::ios::trunc) << sheet;
    ASSERT_EQ(m_disc.open(), DiscSession::OpenResult::opened);
    m_musicBrainz.setAnswer(m_target, answer("one-release.json"));

    MetadataResult result = resolve();
    ASSERT_EQ(result.outcome, Outcome::named);
    EXPECT_EQ(result.metadata.source, Source::cdText);
    EXPECT_EQ(result.metadata.artist, "Sheet Band");
    EXPECT_EQ(result.metadata.album, "Sheet Album");
    EXPECT_EQ(result.metadata.tracks.at(0).title, "Opening");
    EXPECT_TRUE(m_musicBrainz.requests().empty());

    // A release asked for by its id passes the disc's own names by.
    m_musicBrainz.setAnswer("/release/" + kRelease + "/front", "", 404);
    EXPECT_EQ(resolve(kRelease).metadata.source, Source::musicBrainz);

    // The order of the settings decides.
    m_settings.sources = *parseMetadataSources("musicbrainz, CDText");
    result = resolve();
    EXPECT_EQ(result.metadata.source, Source::musicBrainz);
}

TEST_F(MetadataResolverTest, CddbAnswersWhenMusicBrainzIsDownOrHostile) {
    addCddbEntry("folk", "The Band / The Record");
    // An answer far over the size cap, and one with a NUL in a title: refused, not half read.
    m_musicBrainz.setAnswer(m_target, std::string(mb::kMaxAnswerBytes + 10, ' '));
    MetadataResult result = resolve();
    ASSERT_EQ(result.outcome, Outcome::named);
    EXPECT_EQ(result.metadata.source, Source::cddb);
    EXPECT_EQ(result.metadata.artist, "The Band");
    EXPECT_EQ(result.metadata.album, "The Record");
    EXPECT_EQ(result.metadata.year, "1999");
    EXPECT_EQ(result.metadata.genre, "Folk");
    EXPECT_EQ(result.metadata.cddbId, "folk/" + m_cddbId);
    ASSERT_EQ(result.metadata.tracks.size(), 12u);
    EXPECT_EQ(result.metadata.tracks[11].title, "Last");
    EXPECT_TRUE(result.metadata.releaseId.empty());  // no MusicBrainz id from CDDB
    EXPECT_EQ(result.notes[1], "MusicBrainz: no answer");

    m_musicBrainz.setAnswer(m_target, R"({"releases":[{"title":"a\u0000b"}]})");
    EXPECT_EQ(resolve().metadata.source, Source::cddb);

    // A server that never answers costs its time limit, then the next source answers.
    mb::setMusicBrainzTimeouts(300ms, 500ms);
    m_musicBrainz.setStalling(true);
    EXPECT_EQ(resolve().metadata.source, Source::cddb);
    m_musicBrainz.setStalling(false);
}

TEST_F(MetadataResolverTest, SeveralCddbEntriesAreChoices) {
    addCddbEntry("folk", "The Band / The Record");
    addCddbEntry("rock", "Other Band / Other Record");
    m_settings.sources = *parseMetadataSources("cddb");
    const MetadataResult result = resolve();
    ASSERT_EQ(result.outcome, Outcome::choose);
    ASSERT_EQ(result.choices.size(), 2u);
    EXPECT_EQ(choiceId(result.choices[1]), "rock/" + m_cddbId);
    const MetadataResult picked = resolve("rock/" + m_cddbId);
    ASSERT_EQ(picked.outcome, Outcome::named);
    EXPECT_EQ(picked.metadata.artist, "Other Band");
}

TEST_F(MetadataResolverTest, NothingAnsweringNamesNothing) {
    m_cddb.setMode(CddbTestServer::Mode::http500);
    m_musicBrainz.setAnswer(m_target, R"({"error":"Rate limited"})", 503);
    const MetadataResult result = resolve();
    EXPECT_EQ(result.outcome, Outcome::notFound);
    EXPECT_EQ(result.notes,
              (std::vector<std::string>{"CD-Text: none on the disc", "MusicBrainz: no answer",
                                        "CDDB: no answer"}));

    m_settings.sources = *parseMetadataSources("none");
    EXPECT_EQ(resolve().outcome, Outcome::notFound);
}

TEST(MetadataSettingsTest, SourcesAndTemplateFromTheSettingsFile) {
    using V = std::vector<Source>;
    EXPECT_EQ(parseMetadataSources(kDefaultMetadataSources),
              (V{Source::cdText, Source::musicBrainz, Source::cddb}));
    EXPECT_EQ(parseMetadataSources(" CDDB , cdtext"), (V{Source::cddb, Source::cdText}));
    EXPECT_EQ(parseMetadataSources(""), V{});
    EXPECT_FALSE(parseMetadataSources("cddb,cddb"));
    EXPECT_FALSE(parseMetadataSources("cddb,,cdtext"));
    EXPECT_FALSE(parseMetadataSources("freedb"));

    TempDir temp;
    TIniFile file(temp.file("settings.ini"));
    MetadataSettings settings = readMetadataSettings(file);
    EXPECT_EQ(settings.sources, (V{Source::cdText, Source::musicBrainz, Source::cddb}));
    EXPECT_EQ(settings.maxCoverBytes, std::size_t{2} << 20);
    EXPECT_EQ(readNamingTemplate(file), "{title}");

    file.WriteString("Metadata", "sources", "musicbrainz");
    file.WriteString("Metadata", "maxcover", "1000");
    file.WriteString("CDDB", "email", "me@example.org");
    file.WriteString("Naming", "template", "{artist}/{title}");
    settings = readMetadataSettings(file);
    EXPECT_EQ(settings.sources, V{Source::musicBrainz});
    EXPECT_EQ(settings.maxCoverBytes, 1000u);
    EXPECT_EQ(settings.contact, "me@example.org");
    EXPECT_EQ(readNamingTemplate(file), "{artist}/{title}");

    // A list the file gets wrong is no reason to ask nothing.
    file.WriteString("Metadata", "sources", "musicbrainz,gnudb");
    file.WriteString("Metadata", "maxcover", "-5");
    settings = readMetadataSettings(file);
    EXPECT_EQ(settings.sources.size(), 3u);
    EXPECT_EQ(settings.maxCoverBytes, std::size_t{2} << 20);
}

}  // namespace
