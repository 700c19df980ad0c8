#include "DiscImages.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <utility>

#include "Synth.h"

namespace {

constexpr int kFrameBytes = 2352;
constexpr int kSamplesPerFrame = kFrameBytes / 2;  // 16-bit values over both channels

// The layout and its little-endian audio.
DiscImage synthesize(const std::vector<int>& trackFrames, unsigned seed) {
    DiscImage image;
    std::int32_t position = 0;
    for (size_t track = 0; track < trackFrames.size(); ++track) {
        const int frames = trackFrames[track];
        image.trackStarts.push_back(position);
        position += frames;
        const double seconds = frames / 75.0 + 0.1;
        std::vector<int16_t> samples =
            track % 2 == 0
                ? synthesizeMusic(seconds, 44100, 2, seed + static_cast<unsigned>(track))
                : synthesizeTone(seconds, 44100, 2, 220.0 * static_cast<double>(track + 1) + seed);
        samples.resize(static_cast<size_t>(frames) * kSamplesPerFrame);
        for (int16_t sample : samples) {
            const auto value = static_cast<uint16_t>(sample);
            image.audio.push_back(static_cast<uint8_t>(value));
            image.audio.push_back(static_cast<uint8_t>(value >> 8));
        }
    }
    image.leadOut = position;
    return image;
}

void writeData(const std::filesystem::path& path, std::vector<uint8_t> bytes, SampleOrder order) {
    if (order == SampleOrder::bigEndian) {
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            std::swap(bytes[i], bytes[i + 1]);
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

std::string msfText(std::int32_t frames) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", frames / 4500, frames / 75 % 60,
                  frames % 75);
    return text;
}

DiscImage writeCueImage(const std::filesystem::path& folder, const std::string& name,
                        const std::vector<int>& trackFrames, unsigned seed, SampleOrder order) {
    DiscImage image = synthesize(trackFrames, seed);
    image.sheet = folder / (name + ".cue");
    image.data = folder / (name + ".bin");
    writeData(image.data, image.audio, order);
    std::string sheet = "FILE \"" + name + ".bin\" " +
                        (order == SampleOrder::bigEndian ? "MOTOROLA" : "BINARY") + "\r\n";
    for (size_t track = 0; track < image.trackStarts.size(); ++track) {
        char line[64];
        std::snprintf(line, sizeof line, "  TRACK %02zu AUDIO\r\n    INDEX 01 ", track + 1);
        sheet += line + msfText(image.trackStarts[track]) + "\r\n";
    }
    writeText(image.sheet, sheet);
    return image;
}

DiscImage writeTocImage(const std::filesystem::path& folder, const std::string& name,
                        const std::vector<int>& trackFrames, unsigned seed) {
    DiscImage image = synthesize(trackFrames, seed);
    image.sheet = folder / (name + ".toc");
    image.data = folder / (name + ".bin");
    writeData(image.data, image.audio, SampleOrder::bigEndian);
    std::string sheet = "CD_DA\n\n// made for tests\n";
    for (size_t track = 0; track < image.trackStarts.size(); ++track) {
        sheet += "TRACK AUDIO\n";
        sheet += "FILE \"" + name + ".bin\" " + msfText(image.trackStarts[track]) + " " +
                 msfText(trackFrames[track]) + "\n\n";
    }
    writeText(image.sheet, sheet);
    return image;
}
