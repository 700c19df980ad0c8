#include "RipSettings.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace {

// The stored text without its unit of `unitLength` characters, as a decimal integer with an
// optional sign and leading blanks.
std::optional<int> numberBeforeUnit(const std::string& text, std::size_t unitLength) {
    if (text.size() <= unitLength) return std::nullopt;
    std::string_view digits(text.data(), text.size() - unitLength);
    while (!digits.empty() && digits.front() == ' ')
        digits.remove_prefix(1);
    if (digits.size() > 1 && digits.front() == '+' && digits[1] != '-') digits.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

// A boolean setting counts as true unless its text is exactly "False".
bool flag(const TIniFile& settings, std::string_view section, std::string_view key) {
    return settings.ReadString(section, key, "False") != "False";
}

// A whole number within [low, high], else `fallback`.
int settingInRange(const TIniFile& settings, std::string_view section, std::string_view key,
                   int low, int high, int fallback) {
    const std::string text = settings.ReadString(section, key, "");
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return fallback;
    return value < low || value > high ? fallback : value;
}

}  // namespace

std::optional<RipSettings> readRipSettings(const TIniFile& settings) {
    RipSettings result;
    if (settings.ValueExists("MP3 Options", "dwSampleRate")) {
        const auto rate =
            numberBeforeUnit(settings.ReadString("MP3 Options", "dwSampleRate", ""), 2);
        if (!rate) return std::nullopt;
        result.mp3SampleRate = *rate;
    }
    if (settings.ValueExists("MP3 Options", "wBitrate")) {
        const auto rate = numberBeforeUnit(settings.ReadString("MP3 Options", "wBitrate", ""), 4);
        if (!rate) return std::nullopt;
        result.mp3Bitrate = *rate;
    }
    result.copyright = flag(settings, "MP3 Options", "bCopyright");
    result.crc = flag(settings, "MP3 Options", "bCRC");
    result.privateBit = flag(settings, "MP3 Options", "bPrivate");
    result.original = flag(settings, "MP3 Options", "bOriginal");
    result.openFolder = flag(settings, "Folder", "open");
    result.oggCpu = settings.ReadInteger("OGG Options", "cpu", 3);
    result.oggCompression = settings.ReadInteger("OGG Options", "compr", 20);
    result.flacLevel =
        settingInRange(settings, "FLAC", "level", kMinFlacLevel, kMaxFlacLevel, result.flacLevel);
    result.opusBitrate = settingInRange(settings, "Opus", "bitrate", kMinOpusBitrate,
                                        kMaxOpusBitrate, result.opusBitrate);
    return result;
}

CddbSettings readCddbSettings(const TIniFile& settings) {
    CddbSettings result;
    result.server = settings.ReadString("CDDB", "server", kDefaultCddbServer);
    if (result.server.empty()) result.server = kDefaultCddbServer;
    result.email = settings.ReadString("CDDB", "email", "");
    return result;
}

namespace {

constexpr const char* kReading = "Reading";
constexpr const char* kOffsets = "Offsets";

std::optional<std::int32_t> offsetValue(const TIniFile& settings, std::string_view section,
                                        std::string_view key) {
    if (!settings.ValueExists(section, key)) return std::nullopt;
    const std::string text = settings.ReadString(section, key, "");
    std::int32_t value = 0;
    const char* first = text.data();
    if (!text.empty() && text.front() == '+') ++first;
    const auto [end, error] = std::from_chars(first, text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || first == end)
        return std::nullopt;
    if (value < -kMaxReadOffset || value > kMaxReadOffset) return std::nullopt;
    return value;
}

}  // namespace

std::string driveOffsetKey(const std::string& driveModel) {
    std::string key = driveModel;
    for (char& c : key)
        if (c == '=' || c == '[' || c == ']' || c == ';' || c == '#' ||
            static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    const auto first = key.find_first_not_of(' ');
    if (first == std::string::npos) return "unknown drive";
    return key.substr(first, key.find_last_not_of(' ') - first + 1);
}

ReadingSettings readReadingSettings(const TIniFile& settings, const std::string& driveModel) {
    ReadingSettings result;
    const std::string mode = settings.ReadString(kReading, "mode", "secure");
    result.mode = mode == "fast" ? RipReadMode::fast : RipReadMode::secure;
    const int retries = settings.ReadInteger(kReading, "retries", result.retries);
    if (retries >= 0 && retries <= kMaxReadRetries) result.retries = retries;
    if (const auto own = offsetValue(settings, kOffsets, driveOffsetKey(driveModel)))
        result.offset = *own;
    else if (const auto general = offsetValue(settings, kReading, "offset"))
        result.offset = *general;
    result.test = settings.ReadBool(kReading, "test", false);
    result.accurateRipServer =
        settings.ReadString("AccurateRip", "server", kDefaultAccurateRipServer);
    if (result.accurateRipServer.empty()) result.accurateRipServer = kDefaultAccurateRipServer;
    return result;
}

bool writeDriveOffset(TIniFile& settings, const std::string& driveModel, std::int32_t offset) {
    // Stored, it would only be ignored when read; better to say now that it is not one.
    if (offset < -kMaxReadOffset || offset > kMaxReadOffset) return false;
    return settings.WriteInteger(kOffsets, driveOffsetKey(driveModel), offset) &&
           settings.WriteInteger(kReading, "offset", offset);
}
