// Output file names from a template such as "{albumartist}/{album}/{track} {title}": the
// names of the disc fill the fields, and "/" makes folders below the output folder.
//
// The names are outside data (a disc, a web service, a CDDB server). Whatever they hold, a
// field cannot leave the output folder or make a hidden or empty name: each becomes part of
// one path component, and each component of the result is cleaned and capped.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "DiscMetadata.h"
#include "TrackList.h"

// Room for the format's extension and the rip's temporary suffix within the 255 bytes a
// Linux file name may have.
inline constexpr std::size_t kMaxNameComponentBytes = 200;

struct NamingFields {
    std::string artist;       // the track's artist
    std::string albumArtist;  // the disc's artist
    std::string album;
    std::string year;   // four digits, or empty
    std::string disc;   // the disc's number in a set, or empty
    std::string track;  // two digits
    std::string title;
};

// The fields of the track at table position `position`, numbered `trackNumber`. A missing
// title is "Track-NN", as the list names a track before any lookup; a missing artist or album
// is "Unknown Artist" or "Unknown Album".
NamingFields namingFields(const DiscMetadata& disc, std::size_t position, int trackNumber);

// An error text for a template with an unknown or unclosed field, or nothing when it is good.
std::optional<std::string> namingTemplateError(std::string_view pattern);

// The relative path the template makes, without an extension. Every field loses what could
// change the path ('/', NUL, control characters); each component then loses blanks at either
// end, leading dots become '_', "." and ".." cannot occur, empty components are dropped, and
// each is cut to kMaxNameComponentBytes without splitting a UTF-8 sequence. Never empty:
// a template that yields nothing gives the track's Track-NN name. Unknown fields stay as text.
std::string namedPath(std::string_view pattern, const NamingFields& fields);

// Names every row of the list after the template and the disc's names, with the format's
// extension; a name that an earlier row already has gets " (2)", " (3)" ... added. Row k is the
// track at table position k, numbered firstTrack + k.
void applyNamingTemplate(TrackList& list, const DiscMetadata& disc, int firstTrack,
                         std::string_view pattern, OutputFormat format);
