#include "RipSettings.h"

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
    return result;
}

CddbSettings readCddbSettings(const TIniFile& settings) {
    CddbSettings result;
    result.server = settings.ReadString("CDDB", "server", kDefaultCddbServer);
    if (result.server.empty()) result.server = kDefaultCddbServer;
    result.email = settings.ReadString("CDDB", "email", "");
    return result;
}
