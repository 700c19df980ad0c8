#include <gtest/gtest.h>

#include <string>

#include "MusicBrainzTestServer.h"
#include "ReleaseAnswer.h"

using namespace quillon::musicbrainz;

namespace {

const std::string kDisc = "I5l9cCSFccLKFEKS.7wqSZAorPU-";

TEST(ReleaseAnswer, OneRelease) {
    const auto releases = parseReleases(musicBrainzAnswer("one-release.json"), kDisc, 12);
    ASSERT_TRUE(releases);
    ASSERT_EQ(releases->size(), 1u);
    const Release& release = releases->front();
    EXPECT_EQ(release.id, "5b7c3a4e-8f1d-4c2a-9b6e-1d2f3a4b5c6d");
    EXPECT_EQ(release.title, "Lantern Songs");
    EXPECT_EQ(release.artist, "Hollow Lanterns");
    EXPECT_EQ(release.date, "2004-03-01");
    EXPECT_EQ(release.year(), "2004");
    EXPECT_EQ(release.country, "GB");
    EXPECT_EQ(release.label, "");
    EXPECT_EQ(release.medium.position, 1);
    EXPECT_EQ(release.medium.mediumCount, 1);
    EXPECT_EQ(release.medium.format, "CD");
    ASSERT_EQ(release.medium.tracks.size(), 12u);
    const Track& fifth = release.medium.tracks[4];
    EXPECT_EQ(fifth.position, 5);
    EXPECT_EQ(fifth.number, "5");
    EXPECT_EQ(fifth.title, "\xE9\x9B\xA8\xE3\x81\xAE\xE9\xA7\x85");  // 雨の駅
    EXPECT_EQ(fifth.artist, "Hollow Lanterns");
    EXPECT_EQ(fifth.trackId, "00000001-1111-4111-9111-000000000005");
    EXPECT_EQ(fifth.recordingId, "00000001-2222-4222-a222-000000000005");
    EXPECT_EQ(release.medium.tracks[1].title, "Caf\xC3\xA9 Nights");
}

TEST(ReleaseAnswer, SeveralReleasesEachWithTheMediumThatIsTheDisc) {
    const auto releases = parseReleases(musicBrainzAnswer("several-releases.json"), kDisc, 12);
    ASSERT_TRUE(releases);
    // The third release does not hold the disc.
    ASSERT_EQ(releases->size(), 2u);
    const Release& deluxe = (*releases)[0];
    EXPECT_EQ(deluxe.artist, "Hollow Lanterns feat. Mara Venn");
    EXPECT_EQ(deluxe.label, "Harbour Light Records");
    EXPECT_EQ(deluxe.year(), "2010");
    EXPECT_EQ(deluxe.medium.position, 2);
    EXPECT_EQ(deluxe.medium.mediumCount, 2);
    EXPECT_EQ(deluxe.medium.tracks.back().title, "Coda");
    EXPECT_EQ(deluxe.medium.tracks.back().artist, "Hollow Lanterns feat. Mara Venn");
    EXPECT_EQ((*releases)[1].country, "JP");
    EXPECT_EQ((*releases)[1].date, "2004-03");

    // The same answer for a disc of another length holds none of them.
    const auto other = parseReleases(musicBrainzAnswer("several-releases.json"),
                                     "aaaaaaaaaaaaaaaaaaaaaaaaaa0-", 5);
    ASSERT_TRUE(other);
    EXPECT_TRUE(other->empty());
}

TEST(ReleaseAnswer, FuzzyAnswerMatchesAMediumByTrackCount) {
    const auto releases = parseReleases(musicBrainzAnswer("fuzzy-toc.json"), kDisc, 12);
    ASSERT_TRUE(releases);
    ASSERT_EQ(releases->size(), 1u);
    EXPECT_EQ(releases->front().country, "DE");
    EXPECT_EQ(parseReleases(musicBrainzAnswer("fuzzy-toc.json"), kDisc, 11)->size(), 0u);
    EXPECT_EQ(
        parseReleases(R"({"release-count":0,"release-offset":0,"releases":[]})", kDisc, 12)->size(),
        0u);
}

// Releases that cannot be laid over the disc are left out; the rest of the answer stands.
TEST(ReleaseAnswer, ReleasesThatDoNotFitTheDiscAreLeftOut) {
    auto one = [](const std::string& release) {
        return parseReleases(R"({"releases":[)" + release + "]}", kDisc, 2);
    };
    const std::string discs = R"("discs":[{"id":")" + kDisc + R"("}])";
    const std::string good = R"({"id":"11111111-2222-4333-8444-555555555555","media":[{)" + discs +
                             R"(,"tracks":[{"position":1},{"position":2}]}]})";
    EXPECT_EQ(one(good)->size(), 1u);
    // Tracks missing, out of order or too many; an id that is no release id; no media.
    EXPECT_EQ(one(R"({"id":"11111111-2222-4333-8444-555555555555","media":[{)" + discs +
                  R"(,"tracks":[{"position":2},{"position":1}]}]})")
                  ->size(),
              0u);
    EXPECT_EQ(one(R"({"id":"11111111-2222-4333-8444-555555555555","media":[{)" + discs +
                  R"(,"tracks":[{"position":1}]}]})")
                  ->size(),
              0u);
    EXPECT_EQ(one(R"({"id":"../../x","media":[{)" + discs +
                  R"(,"tracks":[{"position":1},{"position":2}]}]})")
                  ->size(),
              0u);
    EXPECT_EQ(one(R"({"id":"11111111-2222-4333-8444-555555555555"})")->size(), 0u);
    // A cd stub answer has no releases at all.
    EXPECT_EQ(parseReleases(R"({"id":"x","title":"t","tracks":[]})", kDisc, 2)->size(), 0u);
}

TEST(ReleaseAnswer, HostileAnswersAreRefused) {
    const std::string prefix =
        R"({"releases":[{"id":"11111111-2222-4333-8444-555555555555","title":)";
    const std::string suffix = R"(,"media":[]}]})";
    for (const std::string& hostile : {
             std::string(""),
             std::string("null"),
             std::string("[]"),
             std::string("{"),
             std::string(R"({"releases":{}})"),
             std::string(R"({"releases":[1]})"),
             std::string(R"({"releases":[{"media":[{"tracks":[{"position":-1}]}]}]})"),
             std::string(R"({"releases":[{"media":[{"tracks":[{"position":1e300}]}]}]})"),
             std::string(R"({"releases":[{"media":[{"discs":[{"id":7}]}]}]})"),
             prefix + "7" + suffix,                                 // a title that is not text
             prefix + R"("a\u0000b")" + suffix,                     // a NUL inside a title
             prefix + R"("line\nbreak")" + suffix,                  // control characters
             prefix + "\"\xC3\x28\"" + suffix,                      // broken UTF-8
             prefix + R"("\ud800")" + suffix,                       // a lone surrogate
             prefix + '"' + std::string(5000, 'x') + '"' + suffix,  // a title too long
             std::string(100000, '[') + std::string(100000, ']'),   // nesting far too deep
             R"({"releases":[)" + std::string(300, '{') + std::string(300, '}') + "]}",
             std::string(kMaxAnswerBytes + 1, ' '),
         })
        EXPECT_FALSE(parseReleases(hostile, kDisc, 12)) << hostile.substr(0, 80);
    EXPECT_FALSE(parseReleases(musicBrainzAnswer("one-release.json"), kDisc, 0));
}

}  // namespace
