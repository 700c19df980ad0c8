// Ogg Vorbis files: the decoding source and the variable-bit-rate encoding sink.
#pragma once

#include <ogg/ogg.h>
#include <vorbis/codec.h>
#include <vorbis/vorbisfile.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "ACS_Classes.h"
#include "FrameCarry.h"
#include "Streams.h"
#include "TrackTags.h"

class TVorbisIn : public TACSFileIn {
  public:
    using TACSFileIn::TACSFileIn;
    ~TVorbisIn() override;

    int ReadData(void* buffer, int count) override;
    void OpenFile() override;
    void CloseFile() override;

    // The comment lines (NAME=value) of the file, as of the last real open.
    const std::vector<std::string>& Comments() const { return m_comments; }
    long BitRateUpper() const { return m_bitrateUpper; }
    long BitRateNominal() const { return m_bitrateNominal; }
    long BitRateLower() const { return m_bitrateLower; }

  private:
    int refill();
    int fillBlock();
    void restartLoop();

    std::vector<std::string> m_comments;
    std::array<uint8_t, 8192> m_block{};
    OggVorbis_File m_decoder{};
    bool m_decoderOpen = false;
    int m_currentStream = -1;
    long m_bitrateUpper = 0;
    long m_bitrateNominal = 0;
    long m_bitrateLower = 0;
    bool m_endOfData = false;
};

class TVorbisOut : public TACSOutput {
  public:
    using TACSOutput::TACSOutput;
    ~TVorbisOut() override;

    const std::string& FileName() const { return m_fileName; }
    void SetFileName(const std::string& name) { m_fileName = name; }
    // NAME=VALUE lines written as comment tags by the next run; a run empties them.
    const std::vector<std::string>& Comments() const { return m_comments; }
    void SetComments(const std::vector<std::string>& lines) { m_comments = lines; }
    // The tags the files of the next runs carry as comments after those lines, the cover as a
    // picture comment; empty tags (as on creation) add none. Set while the sink is not busy.
    const TrackTags& Tags() const { return m_tags; }
    void SetTags(const TrackTags& tags) { m_tags = tags; }
    int32_t Serial() const { return m_serial; }
    void SetSerial(int32_t serial) { m_serial = serial; }
    float Compression() const { return m_compression; }
    void SetCompression(float quality) { m_compression = quality; }

  protected:
    bool ProcessChunk(bool abort) override;
    void Finish() override;
    void Prepare() override;

  private:
    void writePage(const ogg_page& page);
    // Analyses what the encoder holds and writes the pages that are complete.
    void encodePending();
    void releaseEncoder();

    std::string m_fileName;
    std::vector<std::string> m_comments;
    TrackTags m_tags;
    int32_t m_serial = 0;
    float m_compression = 0.2f;

    std::unique_ptr<FileStream> m_file;
    std::array<uint8_t, 65536> m_chunk{};
    FrameCarry m_carry;
    ogg_stream_state m_stream{};
    ogg_page m_page{};
    ogg_packet m_packet{};
    vorbis_info m_info{};
    vorbis_comment m_comment{};
    vorbis_dsp_state m_dsp{};
    vorbis_block m_vorbisBlock{};
    bool m_encoderReady = false;
    bool m_endOfStream = false;
    int m_channels = 0;
    int m_bytesPerSample = 2;
};
