#include "TestFiles.h"

#include <cstring>
#include <fstream>
#include <random>
#include <stdexcept>

namespace {
void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v);
    put16(out, v >> 16);
}
void putId(std::vector<uint8_t>& out, const char* id) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(id[i]));
}
}  // namespace

TempDir::TempDir() {
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("quillon-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(m_path, ignored);
}

std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<uint8_t> canonicalWav(int channels, int bits, int rate,
                                  const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out;
    const uint32_t align = static_cast<uint32_t>(channels * bits / 8);
    putId(out, "RIFF");
    put32(out, static_cast<uint32_t>(data.size() + 36));
    putId(out, "WAVE");
    putId(out, "fmt ");
    put32(out, 16);
    put16(out, 1);
    put16(out, static_cast<uint32_t>(channels));
    put32(out, static_cast<uint32_t>(rate));
    put32(out, align * static_cast<uint32_t>(rate));
    put16(out, align);
    put16(out, static_cast<uint32_t>(bits));
    putId(out, "data");
    put32(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

void writeWav(const std::string& path, int channels, int bits, int rate,
              const std::vector<uint8_t>& data) {
    writeBytes(path, canonicalWav(channels, bits, rate, data));
}

std::vector<uint8_t> pcm16Bytes(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> out;
    out.reserve(samples.size() * 2);
    for (int16_t s : samples)
        put16(out, static_cast<uint16_t>(s));
    return out;
}

std::vector<int16_t> pcm16Samples(const std::vector<uint8_t>& bytes, size_t offset) {
    std::vector<int16_t> out;
    for (size_t i = offset; i + 1 < bytes.size(); i += 2)
        out.push_back(static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8));
    return out;
}

std::map<std::string, std::vector<uint8_t>> filesUnder(const std::filesystem::path& folder) {
    std::map<std::string, std::vector<uint8_t>> files;
    if (!std::filesystem::exists(folder)) return files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[entry.path().lexically_relative(folder).string()] =
                readBytes(entry.path().string());
    return files;
}

std::size_t threadCount() {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                      std::filesystem::directory_iterator()));
}
