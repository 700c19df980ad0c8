#include "ACS_FLAC.h"

#include <FLAC/stream_encoder.h>

#include <cstdio>

#include "PcmSamples.h"

namespace {

// The encoder writes through these into the sink's part file. Exceptions must not reach
// the C library: a failure becomes the status it expects, and the text is kept.
FLAC__StreamEncoderWriteStatus writeCallback(const FLAC__StreamEncoder*, const FLAC__byte buffer[],
                                             size_t bytes, uint32_t, uint32_t, void* sink) {
    return static_cast<TFlacOut*>(sink)->writeEncoded(buffer, bytes)
               ? FLAC__STREAM_ENCODER_WRITE_STATUS_OK
               : FLAC__STREAM_ENCODER_WRITE_STATUS_FATAL_ERROR;
}

FLAC__StreamEncoderSeekStatus seekCallback(const FLAC__StreamEncoder*, FLAC__uint64 offset,
                                           void* sink) {
    return static_cast<TFlacOut*>(sink)->seekOutput(offset)
               ? FLAC__STREAM_ENCODER_SEEK_STATUS_OK
               : FLAC__STREAM_ENCODER_SEEK_STATUS_ERROR;
}

FLAC__StreamEncoderTellStatus tellCallback(const FLAC__StreamEncoder*, FLAC__uint64* offset,
                                           void* sink) {
    uint64_t at = 0;
    if (!static_cast<TFlacOut*>(sink)->tellOutput(at))
        return FLAC__STREAM_ENCODER_TELL_STATUS_ERROR;
    *offset = at;
    return FLAC__STREAM_ENCODER_TELL_STATUS_OK;
}

// The sample at p as the signed integer FLAC stores; 8-bit PCM is unsigned around 128.
int32_t flacSample(const uint8_t* p, int bytesPerSample) {
    switch (bytesPerSample) {
        case 1:
            return int32_t{p[0]} - 128;
        case 3:
            return static_cast<int32_t>(uint32_t{p[0]} << 8 | uint32_t{p[1]} << 16 |
                                        uint32_t{p[2]} << 24) >>
                   8;
        default:
            return static_cast<int16_t>(p[0] | p[1] << 8);
    }
}

}  // namespace

TFlacOut::~TFlacOut() {
    shutdownWorker();
    releaseEncoder();  // a run abandoned by the destruction
    m_file.reset();
}

void TFlacOut::releaseEncoder() {
    if (!m_encoder) return;
    FLAC__stream_encoder_delete(m_encoder);
    m_encoder = nullptr;
}

bool TFlacOut::writeEncoded(const uint8_t* bytes, size_t count) {
    try {
        m_file->stream().write(bytes, static_cast<int64_t>(count));
        return true;
    } catch (const std::exception& error) {
        m_ioError = error.what();
        return false;
    }
}

bool TFlacOut::seekOutput(uint64_t offset) {
    try {
        m_file->stream().seek(static_cast<int64_t>(offset), SEEK_SET);
        return true;
    } catch (const std::exception& error) {
        m_ioError = error.what();
        return false;
    }
}

bool TFlacOut::tellOutput(uint64_t& offset) {
    try {
        offset = static_cast<uint64_t>(m_file->stream().position());
        return true;
    } catch (const std::exception& error) {
        m_ioError = error.what();
        return false;
    }
}

void TFlacOut::raiseEncoderError() {
    const FLAC__StreamEncoderState state = FLAC__stream_encoder_get_state(m_encoder);
    if (!m_ioError.empty()) throw EACSException(m_ioError);
    if (state == FLAC__STREAM_ENCODER_VERIFY_MISMATCH_IN_AUDIO_DATA)
        throw EACSException(
            "The FLAC encoder's verification found decoded samples that differ "
            "from the input");
    throw EACSException(std::string("The FLAC encoder failed: ") +
                        FLAC__stream_encoder_get_resolved_state_string(m_encoder));
}

void TFlacOut::Prepare() {
    if (m_fileName.empty()) throw EACSException("File name is not assigned.");
    if (m_level < 0 || m_level > 8)
        throw EACSException("The FLAC compression level must be 0 to 8, not " +
                            std::to_string(m_level));
    checkNotOwnInput(m_fileName);
    initInput();
    TACSInput* input = Input();
    m_channels = input->InChannels();
    const int bits = input->InBitsPerSample();
    const int rate = input->InSampleRate();
    if (bits != 8 && bits != 16 && bits != 24)
        throw EACSException("FLAC files take 8, 16 or 24 bits per sample, not " +
                            std::to_string(bits));
    if (m_channels < 1 || m_channels > static_cast<int>(FLAC__MAX_CHANNELS))
        throw EACSException("FLAC files take 1 to 8 channels, not " + std::to_string(m_channels));
    if (rate <= 0 || !FLAC__format_sample_rate_is_valid(static_cast<uint32_t>(rate)))
        throw EACSException("FLAC files cannot hold a sample rate of " + std::to_string(rate) +
                            " Hz");
    m_bytesPerSample = bits / 8;
    m_carry.reset(m_bytesPerSample * m_channels);
    m_aborted = false;
    m_ioError.clear();

    m_encoder = FLAC__stream_encoder_new();
    if (!m_encoder) throw EACSException("Out of memory for the FLAC encoder");
    try {
        FLAC__stream_encoder_set_verify(m_encoder, true);
        FLAC__stream_encoder_set_compression_level(m_encoder, static_cast<uint32_t>(m_level));
        FLAC__stream_encoder_set_channels(m_encoder, static_cast<uint32_t>(m_channels));
        FLAC__stream_encoder_set_bits_per_sample(m_encoder, static_cast<uint32_t>(bits));
        FLAC__stream_encoder_set_sample_rate(m_encoder, static_cast<uint32_t>(rate));
        // A known length lets the encoder size its header right from the start; the
        // header is rewritten with the true count at the end either way.
        if (const int64_t size = input->Size(); size > 0)
            FLAC__stream_encoder_set_total_samples_estimate(
                m_encoder, static_cast<uint64_t>(size / (m_bytesPerSample * m_channels)));
        m_file = std::make_unique<PendingFile>(m_fileName);
        const FLAC__StreamEncoderInitStatus status = FLAC__stream_encoder_init_stream(
            m_encoder, writeCallback, seekCallback, tellCallback, nullptr, this);
        if (status != FLAC__STREAM_ENCODER_INIT_STATUS_OK) {
            if (status == FLAC__STREAM_ENCODER_INIT_STATUS_ENCODER_ERROR) raiseEncoderError();
            throw EACSException(std::string("The FLAC encoder cannot start: ") +
                                FLAC__StreamEncoderInitStatusString[status]);
        }
    } catch (...) {
        releaseEncoder();
        m_file.reset();
        throw;
    }
}

bool TFlacOut::ProcessChunk(bool abort) {
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
        m_samples[static_cast<size_t>(i)] = flacSample(
            m_chunk.data() + static_cast<ptrdiff_t>(i) * m_bytesPerSample, m_bytesPerSample);
    if (!FLAC__stream_encoder_process_interleaved(m_encoder, m_samples.data(),
                                                  static_cast<uint32_t>(samples / m_channels)))
        raiseEncoderError();
    return true;
}

void TFlacOut::Finish() {
    std::exception_ptr error;
    try {
        // A stopped or failed run leaves nothing: its part file goes.
        const bool complete = !m_aborted && lastError().empty();
        if (complete) {
            if (!FLAC__stream_encoder_finish(m_encoder)) raiseEncoderError();
            m_file->commit();
        }
    } catch (...) {
        error = std::current_exception();
    }
    releaseEncoder();  // finishes into the part file when the run did not complete
    m_file.reset();
    Input()->Flush();
    if (error) std::rethrow_exception(error);
}
