// Reading the frame list of an ID3v2 tag of version 2.2, 2.3 or 2.4: unsynchronisation (of
// the whole tag or of single frames) undone, extended headers skipped, each frame's data
// freed of the bytes its flags add.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Tag header flags.
constexpr uint8_t kTagUnsynchronised = 0x80;
constexpr uint8_t kTagExtendedHeader = 0x40;  // in version 2.2: the tag is compressed
constexpr uint8_t kTagFooter = 0x10;          // version 2.4 only

struct TID3Frame {
    // Three characters in version 2.2, four in 2.3 and 2.4.
    std::string id;
    // The two flag bytes as stored (none in version 2.2).
    uint8_t status = 0;
    uint8_t format = 0;
    // The frame's data: unsynchronisation undone and the bytes that flags add (group,
    // encryption method, sizes) taken away.
    std::string data;
    // Compressed or encrypted: data holds what the file holds and cannot be read as text.
    bool opaque = false;
    // Version 2.3 only: the whole frame as it stands in the tag (header included), so that it
    // can be written again unchanged.
    std::string stored;
};

struct TID3Tag {
    uint8_t version = 0;
    // A version 2.2 tag marked compressed: there is no defined way to read its frames.
    bool compressed = false;
    std::vector<TID3Frame> frames;
};

// The frames of a tag, given its header's version and flags and the body that follows the
// header (the footer left out). The list ends at padding, at an identifier that is not one,
// or at a frame that does not fit in the body.
TID3Tag parseTag(uint8_t version, uint8_t flags, std::string_view body);

// Undoes unsynchronisation: every 0xFF 0x00 pair loses its zero.
std::string resynchronise(std::string_view bytes);
