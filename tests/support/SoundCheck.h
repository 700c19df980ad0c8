// Sound for checking what encoders and players do with every sample layout: a different
// tone on each channel, written at any width, and the means to find the tones again after
// a lossy round trip (MP3 decoding included).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The tone of a channel: distinct for each, so that shifted or swapped channels show.
double channelTone(int channel);
// Interleaved little-endian PCM of `bits` (8 unsigned, 16, 24 or 32 signed) with
// channelTone(c) on channel c at half of full scale.
std::vector<uint8_t> channelTones(double seconds, int rate, int channels, int bits);
// The frequency of one channel of interleaved 16-bit sound, counted by its rising crossings
// in the middle eight tenths (with some hysteresis against noise); 0 for silence.
double measuredTone(const std::vector<int16_t>& interleaved, int channels, int channel, int rate);

struct DecodedMp3 {
    int rate = 0;
    int channels = 0;
    std::vector<int16_t> samples;  // interleaved, every frame as decoded (delay included)
};
// Decodes a whole MP3 file with the encoder library's own decoder.
DecodedMp3 decodeMp3(const std::vector<uint8_t>& bytes);

// The sample frames `lame --decode` makes of an MP3 file (it drops the encoder's delay and
// padding that the info frame tells); -1 when lame is not installed or fails.
long long lameDecodedFrames(const std::string& mp3Path);
