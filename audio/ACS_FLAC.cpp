#include "ACS_FLAC.h"

#include <FLAC/metadata.h>
#include <FLAC/stream_encoder.h>

#include <cstdio>
#include <cstdlib>

#include "CoverImage.h"
#include "PcmSamples.h"
#include "VorbisComments.h"

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
    auto* out = static_cast<TFlacOut*>(sink);
    if (!out->outputSeekable()) return FLAC__STREAM_ENCODER_SEEK_STATUS_UNSUPPORTED;
    return out->seekOutput(offset) ? FLAC__STREAM_ENCODER_SEEK_STATUS_OK
                                   : FLAC__STREAM_ENCODER_SEEK_STATUS_ERROR;
}

FLAC__StreamEncoderTellStatus tellCallback(const FLAC__StreamEncoder*, FLAC__uint64* offset,
                                           void* sink) {
    auto* out = static_cast<TFlacOut*>(sink);
    if (!out->outputSeekable()) return FLAC__STREAM_ENCODER_TELL_STATUS_UNSUPPORTED;
    uint64_t at = 0;
    if (!out->tellOutput(at)) return FLAC__STREAM_ENCODER_TELL_STATUS_ERROR;
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

constexpr unsigned kPaddingBytes = 4096;

}  // namespace

TFlacOut::~TFlacOut() {
    shutdownWorker();
    releaseEncoder();  // a run abandoned by the destruction
    m_file.reset();
}

void TFlacOut::releaseEncoder() {
    if (m_encoder) FLAC__stream_encoder_delete(m_encoder);
    m_encoder = nullptr;
    for (FLAC__StreamMetadata* block : m_metadata)
        FLAC__metadata_object_delete(block);
    m_metadata.clear();
}

void TFlacOut::setMetadata() {
    if (m_tags.empty()) return;
    const auto newBlock = [this](FLAC__MetadataType type) {
        FLAC__StreamMetadata* block = FLAC__metadata_object_new(type);
        if (!block) throw EACSException("Out of memory for the FLAC encoder");
        m_metadata.push_back(block);
        return block;
    };
    FLAC__StreamMetadata* comments = newBlock(FLAC__METADATA_TYPE_VORBIS_COMMENT);
    for (const VorbisComment& comment : vorbisComments(m_tags)) {
        FLAC__StreamMetadata_VorbisComment_Entry entry{};
        const bool made = FLAC__metadata_object_vorbiscomment_entry_from_name_value_pair(
            &entry, comment.name.c_str(), comment.value.c_str());
        // The block takes the entry's text over only when the append succeeds.
        if (!made || !FLAC__metadata_object_vorbiscomment_append_comment(comments, entry, false)) {
            std::free(entry.entry);
            throw EACSException("The FLAC encoder cannot take the tag " + comment.name);
        }
    }
    if (const CoverArt* cover = usableCover(m_tags);
        cover && cover->data.size() < (1u << FLAC__STREAM_METADATA_LENGTH_LEN) - 1024) {
        FLAC__StreamMetadata* picture = newBlock(FLAC__METADATA_TYPE_PICTURE);
        picture->data.picture.type = FLAC__STREAM_METADATA_PICTURE_TYPE_FRONT_COVER;
        std::string mime = coverMimeType(coverKind(*cover));
        FLAC__byte noDescription[] = "";
        if (!FLAC__metadata_object_picture_set_mime_type(picture, mime.data(), true) ||
            !FLAC__metadata_object_picture_set_description(picture, noDescription, true) ||
            !FLAC__metadata_object_picture_set_data(
                picture, const_cast<FLAC__byte*>(cover->data.data()),
                static_cast<FLAC__uint32>(cover->data.size()), true))
            throw EACSException("Out of memory for the FLAC encoder");
    }
    // Room for a tag editor to grow the blocks without rewriting the audio.
    newBlock(FLAC__METADATA_TYPE_PADDING)->length = kPaddingBytes;
    if (!FLAC__stream_encoder_set_metadata(m_encoder, m_metadata.data(),
                                           static_cast<uint32_t>(m_metadata.size())))
        throw EACSException("The FLAC encoder cannot take the tags");
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
        setMetadata();
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

// ---- TFlacIn -------------------------------------------------------------------------

namespace {

// The decoder reads its file through these; as with the encoder, no exception reaches it.
FLAC__StreamDecoderReadStatus readCallback(const FLAC__StreamDecoder*, FLAC__byte buffer[],
                                           size_t* bytes, void* source) {
    try {
        const int64_t got =
            static_cast<TFlacIn*>(source)->file()->read(buffer, static_cast<int64_t>(*bytes));
        *bytes = static_cast<size_t>(got);
        return got == 0 ? FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM
                        : FLAC__STREAM_DECODER_READ_STATUS_CONTINUE;
    } catch (...) {
        *bytes = 0;
        return FLAC__STREAM_DECODER_READ_STATUS_ABORT;
    }
}

FLAC__StreamDecoderSeekStatus decoderSeekCallback(const FLAC__StreamDecoder*, FLAC__uint64 offset,
                                                  void* source) {
    try {
        static_cast<TFlacIn*>(source)->file()->seek(static_cast<int64_t>(offset), SEEK_SET);
        return FLAC__STREAM_DECODER_SEEK_STATUS_OK;
    } catch (...) {
        return FLAC__STREAM_DECODER_SEEK_STATUS_ERROR;
    }
}

FLAC__StreamDecoderTellStatus decoderTellCallback(const FLAC__StreamDecoder*, FLAC__uint64* offset,
                                                  void* source) {
    try {
        *offset = static_cast<FLAC__uint64>(static_cast<TFlacIn*>(source)->file()->position());
        return FLAC__STREAM_DECODER_TELL_STATUS_OK;
    } catch (...) {
        return FLAC__STREAM_DECODER_TELL_STATUS_ERROR;
    }
}

FLAC__StreamDecoderLengthStatus lengthCallback(const FLAC__StreamDecoder*, FLAC__uint64* length,
                                               void* source) {
    try {
        *length = static_cast<FLAC__uint64>(static_cast<TFlacIn*>(source)->file()->size());
        return FLAC__STREAM_DECODER_LENGTH_STATUS_OK;
    } catch (...) {
        return FLAC__STREAM_DECODER_LENGTH_STATUS_ERROR;
    }
}

FLAC__bool eofCallback(const FLAC__StreamDecoder*, void* source) {
    try {
        Stream* file = static_cast<TFlacIn*>(source)->file();
        return file->position() >= file->size();
    } catch (...) {
        return true;
    }
}

FLAC__StreamDecoderWriteStatus frameCallback(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                             const FLAC__int32* const buffer[], void* source) {
    return static_cast<TFlacIn*>(source)->takeFrame(*frame, buffer)
               ? FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE
               : FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
}

void metadataCallback(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* metadata,
                      void* source) {
    if (metadata->type == FLAC__METADATA_TYPE_STREAMINFO)
        static_cast<TFlacIn*>(source)->takeStreamInfo(metadata->data.stream_info);
}

void errorCallback(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void* source) {
    static_cast<TFlacIn*>(source)->noteDamage();
}

}  // namespace

TFlacIn::~TFlacIn() {
    closeDecoder();
}

void TFlacIn::closeDecoder() {
    if (m_decoder) {
        FLAC__stream_decoder_delete(m_decoder);
        m_decoder = nullptr;
    }
    m_file.reset();
}

void TFlacIn::takeStreamInfo(const FLAC__StreamMetadata_StreamInfo& info) {
    m_haveInfo = true;
    m_channels = static_cast<int>(info.channels);
    m_sampleRate = static_cast<int>(info.sample_rate);
    m_sourceBits = static_cast<int>(info.bits_per_sample);
    m_maxBlockSize = static_cast<int>(info.max_blocksize);
    m_bitsPerSample = 8 * pcmBytesPerSample(m_sourceBits);
    const int64_t frameBytes = int64_t{m_channels} * (m_bitsPerSample / 8);
    m_size = info.total_samples == 0 ? -1 : static_cast<int64_t>(info.total_samples) * frameBytes;
}

bool TFlacIn::takeFrame(const FLAC__Frame& frame, const FLAC__int32* const channels[]) {
    const int frames = static_cast<int>(frame.header.blocksize);
    const int bytes = m_bitsPerSample / 8;
    // A frame that does not match the stream's header cannot be placed in the sound.
    if (static_cast<int>(frame.header.channels) != m_channels ||
        static_cast<int>(frame.header.bits_per_sample) != m_sourceBits || frames > m_maxBlockSize)
        return false;
    const int shift = m_bitsPerSample - m_sourceBits;
    uint8_t* out = m_block.data();
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < m_channels; ++c) {
            const uint32_t v = static_cast<uint32_t>(channels[c][i]) << shift;
            if (bytes == 1) {
                *out++ = static_cast<uint8_t>(v + 128);
            } else {
                for (int b = 0; b < bytes; ++b)
                    *out++ = static_cast<uint8_t>(v >> (8 * b));
            }
        }
    }
    m_filled = frames * m_channels * bytes;
    return true;
}

void TFlacIn::OpenFile() {
    std::lock_guard lock(m_openLock);
    if (m_openCount == 0) {
        m_valid = true;
        m_endOfData = false;
        m_haveInfo = false;
        m_damaged = false;
        try {
            m_file = std::make_unique<FileStream>(m_fileName, FileStream::Mode::read);
        } catch (const EACSException& error) {
            reject(error.what());
            return;
        }
        m_decoder = FLAC__stream_decoder_new();
        const bool started = m_decoder &&
                             FLAC__stream_decoder_init_stream(
                                 m_decoder, readCallback, decoderSeekCallback, decoderTellCallback,
                                 lengthCallback, eofCallback, frameCallback, metadataCallback,
                                 errorCallback, this) == FLAC__STREAM_DECODER_INIT_STATUS_OK &&
                             FLAC__stream_decoder_process_until_end_of_metadata(m_decoder);
        const int bytes = m_bitsPerSample / 8;
        if (!started || !m_haveInfo || m_channels < 1 || m_sampleRate < 1 || m_sourceBits < 4 ||
            m_maxBlockSize < 1 || bytes < 1) {
            closeDecoder();
            reject("The file \"" + m_fileName + "\" is not a FLAC file");
            return;
        }
        m_block.assign(static_cast<size_t>(m_maxBlockSize) * static_cast<size_t>(m_channels) *
                           static_cast<size_t>(bytes),
                       0);
        const int64_t bytesPerSecond = int64_t{m_sampleRate} * m_channels * bytes;
        m_totalSeconds = Size() > 0 ? static_cast<int>(divideHalfEven(Size(), bytesPerSecond)) : 0;
    }
    ++m_openCount;
}

void TFlacIn::CloseFile() {
    std::lock_guard lock(m_openLock);
    if (m_openCount == 1) closeDecoder();
    if (m_openCount > 0) --m_openCount;
}

int TFlacIn::ReadData(void* buffer, int count) {
    return deliverFromBlock(m_block.data(), buffer, count, [this] { return refill(); });
}

int TFlacIn::decodeFrame() {
    m_filled = 0;
    while (m_filled == 0 && !m_endOfData) {
        // A damaged frame is skipped by the decoder after it told the error callback; the
        // data ends where the decoder cannot go on.
        if (!FLAC__stream_decoder_process_single(m_decoder) ||
            FLAC__stream_decoder_get_state(m_decoder) == FLAC__STREAM_DECODER_END_OF_STREAM)
            m_endOfData = m_filled == 0;
    }
    return m_filled;
}

bool TFlacIn::seekToFrame(int64_t frame) {
    m_filled = 0;
    if (!FLAC__stream_decoder_seek_absolute(m_decoder, static_cast<FLAC__uint64>(frame))) {
        // A failed seek leaves the decoder needing a flush before it decodes again.
        FLAC__stream_decoder_flush(m_decoder);
        return false;
    }
    m_endOfData = false;
    return true;
}

int TFlacIn::refill() {
    if (!m_decoder) return 0;
    const int frameBytes = m_channels * (m_bitsPerSample / 8);
    if (const int request = m_jumpRequest.exchange(0); request != 0) {
        const int64_t size = Size();
        int64_t position = Position() + roundHalfEven(request / 100.0 * static_cast<double>(size));
        position = std::clamp<int64_t>(position, 0, std::max<int64_t>(size, 0));
        position -= position % frameBytes;
        if (size > 0 && position >= size) {
            m_position = size;
            m_endOfData = true;
        } else if (size > 0 && seekToFrame(position / frameBytes)) {
            m_position = position;
            // The seek decodes the frame it lands in, from the target sample on.
            if (m_filled > 0) return m_filled;
        }
    }
    if (decodeFrame() > 0) return m_filled;
    if (!Loop()) return 0;
    if (!seekToFrame(0)) return 0;
    m_position = 0;
    return m_filled > 0 ? m_filled : decodeFrame();
}
