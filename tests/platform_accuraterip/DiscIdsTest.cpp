#include <gtest/gtest.h>

#include <initializer_list>

#include "AccurateRipClient.h"
#include "DiscIds.h"

using namespace quillon::accuraterip;
using quillon::cdrom::DiscLayout;

namespace {

// A layout from the track addresses as published (LBA, lead-in included) and the lead-out.
DiscLayout layout(std::initializer_list<int> lbas, int leadOutLba,
                  std::initializer_list<int> dataTracks = {}) {
    DiscLayout disc;
    for (int lba : lbas)
        disc.starts.push_back(lba - 150);
    disc.dataTracks.assign(disc.starts.size(), false);
    for (int track : dataTracks)
        disc.dataTracks[static_cast<std::size_t>(track - 1)] = true;
    disc.leadOut = leadOutLba - 150;
    return disc;
}

// The values these discs are filed under in the database, as other rippers publish them: an
// audio CD from the documentation of a table-of-contents library, and an enhanced CD (data
// track last, in its own session) and a mixed-mode CD (data track first) from a verifier's
// notes on data tracks, whose ids the database's own ripper computes.
TEST(DiscIds, PublishedDiscsOfEachKind) {
    const auto audio = discIds(layout({150, 11563, 25174, 45863}, 55370));
    ASSERT_TRUE(audio);
    EXPECT_EQ(discIdsText(*audio), "004-0002189a-00087f33-1f02e004");

    const auto enhanced = discIds(
        layout({150, 12767, 40487, 63225, 93410, 118115, 151865, 184340, 215260, 247455, 281735},
               333801, {11}));
    ASSERT_TRUE(enhanced);
    EXPECT_EQ(discIdsText(*enhanced), "010-00164419-00b9f6e2-9e11600b");

    const auto mixed = discIds(
        layout({150,    66728,  76502,  85963,  93760,  104048, 116066, 124743, 134206, 142916,
                151852, 160720, 169425, 178731, 188459, 196711, 206354, 214845, 223686, 225746,
                226384, 232668, 239447, 239931, 244989, 254264, 260066, 261222, 261674},
               261976, {1}));
    ASSERT_TRUE(mixed);
    EXPECT_EQ(discIdsText(*mixed), "028-00517a54-05a845d2-af0da31d");

    EXPECT_FALSE(discIds(layout({150}, 1000, {1})));  // no audio at all
    EXPECT_FALSE(discIds(DiscLayout{}));
}

TEST(DiscIds, PlacesAndSlotsOfTracksAroundDataTracks) {
    const auto mixed = layout({150, 1000, 2000, 3000}, 4000, {1});
    EXPECT_FALSE(trackPlace(mixed, 1));  // the data track
    EXPECT_TRUE(trackPlace(mixed, 2)->firstAudioTrack);
    EXPECT_FALSE(trackPlace(mixed, 2)->lastAudioTrack);
    EXPECT_FALSE(trackPlace(mixed, 3)->firstAudioTrack || trackPlace(mixed, 3)->lastAudioTrack);
    EXPECT_TRUE(trackPlace(mixed, 4)->lastAudioTrack);
    EXPECT_EQ(entrySlot(mixed, 2), 1);
    EXPECT_FALSE(entrySlot(mixed, 5));

    const auto enhanced = layout({150, 1000, 20000}, 30000, {3});
    EXPECT_TRUE(trackPlace(enhanced, 2)->lastAudioTrack);
    EXPECT_EQ(entrySlot(enhanced, 2), 1);

    auto single = layout({150}, 5000);
    single.firstTrack = 5;
    EXPECT_TRUE(trackPlace(single, 5)->firstAudioTrack && trackPlace(single, 5)->lastAudioTrack);
    EXPECT_EQ(entrySlot(single, 5), 0);
    EXPECT_FALSE(trackPlace(single, 1));
}

TEST(AccurateRipUrl, ServerSettingsOfEachForm) {
    const DiscIds ids{4, 0x0002189a, 0x00087f33, 0x1f02e004};
    const std::string file = "/accuraterip/a/9/8/dBAR-004-0002189a-00087f33-1f02e004.bin";
    EXPECT_EQ(accurateRipUrl("", ids), "http://www.accuraterip.com" + file);
    EXPECT_EQ(accurateRipUrl("127.0.0.1:8080", ids), "http://127.0.0.1:8080" + file);
    EXPECT_EQ(accurateRipUrl("HTTP://mirror.example/ar/", ids), "http://mirror.example/ar" + file);
    EXPECT_EQ(accurateRipUrl("http://[::1]:81", ids), "http://[::1]:81" + file);

    for (const char* bad : {"https://www.accuraterip.com", "ftp://host", "user@host", "host name",
                            "host/a?b", "host/a#b", "host/%2e", "http://", "host\r\nX: y"})
        EXPECT_FALSE(accurateRipUrl(bad, ids)) << bad;
    EXPECT_FALSE(accurateRipUrl("", DiscIds{0, 1, 2, 3}));
}

}  // namespace
