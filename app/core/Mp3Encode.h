// Encodes a ripped CD-audio WAV file into an MP3 file through the encoder interface of
// bladedll.h, in the chunks the encoder asks for.
#pragma once

#include <functional>
#include <string>

#include "RipSettings.h"
#include "TrackTags.h"

struct Mp3EncodeResult {
    enum class Outcome {
        done,
        cancelled,   // the stream was ended early; the output holds what was encoded
        openFailed,  // a file could not be opened or created; nothing was encoded
        initFailed,  // the encoder refused the configuration; both files stay
        failed,      // reading, encoding or writing failed; both files stay
    };
    Outcome outcome = Outcome::done;
    std::string message;
    bool outputCreated = false;  // whether the output file was created (and so replaced)
};

// `cancelled` is asked before each chunk; after each chunk, `afterChunk(gauge)` lets the window
// process its events and moves the gauge from 40 towards 100. The file starts with an ID3v2 tag
// made from `tags`, none when they are empty.
Mp3EncodeResult encodeMp3(const std::string& wavPath, const std::string& mp3Path,
                          const RipSettings& settings, const std::function<bool()>& cancelled,
                          const std::function<void(int gauge)>& afterChunk,
                          const TrackTags& tags = {});
