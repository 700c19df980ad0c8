// The seven fields of a tag of version 2.2, 2.3 or 2.4, and the frames of the version 2.3 tag
// that saving writes: every frame of the file's tag kept in its order, unchanged in a 2.3
// tag, turned into its 2.3 form from 2.2 and 2.4, with the edited fields put in place.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "ID3Frames.h"
#include "ID3Tag.h"

struct TID3Fields {
    std::string title;
    std::string artist;
    std::string album;
    uint8_t track = 0;  // 0: no track number
    std::string year;
    std::string genre;
    std::string comment;
};

struct TID3Reading {
    TID3Fields fields;
    // Per slot, the index of the frame the field was read from; -1 when there is none.
    std::array<int, slCount> source{};
};

// The fields of a tag. A frame met again replaces the earlier one; the comment is that of a
// COMM frame with an empty short description, else of one that is not player data.
TID3Reading readFields(const TID3Tag& tag);

// A frame of a tag of the given version in its version 2.3 form: one frame or more (a 2.4
// recording time gives year, date and time), none for an empty one. Nothing when version 2.3
// has no frame that means the same.
std::optional<std::vector<std::string>> toVersion23(const TID3Frame& frame, uint8_t version);

struct TID3Rewrite {
    // Whole version 2.3 frames in the order they are to be written.
    std::vector<std::string> frames;
    // Identifiers of the frames that a version 2.3 tag cannot hold, each once, in tag order.
    // When there are any, the tag must not be rewritten.
    std::vector<std::string> unkept;
};

// The frames of the tag with the fields set to wanted. Fields that keep the value they have
// in the tag keep their frames as they are; a changed field's frame is replaced where it
// stands (a track total and a comment's language and description kept) or dropped when the
// new value is empty; fields new to the tag follow the other frames in slot order.
TID3Rewrite rewriteFrames(const TID3Tag& tag, const TID3Fields& wanted);
