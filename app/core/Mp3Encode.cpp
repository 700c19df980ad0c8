#include "Mp3Encode.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "ID3TrackTag.h"
#include "Streams.h"
#include "bladedll.h"

namespace {

constexpr std::int64_t kHeaderBytes = 44;

// Releases the stream on every way out.
class EncoderStream {
  public:
    ~EncoderStream() {
        if (m_handle != 0) beCloseStream(m_handle);
    }
    BeStream* place() { return &m_handle; }
    BeStream handle() const { return m_handle; }

  private:
    BeStream m_handle = 0;
};

BeConfig configFor(const RipSettings& settings) {
    BeConfig config{};
    config.format = beFormatMp3;
    config.sampleRate = static_cast<std::uint32_t>(settings.mp3SampleRate);
    config.mode = beModeStereo;
    config.bitrate = static_cast<std::uint16_t>(settings.mp3Bitrate);
    config.privateBit = settings.privateBit ? 1 : 0;
    config.crc = settings.crc ? 1 : 0;
    config.copyright = settings.copyright ? 1 : 0;
    config.original = settings.original ? 1 : 0;
    return config;
}

// Writes all bytes; false when the file took fewer.
bool writeAll(FileStream& file, const std::uint8_t* bytes, std::uint32_t count) {
    try {
        file.write(bytes, count);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

Mp3EncodeResult encodeMp3(const std::string& wavPath, const std::string& mp3Path,
                          const RipSettings& settings, const std::function<bool()>& cancelled,
                          const std::function<void(int gauge)>& afterChunk, const TrackTags& tags) {
    using Outcome = Mp3EncodeResult::Outcome;
    Mp3EncodeResult result;
    std::unique_ptr<FileStream> input, output;
    try {
        input = std::make_unique<FileStream>(wavPath, FileStream::Mode::read);
        output = std::make_unique<FileStream>(mp3Path, FileStream::Mode::create);
    } catch (const std::exception& error) {
        return {Outcome::openFailed, error.what(), false};
    }
    result.outputCreated = true;
    auto fail = [&](Outcome outcome, std::string message) {
        result.outcome = outcome;
        result.message = std::move(message);
        return result;
    };

    const BeConfig config = configFor(settings);
    std::uint32_t samplesPerChunk = 0, outputSize = 0;
    EncoderStream stream;
    if (const BeErr error = beInitStream(&config, &samplesPerChunk, &outputSize, stream.place());
        error != beErrSuccessful)
        return fail(Outcome::initFailed, "Error opening encoding stream " + std::to_string(error));

    // The tag goes first, so the file is never rewritten for it; the stream follows it.
    const std::vector<std::uint8_t> tag =
        tags.empty() ? std::vector<std::uint8_t>{} : BuildTrackTag(tags);
    if (!tag.empty() && !writeAll(*output, tag.data(), static_cast<std::uint32_t>(tag.size())))
        return fail(Outcome::failed, "Write Error");
    std::vector<std::uint8_t> encoded(outputSize);
    std::vector<std::uint8_t> pcm(std::size_t{samplesPerChunk} * 2);
    try {
        const std::int64_t length = std::max<std::int64_t>(input->size() - kHeaderBytes, 0);
        std::int64_t position = 0;
        input->seek(kHeaderBytes, SEEK_SET);
        while (position != length && !cancelled()) {
            std::int64_t want = static_cast<std::int64_t>(pcm.size());
            if (position + want >= length) want = length - position;
            if (input->read(pcm.data(), want) != want) return fail(Outcome::failed, "Read Error");
            std::uint32_t produced = 0;
            if (const BeErr error =
                    beEncodeChunk(stream.handle(), static_cast<std::uint32_t>(want / 2), pcm.data(),
                                  encoded.data(), &produced);
                error != beErrSuccessful)
                return fail(Outcome::failed, "beEncodeChunk failed " + std::to_string(error));
            if (!writeAll(*output, encoded.data(), produced))
                return fail(Outcome::failed, "Write Error");
            position += want;
            afterChunk(static_cast<int>(40 + position * 60 / length));
        }
    } catch (const std::exception&) {
        return fail(Outcome::failed, "Read Error");
    }

    std::uint32_t produced = 0;
    if (const BeErr error = beDeinitStream(stream.handle(), encoded.data(), &produced);
        error != beErrSuccessful)
        return fail(Outcome::failed, "beExitStream failed " + std::to_string(error));
    if (!writeAll(*output, encoded.data(), produced)) return fail(Outcome::failed, "Write error");
    // The stream began with a frame kept for its info frame, which tells players the exact
    // length: without it they play the encoder's delay and padding as extra silence.
    if (output->regularFile() &&
        beInfoFrame(stream.handle(), encoded.data(), &produced) == beErrSuccessful) {
        try {
            output->seek(static_cast<std::int64_t>(tag.size()), SEEK_SET);
            output->write(encoded.data(), produced);
        } catch (const std::exception&) {
            return fail(Outcome::failed, "Write error");
        }
    }
    try {
        output->close();
    } catch (const std::exception&) {
        return fail(Outcome::failed, "Write error");
    }
    result.outcome = cancelled() ? Outcome::cancelled : Outcome::done;
    return result;
}
