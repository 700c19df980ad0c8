#include "TrackRip.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#include "ACS_Wave.h"
#include "RipUtility.h"
#include "Streams.h"

namespace {

void removeQuietly(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

}  // namespace

TrackRipResult ripTrack(const TrackRipRequest& request, const std::function<bool()>& cancelled,
                        const std::function<void(int gauge)>& afterRead) {
    using Outcome = TrackRipResult::Outcome;
    std::unique_ptr<FileStream> file;
    try {
        file = std::make_unique<FileStream>(request.path, FileStream::Mode::create);
    } catch (const std::exception& error) {
        return {Outcome::createFailed, error.what()};
    }

    const std::int64_t total = std::max<std::int32_t>(request.frames, 0);
    bool wasCancelled = false;
    try {
        WriteCdWaveHeader(*file, total * kCdFrameBytes);
        RipReadBuffer buffer;
        std::uint32_t start = request.startFrame;
        std::int64_t remaining = total;
        std::uint32_t ask = kCdMaxReadFrames;
        while (remaining > 0) {
            if (cancelled()) {
                wasCancelled = true;
                break;
            }
            if (ask > remaining) ask = static_cast<std::uint32_t>(remaining);
            // A drive may fail a read now and deliver it the next time; a frame that never
            // comes would leave a hole in the file, so the job stops instead.
            bool delivered = false;
            for (int attempt = 0; attempt < kCdReadAttempts && !delivered; ++attempt)
                delivered = buffer.read(request.handle, start, ask);
            if (!delivered) {
                file.reset();
                removeQuietly(request.path);
                return {Outcome::readFailed, "Cannot read track " + request.caption +
                                                 " from the CD at frame " + std::to_string(start)};
            }
            file->write(buffer.data(), buffer.byteCount());
            start += buffer.frameCount();
            remaining -= buffer.frameCount();
            afterRead(static_cast<int>((total - remaining) * request.gaugeSpan / total));
        }
        file->close();
    } catch (const std::exception& error) {
        file.reset();
        removeQuietly(request.path);
        return {Outcome::writeFailed, error.what()};
    }
    return {wasCancelled ? Outcome::cancelled : Outcome::done, {}};
}
