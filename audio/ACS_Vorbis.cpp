#include "ACS_Vorbis.h"

#include <vorbis/vorbisenc.h>

#include <cerrno>
#include <cstdio>

#include "PcmSamples.h"
#include "VorbisComments.h"

namespace {

// The decoder reads its file through these, on the component's file stream. They must not
// let an exception into the C library: failures become the return values it expects.
size_t readCallback(void* destination, size_t size, size_t count, void* source) {
    if (size == 0) return 0;
    try {
        const int64_t got = static_cast<Stream*>(source)->read(
            destination, static_cast<int64_t>(size) * static_cast<int64_t>(count));
        return static_cast<size_t>(got) / size;
    } catch (...) {
        errno = EIO;
        return 0;
    }
}

int seekCallback(void* source, ogg_int64_t offset, int origin) {
    const int whence = origin == SEEK_CUR ? SEEK_CUR : origin == SEEK_END ? SEEK_END : SEEK_SET;
    try {
        static_cast<Stream*>(source)->seek(offset, whence);
        return 0;
    } catch (...) {
        return -1;
    }
}

int closeCallback(void* source) {
    delete static_cast<FileStream*>(source);
    return 0;
}

long tellCallback(void* source) {
    try {
        return static_cast<long>(static_cast<Stream*>(source)->position());
    } catch (...) {
        return -1;
    }
}

constexpr ov_callbacks kCallbacks{readCallback, seekCallback, closeCallback, tellCallback};
// Damaged pages the decoder may skip in a row before the data counts as ended.
constexpr int kMaxHolesInARow = 64;
// Frames handed to the encoder at a time.
constexpr int kFramesPerPiece = 1024;

}  // namespace

// ---- TVorbisIn -----------------------------------------------------------------------

TVorbisIn::~TVorbisIn() {
    if (m_decoderOpen) ov_clear(&m_decoder);
}

void TVorbisIn::OpenFile() {
    std::lock_guard lock(m_openLock);
    if (m_openCount == 0) {
        m_valid = true;
        m_endOfData = false;
        std::unique_ptr<FileStream> file;
        try {
            file = std::make_unique<FileStream>(m_fileName, FileStream::Mode::read);
        } catch (const EACSException& error) {
            reject(error.what());
            return;
        }
        if (ov_open_callbacks(file.get(), &m_decoder, nullptr, 0, kCallbacks) < 0) {
            // On failure the decoder leaves the file to us; it closes with `file`.
            reject("The file \"" + m_fileName + "\" is not an Ogg Vorbis file");
            return;
        }
        file.release();  // the decoder owns it now and frees it in ov_clear
        m_decoderOpen = true;
        // In a chained file (several streams one after another) the decoder's open leaves
        // it in the last stream, and the ones before would never be heard.
        if (ov_streams(&m_decoder) > 1 && ov_seekable(&m_decoder)) ov_pcm_seek(&m_decoder, 0);

        m_comments.clear();
        if (const vorbis_comment* comment = ov_comment(&m_decoder, -1)) {
            for (int i = 0; i < comment->comments; ++i)
                m_comments.emplace_back(comment->user_comments[i],
                                        static_cast<size_t>(comment->comment_lengths[i]));
        }
        const vorbis_info* info = ov_info(&m_decoder, -1);
        m_channels = info ? info->channels : 0;
        m_sampleRate = info ? static_cast<int>(info->rate) : 0;
        m_bitsPerSample = 16;
        m_bitrateUpper = info ? info->bitrate_upper : 0;
        m_bitrateNominal = info ? info->bitrate_nominal : 0;
        m_bitrateLower = info ? info->bitrate_lower : 0;
        const ogg_int64_t frames = ov_pcm_total(&m_decoder, -1);
        m_size = frames < 0 ? -1 : frames * 2 * m_channels;
        m_currentStream = -1;
        const double seconds = ov_time_total(&m_decoder, 0);
        m_totalSeconds = seconds > 0 ? static_cast<int>(roundHalfEven(seconds)) : 0;
    }
    ++m_openCount;
}

void TVorbisIn::CloseFile() {
    std::lock_guard lock(m_openLock);
    if (m_openCount == 1 && m_decoderOpen) {
        ov_clear(&m_decoder);
        m_decoderOpen = false;
    }
    if (m_openCount > 0) --m_openCount;
}

int TVorbisIn::ReadData(void* buffer, int count) {
    return deliverFromBlock(m_block.data(), buffer, count, [this] { return refill(); });
}

int TVorbisIn::fillBlock() {
    int filled = 0;
    if (m_endOfData || !m_decoderOpen) return 0;
    const int frameBytes = std::max(1, 2 * m_channels);
    int holes = 0;
    // Only whole frames fit: the decoder refuses a space smaller than one frame.
    while (filled + frameBytes <= static_cast<int>(m_block.size())) {
        const long got =
            ov_read(&m_decoder, reinterpret_cast<char*>(m_block.data()) + filled,
                    static_cast<int>(m_block.size()) - filled, 0, 2, 1, &m_currentStream);
        if (got == OV_HOLE && ++holes < kMaxHolesInARow) continue;  // a damaged page: skip it
        if (got <= 0) {
            m_endOfData = true;
            break;
        }
        holes = 0;
        filled += static_cast<int>(got);
    }
    return filled;
}

void TVorbisIn::restartLoop() {
    Flush();
    Init();
    // When someone else keeps the file open it was not reopened: rewind the decoder.
    if (ov_pcm_tell(&m_decoder) != 0 && ov_seekable(&m_decoder)) ov_pcm_seek(&m_decoder, 0);
    m_endOfData = false;
}

int TVorbisIn::refill() {
    if (const int request = m_jumpRequest.exchange(0); request != 0) {
        const int64_t size = Size();
        int64_t position = Position() + roundHalfEven(request / 100.0 * static_cast<double>(size));
        position = std::clamp<int64_t>(position, 0, std::max<int64_t>(size, 0));
        m_position = position;
        if (size > 0 && position >= size) {
            // The decoder will not seek to the very end; there is nothing left to decode.
            m_endOfData = true;
        } else if (size > 0 && ov_seekable(&m_decoder)) {
            const double target =
                static_cast<double>(position) / static_cast<double>(size) * m_totalSeconds;
            if (ov_time_seek(&m_decoder, target) == 0) m_endOfData = false;
        }
    }
    int filled = fillBlock();
    if (m_endOfData && Loop()) {
        if (filled > 0) return filled;  // deliver the tail first; the next refill restarts
        restartLoop();
        filled = fillBlock();
    }
    return filled;
}

// ---- TVorbisOut ----------------------------------------------------------------------

TVorbisOut::~TVorbisOut() {
    shutdownWorker();
    releaseEncoder();  // a run abandoned by the destruction
}

void TVorbisOut::releaseEncoder() {
    if (!m_encoderReady) return;
    m_encoderReady = false;
    ogg_stream_clear(&m_stream);
    vorbis_block_clear(&m_vorbisBlock);
    vorbis_dsp_clear(&m_dsp);
    vorbis_comment_clear(&m_comment);
    vorbis_info_clear(&m_info);
}

void TVorbisOut::writePage(const ogg_page& page) {
    m_file->write(page.header, page.header_len);
    m_file->write(page.body, page.body_len);
}

void TVorbisOut::Prepare() {
    if (m_fileName.empty()) throw EACSException("File name is not assigned.");
    checkNotOwnInput(m_fileName);
    initInput();
    m_endOfStream = false;
    TACSInput* input = Input();
    m_channels = input->InChannels();
    const int rate = input->InSampleRate();
    m_bytesPerSample = pcmBytesPerSample(input->InBitsPerSample());

    vorbis_info_init(&m_info);
    if (vorbis_encode_init_vbr(&m_info, m_channels, rate, m_compression) != 0) {
        vorbis_info_clear(&m_info);
        throw EACSException("The Ogg Vorbis encoder cannot encode " + std::to_string(m_channels) +
                            " channels at " + std::to_string(rate) + " Hz with quality " +
                            std::to_string(m_compression));
    }
    m_carry.reset(m_bytesPerSample * m_channels);  // at most 255 channels: always fits
    vorbis_comment_init(&m_comment);
    for (const std::string& line : m_comments) {
        const size_t equals = line.find('=');
        const std::string tag = equals == std::string::npos ? "" : line.substr(0, equals);
        std::string value;
        if (equals != std::string::npos) {
            // A repeated tag takes the value of its first line.
            for (const std::string& other : m_comments) {
                if (const size_t eq = other.find('=');
                    eq != std::string::npos && other.compare(0, eq, tag) == 0 && eq == tag.size()) {
                    value = other.substr(eq + 1);
                    break;
                }
            }
        }
        vorbis_comment_add_tag(&m_comment, tag.c_str(), value.c_str());
    }
    for (const VorbisComment& comment : vorbisComments(m_tags))
        vorbis_comment_add_tag(&m_comment, comment.name.c_str(), comment.value.c_str());
    if (const std::string picture = pictureCommentValue(m_tags); !picture.empty())
        vorbis_comment_add_tag(&m_comment, kPictureCommentName, picture.c_str());
    vorbis_analysis_init(&m_dsp, &m_info);
    vorbis_block_init(&m_dsp, &m_vorbisBlock);
    ogg_stream_init(&m_stream, m_serial);
    m_encoderReady = true;

    try {
        ogg_packet identification, comment, codebooks;
        vorbis_analysis_headerout(&m_dsp, &m_comment, &identification, &comment, &codebooks);
        ogg_stream_packetin(&m_stream, &identification);
        ogg_stream_packetin(&m_stream, &comment);
        ogg_stream_packetin(&m_stream, &codebooks);
        m_file = std::make_unique<FileStream>(m_fileName, FileStream::Mode::create);
        while (ogg_stream_flush(&m_stream, &m_page) != 0)
            writePage(m_page);
    } catch (...) {
        m_file.reset();
        releaseEncoder();
        throw;
    }
}

void TVorbisOut::encodePending() {
    while (vorbis_analysis_blockout(&m_dsp, &m_vorbisBlock) == 1) {
        vorbis_analysis(&m_vorbisBlock, nullptr);
        vorbis_bitrate_addblock(&m_vorbisBlock);
        while (vorbis_bitrate_flushpacket(&m_dsp, &m_packet) == 1) {
            ogg_stream_packetin(&m_stream, &m_packet);
            while (!m_endOfStream && ogg_stream_pageout(&m_stream, &m_page) != 0) {
                writePage(m_page);
                if (ogg_page_eos(&m_page)) m_endOfStream = true;
            }
        }
    }
}

bool TVorbisOut::ProcessChunk(bool abort) {
    if (!isRunning()) return true;
    reportProgress();
    if (abort || m_endOfStream) return false;

    const int n = m_carry.read(*Input(), m_chunk.data(), static_cast<int>(m_chunk.size()));
    if (n <= 0) {
        vorbis_analysis_wrote(&m_dsp, 0);  // end of input: the encoder closes the stream
        encodePending();
        return true;
    }
    const int frameBytes = m_bytesPerSample * m_channels;
    const int frames = n / frameBytes;
    // The encoder works in short blocks; handing it the chunk in small pieces keeps its
    // internal copying small.
    for (int done = 0; done < frames; done += kFramesPerPiece) {
        const int piece = std::min(kFramesPerPiece, frames - done);
        float** buffer = vorbis_analysis_buffer(&m_dsp, piece);
        const uint8_t* sample = m_chunk.data() + static_cast<ptrdiff_t>(done) * frameBytes;
        for (int frame = 0; frame < piece; ++frame) {
            for (int channel = 0; channel < m_channels; ++channel) {
                buffer[channel][frame] = pcmSampleToFloat(sample, m_bytesPerSample);
                sample += m_bytesPerSample;
            }
        }
        vorbis_analysis_wrote(&m_dsp, piece);
        encodePending();
    }
    return true;
}

void TVorbisOut::Finish() {
    std::exception_ptr error;
    try {
        if (m_file) m_file->close();
    } catch (...) {
        error = std::current_exception();
    }
    m_file.reset();
    Input()->Flush();
    m_comments.clear();
    releaseEncoder();
    if (error) std::rethrow_exception(error);
}
