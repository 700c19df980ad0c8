// What the CD access tests share: a temporary disc folder and a few calls of the API.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AKRip32.h"
#include "DriveList.h"
#include "TestFiles.h"

// A fresh disc folder that the layer lists instead of ./discs.
class DiscFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directory(discs());
        quillon::cdrom::setDiscFolder(discs());
    }
    void TearDown() override { quillon::cdrom::setDiscFolder({}); }

    std::filesystem::path discs() const { return m_temp.path() / "discs"; }

    static CdDriveList driveList(std::uint8_t capacity = kCdMaxDrives) {
        CdDriveList list{};
        list.capacity = capacity;
        GetCDList(&list);
        return list;
    }

    // The machine's own drives come first; tests look at the images after them.
    static int deviceCount() {
        const CdDriveList list = driveList();
        int devices = 0;
        for (int i = 0; i < list.count; ++i)
            devices += list.drives[i].hostAdapter == quillon::cdrom::kDeviceAdapter ? 1 : 0;
        return devices;
    }

    static CdHandle open(std::uint8_t adapter, std::uint8_t target) {
        CdOpenRequest request{};
        request.size = kCdOpenRequestSize;
        request.version = kCdOpenRequestVersion;
        request.hostAdapter = adapter;
        request.target = target;
        return GetCDHandle(&request);
    }

    // The image at position index of the disc folder, after listing the drives.
    static CdHandle openImage(std::uint8_t index) {
        driveList();
        return open(quillon::cdrom::kImageAdapter, index);
    }

    TempDir m_temp;
};

// A read buffer of 24 head bytes, room for `frames` frames and a guard area after it.
struct ReadBuffer {
    static constexpr size_t kGuard = 64;
    explicit ReadBuffer(std::uint32_t frames = kCdMaxReadFrames)
        : bytes(sizeof(CdReadBuffer) + frames * kCdFrameBytes + kGuard, 0xA5) {
        head()->capacity = frames * kCdFrameBytes;
    }
    CdReadBuffer* head() { return reinterpret_cast<CdReadBuffer*>(bytes.data()); }
    const std::uint8_t* data() { return CdReadBufferData(head()); }
    bool guardIntact() const {
        for (size_t i = bytes.size() - kGuard; i < bytes.size(); ++i)
            if (bytes[i] != 0xA5) return false;
        return true;
    }
    int read(CdHandle handle, std::uint32_t start, std::uint32_t frames) {
        head()->startFrame = start;
        head()->frameCount = frames;
        return ReadCDAudioLBA(handle, head());
    }
    std::vector<std::uint8_t> bytes;
};

inline std::uint32_t tocAddress(const CdTocEntry& entry) {
    return (std::uint32_t{entry.address[0]} << 24) | (std::uint32_t{entry.address[1]} << 16) |
           (std::uint32_t{entry.address[2]} << 8) | entry.address[3];
}
