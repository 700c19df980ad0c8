#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "CdTestSupport.h"
#include "DiscId.h"
#include "DiscImages.h"

namespace {

using CdDrives = DiscFolderTest;

TEST_F(CdDrives, ImagesFollowTheDevicesInNameOrderAndOthersAreIgnored) {
    writeCueImage(discs(), "b-second", {10});
    writeTocImage(discs(), "a-first", {10});
    writeCueImage(discs(), "c-third", {10});
    writeBytes((discs() / "notes.txt").string(), {'x'});
    std::filesystem::create_directory(discs() / "folder.cue");

    const int devices = deviceCount();
    const CdDriveList list = driveList();
    ASSERT_EQ(list.count, devices + 3);
    const char* names[] = {"a-first.toc", "b-second.cue", "c-third.cue"};
    for (int i = 0; i < 3; ++i) {
        const CdDriveInfo& drive = list.drives[devices + i];
        EXPECT_STREQ(drive.id, names[i]);
        EXPECT_EQ(drive.hostAdapter, quillon::cdrom::kImageAdapter);
        EXPECT_EQ(drive.target, i);
        EXPECT_EQ(drive.lun, 0);
    }
}

// A drive is its device node or image file. Images that arrive or go while the program runs
// leave the others their addresses, so that an address taken from an earlier listing opens
// the same drive or none, never another one.
TEST_F(CdDrives, DrivesKeepTheirAddressesAndPathsAcrossListings) {
    writeCueImage(discs(), "b", {10});
    writeCueImage(discs(), "c", {10, 10});
    const int devices = deviceCount();
    const CdDriveInfo b = driveList().drives[devices];
    const CdDriveInfo c = driveList().drives[devices + 1];
    auto pathOf = [](const CdDriveInfo& drive) {
        char path[4096];
        return GetCDDrivePath(&drive, path, sizeof path) == 1 ? std::string(path) : "(none)";
    };
    const std::string bPath = (std::filesystem::absolute(discs()) / "b.cue").string();
    EXPECT_EQ(pathOf(b), bPath);

    writeCueImage(discs(), "a", {10, 10, 10});  // sorts first
    CdDriveList list = driveList();
    ASSERT_EQ(list.count, devices + 3);
    EXPECT_STREQ(list.drives[devices].id, "a.cue");
    EXPECT_EQ(list.drives[devices].target, 2) << "the lowest free address";
    EXPECT_EQ(list.drives[devices + 1].target, b.target);
    EXPECT_EQ(pathOf(b), bPath);
    CdHandle handle = open(b.hostAdapter, b.target);
    CdToc toc{};
    ASSERT_EQ(ReadTOC(handle, &toc), 1);
    EXPECT_EQ(toc.lastTrack, 1) << "still b.cue";
    CloseCDHandle(handle);

    std::filesystem::remove(discs() / "c.cue");
    driveList();
    EXPECT_EQ(pathOf(c), "(none)");
    EXPECT_EQ(open(c.hostAdapter, c.target), 0u);

    char tooSmall[8];
    EXPECT_EQ(GetCDDrivePath(&b, tooSmall, sizeof tooSmall), 0);
    EXPECT_EQ(GetCDDrivePath(nullptr, tooSmall, sizeof tooSmall), 0);
}

TEST_F(CdDrives, TheListKeepsToItsCapacityAndToEightDrives) {
    for (char name = 'a'; name <= 'j'; ++name)
        writeCueImage(discs(), std::string(1, name), {4});
    EXPECT_EQ(driveList().count, kCdMaxDrives);

    CdDriveList list{};
    std::memset(&list, 0x5A, sizeof list);
    list.capacity = 2;
    EXPECT_EQ(GetCDList(&list), 2);
    EXPECT_EQ(list.drives[2].hostAdapter, 0x5A);  // untouched beyond the capacity
}

TEST_F(CdDrives, OpenRequestsAreChecked) {
    const auto image = writeCueImage(discs(), "disc", {20});
    writeBytes((discs() / "lost.cue").string(), {'F', 'I', 'L', 'E'});  // no data file
    driveList();

    CdOpenRequest request{};
    request.size = 11;
    request.version = kCdOpenRequestVersion;
    request.hostAdapter = quillon::cdrom::kImageAdapter;
    EXPECT_EQ(GetCDHandle(&request), 0u);
    request.size = kCdOpenRequestSize;
    request.version = 2;
    EXPECT_EQ(GetCDHandle(&request), 0u);
    EXPECT_EQ(GetCDHandle(nullptr), 0u);
    EXPECT_EQ(open(quillon::cdrom::kImageAdapter, 7), 0u);  // no such drive
    EXPECT_EQ(open(quillon::cdrom::kImageAdapter, 1), 0u);  // lost.cue: nothing to read

    const CdHandle handle = open(quillon::cdrom::kImageAdapter, 0);
    ASSERT_NE(handle, 0u);
    const CdHandle second = open(quillon::cdrom::kImageAdapter, 0);
    EXPECT_NE(second, handle);
    EXPECT_EQ(CloseCDHandle(second), 1);
    EXPECT_EQ(CloseCDHandle(handle), 1);
    EXPECT_EQ(CloseCDHandle(handle), 0);
    CdToc toc{};
    EXPECT_EQ(ReadTOC(handle, &toc), 0);
    EXPECT_EQ(ModifyCDParms(handle, kCdParamTocAddress, 0), 0);
}

// A mixed-mode sheet with the data track and the audio in files of their own: libcdio reads
// both tracks as starting at frame 0. Such a layout is refused like any other bad one rather
// than listed with a track of no length.
TEST_F(CdDrives, TracksThatDoNotStrictlyRiseAreRefused) {
    const std::string sheet =
        "FILE \"data.bin\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n"
        "FILE \"audio.bin\" BINARY\n  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n";
    writeBytes((discs() / "mixed.cue").string(), {sheet.begin(), sheet.end()});
    writeBytes((discs() / "mixed.bin").string(), {});
    std::filesystem::resize_file(discs() / "mixed.bin", std::uintmax_t{500} * kCdFrameBytes);
    EXPECT_EQ(openImage(0), 0u);

    using quillon::cdrom::DiscLayout;
    EXPECT_TRUE((DiscLayout{1, {0, 10}, {false, false}, 11}.valid()));
    EXPECT_FALSE((DiscLayout{1, {0, 0}, {true, false}, 500}.valid()));
    EXPECT_FALSE((DiscLayout{1, {0, 10, 5}, {false, false, false}, 50}.valid()));
    EXPECT_FALSE((DiscLayout{1, {0, 10}, {false, false}, 10}.valid())) << "an empty last track";
    EXPECT_FALSE((DiscLayout{1, {-1, 10}, {false, false}, 20}.valid()));
}

TEST_F(CdDrives, TableOfContentsDescribesEachLayout) {
    const std::vector<std::vector<int>> layouts = {{300}, {60, 100, 37}, std::vector<int>(20, 8)};
    for (size_t n = 0; n < layouts.size(); ++n) {
        SCOPED_TRACE(n);
        const auto image = writeCueImage(discs(), "layout" + std::to_string(n), layouts[n]);
        const CdHandle handle = openImage(static_cast<std::uint8_t>(n));
        ASSERT_NE(handle, 0u);
        ASSERT_EQ(ModifyCDParms(handle, kCdParamTocAddress, 0), 1);
        CdToc toc;
        std::memset(&toc, 0xEE, sizeof toc);
        ASSERT_EQ(ReadTOC(handle, &toc), 1);

        const int tracks = static_cast<int>(layouts[n].size());
        EXPECT_EQ(toc.firstTrack, 1);
        EXPECT_EQ(toc.lastTrack, tracks);
        EXPECT_EQ(toc.length[0] * 256 + toc.length[1], 2 + 8 * (tracks + 1));
        for (int i = 0; i < tracks; ++i) {
            EXPECT_EQ(toc.entries[i].trackNumber, i + 1);
            EXPECT_EQ(tocAddress(toc.entries[i]), static_cast<std::uint32_t>(image.trackStarts[i]));
            EXPECT_EQ(toc.entries[i].control & kCdDataTrackFlag, 0);
        }
        EXPECT_EQ(toc.entries[tracks].trackNumber, kCdLeadOutTrack);
        EXPECT_EQ(tocAddress(toc.entries[tracks]), static_cast<std::uint32_t>(image.leadOut));
        EXPECT_EQ(toc.entries[tracks + 1].trackNumber, 0);  // the rest is cleared
        CloseCDHandle(handle);
    }
}

TEST_F(CdDrives, AddressesCanBeMinutesSecondsAndFrames) {
    writeCueImage(discs(), "disc", {4500 + 75 + 3, 10});
    const CdHandle handle = openImage(0);
    ASSERT_EQ(ModifyCDParms(handle, kCdParamTocAddress, 1), 1);
    EXPECT_EQ(ModifyCDParms(handle, kCdParamTocAddress, 2), 0);
    EXPECT_EQ(ModifyCDParms(handle, 35, 0), 0);
    CdToc toc{};
    ASSERT_EQ(ReadTOC(handle, &toc), 1);
    // Track 2 starts at frame 4578, which with the lead-in of 150 frames is 01:03:03.
    EXPECT_EQ(tocAddress(toc.entries[1]), 0x00010303u);
    EXPECT_EQ(tocAddress(toc.entries[0]), 0x00000200u);  // 00:02:00
    CloseCDHandle(handle);
}

TEST(DiscId, MatchesTheHandComputedValue) {
    // Starts 0, 1000 and 3000, lead-out 6000: digit sums of 2, 15 and 42 seconds make 14,
    // the disc lasts 80 seconds, three tracks.
    quillon::cdrom::DiscLayout layout;
    layout.starts = {0, 1000, 3000};
    layout.dataTracks = {false, false, false};
    layout.leadOut = 6000;
    EXPECT_EQ(quillon::cdrom::cddbDiscId(layout), 0x0e005003u);
    EXPECT_EQ(quillon::cdrom::cddbQueryArguments(layout), "0e005003 3 150 1150 3150 82");

    // Past 255 the sum wraps: 42 tracks a second apart start at 2 to 43 seconds, whose digit
    // sums add up to 261, which leaves 6; 42 seconds, 42 tracks.
    layout.starts.clear();
    for (int i = 0; i < 42; ++i)
        layout.starts.push_back(i * 75);
    layout.dataTracks.assign(42, false);
    layout.leadOut = 42 * 75;
    EXPECT_EQ(quillon::cdrom::cddbDiscId(layout), 0x06002a2au);
}

// Reads every track as the rip job does: 25 frames at a time, the rest at the end.
std::vector<std::uint8_t> ripDisc(CdHandle handle, const DiscImage& image) {
    std::vector<std::uint8_t> out;
    ReadBuffer buffer;
    for (size_t track = 0; track < image.trackStarts.size(); ++track) {
        std::uint32_t start = static_cast<std::uint32_t>(image.trackStarts[track]);
        const std::uint32_t end = track + 1 < image.trackStarts.size()
                                      ? static_cast<std::uint32_t>(image.trackStarts[track + 1])
                                      : static_cast<std::uint32_t>(image.leadOut);
        while (start < end) {
            const std::uint32_t frames = std::min(end - start, kCdMaxReadFrames);
            EXPECT_EQ(buffer.read(handle, start, frames), 1);
            EXPECT_EQ(buffer.head()->frameCount, frames);
            EXPECT_EQ(buffer.head()->byteCount, frames * kCdFrameBytes);
            EXPECT_EQ(buffer.head()->status, kCdReadDone);
            if (buffer.head()->frameCount == 0) return out;
            const std::uint8_t* data = buffer.data() + buffer.head()->dataOffset;
            out.insert(out.end(), data, data + buffer.head()->byteCount);
            start += buffer.head()->frameCount;
        }
    }
    EXPECT_TRUE(buffer.guardIntact());
    return out;
}

TEST_F(CdDrives, ReadsDeliverExactlyTheImagesAudio) {
    const auto little = writeCueImage(discs(), "1-little", {60, 100, 37}, 3);
    const auto big = writeCueImage(discs(), "2-big", {26, 50}, 4, SampleOrder::bigEndian);
    const auto toc = writeTocImage(discs(), "3-toc", {30, 24, 1}, 5);
    const DiscImage* images[] = {&little, &big, &toc};
    for (std::uint8_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(images[i]->sheet.filename().string());
        const CdHandle handle = openImage(i);
        ASSERT_NE(handle, 0u);
        const auto audio = ripDisc(handle, *images[i]);
        EXPECT_TRUE(audio == images[i]->audio);
        CloseCDHandle(handle);
    }
}

TEST_F(CdDrives, TocImagesFindTheirDataBesideThemWhereverTheyAre) {
    const auto folder = m_temp.path() / "my discs";
    std::filesystem::create_directory(folder);
    quillon::cdrom::setDiscFolder(folder);
    const auto image = writeTocImage(folder, "disc", {40, 12});
    const CdHandle handle = openImage(0);
    ASSERT_NE(handle, 0u);
    EXPECT_TRUE(ripDisc(handle, image) == image.audio);
    CloseCDHandle(handle);
}

TEST_F(CdDrives, BadReadRequestsFailWithoutWritingPastTheBuffer) {
    writeCueImage(discs(), "disc", {50});
    const CdHandle handle = openImage(0);
    ASSERT_NE(handle, 0u);

    struct Case {
        const char* what;
        CdHandle handle;
        std::uint32_t start, frames, capacityFrames;
    };
    const Case cases[] = {
        {"unknown handle", handle + 1000, 0, 1, 25},
        {"more than 25 frames", handle, 0, 26, 26},
        {"buffer too small", handle, 0, 10, 9},
        {"starts past the end", handle, 51, 1, 25},
        {"runs past the end", handle, 40, 11, 25},
        {"far past the end", handle, 0xFFFFFFF0u, 20, 25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ReadBuffer buffer(c.capacityFrames);
        std::vector<std::uint8_t> before(buffer.bytes.begin() + sizeof(CdReadBuffer),
                                         buffer.bytes.end());
        EXPECT_EQ(buffer.read(c.handle, c.start, c.frames), 0);
        EXPECT_EQ(buffer.head()->byteCount, 0u);
        EXPECT_EQ(buffer.head()->frameCount, 0u);
        EXPECT_EQ(buffer.head()->status, kCdReadBadRequest);
        EXPECT_TRUE(
            std::equal(before.begin(), before.end(), buffer.bytes.begin() + sizeof(CdReadBuffer)));
    }
    ReadBuffer exact(10);
    EXPECT_EQ(exact.read(handle, 40, 10), 1);  // the last frames, into a buffer just big enough
    EXPECT_TRUE(exact.guardIntact());
    EXPECT_EQ(ReadCDAudioLBA(handle, nullptr), 0);
    CloseCDHandle(handle);
}

TEST_F(CdDrives, AFailedReadIsReportedAsSuch) {
    const auto image = writeCueImage(discs(), "disc", {100});
    const CdHandle handle = openImage(0);
    ASSERT_NE(handle, 0u);
    // The data file loses its second half while the disc is open.
    std::filesystem::resize_file(image.data, 50 * kCdFrameBytes);

    ReadBuffer buffer;
    EXPECT_EQ(buffer.read(handle, 0, 25), 1);
    EXPECT_EQ(buffer.read(handle, 75, 25), 0);
    EXPECT_EQ(buffer.head()->status, kCdReadFailed);
    EXPECT_EQ(buffer.head()->byteCount, 0u);
    EXPECT_EQ(buffer.head()->frameCount, 0u);
    CloseCDHandle(handle);
}

}  // namespace
