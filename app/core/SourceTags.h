// The tags of a sound file the batch converter reads, so that its output carries them: the
// ID3v2 tag of an MP3 file, the Vorbis comments of an Ogg Vorbis file, the comments and
// PICTURE blocks of a FLAC file. WAV files carry none that are taken.
#pragma once

#include <string>

#include "TrackTags.h"

// Empty tags when the file has none or they cannot be read; never throws.
TrackTags readSourceTags(const std::string& path);
