// Feeds arbitrary names (as CDDB servers, tags and users supply them) to the rip log and the
// cue sheet, and checks that no name can add a line of its own or leave text that is not UTF-8.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "RipReport.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

bool validUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80                    ? 1
                             : lead >= 0xC2 && lead <= 0xDF ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

std::vector<std::string_view> lines(std::string_view text) {
    std::vector<std::string_view> result;
    while (!text.empty()) {
        const auto end = text.find('\n');
        result.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return result;
}

bool startsWithAny(std::string_view line, std::initializer_list<std::string_view> prefixes) {
    for (std::string_view prefix : prefixes)
        if (line.starts_with(prefix)) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Fields are separated by NUL bytes: the disc's names, then a title, performer and file
    // name per track.
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            fields.emplace_back();
        else
            fields.back() += static_cast<char>(data[i]);
    }
    fields.resize(std::max<std::size_t>(fields.size(), 3));
    RipReport report;
    report.programVersion = fields[0];
    report.artist = fields[1];
    report.album = fields[2];
    std::uint32_t sector = 0;
    for (std::size_t i = 3; i + 2 < fields.size() && report.tracks.size() < 99; i += 3) {
        TrackRipReport track;
        track.number = static_cast<int>(report.tracks.size()) + 1;
        track.title = fields[i];
        track.artist = fields[i + 1];
        track.file = fields[i + 2];
        track.error = fields[i];
        track.firstSector = sector;
        track.sectorCount = 300;
        track.pregapSector = sector - (track.number % 3 == 0 ? 75 : 0);
        track.outcome =
            track.number % 5 == 0 ? TrackRipReport::Outcome::failed : TrackRipReport::Outcome::done;
        track.unsettledPositions = {fields[i + 1]};
        sector += 300;
        report.tracks.push_back(track);
    }

    const std::string log = ripLogText(report);
    check(validUtf8(log));
    std::size_t trackLines = 0;
    std::size_t fileLines = 0;
    for (std::string_view line : lines(log)) {
        trackLines += line.starts_with("Track ");
        fileLines += line.starts_with("  File: ");
    }
    check(trackLines == report.tracks.size());
    check(fileLines == report.tracks.size());

    const std::string sheet = cueSheetText(report);
    check(validUtf8(sheet));
    for (std::string_view line : lines(sheet)) {
        check(
            startsWithAny(line, {"REM ", "PERFORMER \"", "TITLE \"", "FILE \"", "  TRACK ",
                                 "    TITLE \"", "    PERFORMER \"", "    PREGAP ", "    INDEX "}));
        // A quoted field holds no quote of its own.
        if (line.find('"') != std::string_view::npos)
            check(std::count(line.begin(), line.end(), '"') == 2);
    }
    return 0;
}
