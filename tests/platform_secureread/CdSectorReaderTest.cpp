#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "AKRip32.h"
#include "CdSectorReader.h"
#include "DiscImages.h"
#include "DriveList.h"
#include "OpenDiscs.h"
#include "SecureReader.h"
#include "TestFiles.h"
#include "TrackReader.h"

using namespace quillon::secureread;

// The drive adapter over a disc image, through the CD layer: what a secure rip of an image
// will do.
class CdSectorReaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_image = writeCueImage(m_temp.path(), "disc", {300, 200});
        quillon::cdrom::setDiscFolder(m_temp.path());
        CdDriveList list{};
        list.capacity = kCdMaxDrives;
        GetCDList(&list);
        CdOpenRequest request{};
        request.size = kCdOpenRequestSize;
        request.version = kCdOpenRequestVersion;
        request.hostAdapter = quillon::cdrom::kImageAdapter;
        m_handle = GetCDHandle(&request);
        ASSERT_NE(m_handle, 0u);
    }
    void TearDown() override {
        if (m_handle != 0) CloseCDHandle(m_handle);
        quillon::cdrom::setDiscFolder({});
    }

    TempDir m_temp;
    DiscImage m_image;
    CdHandle m_handle = 0;
};

TEST_F(CdSectorReaderTest, SecureReadOfAnImageIsItsAudioMovedByTheOffset) {
    CdSectorReader drive(m_handle, 500);
    SecureReader reader(drive);
    TrackReport report;
    const auto second = readTrackToMemory(reader, {300, 200}, -30, 500, &report);
    EXPECT_TRUE(report.verified());
    ASSERT_EQ(second.size(), std::size_t{200} * kSectorBytes);
    const std::size_t start = std::size_t{300} * kSectorBytes - 30 * kBytesPerSample;
    EXPECT_EQ(std::memcmp(second.data(), m_image.audio.data() + start, second.size()), 0);

    // Reads the layer refuses (too long, past the lead-out) are failures, not audio.
    std::vector<std::uint8_t> buffer(std::size_t{kCdMaxReadFrames + 1} * kSectorBytes);
    EXPECT_FALSE(drive.read(0, kCdMaxReadFrames + 1, buffer.data()));
    EXPECT_FALSE(drive.read(499, 2, buffer.data()));
    EXPECT_TRUE(drive.read(499, 1, buffer.data()));
    drive.defeatCache(10);  // a disc too short to read far away from: nothing to do

    // An image has no cache to push out; the layer says which handles are images.
    EXPECT_EQ(quillon::cdrom::openDiscIsImage(m_handle), std::optional<bool>(true));
    EXPECT_EQ(quillon::cdrom::openDiscIsImage(m_handle + 1000), std::nullopt);
}
