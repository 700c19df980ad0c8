#include "ACS_LAME.h"

#include <lame/lame.h>

#include "PcmSamples.h"

namespace {
constexpr int kKbps[] = {8,  16,  24,  32,  40,  48,  56,  64,  80,
                         96, 112, 128, 144, 160, 192, 224, 256, 320};
// The most frames one encoder call may take with the output buffer's size.
constexpr int kMaxFramesPerCall = 8192;
}  // namespace

int mp3BitRateKbps(TMP3BitRate rate) {
    return kKbps[rate];
}

bool mp3BitRateFromKbps(int kbps, TMP3BitRate& rate) {
    for (int i = 0; i <= br320; ++i) {
        if (kKbps[i] == kbps) {
            rate = static_cast<TMP3BitRate>(i);
            return true;
        }
    }
    return false;
}

TMP3Out::TMP3Out(TComponent* owner) : TACSOutput(owner) {}

TMP3Out::~TMP3Out() {
    shutdownWorker();
    releaseEncoder();  // a run abandoned by the destruction
}

void TMP3Out::releaseEncoder() {
    if (m_lame) lame_close(m_lame);
    m_lame = nullptr;
    m_output.clear();
    m_output.shrink_to_fit();
}

void TMP3Out::Prepare() {
    if (m_fileName.empty()) throw EACSException("File name is not assigned.");
    checkNotOwnInput(m_fileName);
    initInput();
    TACSInput* input = Input();
    m_channels = input->InChannels();
    const int rate = input->InSampleRate();
    m_bytesPerSample = pcmBytesPerSample(input->InBitsPerSample());
    if (m_channels < 1 || m_channels > 2)
        throw EACSException("An MP3 file holds one or two channels; this sound has " +
                            std::to_string(m_channels));

    m_lame = lame_init();
    if (!m_lame) throw EACSException("The MP3 encoder could not be started");
    try {
        if (input->Size() > 0)
            lame_set_num_samples(m_lame, static_cast<unsigned long>(
                                             input->Size() / (m_bytesPerSample * m_channels)));
        lame_set_in_samplerate(m_lame, rate);
        lame_set_num_channels(m_lame, m_channels);
        lame_set_brate(m_lame, mp3BitRateKbps(m_bitRate));
        if (lame_init_params(m_lame) < 0)
            throw EACSException("The MP3 encoder cannot encode " + std::to_string(rate) +
                                " Hz at " + std::to_string(mp3BitRateKbps(m_bitRate)) + " kbit/s");
        m_output.assign(kOutputBufferSize, 0);
        m_file = std::make_unique<FileStream>(m_fileName, FileStream::Mode::Create);
    } catch (...) {
        releaseEncoder();
        throw;
    }
}

bool TMP3Out::ProcessChunk(bool abort) {
    if (!isRunning()) return true;
    reportProgress();
    if (abort) return false;
    const int n = Input()->ReadData(m_chunk.data(), static_cast<int>(m_chunk.size()));
    if (n <= 0) return false;

    const int samples = n / m_bytesPerSample;
    m_samples.resize(static_cast<size_t>(samples));
    for (int i = 0; i < samples; ++i)
        m_samples[i] = pcmSampleTo16(m_chunk.data() + i * m_bytesPerSample, m_bytesPerSample);
    const int frames = samples / m_channels;

    for (int done = 0; done < frames; done += kMaxFramesPerCall) {
        const int count = std::min(kMaxFramesPerCall, frames - done);
        short* pcm = m_samples.data() + static_cast<ptrdiff_t>(done) * m_channels;
        // The interleaved call takes two channels; one channel goes in as left only.
        const int written =
            m_channels == 2
                ? lame_encode_buffer_interleaved(m_lame, pcm, count, m_output.data(),
                                                 kOutputBufferSize)
                : lame_encode_buffer(m_lame, pcm, pcm, count, m_output.data(), kOutputBufferSize);
        if (written < 0) {
            keepError("The MP3 encoder failed (error " + std::to_string(written) + ")");
            return false;
        }
        m_file->write(m_output.data(), written);
    }
    return true;
}

void TMP3Out::Finish() {
    std::exception_ptr error;
    try {
        // The tag texts reach the encoder after the sound and before the final flush.
        id3tag_init(m_lame);
        id3tag_set_title(m_lame, m_title.c_str());
        id3tag_set_artist(m_lame, m_artist.c_str());
        id3tag_set_album(m_lame, m_album.c_str());
        id3tag_set_year(m_lame, m_year.c_str());
        id3tag_set_track(m_lame, m_track.c_str());
        id3tag_set_comment(m_lame, m_comment.c_str());
        const int written = lame_encode_flush(m_lame, m_output.data(), kOutputBufferSize);
        if (written < 0)
            throw EACSException("The MP3 encoder failed (error " + std::to_string(written) + ")");
        m_file->write(m_output.data(), written);
        m_file->close();
    } catch (...) {
        error = std::current_exception();
    }
    m_file.reset();
    releaseEncoder();
    Input()->Flush();
    if (error) std::rethrow_exception(error);
}
