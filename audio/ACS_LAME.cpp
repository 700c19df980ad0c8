#include "ACS_LAME.h"

#include <lame/lame.h>

#include <cmath>
#include <filesystem>

#include "ID3TrackTag.h"
#include "PcmSamples.h"

namespace {
constexpr int kKbps[] = {8,  16,  24,  32,  40,  48,  56,  64,  80,
                         96, 112, 128, 144, 160, 192, 224, 256, 320};
// The most frames one encoder call takes.
constexpr int kMaxFramesPerCall = 8192;
// The largest MPEG audio frame, and so the largest info frame.
constexpr size_t kMaxFrameBytes = 2880;
}  // namespace

int TMP3Out::outputBound(int frames, int inRate, int outRate, int kbps) {
    if (inRate <= 0 || outRate <= 0) return 7200;
    // Samples the encoder codes for these frames, with one more for the resampler's
    // rounding and two frames' worth it may hold from earlier calls.
    const double coded = std::ceil(double(frames) * outRate / inRate) + 1 + 2 * 1152;
    const double bytesPerSample = std::max(1.25, kbps * 1000.0 / 8.0 / outRate);
    return static_cast<int>(std::ceil(coded * bytesPerSample)) + 7200;
}

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

    m_carry.reset(m_bytesPerSample * m_channels);

    m_lame = lame_init();
    if (!m_lame) throw EACSException("The MP3 encoder could not be started");
    try {
        // The encoder reserves the first frame for the info frame that Finish writes over
        // it; a pipe or a device cannot be rewritten, so there it reserves nothing.
        std::error_code error;
        const auto status = std::filesystem::status(m_fileName, error);
        m_infoFrameReserved =
            !std::filesystem::exists(status) || std::filesystem::is_regular_file(status);
        lame_set_bWriteVbrTag(m_lame, m_infoFrameReserved ? 1 : 0);
        if (input->Size() > 0)
            lame_set_num_samples(m_lame, static_cast<unsigned long>(
                                             input->Size() / (m_bytesPerSample * m_channels)));
        lame_set_in_samplerate(m_lame, rate);
        lame_set_num_channels(m_lame, m_channels);
        lame_set_brate(m_lame, mp3BitRateKbps(m_bitRate));
        if (lame_init_params(m_lame) < 0)
            throw EACSException("The MP3 encoder cannot encode " + std::to_string(rate) +
                                " Hz at " + std::to_string(mp3BitRateKbps(m_bitRate)) + " kbit/s");
        m_output.assign(
            static_cast<size_t>(outputBound(
                kMaxFramesPerCall, rate, lame_get_out_samplerate(m_lame), lame_get_brate(m_lame))),
            0);
        const std::vector<uint8_t> tag =
            m_tags.empty() ? std::vector<uint8_t>{} : BuildTrackTag(m_tags);
        m_file = std::make_unique<FileStream>(m_fileName, FileStream::Mode::create);
        if (!tag.empty()) m_file->write(tag.data(), static_cast<int64_t>(tag.size()));
        m_audioStart = static_cast<int64_t>(tag.size());
    } catch (...) {
        m_file.reset();
        releaseEncoder();
        throw;
    }
}

bool TMP3Out::ProcessChunk(bool abort) {
    if (!isRunning()) return true;
    reportProgress();
    if (abort) return false;
    const int n = m_carry.read(*Input(), m_chunk.data(), static_cast<int>(m_chunk.size()));
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
        const int size = static_cast<int>(m_output.size());
        const int written =
            m_channels == 2
                ? lame_encode_buffer_interleaved(m_lame, pcm, count, m_output.data(), size)
                : lame_encode_buffer(m_lame, pcm, pcm, count, m_output.data(), size);
        if (written < 0) {
            keepError("The MP3 encoder failed (error " + std::to_string(written) + ")");
            return false;
        }
        m_file->write(m_output.data(), written);
    }
    return true;
}

void TMP3Out::writeInfoFrame() {
    if (!m_infoFrameReserved || !m_file->regularFile()) return;
    std::array<unsigned char, kMaxFrameBytes> frame{};
    const size_t size = lame_get_lametag_frame(m_lame, frame.data(), frame.size());
    if (size == 0 || size > frame.size()) return;
    // The encoder's first bytes are the reserved frame: the texts of its own tag reach it only
    // at the end, so the one thing before them is the leading tag written by Prepare.
    m_file->seek(m_audioStart, SEEK_SET);
    m_file->write(frame.data(), static_cast<int64_t>(size));
    m_file->seek(0, SEEK_END);
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
        const int written =
            lame_encode_flush(m_lame, m_output.data(), static_cast<int>(m_output.size()));
        if (written < 0)
            throw EACSException("The MP3 encoder failed (error " + std::to_string(written) + ")");
        m_file->write(m_output.data(), written);
        writeInfoFrame();
        m_file->close();
    } catch (...) {
        error = std::current_exception();
    }
    m_file.reset();
    releaseEncoder();
    Input()->Flush();
    if (error) std::rethrow_exception(error);
}
