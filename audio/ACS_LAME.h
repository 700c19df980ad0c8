// MP3 files: the constant-bit-rate encoding sink.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "ACS_Classes.h"
#include "FrameCarry.h"
#include "Streams.h"
#include "TrackTags.h"

struct lame_global_struct;

enum TMP3BitRate {
    br8,
    br16,
    br24,
    br32,
    br40,
    br48,
    br56,
    br64,
    br80,
    br96,
    br112,
    br128,
    br144,
    br160,
    br192,
    br224,
    br256,
    br320
};

// The kbit/s a bit-rate value selects.
int mp3BitRateKbps(TMP3BitRate rate);
// The value for a kbit/s figure; false when there is none.
bool mp3BitRateFromKbps(int kbps, TMP3BitRate& rate);

class TMP3Out : public TACSOutput {
  public:
    explicit TMP3Out(TComponent* owner = nullptr);
    ~TMP3Out() override;

    TMP3BitRate BitRate() const { return m_bitRate; }
    void SetBitRate(TMP3BitRate rate) { m_bitRate = rate; }
    const std::string& FileName() const { return m_fileName; }
    void SetFileName(const std::string& name) { m_fileName = name; }

    const std::string& Id3TagTitle() const { return m_title; }
    void SetId3TagTitle(const std::string& text) { m_title = text; }
    const std::string& Id3TagArtist() const { return m_artist; }
    void SetId3TagArtist(const std::string& text) { m_artist = text; }
    const std::string& Id3TagAlbum() const { return m_album; }
    void SetId3TagAlbum(const std::string& text) { m_album = text; }
    const std::string& Id3TagYear() const { return m_year; }
    void SetId3TagYear(const std::string& text) { m_year = text; }
    const std::string& Id3TagTrack() const { return m_track; }
    void SetId3TagTrack(const std::string& text) { m_track = text; }
    const std::string& Id3TagComment() const { return m_comment; }
    void SetId3TagComment(const std::string& text) { m_comment = text; }

    // The tags the files of the next runs start with, as an ID3v2 tag in front of the first
    // frame; empty tags (as on creation) write none. Set while the sink is not busy.
    const TrackTags& Tags() const { return m_tags; }
    void SetTags(const TrackTags& tags) { m_tags = tags; }

    // The bytes one encoder call may give for `frames` input frames at inRate Hz when the
    // encoder codes them at outRate Hz and kbps kbit/s. The encoder's documented worst case,
    // 1.25 bytes per sample plus 7200, counts the samples it codes: after resampling up
    // (1000 Hz input is coded at 8000 Hz) there are many more of them than came in, and at
    // the lowest rates a high bit rate takes more than 1.25 bytes per sample.
    static int outputBound(int frames, int inRate, int outRate, int kbps);

  protected:
    bool ProcessChunk(bool abort) override;
    void Finish() override;
    void Prepare() override;

  private:
    void releaseEncoder();
    // Fills the first frame, which the encoder left empty, with its info frame (length,
    // encoder delay and padding), so that players know the exact length of the sound.
    void writeInfoFrame();

    TMP3BitRate m_bitRate = br128;
    std::string m_fileName;
    std::string m_title, m_artist, m_album, m_year, m_track, m_comment;
    TrackTags m_tags;

    std::unique_ptr<FileStream> m_file;
    std::array<uint8_t, 16384> m_chunk{};
    FrameCarry m_carry;
    lame_global_struct* m_lame = nullptr;
    std::vector<unsigned char> m_output;
    bool m_infoFrameReserved = false;
    int64_t m_audioStart = 0;        // where the encoder's first frame lies: after the leading tag
    std::vector<int16_t> m_samples;  // the chunk as 16-bit samples, for sources of other depths
    int m_channels = 0;
    int m_bytesPerSample = 2;
};
