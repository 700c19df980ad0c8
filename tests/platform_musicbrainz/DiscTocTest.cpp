#include <gtest/gtest.h>

#include <initializer_list>

#include "DiscToc.h"

using namespace quillon::musicbrainz;
using quillon::cdrom::DiscLayout;

namespace {

// A layout from the addresses as the service publishes them (lead-in included).
DiscLayout layout(std::initializer_list<int> offsets, int leadOut,
                  std::initializer_list<int> dataTracks = {}) {
    DiscLayout disc;
    for (int offset : offsets)
        disc.starts.push_back(offset - 150);
    disc.dataTracks.assign(disc.starts.size(), false);
    for (int track : dataTracks)
        disc.dataTracks[static_cast<std::size_t>(track - 1)] = true;
    disc.leadOut = leadOut - 150;
    return disc;
}

// The tables and IDs of the service's documentation: the example of how a disc ID is
// calculated and the example of a lookup with a toc argument.
TEST(DiscId, PublishedExamples) {
    const auto six = discToc(layout({150, 15363, 32314, 46592, 63414, 80489}, 95462));
    ASSERT_TRUE(six);
    EXPECT_EQ(discId(*six), "49HHV7Eb8UKF3aQiNmu1GR8vKTY-");
    EXPECT_EQ(tocText(*six), "1+6+95462+150+15363+32314+46592+63414+80489");

    const auto twelve = discToc(layout(
        {150, 22767, 41887, 58317, 72102, 91375, 104652, 115380, 132165, 143932, 159870, 174597},
        267257));
    ASSERT_TRUE(twelve);
    EXPECT_EQ(discId(*twelve), "I5l9cCSFccLKFEKS.7wqSZAorPU-");
    EXPECT_EQ(tocText(*twelve),
              "1+12+267257+150+22767+41887+58317+72102+91375+104652+115380+132165+143932+"
              "159870+174597");
    EXPECT_TRUE(validDiscId(discId(*twelve)));

    // Four tracks whose ID a table-of-contents library documents; its base64 ends in padding.
    EXPECT_EQ(discId(DiscToc{1, 4, 0xD84A, {0x96, 0x2D2B, 0x6256, 0xB327}}),
              "nljDXdC8B_pDwbdY1vZJvdrAZI4-");
}

TEST(DiscId, DataTracksAreLeftOut) {
    // An enhanced CD: the audio ends where the first session's lead-out was, 11400 frames
    // before the data track.
    const auto enhanced = discToc(layout({150, 20000, 40000}, 90000, {3}));
    ASSERT_TRUE(enhanced);
    EXPECT_EQ(*enhanced, (DiscToc{1, 2, 40000 - 11400, {150, 20000}}));

    // Data first: the table starts at the first audio track, whose slot it keeps.
    const auto mixed = discToc(layout({150, 20000, 40000}, 90000, {1}));
    ASSERT_TRUE(mixed);
    EXPECT_EQ(*mixed, (DiscToc{2, 3, 90000, {20000, 40000}}));
    EXPECT_NE(discId(*mixed), discId(DiscToc{1, 2, 90000, {20000, 40000}}));
}

TEST(DiscId, LayoutsWithoutAUsableAudioRunAreRefused) {
    EXPECT_FALSE(discToc(DiscLayout{}));
    EXPECT_FALSE(discToc(layout({150, 20000}, 90000, {1, 2})));        // no audio
    EXPECT_FALSE(discToc(layout({150, 20000, 40000}, 90000, {2})));    // audio, data, audio
    EXPECT_FALSE(discToc(layout({150, 5000, 40000}, 90000, {2, 3})));  // no room for the gap
    EXPECT_FALSE(discToc(layout({150, 20000, 25000}, 90000, {3})));    // gap before audio end
    EXPECT_FALSE(discToc(layout({150, 100000}, 90000)));               // lead-out too early

    EXPECT_FALSE(validDiscId("49HHV7Eb8UKF3aQiNmu1GR8vKTY"));
    EXPECT_FALSE(validDiscId("49HHV7Eb8UKF3aQiNmu1GR8v/TY-"));
    EXPECT_FALSE(validDiscId("49HHV7Eb8UKF3aQ?Nmu1GR8vKTY-"));
}

}  // namespace
