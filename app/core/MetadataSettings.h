// Where the names of a disc are looked for, and the name template of the ripped files: the
// sections Metadata, MusicBrainz and Naming of settings.ini.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CoverFile.h"
#include "DiscMetadata.h"
#include "RipSettings.h"

class TIniFile;

inline constexpr const char* kDefaultMetadataSources = "cdtext,musicbrainz,cddb";
// Keeps the names a rip has always given: the track's title, or Track-NN without one.
inline constexpr const char* kDefaultNamingTemplate = "{title}";

struct MetadataSettings {
    // Asked in this order; the first that knows the disc names it.
    std::vector<DiscMetadata::Source> sources;
    std::string musicBrainzServer;  // as written; empty means the service's own
    std::string coverArtServer;     // likewise
    std::string contact;            // put in the User-Agent for the service's operators
    std::size_t maxCoverBytes = kDefaultMaxCoverBytes;
    CddbSettings cddb;
};

// "cdtext,musicbrainz,cddb" in any order and any subset, blanks and case ignored; "none" or
// an empty text for no lookup at all. Nothing for an unknown or repeated word.
std::optional<std::vector<DiscMetadata::Source>> parseMetadataSources(std::string_view list);

// A list the settings file gets wrong falls back to the default, as does a cover cap that is
// not a positive number of bytes.
MetadataSettings readMetadataSettings(const TIniFile& settings);

// Key "maxcover": the largest cover saved beside the ripped files, in bytes, or with a unit
// "K"/"KB" or "M"/"MB" (1024 and 1024 × 1024 bytes), as "2 MB". 0 saves no cover file. A
// missing or unreadable value gives the default of 2 MB.
std::size_t readMaxCoverBytes(const TIniFile& settings);

// [Naming] template, or the default when the key is missing or empty.
std::string readNamingTemplate(const TIniFile& settings);
