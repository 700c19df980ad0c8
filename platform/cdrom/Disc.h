// A disc that the CD access layer can read: its track layout and its raw audio frames.
#pragma once

#include <cstdint>
#include <memory>
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

class Disc {
  public:
    virtual ~Disc() = default;
    const DiscLayout& layout() const { return m_layout; }
    // Reads count frames from frame first into out (count * 2352 bytes) as 16-bit
    // little-endian stereo samples. The caller keeps the request inside the disc.
    virtual bool readFrames(std::int32_t first, std::uint32_t count, std::uint8_t* out) = 0;

  protected:
    explicit Disc(DiscLayout layout) : m_layout(std::move(layout)) {}

  private:
    DiscLayout m_layout;
};

}  // namespace quillon::cdrom
