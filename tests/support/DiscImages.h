// Disc images for tests and the demo: CUE/BIN or cdrdao TOC/BIN of synthesized audio in any
// track layout.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

enum class SampleOrder { littleEndian, bigEndian };

struct DiscImage {
    std::filesystem::path sheet;  // the .cue or .toc file
    std::filesystem::path data;   // the .bin file beside it
    std::vector<std::int32_t> trackStarts;
    std::int32_t leadOut = 0;
    // The disc's audio from frame 0 as 16-bit little-endian stereo samples: what a reader of
    // the image should deliver, whatever the byte order in the file.
    std::vector<std::uint8_t> audio;
};

// One track per entry of trackFrames (its length in frames of 2352 bytes), starting at frame 0
// without gaps; tracks alternate between music and tones, and seed varies them.
// A CUE sheet declares its file "BINARY" (little-endian) or "MOTOROLA" (big-endian).
DiscImage writeCueImage(const std::filesystem::path& folder, const std::string& name,
                        const std::vector<int>& trackFrames, unsigned seed = 1,
                        SampleOrder order = SampleOrder::littleEndian);
// A TOC sheet's raw audio file holds big-endian samples, as cdrdao defines it.
DiscImage writeTocImage(const std::filesystem::path& folder, const std::string& name,
                        const std::vector<int>& trackFrames, unsigned seed = 1);

// "mm:ss:ff" for a frame count.
std::string msfText(std::int32_t frames);
