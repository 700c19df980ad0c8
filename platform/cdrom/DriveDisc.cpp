#include "DriveDisc.h"

#include <cdio/paranoia/cdda.h>

#include <bit>
#include <filesystem>
#include <set>

#include "CdText.h"
#include "CdioSupport.h"

namespace quillon::cdrom {

namespace {

struct DriveCloser {
    // The drive object borrows the libcdio handle, which the disc owns.
    void operator()(cdrom_drive_t* drive) const { cdio_cddap_close_no_free_cdio(drive); }
};
using DrivePtr = std::unique_ptr<cdrom_drive_t, DriveCloser>;

struct DeviceListFree {
    void operator()(char** list) const { cdio_free_device_list(list); }
};

std::string trimmed(const char* text) {
    std::string s = text != nullptr ? text : "";
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

class DeviceDisc final : public Disc {
  public:
    DeviceDisc(CdioPtr cdio, DiscLayout layout)
        : Disc(std::move(layout)), m_cdio(std::move(cdio)) {}
    ~DeviceDisc() override { m_drive.reset(); }  // before the handle it borrows

    bool readFrames(std::int32_t first, std::uint32_t count, std::uint8_t* out) override {
        if (!m_triedDrive) openDrive();
        if (m_drive) {
            // Drives differ in the byte order of the samples they return; this reader finds
            // out which from the audio itself and returns host order.
            if (cdio_cddap_read(m_drive.get(), out, first, count) != static_cast<long>(count))
                return false;
            if constexpr (std::endian::native == std::endian::big)
                swapSampleBytes(out, std::size_t{count} * CDIO_CD_FRAMESIZE_RAW);
            return true;
        }
        return cdio_read_audio_sectors(m_cdio.get(), out, first, count) == DRIVER_OP_SUCCESS;
    }

    // Read from the lead-in once and kept by the handle.
    std::optional<DiscText> text() override { return readDiscText(m_cdio.get(), layout()); }

  private:
    void openDrive() {
        m_triedDrive = true;
        DrivePtr drive(cdio_cddap_identify_cdio(m_cdio.get(), CDDA_MESSAGE_FORGETIT, nullptr));
        if (!drive) return;
        cdio_cddap_verbose_set(drive.get(), CDDA_MESSAGE_FORGETIT, CDDA_MESSAGE_FORGETIT);
        if (cdio_cddap_open(drive.get()) != 0) return;
        m_drive = std::move(drive);
    }

    CdioPtr m_cdio;
    DrivePtr m_drive;
    bool m_triedDrive = false;
};

}  // namespace

std::vector<DeviceInfo> listDevices() {
    quietCdioLogging();
    std::vector<DeviceInfo> devices;
    std::unique_ptr<char*, DeviceListFree> list(cdio_get_devices(DRIVER_DEVICE));
    if (!list) return devices;
    std::set<std::filesystem::path> seen;  // /dev/cdrom is often a link to /dev/sr0
    for (char** entry = list.get(); *entry != nullptr; ++entry) {
        std::error_code error;
        auto canonical = std::filesystem::canonical(*entry, error);
        if (error) canonical = *entry;
        if (!seen.insert(canonical).second) continue;

        DeviceInfo info{*entry, *entry};
        CdioPtr cdio(cdio_open(*entry, DRIVER_DEVICE));
        cdio_hwinfo_t hardware{};
        if (cdio && cdio_get_hwinfo(cdio.get(), &hardware)) {
            std::string id = trimmed(hardware.psz_vendor);
            for (const char* part : {hardware.psz_model, hardware.psz_revision}) {
                const std::string word = trimmed(part);
                if (word.empty()) continue;
                if (!id.empty()) id += ' ';
                id += word;
            }
            if (!id.empty()) info.id = id;
        }
        devices.push_back(std::move(info));
    }
    return devices;
}

std::unique_ptr<Disc> openDeviceDisc(const std::string& device) {
    quietCdioLogging();
    CdioPtr cdio(cdio_open(device.c_str(), DRIVER_DEVICE));
    if (!cdio) return nullptr;
    auto layout = readLayout(cdio.get());
    if (!layout) return nullptr;
    return std::make_unique<DeviceDisc>(std::move(cdio), std::move(*layout));
}

}  // namespace quillon::cdrom
