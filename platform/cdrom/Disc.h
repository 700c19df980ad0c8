// A disc that the CD access layer can read: its track layout and its raw audio frames.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillon::cdrom {

// Track starts and the lead-out in frames counted from 0 (the first frame after the
// two-second lead-in).
struct DiscLayout {
    int firstTrack = 1;
    std::vector<std::int32_t> starts;  // one per track, firstTrack upwards
    std::vector<bool> dataTracks;      // parallel to starts
    std::int32_t leadOut = 0;

    int trackCount() const { return static_cast<int>(starts.size()); }
    int lastTrack() const { return firstTrack + trackCount() - 1; }
    // Track numbers 1 to 99, at least one track, starts strictly rising from frame 0 or
    // later, the lead-out after the last start.
    bool valid() const;
};

// The names a disc carries itself as CD-Text, as clean UTF-8 (CdText.h reads them).
struct DiscText {
    std::string title;
    std::string performer;
    std::string songwriter;
    std::string genre;  // the genre's text, as the disc or sheet words it

    struct Track {
        std::string title;
        std::string performer;
        std::string songwriter;
    };
    std::vector<Track> tracks;  // one per track of the layout, by table position

    // True when neither the disc nor any track has a title or performer.
    bool empty() const;
};

class Disc {
  public:
    virtual ~Disc() = default;
    const DiscLayout& layout() const { return m_layout; }
    // Reads count frames from frame first into out (count * 2352 bytes) as 16-bit
    // little-endian stereo samples. The caller keeps the request inside the disc.
    virtual bool readFrames(std::int32_t first, std::uint32_t count, std::uint8_t* out) = 0;
    // The disc's CD-Text; nothing when it carries none or the reader cannot see it.
    virtual std::optional<DiscText> text() { return std::nullopt; }

  protected:
    explicit Disc(DiscLayout layout) : m_layout(std::move(layout)) {}

  private:
    DiscLayout m_layout;
};

}  // namespace quillon::cdrom
