// What the drive and image readers share about libcdio: an owning handle, the layout of the
// disc it sees, quiet logging, and sample byte order.
#pragma once

#include <cdio/cdio.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "Disc.h"

namespace quillon::cdrom {

struct CdioCloser {
    void operator()(CdIo_t* cdio) const { cdio_destroy(cdio); }
};
using CdioPtr = std::unique_ptr<CdIo_t, CdioCloser>;

// libcdio reports problems on stderr by default and exits on errors; this layer reports them
// through its results instead. Call before the first libcdio call; idempotent.
void quietCdioLogging();

// The tracks and lead-out libcdio reports, or nothing when the disc has no valid layout.
std::optional<DiscLayout> readLayout(CdIo_t* cdio);

// Exchanges the two bytes of every 16-bit sample.
void swapSampleBytes(std::uint8_t* data, std::size_t bytes);

}  // namespace quillon::cdrom
