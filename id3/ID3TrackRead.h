// Track tags read from the ID3v2 tag at the start of an MP3 file (version 2.2, 2.3 or 2.4),
// for carrying them into a file of another format: the names, track and disc numbers ("n/N",
// "d/D"), the date (TDRC or TYER), the genre as players show it, the MusicBrainz ids as the
// common taggers store them (TXXX, UFID) and the front cover, else the first picture.
#pragma once

#include <string>

#include "ID3Tag.h"
#include "TrackTags.h"

// The most tag bytes read from a file: room for the largest cover taken and its frames.
constexpr std::size_t kMaxReadTagBytes = 20u << 20;

TrackTags trackTagsFromId3(const TID3Tag& tag);
// The tags of the file's leading ID3v2 tag; empty ones when it has none or cannot be read.
TrackTags readId3TrackTags(const std::string& fileName);
