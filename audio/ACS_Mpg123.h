// MP3 files: the decoding source, through libmpg123. Every file comes as 16-bit PCM at its
// own rate and channel count; the encoder's delay and padding that an info frame tells are
// left out, so a file written from N sample frames gives back N sample frames.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "ACS_Classes.h"
#include "Streams.h"

struct mpg123_handle_struct;

class TMP3In : public TACSFileIn {
  public:
    using TACSFileIn::TACSFileIn;
    ~TMP3In() override;

    int ReadData(void* buffer, int count) override;
    void OpenFile() override;
    void CloseFile() override;

    // Called by the decoder's reader callbacks only.
    Stream* file() { return m_file.get(); }

  private:
    int refill();
    bool seekToFrame(int64_t frame);
    void closeDecoder();

    std::unique_ptr<FileStream> m_file;
    mpg123_handle_struct* m_decoder = nullptr;
    std::array<uint8_t, 16384> m_block{};
    bool m_endOfData = false;
};
