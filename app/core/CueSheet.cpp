#include <algorithm>
#include <cstdio>

#include "RipReport.h"
#include "RipResults.h"

namespace {

constexpr std::uint32_t kFramesPerSecond = 75;

std::string msf(std::uint32_t sectors) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", sectors / (60 * kFramesPerSecond),
                  sectors / kFramesPerSecond % 60, sectors % kFramesPerSecond);
    return text;
}

std::string twoDigits(int number) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", number);
    return text;
}

// Cue readers know no escapes inside quotes: a double quote in a name would end the field,
// so it becomes a single one.
std::string quoted(std::string_view text) {
    std::string safe = oneLineText(text);
    std::replace(safe.begin(), safe.end(), '"', '\'');
    return "\"" + safe + "\"";
}

// The kind a cue reader expects after the file name. Readers take WAVE for any audio file they
// can decode, so the compressed kinds without a word of their own go under it too; raw
// little-endian PCM is BINARY.
const char* fileType(const std::string& file) {
    const auto dot = file.find_last_of('.');
    std::string extension = dot == std::string::npos ? std::string() : file.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == "mp3") return "MP3";
    if (extension == "bin" || extension == "raw") return "BINARY";
    if (extension == "aif" || extension == "aiff") return "AIFF";
    return "WAVE";
}

// A file name goes into the sheet only as it is: one the sheet cannot hold exactly would name
// some other file.
bool writable(const std::string& file) {
    return !file.empty() && file.find('"') == std::string::npos && oneLineText(file) == file;
}

bool written(const TrackRipReport& track) {
    return track.outcome == TrackRipReport::Outcome::done && writable(track.file);
}

void names(std::string& text, const TrackRipReport& track) {
    if (!track.title.empty()) text += "    TITLE " + quoted(track.title) + "\n";
    if (!track.artist.empty()) text += "    PERFORMER " + quoted(track.artist) + "\n";
}

// Where the track's pause starts inside the file of `previous`, when that file holds it.
std::optional<std::uint32_t> pauseInPrevious(const TrackRipReport* previous,
                                             const TrackRipReport& track) {
    if (!previous || !track.pregapSector || previous->number + 1 != track.number)
        return std::nullopt;
    const std::uint32_t pause = *track.pregapSector;
    if (pause >= track.firstSector || pause < previous->firstSector ||
        pause - previous->firstSector >= previous->sectorCount)
        return std::nullopt;
    return pause - previous->firstSector;
}

}  // namespace

std::string cueSheetText(const RipReport& report) {
    std::string text;
    text += "REM COMMENT " + quoted("Quillon " + report.programVersion) + "\n";
    if (!report.discIds.empty()) text += "REM ACCURATERIPID " + quoted(report.discIds) + "\n";
    if (!report.artist.empty()) text += "PERFORMER " + quoted(report.artist) + "\n";
    if (!report.album.empty()) text += "TITLE " + quoted(report.album) + "\n";

    std::vector<const TrackRipReport*> tracks;
    for (const TrackRipReport& track : report.tracks) {
        if (written(track))
            tracks.push_back(&track);
        else if (track.outcome == TrackRipReport::Outcome::done)
            text += "REM track " + twoDigits(track.number) +
                    " left out: its file name cannot be written in a cue sheet\n";
    }

    for (std::size_t k = 0; k < tracks.size(); ++k) {
        const TrackRipReport& track = *tracks[k];
        const TrackRipReport* previous = k > 0 ? tracks[k - 1] : nullptr;
        const TrackRipReport* next = k + 1 < tracks.size() ? tracks[k + 1] : nullptr;
        const bool pauseAbove = pauseInPrevious(previous, track).has_value();

        text += "FILE " + quoted(track.file) + " " + fileType(track.file) + "\n";
        if (!pauseAbove) {
            text += "  TRACK " + twoDigits(track.number) + " AUDIO\n";
            names(text, track);
            // A pause (or, before the first track, hidden audio) that no ripped file holds:
            // its length as silence, so that the tracks keep their places on the disc.
            std::uint32_t gap = 0;
            if (track.pregapSector && *track.pregapSector < track.firstSector)
                gap = track.firstSector - *track.pregapSector;
            else if (!track.pregapSector && track.number == 1)
                gap = track.firstSector;
            if (gap > 0) text += "    PREGAP " + msf(gap) + "\n";
        }
        text += "    INDEX 01 00:00:00\n";
        if (const auto pause = next ? pauseInPrevious(&track, *next) : std::nullopt) {
            text += "  TRACK " + twoDigits(next->number) + " AUDIO\n";
            names(text, *next);
            text += "    INDEX 00 " + msf(*pause) + "\n";
        }
    }
    return text;
}
