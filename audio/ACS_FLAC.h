// FLAC files: the decoding source and the lossless encoding sink. The sink decodes every
// frame again as it encodes it (the encoder's verification), so a file it writes holds
// exactly the samples it took.
#pragma once

#include <FLAC/stream_decoder.h>
#include <FLAC/stream_encoder.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "ACS_Classes.h"
#include "FrameCarry.h"
#include "PendingFile.h"
#include "Streams.h"
#include "TrackTags.h"

// Delivers the samples of a FLAC file as little-endian PCM of 8 (unsigned), 16, 24 or 32
// bits; depths in between (12, 20 bits) come widened to the next of these, the samples
// shifted up so that full scale stays full scale.
class TFlacIn : public TACSFileIn {
  public:
    using TACSFileIn::TACSFileIn;
    ~TFlacIn() override;

    int ReadData(void* buffer, int count) override;
    void OpenFile() override;
    void CloseFile() override;

    // Called by the decoder's callbacks only.
    Stream* file() { return m_file.get(); }
    bool takeFrame(const FLAC__Frame& frame, const FLAC__int32* const channels[]);
    void takeStreamInfo(const FLAC__StreamMetadata_StreamInfo& info);
    void noteDamage() { m_damaged = true; }

  private:
    int refill();
    // Decodes until a frame arrived or the data ended; returns the frame's bytes.
    int decodeFrame();
    bool seekToFrame(int64_t frame);
    void closeDecoder();

    std::unique_ptr<FileStream> m_file;
    FLAC__StreamDecoder* m_decoder = nullptr;
    std::vector<uint8_t> m_block;  // one decoded frame; sized once per open, never moved
    int m_filled = 0;
    int m_sourceBits = 0;
    int m_maxBlockSize = 0;
    bool m_haveInfo = false;
    bool m_damaged = false;
    bool m_endOfData = false;
};

class TFlacOut : public TACSOutput {
  public:
    using TACSOutput::TACSOutput;
    ~TFlacOut() override;

    const std::string& FileName() const { return m_fileName; }
    void SetFileName(const std::string& name) { m_fileName = name; }
    // 0 (fastest) to 8 (smallest); the next run refuses other values.
    int CompressionLevel() const { return m_level; }
    void SetCompressionLevel(int level) { m_level = level; }
    // The tags the files of the next runs carry in a comment block, the cover in a picture
    // block; empty tags (as on creation) add none. Set while the sink is not busy.
    const TrackTags& Tags() const { return m_tags; }
    void SetTags(const TrackTags& tags) { m_tags = tags; }

    static constexpr int kDefaultLevel = 5;

    // Called by the encoder's callbacks only.
    bool writeEncoded(const uint8_t* bytes, size_t count);
    bool seekOutput(uint64_t offset);
    bool tellOutput(uint64_t& offset);
    // A pipe or device takes the stream as it comes; its header keeps the estimated length.
    bool outputSeekable() const { return !m_file->direct(); }

  protected:
    bool ProcessChunk(bool abort) override;
    void Finish() override;
    void Prepare() override;

  private:
    void releaseEncoder();
    // Hands the encoder the metadata blocks for the tags, before its start.
    void setMetadata();
    // Raises with the encoder's own account of why it stopped.
    [[noreturn]] void raiseEncoderError();

    std::string m_fileName;
    int m_level = kDefaultLevel;
    TrackTags m_tags;

    std::unique_ptr<PendingFile> m_file;
    std::string m_ioError;  // why the last write or seek failed, for the error text
    std::array<uint8_t, 65536> m_chunk{};
    std::vector<int32_t> m_samples;
    FrameCarry m_carry;
    FLAC__StreamEncoder* m_encoder = nullptr;
    // The blocks the encoder writes; it keeps pointers to them until it is deleted.
    std::vector<FLAC__StreamMetadata*> m_metadata;
    bool m_aborted = false;
    int m_channels = 0;
    int m_bytesPerSample = 2;
};
