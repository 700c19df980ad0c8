// The CDDB lookup against the local test server: a match names the rows, no match and a dead
// server leave the default names, and every step shows its status.
#include <gtest/gtest.h>

#include "CddbClient.h"
#include "CddbLookup.h"
#include "CddbTestServer.h"
#include "DiscId.h"
#include "RipSupport.h"

namespace {

using Texts = std::vector<std::string>;

class CddbLookupTest : public RipFixture {
  protected:
    void SetUp() override {
        RipFixture::SetUp();
        insertDisc({100, 60, 150});
        ASSERT_EQ(m_disc.open(), DiscSession::OpenResult::opened);
        m_discId = quillon::cdrom::discIdText(
            quillon::cdrom::cddbDiscId(quillon::cdrom::layoutFromToc(m_disc.toc())));
        m_settings.server = m_server.address();
        m_settings.email = "someone@example.org";
        quillon::cdrom::setCddbTimeouts(std::chrono::milliseconds(1000),
                                        std::chrono::milliseconds(2000));
    }
    void TearDown() override {
        quillon::cdrom::setCddbTimeouts(std::chrono::milliseconds(5000),
                                        std::chrono::milliseconds(10000));
        RipFixture::TearDown();
    }

    CddbLookupResult lookup(OutputFormat format = OutputFormat::mp3) {
        m_statuses.clear();
        return cddbLookup(m_disc, m_list, format, m_settings,
                          [this](const std::string& text) { m_statuses.push_back(text); });
    }
    void addEntry(std::vector<std::string> titles) {
        std::vector<std::string> lines = {"# xmcd", "DISCID=" + m_discId,
                                          "DTITLE=The Band / The Record"};
        lines.insert(lines.end(), titles.begin(), titles.end());
        lines.push_back("EXTD=");
        m_server.addEntry({"misc", m_discId, "The Band / The Record", lines});
    }
    Texts rowNames() const {
        Texts names;
        for (const TrackRow& row : m_list.rows())
            names.push_back(row.name);
        return names;
    }

    CddbTestServer m_server;
    CddbSettings m_settings;
    std::string m_discId;
    Texts m_statuses;
};

TEST_F(CddbLookupTest, AMatchNamesTheRowsAfterTheTitles) {
    addEntry({"TTITLE0=Opening", "TTITLE2=AC/DC Tribute"});
    const CddbLookupResult result = lookup();
    ASSERT_EQ(result.outcome, CddbLookupResult::Outcome::named);
    EXPECT_EQ(m_statuses, (Texts{"Connecting with CDDB......", "Successful"}));
    ASSERT_TRUE(result.info);
    EXPECT_EQ(result.info->id, m_discId);
    EXPECT_EQ(result.info->artist, "The Band");
    EXPECT_EQ(result.info->title, "The Record");
    EXPECT_EQ(result.info->type, "misc");
    // Track 2 has no title and keeps its name; a '/' in a title is no folder.
    EXPECT_EQ(rowNames(), (Texts{"Opening.mp3", "Track-02.mp3", "AC_DC Tribute.mp3"}));
    EXPECT_EQ(m_list.row(2).length, "00:02,00");
    EXPECT_TRUE(result.message.empty());

    const auto requests = m_server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].command, "sites");
    EXPECT_EQ(requests[2].command, "cddb read misc " + m_discId);
    EXPECT_EQ(requests[1].hello, "someone example.org program 1.0");

    // Each lookup rebuilds the list: a rename does not survive it.
    m_list.rename(0, "Renamed", OutputFormat::ogg);
    m_list.row(1).checked = false;
    lookup(OutputFormat::ogg);
    EXPECT_EQ(rowNames(), (Texts{"Opening.ogg", "Track-02.ogg", "AC_DC Tribute.ogg"}));
    EXPECT_TRUE(m_list.row(1).checked);
}

TEST_F(CddbLookupTest, TitlesContinuedOverSeveralLinesAreWhole) {
    m_server.addEntry({"classical", m_discId, "The Hollow Oak Consort / Music",
                       cddbEntryFile("long-titles.txt")});
    const auto result = lookup(OutputFormat::wav);
    ASSERT_EQ(result.outcome, CddbLookupResult::Outcome::named);
    EXPECT_EQ(rowNames(), (Texts{"Overture.wav",
                                 "Suite No. 2 in G minor for Strings and Continuo, Op. 14: I. "
                                 "Prelude (Lento) - II. Allemande - III. Courante - IV. Sarabande "
                                 "- V. Gigue (Live, Title14 Hall).wav",
                                 "Evening Song.wav"}));
    // The window shows the entry's disc title, which the query's one-line answer may cut.
    EXPECT_EQ(result.info->artist, "The Hollow Oak Consort & The Riverside Chamber Players");
    EXPECT_EQ(result.info->title,
              "Music for the Long Evenings: Suites, Songs and Dances of the Northern Provinces");
    EXPECT_EQ(result.info->type, "classical");
    EXPECT_EQ(result.info->id, m_discId);
}

TEST_F(CddbLookupTest, NoMatchGivesTheLocalIdAndUnknownValues) {
    const CddbLookupResult result = lookup(OutputFormat::wav);
    ASSERT_EQ(result.outcome, CddbLookupResult::Outcome::noMatch);
    EXPECT_EQ(m_statuses,
              (Texts{"Connecting with CDDB......", "Successful", "No record in CDDB!"}));
    ASSERT_TRUE(result.info);
    // The locally computed ID is shown without leading zeros.
    EXPECT_EQ(result.info->id, m_discId.substr(m_discId.find_first_not_of('0')));
    EXPECT_EQ(result.info->artist, "Unknown Artist");
    EXPECT_EQ(result.info->title, "Unknown Title");
    EXPECT_EQ(result.info->type, "Unknown Type");
    EXPECT_EQ(rowNames(), (Texts{"Track-01.wav", "Track-02.wav", "Track-03.wav"}));
}

TEST_F(CddbLookupTest, ServerFailuresKeepTheDefaultNames) {
    // The entry cannot be read.
    addEntry({"TTITLE0=Opening"});
    m_server.setRawAnswer("read", "401 misc " + m_discId + " No such CD entry in database.\r\n");
    CddbLookupResult result = lookup();
    EXPECT_EQ(result.outcome, CddbLookupResult::Outcome::noEntry);
    EXPECT_EQ(result.message, "Error while getting DiskInfo!");
    EXPECT_FALSE(result.info);
    EXPECT_EQ(rowNames(), (Texts{"Track-01.mp3", "Track-02.mp3", "Track-03.mp3"}));

    // The server answers with errors, then not at all.
    m_server.setMode(CddbTestServer::Mode::http500);
    result = lookup();
    EXPECT_EQ(result.outcome, CddbLookupResult::Outcome::noServerList);
    EXPECT_EQ(m_statuses, (Texts{"Connecting with CDDB......", "Can't got CDDB server list"}));
    EXPECT_FALSE(result.info);
    EXPECT_EQ(m_list.size(), 3u);

    m_server.stop();
    const auto started = std::chrono::steady_clock::now();
    result = lookup();
    EXPECT_EQ(result.outcome, CddbLookupResult::Outcome::noServerList);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_EQ(rowNames(), (Texts{"Track-01.mp3", "Track-02.mp3", "Track-03.mp3"}));
}

TEST_F(CddbLookupTest, NoDiscStopsBeforeTheNetwork) {
    m_disc.close();
    std::filesystem::remove(m_image.sheet);
    const CddbLookupResult result = lookup();
    EXPECT_EQ(result.outcome, CddbLookupResult::Outcome::noHandle);
    EXPECT_EQ(m_statuses, (Texts{"Cann't get CD Information from CDDB!"}));
    EXPECT_TRUE(m_list.empty());
    EXPECT_TRUE(m_server.requests().empty());
}

}  // namespace
