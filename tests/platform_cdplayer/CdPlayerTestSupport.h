// What the CD player tests share: a temporary disc folder, in-memory wave devices, and the
// audio a disc image should sound like.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "AKRip32.h"
#include "DiscImages.h"
#include "DriveList.h"
#include "Eventually.h"
#include "MemoryWaveDevices.h"
#include "TestFiles.h"

class CdPlayerTest : public ::testing::Test {
  protected:
    static constexpr std::chrono::seconds kPatience{10};

    void SetUp() override {
        std::filesystem::create_directory(discs());
        quillon::cdrom::setDiscFolder(discs());
        installDevices({{"Speakers"}});
    }
    // Tests close their devices before this; the empty service replaces the test's devices.
    void TearDown() override {
        sound->holdOutput(false);
        installWaveService(std::make_unique<MemoryWaveService>(
            std::vector<MemoryWaveService::Device>{}, std::vector<MemoryWaveService::Device>{}));
        quillon::cdrom::setDiscFolder({});
    }

    void installDevices(std::vector<MemoryWaveService::Device> outputs) {
        auto service = std::make_unique<MemoryWaveService>(
            std::move(outputs), std::vector<MemoryWaveService::Device>{});
        sound = service.get();
        installWaveService(std::move(service));
    }

    std::filesystem::path discs() const { return m_temp.path() / "discs"; }

    // The image's audio from one frame up to another, as the sound card should receive it.
    static std::vector<std::uint8_t> audio(const DiscImage& image, std::int32_t from,
                                           std::int32_t to) {
        return {image.audio.begin() + from * kCdFrameBytes,
                image.audio.begin() + to * kCdFrameBytes};
    }

    static std::vector<std::uint8_t> concat(std::vector<std::uint8_t> a,
                                            const std::vector<std::uint8_t>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }

    std::int32_t framesPlayed() const {
        return static_cast<std::int32_t>(sound->played().size() / kCdFrameBytes);
    }

    TempDir m_temp;
    MemoryWaveService* sound = nullptr;
};
