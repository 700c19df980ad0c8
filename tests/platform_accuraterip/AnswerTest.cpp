#include <gtest/gtest.h>

#include "AccurateRipParse.h"
#include "AnswerBytes.h"

using namespace quillon::accuraterip;
using Status = TrackVerdict::Status;

namespace {

const DiscIds kDisc{3, 0x00012345, 0x00abcdef, 0x1f02e003};

// Two pressings of the disc, one of another disc with the same track count and one with the
// right ids but a different track count.
std::string severalPressings() {
    return pressingBytes(kDisc,
                         {{12, 0x11111111, 0xA1}, {12, 0x22222222, 0xA2}, {11, 0x33333333, 0xA3}}) +
           pressingBytes({3, 0x00012345, 0x00abcdee, 0x1f02e003},
                         {{99, 0x11111111, 0}, {99, 0x22222222, 0}, {99, 0x33333333, 0}}) +
           pressingBytes(kDisc, {{3, 0x44444444, 0xB1}, {0, 0, 0}, {2, 0x55555555, 0xB3}}) +
           pressingBytes({2, 0x00012345, 0x00abcdef, 0x1f02e003}, {{7, 1, 2}, {7, 3, 4}});
}

TEST(AccurateRipAnswer, EveryPressingIsReadAndOnlyTheDiscsAreKept) {
    const auto pressings = parseAnswer(severalPressings());
    ASSERT_TRUE(pressings);
    ASSERT_EQ(pressings->size(), 4u);
    EXPECT_EQ((*pressings)[0].ids, kDisc);
    EXPECT_EQ((*pressings)[0].tracks[2].confidence, 11);
    EXPECT_EQ((*pressings)[0].tracks[2].checksum, 0x33333333u);
    EXPECT_EQ((*pressings)[0].tracks[2].frame450Checksum, 0xA3u);
    EXPECT_EQ((*pressings)[3].ids.audioTracks, 2);

    const auto ours = pressingsOf(*pressings, kDisc);
    ASSERT_EQ(ours.size(), 2u);
    EXPECT_EQ(ours[1].tracks[0].checksum, 0x44444444u);
}

TEST(AccurateRipAnswer, CutOrHostileAnswersAreRefusedWhole) {
    const std::string good = severalPressings();
    for (std::size_t cut : {std::size_t{1}, std::size_t{9}, std::size_t{12}, good.size() - 1})
        EXPECT_FALSE(parseAnswer(good.substr(0, cut))) << cut;
    EXPECT_FALSE(parseAnswer(good + '\x01'));
    EXPECT_FALSE(parseAnswer(""));

    std::string noTracks = pressingBytes({0, 1, 2, 3}, {});
    EXPECT_FALSE(parseAnswer(good + noTracks));
    // A track count beyond any disc's, with bytes enough behind it.
    std::string tooMany = pressingBytes({3, 1, 2, 3}, {}) + std::string(200 * 9, '\0');
    tooMany[0] = static_cast<char>(200);
    EXPECT_FALSE(parseAnswer(tooMany));
    // A 255-track header that claims more than the answer holds.
    EXPECT_FALSE(parseAnswer(std::string(13, '\xFF')));

    std::string huge;
    while (huge.size() <= kMaxAnswerBytes)
        huge += pressingBytes(kDisc, {{1, 1, 1}, {1, 2, 2}, {1, 3, 3}});
    EXPECT_FALSE(parseAnswer(huge));
    EXPECT_TRUE(parseAnswer(huge.substr(0, huge.size() - 40)));
}

TEST(AccurateRipVerdict, EachTrackIsJudgedAcrossThePressings) {
    Lookup found{Lookup::Outcome::Found, pressingsOf(*parseAnswer(severalPressings()), kDisc)};
    const auto sums = [](std::uint32_t v1, std::uint32_t v2) {
        TrackChecksums s;
        s.v1 = v1;
        s.v2 = v2;
        return s;
    };
    const auto verdict = judgeTrack(found, 0, sums(0x11111111, 0x99999999));
    EXPECT_EQ(verdict.status, Status::Accurate);
    EXPECT_EQ(verdict.confidence, 12);
    EXPECT_EQ(verdict.version, 1);

    // v1 in the first pressing with more rips, v2 in the other: the v2 match counts.
    const auto both = judgeTrack(found, 0, sums(0x11111111, 0x44444444));
    EXPECT_EQ(both.status, Status::Accurate);
    EXPECT_EQ(both.confidence, 3);
    EXPECT_EQ(both.version, 2);

    EXPECT_EQ(judgeTrack(found, 2, sums(0x55555555, 0)).confidence, 2);
    EXPECT_EQ(judgeTrack(found, 2, sums(1, 2)).status, Status::Mismatch);
    // The second pressing's empty entry matches nothing, even checksums of 0.
    EXPECT_EQ(judgeTrack(found, 1, sums(0, 0)).status, Status::Mismatch);
    // No pressing has a slot for it: the track is not in the database.
    EXPECT_EQ(judgeTrack(found, 3, sums(0, 0)).status, Status::NotFound);
    Lookup emptyEntries{Lookup::Outcome::Found, {{kDisc, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}}}};
    EXPECT_EQ(judgeTrack(emptyEntries, 0, sums(0, 0)).status, Status::NotFound);

    EXPECT_EQ(judgeTrack({Lookup::Outcome::NotFound, {}}, 0, sums(1, 2)).status, Status::NotFound);
    EXPECT_EQ(judgeTrack({}, 0, sums(1, 2)).status, Status::Offline);
    EXPECT_STREQ(statusText(Status::NotFound), "not-found");
}

}  // namespace
