// WAV files: the 44-byte canonical header, the WAV file source and the WAV file sink.
#pragma once

#include <array>
#include <memory>

#include "ACS_Classes.h"
#include "Streams.h"

using TWaveHeader = std::array<uint8_t, 44>;

// Where the sound of a RIFF/WAVE file lies and how it is laid out.
struct WaveLayout {
    int formatTag = 0;  // 1 for PCM, also for extensible PCM
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    int blockAlign = 0;
    int64_t dataOffset = 0;
    int64_t dataSize = 0;  // the bytes of sound actually present
};

// Walks the chunks of a RIFF/WAVE stream. False when the stream is not a complete WAV file.
bool ParseWaveLayout(Stream& stream, WaveLayout& layout);

// The format tag of a RIFF/WAVE stream (1 for PCM), or 0 when it is not one.
uint32_t CheckWaveHeader(Stream& stream);
// Fills the canonical header; a data size of -1 (unknown) is written as 0xFFFFFFFF.
void FillWaveHeader(TWaveHeader& header, int channels, int bits, int64_t dataSize, int sampleRate);
// Writes the header of CD audio (44100 Hz, 16 bits, stereo) at the stream's position.
void WriteCdWaveHeader(Stream& stream, int64_t dataSize);

class TWaveIn : public TACSFileIn {
  public:
    using TACSFileIn::TACSFileIn;
    ~TWaveIn() override;

    int ReadData(void* buffer, int count) override;
    void OpenFile() override;
    void CloseFile() override;

  private:
    int refill();
    int64_t readBlock();
    void restartLoop();

    std::unique_ptr<FileStream> m_file;
    std::array<uint8_t, 32768> m_block{};
    int m_formatTag = 0;
    int m_blockAlign = 4;
    int64_t m_dataOffset = 44;
    int64_t m_dataRead = 0;  // bytes of the data chunk read from the file so far
};

class TWaveOut : public TACSOutput {
  public:
    using TACSOutput::TACSOutput;
    ~TWaveOut() override;

    const std::string& FileName() const { return m_fileName; }
    void SetFileName(const std::string& name) { m_fileName = name; }

  protected:
    bool ProcessChunk(bool abort) override;
    void Finish() override;
    void Prepare() override;

  private:
    std::string m_fileName;
    std::unique_ptr<FileStream> m_file;
    std::array<uint8_t, 32768> m_chunk{};
    int64_t m_headerDataSize = 0;  // the data size the header was written with
    int64_t m_written = 0;         // data bytes written by this run
};
