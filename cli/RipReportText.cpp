#include "RipReportText.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "RipResults.h"

namespace {

using quillon::accuraterip::TrackVerdict;

const char* outcomeText(TrackRipReport::Outcome outcome) {
    switch (outcome) {
        case TrackRipReport::Outcome::done:
            return "done";
        case TrackRipReport::Outcome::cancelled:
            return "cancelled";
        case TrackRipReport::Outcome::failed:
            break;
    }
    return "failed";
}

const char* lookupText(quillon::accuraterip::Lookup::Outcome outcome) {
    switch (outcome) {
        case quillon::accuraterip::Lookup::Outcome::found:
            return "found";
        case quillon::accuraterip::Lookup::Outcome::notFound:
            return "not-found";
        case quillon::accuraterip::Lookup::Outcome::offline:
            break;
    }
    return "offline";
}

std::string verdictText(const TrackVerdict& verdict) {
    switch (verdict.status) {
        case TrackVerdict::Status::accurate:
            return "accurate (confidence " + std::to_string(verdict.confidence) + ", v" +
                   std::to_string(verdict.version) + ")";
        case TrackVerdict::Status::mismatch:
            return "mismatch";
        case TrackVerdict::Status::notFound:
            return "not in database";
        case TrackVerdict::Status::offline:
            break;
    }
    return "not verified (offline)";
}

// The ids text "NNN-xxxxxxxx-xxxxxxxx-xxxxxxxx" split into its three checksums, upper case.
nlohmann::json discJson(const RipReport& report) {
    nlohmann::json disc = {{"ids", report.discIds},
                           {"cddb_id", nullptr},
                           {"accuraterip_id1", nullptr},
                           {"accuraterip_id2", nullptr}};
    unsigned tracks = 0, id1 = 0, id2 = 0, cddb = 0;
    char end = 0;
    if (std::sscanf(report.discIds.c_str(), "%3u-%8x-%8x-%8x%c", &tracks, &id1, &id2, &cddb,
                    &end) == 4) {
        disc["accuraterip_id1"] = checksumText(id1);
        disc["accuraterip_id2"] = checksumText(id2);
        disc["cddb_id"] = checksumText(cddb);
    }
    disc["artist"] = report.artist;
    disc["album"] = report.album;
    return disc;
}

}  // namespace

std::string ripResultLines(const RipReport& report) {
    std::string lines;
    for (const TrackRipReport& track : report.tracks) {
        std::string line = "Track " + trackNumberText(track.number) + ": ";
        if (track.outcome != TrackRipReport::Outcome::done) {
            line += outcomeText(track.outcome);
            if (!track.error.empty()) line += " (" + track.error + ")";
        } else {
            std::string notes;
            const std::size_t unsettled = track.unsettledPositions.size();
            if (unsettled > 0)
                notes += std::to_string(unsettled) + " unsettled position" +
                         (unsettled == 1 ? "" : "s") + ", first at " +
                         track.unsettledPositions.front() + "; ";
            if (track.testCrc32 && *track.testCrc32 != track.crc32)
                notes += "test and copy CRCs differ; ";
            line += notes + verdictText(track.verdict);
            if (!track.secure) line += ", read in fast mode";
        }
        lines += line + "\n";
    }
    return lines;
}

std::string ripReportJson(const RipReport& report) {
    nlohmann::json tracks = nlohmann::json::array();
    for (const TrackRipReport& track : report.tracks) {
        nlohmann::json verdict = {
            {"status", quillon::accuraterip::statusText(track.verdict.status)},
            {"confidence", track.verdict.confidence}};
        if (track.verdict.status == TrackVerdict::Status::accurate)
            verdict["version"] = track.verdict.version;
        tracks.push_back({
            {"number", track.number},
            {"title", track.title},
            {"file", track.file},
            {"outcome", outcomeText(track.outcome)},
            {"error", track.error},
            {"first_sector", track.firstSector},
            {"sectors", track.sectorCount},
            {"peak", track.peak},
            {"crc32", checksumText(track.crc32)},
            {"test_crc32",
             track.testCrc32 ? nlohmann::json(checksumText(*track.testCrc32)) : nullptr},
            {"accuraterip_v1", checksumText(track.accurateRipV1)},
            {"accuraterip_v2", checksumText(track.accurateRipV2)},
            {"accuraterip", verdict},
            {"secure", track.secure},
            {"reread_sectors", track.rereadSectors},
            {"jittered_reads", track.jitteredReads},
            {"unsettled", track.unsettledPositions},
            {"read_cleanly", track.readCleanly()},
        });
    }
    const nlohmann::json document = {
        {"program", report.programVersion},
        {"drive", report.drive},
        {"mode", report.mode == RipReadMode::secure ? "secure" : "fast"},
        {"offset", report.offset},
        {"test_pass", report.testPass},
        {"lookup", lookupText(report.lookup)},
        {"disc", discJson(report)},
        {"tracks", tracks},
    };
    // Names from a server may hold bytes that are not UTF-8; they are replaced, not fatal.
    return document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

bool everyTrackSettled(const RipReport& report) {
    for (const TrackRipReport& track : report.tracks)
        if (track.outcome != TrackRipReport::Outcome::done || !track.unsettledPositions.empty())
            return false;
    return true;
}
