// The four calls of the encoder interface over a table of open streams. Handles count up and
// are not reused soon, so a stale handle finds no stream rather than someone else's.
#include <map>
#include <memory>
#include <mutex>

#include "EncoderStream.h"
#include "bladedll.h"

namespace {

using quillon::bladeenc::EncoderStream;

// A stream with the lock that keeps one call at a time on it.
struct OpenStream {
    std::mutex mutex;
    std::unique_ptr<EncoderStream> encoder;
};

constexpr std::size_t kMaxStreams = 64;

class StreamTable {
  public:
    static StreamTable& instance() {
        static StreamTable table;
        return table;
    }

    BeErr add(std::unique_ptr<EncoderStream> encoder, BeStream& handle) {
        std::lock_guard lock(m_mutex);
        if (m_streams.size() >= kMaxStreams) return beErrNoMoreHandles;
        do {
            ++m_next;
        } while (m_next == 0 || m_streams.count(m_next) != 0);
        auto stream = std::make_shared<OpenStream>();
        stream->encoder = std::move(encoder);
        m_streams.emplace(m_next, std::move(stream));
        handle = m_next;
        return beErrSuccessful;
    }

    // The stream stays alive for a call under way even when another thread closes it.
    std::shared_ptr<OpenStream> find(BeStream handle) {
        std::lock_guard lock(m_mutex);
        const auto found = m_streams.find(handle);
        return found == m_streams.end() ? nullptr : found->second;
    }

    bool remove(BeStream handle) {
        std::lock_guard lock(m_mutex);
        return m_streams.erase(handle) != 0;
    }

  private:
    std::mutex m_mutex;
    std::map<BeStream, std::shared_ptr<OpenStream>> m_streams;
    BeStream m_next = 0;
};

}  // namespace

BeErr beInitStream(const BeConfig* config, std::uint32_t* samplesPerChunk,
                   std::uint32_t* outputBufferSize, BeStream* stream) {
    if (config == nullptr || samplesPerChunk == nullptr || outputBufferSize == nullptr ||
        stream == nullptr)
        return beErrInvalidArgument;
    std::unique_ptr<EncoderStream> encoder;
    if (const BeErr error = EncoderStream::create(*config, encoder); error != beErrSuccessful)
        return error;
    const std::uint32_t chunk = encoder->samplesPerChunk();
    const std::uint32_t size = encoder->outputBufferSize();
    BeStream handle = 0;
    if (const BeErr error = StreamTable::instance().add(std::move(encoder), handle);
        error != beErrSuccessful)
        return error;
    *samplesPerChunk = chunk;
    *outputBufferSize = size;
    *stream = handle;
    return beErrSuccessful;
}

BeErr beEncodeChunk(BeStream stream, std::uint32_t sampleCount, const std::uint8_t* pcm,
                    std::uint8_t* output, std::uint32_t* outputBytes) {
    const auto open = StreamTable::instance().find(stream);
    if (!open) return beErrInvalidHandle;
    std::lock_guard lock(open->mutex);
    return open->encoder->encode(sampleCount, pcm, output, outputBytes);
}

BeErr beDeinitStream(BeStream stream, std::uint8_t* output, std::uint32_t* outputBytes) {
    const auto open = StreamTable::instance().find(stream);
    if (!open) return beErrInvalidHandle;
    std::lock_guard lock(open->mutex);
    return open->encoder->finish(output, outputBytes);
}

BeErr beInfoFrame(BeStream stream, std::uint8_t* output, std::uint32_t* outputBytes) {
    const auto open = StreamTable::instance().find(stream);
    if (!open) return beErrInvalidHandle;
    std::lock_guard lock(open->mutex);
    return open->encoder->infoFrame(output, outputBytes);
}

BeErr beCloseStream(BeStream stream) {
    return StreamTable::instance().remove(stream) ? beErrSuccessful : beErrInvalidHandle;
}
