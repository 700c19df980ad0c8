// The album's cover saved once as a picture file beside the ripped files, where players and
// file managers look for it: "cover.jpg" or "cover.png" after what the picture is.
//
// A folder that already holds a cover keeps it: the file may be one the user chose, or the
// cover of an earlier rip into the same folder, and neither is ours to throw away. Only when it
// holds the same bytes is the answer that the cover is there. The new file is written under a
// hidden temporary name and moved into place in one step that fails rather than replace a
// cover that appeared meanwhile, so a reader never sees half a picture and no crash leaves
// one behind.
#pragma once

#include <cstddef>
#include <string>

#include "TrackTags.h"

// The largest cover saved unless the settings say otherwise.
constexpr std::size_t kDefaultMaxCoverBytes = 2 * 1024 * 1024;

struct CoverSaveResult {
    enum class Outcome {
        saved,         // written to path
        alreadySaved,  // path holds these very bytes
        keptOther,     // path holds another cover, which stays
        noCover,       // nothing to save: not an error
        tooLarge,      // more bytes than the cap allows; nothing written
        notAPicture,   // neither JPEG nor PNG; nothing written
        failed,        // error tells why; no file left behind
    };
    Outcome outcome = Outcome::noCover;
    std::string path;
    std::string error;
};

// Saves the cover (null or empty: none) in folder, which must exist, refusing one of more than
// maxBytes bytes.
CoverSaveResult saveCover(const CoverArt* cover, const std::string& folder, std::size_t maxBytes);
