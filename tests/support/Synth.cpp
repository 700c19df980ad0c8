#include "Synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "TestFiles.h"

namespace {
int16_t clip(double v) {
    return static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
}
}  // namespace

std::vector<int16_t> synthesizeMusic(double seconds, int rate, int channels, unsigned seed) {
    const size_t frames = static_cast<size_t>(seconds * rate);
    std::vector<int16_t> out(frames * static_cast<size_t>(channels));
    // A minor pentatonic scale over two octaves.
    const double scale[] = {220.0, 261.63, 293.66, 329.63, 392.0, 440.0, 523.25, 587.33, 659.25};
    const double chords[][3] = {{110.0, 130.81, 164.81},
                                {87.31, 110.0, 130.81},
                                {98.0, 123.47, 146.83},
                                {82.41, 103.83, 123.47}};
    const double noteLength = 0.25;
    unsigned state = seed * 2654435761u + 1;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 16;
    };
    const double twoPi = 2 * std::numbers::pi;
    double noteFrequency = scale[0];
    size_t noteStart = 0;
    const size_t noteFrames = static_cast<size_t>(noteLength * rate);
    for (size_t i = 0; i < frames; ++i) {
        if (i % noteFrames == 0) {
            noteFrequency = scale[next() % 9];
            noteStart = i;
        }
        const double t = static_cast<double>(i) / rate;
        const double noteT = static_cast<double>(i - noteStart) / rate;
        const double envelope = std::exp(-6.0 * noteT);
        const double lead = envelope * (std::sin(twoPi * noteFrequency * t) +
                                        0.3 * std::sin(twoPi * 2 * noteFrequency * t));
        const auto& chord = chords[static_cast<size_t>(t / 2.0) % 4];
        double pad = 0;
        for (double f : chord)
            pad += std::sin(twoPi * f * t);
        const double left = 9000 * lead + 2500 * pad;
        const double right = 7000 * lead + 3000 * pad * std::cos(twoPi * 0.1 * t);
        if (channels == 1) {
            out[i] = clip((left + right) / 2);
        } else {
            out[i * static_cast<size_t>(channels)] = clip(left);
            for (int c = 1; c < channels; ++c)
                out[i * static_cast<size_t>(channels) + static_cast<size_t>(c)] = clip(right);
        }
    }
    return out;
}

std::vector<int16_t> synthesizeTone(double seconds, int rate, int channels, double frequency,
                                    double amplitude) {
    const size_t frames = static_cast<size_t>(seconds * rate);
    std::vector<int16_t> out;
    out.reserve(frames * static_cast<size_t>(channels));
    for (size_t i = 0; i < frames; ++i) {
        const double v = amplitude * 32767 * std::sin(2 * std::numbers::pi * frequency * i / rate);
        for (int c = 0; c < channels; ++c)
            out.push_back(clip(v));
    }
    return out;
}

void writeMusicWav(const std::string& path, double seconds, int rate, int channels, unsigned seed) {
    writeWav(path, channels, 16, rate, pcm16Bytes(synthesizeMusic(seconds, rate, channels, seed)));
}
