// FLAC files: the lossless encoding sink. Every frame is decoded again as it is encoded
// (the encoder's verification), so a file this writes holds exactly the samples it took.
#pragma once

#include <FLAC/stream_encoder.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "ACS_Classes.h"
#include "FrameCarry.h"
#include "PendingFile.h"

class TFlacOut : public TACSOutput {
  public:
    using TACSOutput::TACSOutput;
    ~TFlacOut() override;

    const std::string& FileName() const { return m_fileName; }
    void SetFileName(const std::string& name) { m_fileName = name; }
    // 0 (fastest) to 8 (smallest); the next run refuses other values.
    int CompressionLevel() const { return m_level; }
    void SetCompressionLevel(int level) { m_level = level; }

    static constexpr int kDefaultLevel = 5;

    // Called by the encoder's callbacks only.
    bool writeEncoded(const uint8_t* bytes, size_t count);
    bool seekOutput(uint64_t offset);
    bool tellOutput(uint64_t& offset);

  protected:
    bool ProcessChunk(bool abort) override;
    void Finish() override;
    void Prepare() override;

  private:
    void releaseEncoder();
    // Raises with the encoder's own account of why it stopped.
    [[noreturn]] void raiseEncoderError();

    std::string m_fileName;
    int m_level = kDefaultLevel;

    std::unique_ptr<PendingFile> m_file;
    std::string m_ioError;  // why the last write or seek failed, for the error text
    std::array<uint8_t, 65536> m_chunk{};
    std::vector<int32_t> m_samples;
    FrameCarry m_carry;
    FLAC__StreamEncoder* m_encoder = nullptr;
    bool m_aborted = false;
    int m_channels = 0;
    int m_bytesPerSample = 2;
};
