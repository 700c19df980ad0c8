#include <cmath>
#include <cstdio>
#include <numeric>

#include "RipReport.h"
#include "RipResults.h"

namespace {

using quillon::accuraterip::Lookup;
using quillon::accuraterip::TrackVerdict;

// What a track comes to in the summary, worst first: a track counts once, under the first
// of these that applies.
enum class Kind {
    failed,
    cancelled,
    unsettled,
    testDiffers,
    mismatch,
    accurate,
    notFound,
    offline
};

Kind kindOf(const TrackRipReport& track) {
    if (track.outcome == TrackRipReport::Outcome::failed) return Kind::failed;
    if (track.outcome == TrackRipReport::Outcome::cancelled) return Kind::cancelled;
    if (!track.unsettledPositions.empty()) return Kind::unsettled;
    if (track.testCrc32 && *track.testCrc32 != track.crc32) return Kind::testDiffers;
    switch (track.verdict.status) {
        case TrackVerdict::Status::accurate:
            return Kind::accurate;
        case TrackVerdict::Status::mismatch:
            return Kind::mismatch;
        case TrackVerdict::Status::notFound:
            return Kind::notFound;
        case TrackVerdict::Status::offline:
            break;
    }
    return Kind::offline;
}

std::string count(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string positionsText(const std::vector<std::string>& positions) {
    std::string text;
    for (const std::string& position : positions) {
        if (!text.empty()) text += ", ";
        text += oneLineText(position);
    }
    return text;
}

std::string offsetText(std::int32_t offset) {
    return (offset > 0 ? "+" : "") + std::to_string(offset) + " samples";
}

std::string peakText(double peak) {
    // A peak the job could not measure is no reason to write "nan" into the log.
    if (!std::isfinite(peak) || peak < 0) peak = 0;
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %%", std::min(peak, 1.0) * 100.0);
    return text;
}

const char* lookupText(Lookup::Outcome outcome) {
    switch (outcome) {
        case Lookup::Outcome::found:
            return "found";
        case Lookup::Outcome::notFound:
            return "not in database";
        case Lookup::Outcome::offline:
            break;
    }
    return "not verified: offline";
}

void line(std::string& text, const char* label, const std::string& value) {
    text += label;
    text += value;
    text += '\n';
}

void trackBlock(std::string& text, const TrackRipReport& track, bool secureRun) {
    text += "Track " + trackNumberText(track.number) + "\n";
    line(text, "  File: ", oneLineText(track.file));
    if (track.outcome == TrackRipReport::Outcome::cancelled) {
        line(text, "  Result: ", "cancelled");
        return;
    }
    if (track.outcome == TrackRipReport::Outcome::failed) {
        line(text, "  Result: ", "failed: " + oneLineText(track.error));
        return;
    }
    line(text, "  Peak level: ", peakText(track.peak));
    line(text, "  CRC32: ", checksumText(track.crc32));
    if (track.testCrc32)
        line(text, "  Test CRC32: ",
             checksumText(*track.testCrc32) +
                 (*track.testCrc32 == track.crc32 ? " (agrees)" : " (DIFFERS from the copy)"));
    else
        line(text, "  Test CRC32: ", "none (no test pass)");
    line(text, "  AccurateRip v1: ", checksumText(track.accurateRipV1));
    line(text, "  AccurateRip v2: ", checksumText(track.accurateRipV2));
    line(text, "  AccurateRip: ", verdictText(track.verdict, true));
    if (secureRun) {
        std::string rereads = std::to_string(track.rereadSectors);
        if (track.jitteredReads > 0)
            rereads += " (" + count(track.jitteredReads, "read", "reads") + " shifted by jitter)";
        line(text, "  Re-read sectors: ", rereads);
        line(text, "  Unsettled positions: ",
             track.unsettledPositions.empty() ? std::string("none")
                                              : positionsText(track.unsettledPositions));
    } else {
        line(text, "  Reading: ", "fast, not checked");
    }
    line(text, "  Result: ", trackResultText(track));
}

// Appends one UTF-8 code point.
void append(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The code point starting at text[i] and its length; nothing usable gives length 0.
std::pair<char32_t, std::size_t> decode(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (lead < 0x80) return {lead, 1};
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, c = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, c = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, c = lead & 0x07, least = 0x10000;
    } else {
        return {0, 0};
    }
    if (i + length > text.size()) return {0, 0};
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return {0, 0};
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if (c < least || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return {0, 0};
    return {c, length};
}

bool breaksTheLine(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

std::string oneLineText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto [c, length] = decode(text, i);
        if (length == 0) {
            append(out, 0xFFFD);
            ++i;
            continue;
        }
        append(out, breaksTheLine(c) ? U' ' : c);
        i += length;
    }
    return out;
}

std::string verdictText(const TrackVerdict& verdict, bool withVersion) {
    switch (verdict.status) {
        case TrackVerdict::Status::accurate: {
            std::string text = "accurate, confidence " + std::to_string(verdict.confidence);
            if (withVersion) text += verdict.version == 2 ? " (v2)" : " (v1)";
            return text;
        }
        case TrackVerdict::Status::mismatch:
            return "mismatch";
        case TrackVerdict::Status::notFound:
            return "not in database";
        case TrackVerdict::Status::offline:
            break;
    }
    return "not verified: offline";
}

std::string trackResultText(const TrackRipReport& track) {
    switch (kindOf(track)) {
        case Kind::failed:
            return "failed: " + oneLineText(track.error);
        case Kind::cancelled:
            return "cancelled";
        case Kind::unsettled:
            return count(track.unsettledPositions.size(), "unsettled position",
                         "unsettled positions") +
                   " at " + positionsText(track.unsettledPositions);
        case Kind::testDiffers:
            return "test and copy CRCs differ";
        default:
            return verdictText(track.verdict, false);
    }
}

std::string ripSummaryText(const RipReport& report) {
    const std::size_t total = report.tracks.size();
    if (total == 0) return "No tracks ripped";
    std::size_t kinds[8] = {};
    std::size_t unsettledPositions = 0;
    for (const TrackRipReport& track : report.tracks) {
        ++kinds[static_cast<int>(kindOf(track))];
        unsettledPositions += track.unsettledPositions.size();
    }
    const auto of = [&](Kind kind) { return kinds[static_cast<int>(kind)]; };
    const std::string tracks = count(total, "track", "tracks");

    if (report.mode == RipReadMode::fast) {
        // Whatever the database says, a single unchecked read is not a verified rip.
        std::string text = "Fast read of " + tracks + ", not verified";
        std::vector<std::string> parts;
        if (of(Kind::failed)) parts.push_back(std::to_string(of(Kind::failed)) + " failed");
        if (of(Kind::cancelled))
            parts.push_back(std::to_string(of(Kind::cancelled)) + " cancelled");
        if (of(Kind::accurate))
            parts.push_back(std::to_string(of(Kind::accurate)) + " matching AccurateRip");
        if (of(Kind::mismatch))
            parts.push_back(std::to_string(of(Kind::mismatch)) + " not matching AccurateRip");
        for (std::size_t k = 0; k < parts.size(); ++k)
            text += (k == 0 ? ": " : ", ") + parts[k];
        return text;
    }

    if (of(Kind::accurate) == total)
        return total == 1 ? "The track was accurately ripped"
                          : "All " + tracks + " accurately ripped";
    std::string text = std::to_string(of(Kind::accurate)) + " of " + tracks + " accurate";
    const auto add = [&](Kind kind, const std::string& what) {
        if (of(kind)) text += ", " + std::to_string(of(kind)) + " " + what;
    };
    add(Kind::failed, "failed");
    add(Kind::cancelled, "cancelled");
    add(Kind::unsettled,
        "with " + count(unsettledPositions, "unsettled position", "unsettled positions"));
    add(Kind::testDiffers, "with differing test and copy CRCs");
    add(Kind::mismatch, of(Kind::mismatch) == 1 ? "mismatch" : "mismatches");
    add(Kind::notFound, "not in database");
    add(Kind::offline, "not verified");
    return text;
}

std::string checksumText(std::uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

std::string trackNumberText(int number) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", number);
    return text;
}

std::string ripLogText(const RipReport& report) {
    std::string text;
    line(text, "", "Quillon " + oneLineText(report.programVersion) + " rip log");
    text += '\n';
    line(text, "Drive: ", report.drive.empty() ? "unknown" : oneLineText(report.drive));
    line(text, "Read mode: ", report.mode == RipReadMode::fast ? "fast" : "secure");
    line(text, "Read offset: ", offsetText(report.offset));
    line(text, "Test pass: ", report.testPass ? "on" : "off");
    if (!report.artist.empty()) line(text, "Artist: ", oneLineText(report.artist));
    if (!report.album.empty()) line(text, "Album: ", oneLineText(report.album));
    line(text, "AccurateRip disc ids: ",
         report.discIds.empty() ? "unknown" : oneLineText(report.discIds));
    line(text, "AccurateRip lookup: ", lookupText(report.lookup));
    for (const TrackRipReport& track : report.tracks) {
        text += '\n';
        trackBlock(text, track, report.mode == RipReadMode::secure);
    }
    text += '\n';
    line(text, "", ripSummaryText(report));
    return text;
}
