#include "ACS_Opus.h"

#include <opusenc.h>

#include "CoverImage.h"
#include "PcmSamples.h"
#include "VorbisComments.h"

namespace {

// The encoder writes its pages through this into the sink's part file; a failure is the
// non-zero answer it expects, never an exception.
int writeCallback(void* sink, const unsigned char* bytes, opus_int32 length) {
    return static_cast<TOpusOut*>(sink)->writeEncoded(bytes, static_cast<size_t>(length)) ? 0 : 1;
}

int closeCallback(void*) {
    return 0;  // the sink closes its file itself, and reports what closing says
}

constexpr OpusEncCallbacks kCallbacks{writeCallback, closeCallback};
// The rates the encoder's resampler takes.
constexpr int kMaxRate = 768000;
constexpr int kFrontCover = 3;

}  // namespace

TOpusOut::~TOpusOut() {
    shutdownWorker();
    releaseEncoder();
    m_file.reset();
}

void TOpusOut::releaseEncoder() {
    if (!m_encoder) return;
    ope_encoder_destroy(m_encoder);
    m_encoder = nullptr;
}

bool TOpusOut::writeEncoded(const uint8_t* bytes, size_t count) {
    try {
        m_file->stream().write(bytes, static_cast<int64_t>(count));
        return true;
    } catch (const std::exception& error) {
        m_ioError = error.what();
        return false;
    }
}

void TOpusOut::raiseEncoderError(int code) {
    if (!m_ioError.empty()) throw EACSException(m_ioError);
    throw EACSException(std::string("The Opus encoder failed: ") + ope_strerror(code));
}

void TOpusOut::Prepare() {
    if (m_fileName.empty()) throw EACSException("File name is not assigned.");
    if (m_bitrate < 6 || m_bitrate > 510)
        throw EACSException("The Opus bit rate must be 6 to 510 kbit/s, not " +
                            std::to_string(m_bitrate));
    checkNotOwnInput(m_fileName);
    initInput();
    TACSInput* input = Input();
    m_channels = input->InChannels();
    const int bits = input->InBitsPerSample();
    const int rate = input->InSampleRate();
    if (m_channels < 1 || m_channels > 2)
        throw EACSException("The Opus encoder takes mono or stereo sound, not " +
                            std::to_string(m_channels) + " channels");
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
        throw EACSException("The Opus encoder takes 8, 16, 24 or 32 bits per sample, not " +
                            std::to_string(bits));
    if (rate <= 0 || rate > kMaxRate)
        throw EACSException("The Opus encoder cannot take a sample rate of " +
                            std::to_string(rate) + " Hz");
    m_bytesPerSample = pcmBytesPerSample(bits);
    m_carry.reset(m_bytesPerSample * m_channels);
    m_aborted = false;
    m_ioError.clear();

    OggOpusComments* comments = ope_comments_create();
    if (!comments) throw EACSException("Out of memory for the Opus encoder");
    try {
        addTags(comments);
        m_file = std::make_unique<PendingFile>(m_fileName);
        int error = OPE_OK;
        m_encoder =
            ope_encoder_create_callbacks(&kCallbacks, this, comments, rate, m_channels, 0, &error);
        if (!m_encoder) raiseEncoderError(error);
        if (const int result = ope_encoder_ctl(m_encoder, OPUS_SET_BITRATE(m_bitrate * 1000));
            result != OPE_OK)
            raiseEncoderError(result);
        if (m_serial)
            if (const int result = ope_encoder_ctl(m_encoder, OPE_SET_SERIALNO(*m_serial));
                result != OPE_OK)
                raiseEncoderError(result);
    } catch (...) {
        ope_comments_destroy(comments);
        releaseEncoder();
        m_file.reset();
        throw;
    }
    ope_comments_destroy(comments);  // the encoder keeps its own copy
}

void TOpusOut::addTags(OggOpusComments* comments) const {
    for (const VorbisComment& comment : vorbisComments(m_tags)) {
        if (const int result =
                ope_comments_add(comments, comment.name.c_str(), comment.value.c_str());
            result != OPE_OK)
            throw EACSException(std::string("The Opus encoder refused a tag: ") +
                                ope_strerror(result));
    }
    // The encoder reads the picture's size and depth itself. A damaged picture it cannot read
    // costs the file its cover, not the whole encoding.
    if (const CoverArt* cover = usableCover(m_tags))
        ope_comments_add_picture_from_memory(comments,
                                             reinterpret_cast<const char*>(cover->data.data()),
                                             cover->data.size(), kFrontCover, nullptr);
}

bool TOpusOut::ProcessChunk(bool abort) {
    if (!isRunning()) return true;
    reportProgress();
    if (abort) {
        m_aborted = true;
        return false;
    }
    const int n = m_carry.read(*Input(), m_chunk.data(), static_cast<int>(m_chunk.size()));
    if (n <= 0) return false;
    const int samples = n / m_bytesPerSample;
    m_samples.resize(static_cast<size_t>(samples));
    for (int i = 0; i < samples; ++i)
        m_samples[static_cast<size_t>(i)] = pcmSampleToFloat(
            m_chunk.data() + static_cast<ptrdiff_t>(i) * m_bytesPerSample, m_bytesPerSample);
    if (const int result =
            ope_encoder_write_float(m_encoder, m_samples.data(), samples / m_channels);
        result != OPE_OK)
        raiseEncoderError(result);
    return true;
}

void TOpusOut::Finish() {
    std::exception_ptr error;
    try {
        // A stopped or failed run leaves nothing: its part file goes.
        if (!m_aborted && lastError().empty()) {
            if (const int result = ope_encoder_drain(m_encoder); result != OPE_OK)
                raiseEncoderError(result);
            m_file->commit();
        }
    } catch (...) {
        error = std::current_exception();
    }
    releaseEncoder();
    m_file.reset();
    Input()->Flush();
    if (error) std::rethrow_exception(error);
}
