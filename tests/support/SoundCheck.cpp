#include "SoundCheck.h"

#include <lame/lame.h>

#include <cmath>
#include <filesystem>
#include <numbers>

#include "RunCommand.h"
#include "TestFiles.h"

double channelTone(int channel) {
    return 330.0 + 220.0 * channel;
}

std::vector<uint8_t> channelTones(double seconds, int rate, int channels, int bits) {
    const auto frames = static_cast<size_t>(seconds * rate);
    const int width = bits / 8;
    std::vector<uint8_t> out(frames * static_cast<size_t>(channels * width));
    uint8_t* p = out.data();
    for (size_t frame = 0; frame < frames; ++frame) {
        for (int channel = 0; channel < channels; ++channel) {
            const double v =
                0.5 * std::sin(2 * std::numbers::pi * channelTone(channel) * frame / rate);
            if (width == 1) {
                *p++ = static_cast<uint8_t>(std::lround(128 + 127 * v));
                continue;
            }
            // The value at full 32-bit scale; narrower widths take its top bytes.
            const auto full =
                static_cast<uint32_t>(static_cast<int32_t>(std::lround(v * 2147483647.0)));
            for (int byte = 4 - width; byte < 4; ++byte)
                *p++ = static_cast<uint8_t>(full >> (8 * byte));
        }
    }
    return out;
}

double measuredTone(const std::vector<int16_t>& interleaved, int channels, int channel, int rate) {
    const size_t frames = interleaved.size() / static_cast<size_t>(channels);
    const size_t from = frames / 10, to = frames - frames / 10;
    constexpr int threshold = 2000;  // a sixth of the tones' amplitude
    int crossings = 0;
    size_t first = 0, last = 0;
    bool low = false;
    for (size_t frame = from; frame < to; ++frame) {
        const int s =
            interleaved[frame * static_cast<size_t>(channels) + static_cast<size_t>(channel)];
        if (s < -threshold) {
            low = true;
        } else if (s > threshold && low) {
            low = false;
            if (crossings++ == 0) first = frame;
            last = frame;
        }
    }
    if (crossings < 2) return 0;
    return double(crossings - 1) * rate / double(last - first);
}

DecodedMp3 decodeMp3(const std::vector<uint8_t>& bytes) {
    DecodedMp3 result;
    hip_t decoder = hip_decode_init();
    std::vector<short> left(1152 * 4), right(left.size());
    std::vector<unsigned char> input(bytes.begin(), bytes.end());
    size_t length = input.size();
    // The decoder takes all the bytes at once and gives out one frame per call.
    for (int idle = 0; idle < 4;) {
        mp3data_struct info{};
        const int n =
            hip_decode1_headers(decoder, input.data(), length, left.data(), right.data(), &info);
        length = 0;
        if (n < 0) break;
        if (info.header_parsed) {
            result.rate = info.samplerate;
            result.channels = info.stereo;
        }
        if (n == 0) {
            ++idle;
            continue;
        }
        idle = 0;
        for (int i = 0; i < n; ++i) {
            result.samples.push_back(left[static_cast<size_t>(i)]);
            if (result.channels == 2) result.samples.push_back(right[static_cast<size_t>(i)]);
        }
    }
    hip_decode_exit(decoder);
    return result;
}

long long lameDecodedFrames(const std::string& mp3Path) {
    if (runCommand("command -v lame").status != 0) return -1;
    const std::string wav = mp3Path + ".decoded.wav";
    const CommandResult decoded =
        runCommand("lame --quiet --decode " + shellQuote(mp3Path) + " " + shellQuote(wav));
    if (decoded.status != 0) return -1;
    const std::vector<uint8_t> bytes = readBytes(wav);
    std::filesystem::remove(wav);
    // lame writes the canonical header: channels at 22, bits at 34, data size at 40.
    if (bytes.size() < 44) return -1;
    const int channels = bytes[22] | bytes[23] << 8;
    const int bits = bytes[34] | bytes[35] << 8;
    const long long data = static_cast<long long>(bytes.size()) - 44;
    return channels > 0 && bits > 0 ? data / (channels * bits / 8) : -1;
}
