// Files for tests: a temporary folder and WAV files made to order.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::string file(const std::string& name) const { return (m_path / name).string(); }

  private:
    std::filesystem::path m_path;
};

std::vector<uint8_t> readBytes(const std::string& path);
// Every file under the folder, by its path relative to it, with its bytes.
std::map<std::string, std::vector<uint8_t>> filesUnder(const std::filesystem::path& folder);
// The threads of this process, for telling that a job left none behind.
std::size_t threadCount();
void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// The canonical 44-byte header followed by data.
std::vector<uint8_t> canonicalWav(int channels, int bits, int rate,
                                  const std::vector<uint8_t>& data);
void writeWav(const std::string& path, int channels, int bits, int rate,
              const std::vector<uint8_t>& data);

// 16-bit samples as little-endian bytes, and back.
std::vector<uint8_t> pcm16Bytes(const std::vector<int16_t>& samples);
std::vector<int16_t> pcm16Samples(const std::vector<uint8_t>& bytes, size_t offset = 0);
