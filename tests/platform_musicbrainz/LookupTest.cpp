#include <gtest/gtest.h>

#include <chrono>

#include "MusicBrainzClient.h"
#include "MusicBrainzTestServer.h"
#include "ServiceUrls.h"

using namespace quillon::musicbrainz;
using namespace std::chrono_literals;
using Outcome = Lookup::Outcome;

namespace {

const DiscToc kDisc{
    1,
    12,
    267257,
    {150, 22767, 41887, 58317, 72102, 91375, 104652, 115380, 132165, 143932, 159870, 174597}};
const std::string kTarget =
    "/ws/2/discid/I5l9cCSFccLKFEKS.7wqSZAorPU-?inc=artist-credits+recordings&fmt=json";
const std::string kFuzzyTarget = kTarget +
                                 "&toc=1+12+267257+150+22767+41887+58317+72102+91375+104652+"
                                 "115380+132165+143932+159870+174597";
const std::string kRelease = "5b7c3a4e-8f1d-4c2a-9b6e-1d2f3a4b5c6d";
const std::string kCoverTarget = "/release/" + kRelease + "/front";
const std::string kJpeg = std::string("\xFF\xD8\xFF\xE0", 4) + std::string(1000, 'j');
const std::string kPng = std::string("\x89PNG\r\n\x1A\n", 8) + std::string(1000, 'p');

class Lookups : public ::testing::Test {
  protected:
    void SetUp() override {
        setMusicBrainzTimeouts(2000ms, 3000ms);
        setMusicBrainzRequestInterval(0ms);
        m_service = {m_server.base(), m_server.base(), userAgent("0.1", "tests@example.org")};
    }
    void TearDown() override {
        setMusicBrainzTimeouts(5000ms, 15000ms);
        setMusicBrainzRequestInterval(1000ms);
    }
    Lookup lookup(bool fuzzy = false) { return lookupDisc(m_service, kDisc, fuzzy); }

    MusicBrainzTestServer m_server;
    Service m_service;
};

TEST_F(Lookups, ReleasesOfTheDiscAreFound) {
    m_server.setAnswer(kTarget, musicBrainzAnswer("one-release.json"));
    auto found = lookup();
    EXPECT_EQ(found.outcome, Outcome::found);
    ASSERT_EQ(found.releases.size(), 1u);
    EXPECT_EQ(found.releases[0].medium.tracks[11].title, "Coda");
    ASSERT_EQ(m_server.requests().size(), 1u);
    EXPECT_EQ(m_server.requests()[0].target, kTarget);
    EXPECT_EQ(m_server.requests()[0].userAgent, "Quillon/0.1 ( tests@example.org )");

    m_server.setAnswer(kTarget, musicBrainzAnswer("several-releases.json"));
    found = lookup();
    EXPECT_EQ(found.outcome, Outcome::found);
    EXPECT_EQ(found.releases.size(), 2u);

    m_server.setAnswer(kFuzzyTarget, musicBrainzAnswer("fuzzy-toc.json"));
    found = lookup(true);
    EXPECT_EQ(found.outcome, Outcome::found);
    ASSERT_EQ(found.releases.size(), 1u);
    EXPECT_EQ(found.releases[0].country, "DE");
}

TEST_F(Lookups, UnknownDiscsAreNotFound) {
    EXPECT_EQ(lookup().outcome, Outcome::notFound);  // 404
    m_server.setAnswer(kFuzzyTarget, R"({"release-count":0,"release-offset":0,"releases":[]})");
    EXPECT_EQ(lookup(true).outcome, Outcome::notFound);
}

TEST_F(Lookups, BrokenHostileAndDeadServersAreOffline) {
    m_server.setAnswer(kTarget, R"({"releases":[{"title":"a\u0000b"}]})");
    EXPECT_EQ(lookup().outcome, Outcome::offline);
    m_server.setAnswer(kTarget, std::string(kMaxAnswerBytes + 100, ' '));
    EXPECT_EQ(lookup().outcome, Outcome::offline);
    m_server.setAnswer(kTarget, R"({"error":"Rate limited"})", 503);
    EXPECT_EQ(lookup().outcome, Outcome::offline);

    m_service.server = "ftp://127.0.0.1";
    EXPECT_EQ(lookup().outcome, Outcome::offline);
    EXPECT_TRUE(m_server.requests().size() == 3u);
    m_service.server = m_server.base();
    m_server.stop();
    EXPECT_EQ(lookup().outcome, Outcome::offline);  // nobody listening
}

TEST_F(Lookups, AStallingServerCostsOnlyTheTimeout) {
    m_server.setAnswer(kTarget, musicBrainzAnswer("one-release.json"));
    m_server.setStalling(true);
    setMusicBrainzTimeouts(500ms, 800ms);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(lookup().outcome, Outcome::offline);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
}

TEST_F(Lookups, RequestsToTheServiceAreSpaced) {
    setMusicBrainzRequestInterval(300ms);
    const auto start = std::chrono::steady_clock::now();
    lookup();
    lookup();
    lookup();
    EXPECT_GE(std::chrono::steady_clock::now() - start, 600ms);
    EXPECT_EQ(m_server.requests().size(), 3u);
}

TEST_F(Lookups, FrontCoverIsJpegOrPngWithinTheCap) {
    m_server.setRedirect(kCoverTarget, "/images/front.jpg");
    m_server.setAnswer("/images/front.jpg", kJpeg, 200, "Content-Type: image/jpeg\r\n");
    auto cover = fetchFrontCover(m_service, kRelease);
    ASSERT_TRUE(cover);
    EXPECT_EQ(cover->kind, CoverArt::Kind::jpeg);
    EXPECT_STREQ(cover->extension(), "jpg");
    EXPECT_EQ(cover->bytes, kJpeg);

    m_server.setAnswer(kCoverTarget, kPng, 200, "Content-Type: image/png\r\n");
    cover = fetchFrontCover(m_service, kRelease);
    ASSERT_TRUE(cover);
    EXPECT_EQ(cover->kind, CoverArt::Kind::png);
    EXPECT_STREQ(cover->extension(), "png");

    EXPECT_FALSE(fetchFrontCover(m_service, kRelease, kPng.size() - 1));  // over the cap
    EXPECT_TRUE(fetchFrontCover(m_service, kRelease, kPng.size()));
}

TEST_F(Lookups, NoCoverIsNothing) {
    EXPECT_FALSE(fetchFrontCover(m_service, kRelease));  // 404
    m_server.setAnswer(kCoverTarget, "<html>not an image</html>", 200,
                       "Content-Type: image/jpeg\r\n");
    EXPECT_FALSE(fetchFrontCover(m_service, kRelease));
    m_server.setRedirect(kCoverTarget, kCoverTarget);  // a redirect loop
    EXPECT_FALSE(fetchFrontCover(m_service, kRelease));
    EXPECT_FALSE(fetchFrontCover(m_service, "../../../etc/passwd"));
    m_server.setStalling(true);
    setMusicBrainzTimeouts(300ms, 500ms);
    EXPECT_FALSE(fetchFrontCover(m_service, kRelease));
}

}  // namespace
