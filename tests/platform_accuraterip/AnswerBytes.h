// Database answers written byte by byte, as the server sends them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "AccurateRipParse.h"

inline void appendWord(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

inline std::string pressingBytes(const quillon::accuraterip::DiscIds& ids,
                                 const std::vector<quillon::accuraterip::PressingTrack>& tracks) {
    std::string out(1, static_cast<char>(ids.audioTracks));
    appendWord(out, ids.id1);
    appendWord(out, ids.id2);
    appendWord(out, ids.cddbId);
    for (const auto& track : tracks) {
        out += static_cast<char>(track.confidence);
        appendWord(out, track.checksum);
        appendWord(out, track.frame450Checksum);
    }
    return out;
}
