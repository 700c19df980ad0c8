#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "CdTestSupport.h"
#include "CddbClient.h"
#include "CddbTestServer.h"
#include "DiscImages.h"

namespace {

// Starts 0, 1000 and 3000, lead-out 6000 (see the disc ID test).
const char* const kDiscId = "0e005003";

CddbTestServer::Entry sampleEntry(const std::string& category = "rock") {
    return {category,
            kDiscId,
            "Test Artist / Test Album",
            {"# xmcd", "DISCID=0e005003", "DTITLE=Test Artist / Test Album", "TTITLE0=First",
             "TTITLE1=Second", "TTITLE2=Third", "EXTD=", "PLAYORDER="}};
}

class Cddb : public ::testing::Test {
  protected:
    // One disc for the whole suite: synthesizing its 80 seconds of audio takes a while.
    static void SetUpTestSuite() {
        s_folder = new TempDir;
        writeCueImage(s_folder->path(), "disc", {1000, 2000, 3000});
    }
    static void TearDownTestSuite() {
        delete s_folder;
        s_folder = nullptr;
    }

    void SetUp() override {
        quillon::cdrom::setDiscFolder(s_folder->path());
        CdDriveList list{};
        list.capacity = kCdMaxDrives;
        GetCDList(&list);
        CdOpenRequest request{};
        request.size = kCdOpenRequestSize;
        request.version = kCdOpenRequestVersion;
        request.hostAdapter = quillon::cdrom::kImageAdapter;
        m_handle = GetCDHandle(&request);
        ASSERT_NE(m_handle, 0u);
        useServer(m_server.address());
        quillon::cdrom::setCddbTimeouts(std::chrono::milliseconds(2000),
                                        std::chrono::milliseconds(3000));
    }
    void TearDown() override {
        CloseCDHandle(m_handle);
        quillon::cdrom::setCddbTimeouts(std::chrono::milliseconds(5000),
                                        std::chrono::milliseconds(10000));
        quillon::cdrom::setDiscFolder({});
    }

    static void useServer(const std::string& server) {
        CDDBSetOption(kCddbOptionServer, server.c_str(), 0);
        CDDBSetOption(kCddbOptionCgiPath, "/~cddb/cddb.cgi", 0);
        CDDBSetOption(kCddbOptionEmail, "someone@example.org", 0);
        CDDBSetOption(kCddbOptionClientName, "program 1.0", 0);
    }

    int query(std::vector<CddbMatch>& matches) {
        CddbQuery request{static_cast<std::int32_t>(matches.size()), 0, matches.data()};
        return CDDBQuery(m_handle, &request);
    }

    int serverList() {
        std::vector<CddbSite> sites(8);
        CddbSiteList list{8, 0, sites.data()};
        return CDDBGetServerList(&list);
    }

    static inline TempDir* s_folder = nullptr;
    CddbTestServer m_server;
    CdHandle m_handle = 0;
};

TEST_F(Cddb, TheEntryTextHoldsEachFieldInOneLine) {
    m_server.addEntry(
        {"classical", kDiscId, "The Hollow Oak Consort / Music", cddbEntryFile("long-titles.txt")});
    std::vector<CddbMatch> matches(1);
    ASSERT_EQ(query(matches), 1);
    std::vector<char> text(32000);
    ASSERT_EQ(CDDBGetDiskInfo(&matches[0], text.data(), 32000), 1);
    const std::string entry = text.data();
    // A reader that takes the first line of a key gets the whole title.
    EXPECT_NE(entry.find("\rTTITLE1=Suite No. 2 in G minor for Strings and Continuo, Op. 14: "
                         "I. Prelude (Lento) - II. Allemande - III. Courante - IV. Sarabande - "
                         "V. Gigue (Live, Title14 Hall)\rTTITLE2=Evening Song\r"),
              std::string::npos)
        << entry;
    EXPECT_EQ(entry.find("TTITLE1=", entry.find("TTITLE1=") + 1), std::string::npos);
    EXPECT_EQ(entry.find("\rDTITLE=", entry.find("\rDTITLE=") + 1), std::string::npos);
}

TEST_F(Cddb, ALookupFindsTheDiscAndItsEntry) {
    m_server.addEntry(sampleEntry());
    std::vector<CddbSite> sites(8);
    CddbSiteList list{8, 0, sites.data()};
    ASSERT_EQ(CDDBGetServerList(&list), 1);
    EXPECT_EQ(list.count, 1);
    EXPECT_STREQ(sites[0].host, "127.0.0.1");

    std::vector<CddbMatch> matches(1);
    ASSERT_EQ(query(matches), 1);
    EXPECT_STREQ(matches[0].category, "rock");
    EXPECT_STREQ(matches[0].discId, kDiscId);
    EXPECT_STREQ(matches[0].artist, "Test Artist");
    EXPECT_STREQ(matches[0].title, "Test Album");

    std::vector<char> text(32000);
    ASSERT_EQ(CDDBGetDiskInfo(&matches[0], text.data(), 32000), 1);
    EXPECT_STREQ(text.data(),
                 "# xmcd\rDISCID=0e005003\rDTITLE=Test Artist / Test Album\rTTITLE0=First\r"
                 "TTITLE1=Second\rTTITLE2=Third\rEXTD=\rPLAYORDER=\r");

    const auto requests = m_server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].command, "sites");
    EXPECT_EQ(requests[1].command, "cddb query 0e005003 3 150 1150 3150 82");
    EXPECT_EQ(requests[2].command, "cddb read rock 0e005003");
    EXPECT_EQ(requests[1].hello, "someone example.org program 1.0");
    EXPECT_EQ(requests[1].proto, "6");
}

TEST_F(Cddb, SeveralMatchesGiveTheFirstInTheServersOrder) {
    m_server.addEntry(sampleEntry("jazz"));
    m_server.addEntry(sampleEntry("blues"));
    std::vector<CddbMatch> one(1);
    EXPECT_EQ(query(one), 1);
    EXPECT_STREQ(one[0].category, "jazz");
    std::vector<CddbMatch> three(3);
    EXPECT_EQ(query(three), 2);
    EXPECT_STREQ(three[1].category, "blues");

    m_server.setInexact(true);
    m_server.setRawAnswer("sites", "401 No site information available.\r\n");
    EXPECT_EQ(serverList(), 1);  // a server without a list is still a server
}

TEST_F(Cddb, AnUnknownDiscIsNoMatch) {
    std::vector<CddbMatch> matches(1);
    EXPECT_EQ(query(matches), 0);
    EXPECT_EQ(matches[0].category[0], '\0');
}

TEST_F(Cddb, ServerFailuresGiveFailureResults) {
    m_server.addEntry(sampleEntry());
    std::vector<CddbMatch> matches(1);
    ASSERT_EQ(query(matches), 1);
    std::vector<char> text(32000);

    m_server.setMode(CddbTestServer::Mode::http500);
    EXPECT_EQ(serverList(), 0);
    EXPECT_EQ(query(matches), -1);
    EXPECT_EQ(CDDBGetDiskInfo(&matches[0], text.data(), 32000), 0);

    m_server.stop();  // nothing listens on the port any more
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(serverList(), 0);
    EXPECT_EQ(query(matches), -1);
    EXPECT_EQ(CDDBGetDiskInfo(&matches[0], text.data(), 32000), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(Cddb, ASilentServerCostsOnlyTheTimeout) {
    m_server.setMode(CddbTestServer::Mode::silent);
    quillon::cdrom::setCddbTimeouts(std::chrono::milliseconds(500), std::chrono::milliseconds(800));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(serverList(), 0);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(700));
    EXPECT_LT(elapsed, std::chrono::seconds(3));
}

TEST_F(Cddb, BrokenAnswersFail) {
    m_server.addEntry(sampleEntry());
    std::vector<CddbMatch> matches(1);
    ASSERT_EQ(query(matches), 1);
    std::vector<char> text(32000);

    m_server.setRawAnswer("query", "<html><body>Moved</body></html>");
    EXPECT_EQ(query(matches), -1);
    m_server.setRawAnswer("query", "200 rock\r\n");
    EXPECT_EQ(query(matches), -1);
    m_server.setRawAnswer("read", "210 rock 0e005003 entry follows\r\nTTITLE0=First\r\n");
    EXPECT_EQ(CDDBGetDiskInfo(&matches[0], text.data(), 32000), 0);
    m_server.setRawAnswer("read", "");
    EXPECT_EQ(CDDBGetDiskInfo(&matches[0], text.data(), 32000), 0);
    m_server.setRawAnswer("sites", "garbage");
    EXPECT_EQ(serverList(), 0);
}

TEST_F(Cddb, HostileAnswersComeBackFaithfullyAndWithinBounds) {
    const std::string hugeTitle(200000, 'T');
    m_server.setRawAnswer("query", "211 inexact\r\n" + std::string(40, 'c') + " 0e005003ab " +
                                       std::string(5000, 'A') + " / ../x\r\n.\r\n");
    std::vector<CddbMatch> matches(1);
    ASSERT_EQ(query(matches), 1);
    EXPECT_EQ(std::strlen(matches[0].category), 11u);
    EXPECT_STREQ(matches[0].discId, "0e005003");
    EXPECT_EQ(std::strlen(matches[0].artist), 80u);
    EXPECT_STREQ(matches[0].title, "../x");

    m_server.setRawAnswer("read", "210 entry\r\nTTITLE0=a/b\r\nTTITLE1=" + hugeTitle +
                                      "\r\nTTITLE2=\xc3\x28\xff\r\n.\r\n");
    std::vector<char> text(32000 + 16, '#');
    ASSERT_EQ(CDDBGetDiskInfo(&matches[0], text.data(), 32000), 1);
    EXPECT_STREQ(text.data(), "TTITLE0=a/b\rTTITLE2=\xc3\x28\xff\r");
    EXPECT_EQ(text[32000], '#');

    // A record whose fields fill their whole size without a terminating zero.
    CddbMatch unterminated;
    std::memset(&unterminated, 'x', sizeof unterminated);
    EXPECT_EQ(CDDBGetDiskInfo(&unterminated, text.data(), 32000), 1);
    EXPECT_EQ(m_server.requests().back().command, "cddb read xxxxxxxxxxxx xxxxxxxxx");
}

TEST_F(Cddb, ServerAndPathMustMakeAUrl) {
    for (const char* server : {"host/evil", "a b", "x?y"}) {
        CDDBSetOption(kCddbOptionServer, server, 0);
        EXPECT_EQ(serverList(), 0) << server;
    }
    useServer(m_server.address());
    CDDBSetOption(kCddbOptionCgiPath, "no-slash", 0);
    EXPECT_EQ(serverList(), 0);
    EXPECT_TRUE(m_server.requests().empty());
    EXPECT_EQ(CDDBSetOption(5, "x", 0), 0);
}

TEST_F(Cddb, QueriesNeedAnOpenDisc) {
    m_server.addEntry(sampleEntry());
    std::vector<CddbMatch> matches(1);
    CddbQuery request{1, 0, matches.data()};
    EXPECT_EQ(CDDBQuery(m_handle + 1000, &request), -1);
    EXPECT_TRUE(m_server.requests().empty());
}

}  // namespace
