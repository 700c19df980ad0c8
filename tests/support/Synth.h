// Synthesized music for tests, the benchmarks and the demo disc: a few voices of plucked
// notes over a slow chord sequence, 16-bit interleaved samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// seconds of sound at rate Hz in channels (1 or 2); seed varies the melody.
std::vector<int16_t> synthesizeMusic(double seconds, int rate, int channels, unsigned seed = 1);
// A pure tone of the given frequency and amplitude (0..1).
std::vector<int16_t> synthesizeTone(double seconds, int rate, int channels, double frequency,
                                    double amplitude = 0.5);
// Writes synthesized music as a canonical 16-bit WAV file.
void writeMusicWav(const std::string& path, double seconds, int rate = 44100, int channels = 2,
                   unsigned seed = 1);
