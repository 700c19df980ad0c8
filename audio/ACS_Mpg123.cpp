#include "ACS_Mpg123.h"

#include <mpg123.h>

#include <algorithm>
#include <cstdio>
#include <mutex>

namespace {

// The decoder reads its file through these. Exceptions must not reach the C library: a
// failed read or seek becomes the -1 it expects.
ssize_t readCallback(void* source, void* buffer, size_t count) {
    try {
        return static_cast<ssize_t>(
            static_cast<TMP3In*>(source)->file()->read(buffer, static_cast<int64_t>(count)));
    } catch (...) {
        return -1;
    }
}

off_t seekCallback(void* source, off_t offset, int whence) {
    try {
        return static_cast<off_t>(static_cast<TMP3In*>(source)->file()->seek(offset, whence));
    } catch (...) {
        return -1;
    }
}

// Older libraries want one call before the first handle; newer ones ignore it.
void initialiseLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

}  // namespace

TMP3In::~TMP3In() {
    closeDecoder();
}

void TMP3In::closeDecoder() {
    if (m_decoder) {
        mpg123_close(m_decoder);
        mpg123_delete(m_decoder);
        m_decoder = nullptr;
    }
    m_file.reset();
}

void TMP3In::OpenFile() {
    std::lock_guard lock(m_openLock);
    if (m_openCount == 0) {
        m_valid = true;
        m_endOfData = false;
        try {
            m_file = std::make_unique<FileStream>(m_fileName, FileStream::Mode::read);
        } catch (const EACSException& error) {
            reject(error.what());
            return;
        }
        initialiseLibrary();
        int error = MPG123_OK;
        m_decoder = mpg123_new(nullptr, &error);
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        bool started = m_decoder != nullptr;
        if (started) {
            // Quiet: a damaged frame is the file's problem, not a line on our stderr.
            // Gapless: the info frame's delay and padding are not part of the sound.
            mpg123_param(m_decoder, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0);
            // One output encoding for every file; rate and channels stay the file's own.
            mpg123_format_none(m_decoder);
            const long* rates = nullptr;
            size_t rateCount = 0;
            mpg123_rates(&rates, &rateCount);
            for (size_t i = 0; i < rateCount; ++i)
                mpg123_format(m_decoder, rates[i], MPG123_MONO | MPG123_STEREO,
                              MPG123_ENC_SIGNED_16);
            started = mpg123_replace_reader_handle(m_decoder, readCallback, seekCallback,
                                                   nullptr) == MPG123_OK &&
                      mpg123_open_handle(m_decoder, this) == MPG123_OK &&
                      mpg123_getformat(m_decoder, &rate, &channels, &encoding) == MPG123_OK;
        }
        if (!started || rate < 1 || (channels != 1 && channels != 2) ||
            encoding != MPG123_ENC_SIGNED_16) {
            closeDecoder();
            reject("The file \"" + m_fileName + "\" is not an MP3 file");
            return;
        }
        m_sampleRate = static_cast<int>(rate);
        m_channels = channels;
        m_bitsPerSample = 16;
        // Without an info frame the length is only an estimate from the first frame; going
        // through every frame header makes it exact (and costs a read of the file, not a
        // decode).
        mpg123_scan(m_decoder);
        const off_t frames = mpg123_length(m_decoder);
        m_size = frames > 0 ? static_cast<int64_t>(frames) * m_channels * 2 : -1;
        const int64_t bytesPerSecond = int64_t{m_sampleRate} * m_channels * 2;
        m_totalSeconds = Size() > 0 ? static_cast<int>(divideHalfEven(Size(), bytesPerSecond)) : 0;
    }
    ++m_openCount;
}

void TMP3In::CloseFile() {
    std::lock_guard lock(m_openLock);
    if (m_openCount == 1) closeDecoder();
    if (m_openCount > 0) --m_openCount;
}

int TMP3In::ReadData(void* buffer, int count) {
    return deliverFromBlock(m_block.data(), buffer, count, [this] { return refill(); });
}

bool TMP3In::seekToFrame(int64_t frame) {
    if (mpg123_seek(m_decoder, static_cast<off_t>(frame), SEEK_SET) < 0) return false;
    m_endOfData = false;
    return true;
}

int TMP3In::refill() {
    if (!m_decoder) return 0;
    const int frameBytes = m_channels * 2;
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
        }
    }
    for (int round = 0; round < 2; ++round) {
        while (!m_endOfData) {
            size_t done = 0;
            const int status = mpg123_read(m_decoder, m_block.data(), m_block.size(), &done);
            // Whole sample frames only; the decoder gives those for 16-bit output.
            done -= done % static_cast<size_t>(frameBytes);
            if (done > 0) {
                // The sound may end in the middle of a damaged file: what came is kept.
                if (status != MPG123_OK && status != MPG123_NEW_FORMAT) m_endOfData = true;
                return static_cast<int>(done);
            }
            // The end, a fault the decoder could not step over, or a change of rate or
            // channels in mid-file, which this source's one format cannot follow.
            if (status != MPG123_OK) m_endOfData = true;
        }
        if (round == 1 || !Loop() || !seekToFrame(0)) break;
        m_position = 0;
    }
    return 0;
}
