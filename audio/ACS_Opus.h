// Ogg Opus files: the encoding sink. The encoder takes sound at any rate (it resamples to
// the 48 kHz Opus codes at) in one or two channels.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ACS_Classes.h"
#include "FrameCarry.h"
#include "PendingFile.h"
#include "TrackTags.h"

struct OggOpusEnc;
struct OggOpusComments;

class TOpusOut : public TACSOutput {
  public:
    using TACSOutput::TACSOutput;
    ~TOpusOut() override;

    const std::string& FileName() const { return m_fileName; }
    void SetFileName(const std::string& name) { m_fileName = name; }
    // kbit/s, 6 to 510; the next run refuses other values.
    int Bitrate() const { return m_bitrate; }
    void SetBitrate(int kbps) { m_bitrate = kbps; }
    // The tags the files of the next runs carry as comments, the cover as a picture comment;
    // empty tags (as on creation) add none. Set while the sink is not busy.
    const TrackTags& Tags() const { return m_tags; }
    void SetTags(const TrackTags& tags) { m_tags = tags; }
    // The Ogg stream's serial number. Without one the encoder library picks it from the C
    // library's shared random sequence, so the same audio would not give the same file twice
    // once several encoders run at once.
    void SetSerial(int32_t serial) { m_serial = serial; }

    static constexpr int kDefaultBitrate = 160;

    // Called by the encoder's callback only.
    bool writeEncoded(const uint8_t* bytes, size_t count);

  protected:
    bool ProcessChunk(bool abort) override;
    void Finish() override;
    void Prepare() override;

  private:
    void releaseEncoder();
    void addTags(OggOpusComments* comments) const;
    [[noreturn]] void raiseEncoderError(int code);

    std::string m_fileName;
    int m_bitrate = kDefaultBitrate;
    TrackTags m_tags;
    std::optional<int32_t> m_serial;

    std::unique_ptr<PendingFile> m_file;
    std::string m_ioError;
    std::array<uint8_t, 65536> m_chunk{};
    std::vector<float> m_samples;
    FrameCarry m_carry;
    OggOpusEnc* m_encoder = nullptr;
    bool m_aborted = false;
    int m_channels = 0;
    int m_bytesPerSample = 2;
};
