// The MP3 encoder interface the rip job calls: open a stream with a configuration record, feed
// it chunks of 16-bit PCM, take the final bytes, close it. Implemented by platform/bladeenc on
// top of libmp3lame.
//
// Input is always CD audio: 44100 Hz, 16-bit little-endian, two interleaved channels.
// Output is constant-bit-rate MPEG audio layer III frames with no tags. The first frame is
// reserved for the info frame that beInfoFrame gives at the end; until it is written over,
// that frame holds silence.
//
// Every function answers beErrSuccessful or an error code and never crashes on bad arguments.
// Streams are independent; several may be open at once and used from different threads, but
// one stream from one thread at a time.
#pragma once

#include <cstdint>

using BeErr = std::uint32_t;
using BeStream = std::uint32_t;  // 0 is never a valid stream

constexpr BeErr beErrSuccessful = 0;
// The record's format code is not beFormatMp3.
constexpr BeErr beErrInvalidFormat = 1;
// Sample rate, bit rate or mode is not one the encoder offers.
constexpr BeErr beErrInvalidFormatParameters = 2;
// Too many streams are open.
constexpr BeErr beErrNoMoreHandles = 3;
// The handle names no open stream.
constexpr BeErr beErrInvalidHandle = 4;
// A null pointer, or more values in a chunk than the stream's samples per chunk.
constexpr BeErr beErrInvalidArgument = 5;
// beEncodeChunk or beDeinitStream after the stream was finished by beDeinitStream.
constexpr BeErr beErrStreamFinished = 6;
// The encoder library reported a failure.
constexpr BeErr beErrEncoderFailed = 7;
// beInfoFrame before the stream was finished by beDeinitStream.
constexpr BeErr beErrStreamNotFinished = 8;

constexpr std::uint32_t beFormatMp3 = 0;

// Channel modes of the output. Stereo codes the two channels separately; joint stereo may code
// their sum and difference; dual channel codes them as two independent signals; mono mixes the
// two input channels into one.
constexpr std::uint8_t beModeStereo = 0;
constexpr std::uint8_t beModeJointStereo = 1;
constexpr std::uint8_t beModeDualChannel = 2;
constexpr std::uint8_t beModeMono = 3;

// The configuration record: 15 bytes, packed, zero-filled before the fields are set.
#pragma pack(push, 1)
struct BeConfig {
    std::uint32_t format;      // beFormatMp3
    std::uint32_t sampleRate;  // output sample rate in Hz
    std::uint8_t mode;         // beMode...
    std::uint16_t bitrate;     // kbit/s
    std::uint8_t privateBit;   // the flags: 0 off, anything else on
    std::uint8_t crc;
    std::uint8_t copyright;
    std::uint8_t original;
};
#pragma pack(pop)
static_assert(sizeof(BeConfig) == 15);

// Opens a stream. The sample rate is the rate of the MP3 file: 32000, 44100 or 48000 Hz (and
// the half and quarter rates 16000, 22050, 24000, 8000, 11025, 12000); a rate other than the
// input's 44100 Hz makes the encoder resample to it. The bit rate must be one that MPEG
// defines for that rate (32 to 320 kbit/s at the full rates, 8 to 160 at the others).
// On success fills samplesPerChunk (the most 16-bit values, over both channels, one
// beEncodeChunk takes), outputBufferSize (the bytes the caller's output buffer must hold for
// beEncodeChunk and beDeinitStream) and stream.
BeErr beInitStream(const BeConfig* config, std::uint32_t* samplesPerChunk,
                   std::uint32_t* outputBufferSize, BeStream* stream);

// Encodes sampleCount 16-bit values (pcm holds 2 × sampleCount bytes; null is allowed when
// the count is 0), at most samplesPerChunk of them. An odd count leaves the last value waiting
// for its partner in the next chunk. Writes at most outputBufferSize bytes to output and their
// number to outputBytes (0 is usual while the encoder gathers a frame's worth of samples).
BeErr beEncodeChunk(BeStream stream, std::uint32_t sampleCount, const std::uint8_t* pcm,
                    std::uint8_t* output, std::uint32_t* outputBytes);

// Ends the stream: the samples still held are coded and the last frames written to output
// (at most outputBufferSize bytes). After it, only beCloseStream is accepted.
BeErr beDeinitStream(BeStream stream, std::uint8_t* output, std::uint32_t* outputBytes);

// After beDeinitStream: the info frame of the stream (its length, and the encoder's delay and
// padding, which decoders drop to give back exactly the samples that went in), at most
// outputBufferSize bytes. It has the size of the stream's first frame, which was reserved for
// it: a caller whose output can be rewritten writes it over the first bytes the stream gave.
// Frames of the lowest bit rates are too small to hold it: then none was reserved, and the
// info frame has 0 bytes.
BeErr beInfoFrame(BeStream stream, std::uint8_t* output, std::uint32_t* outputBytes);

// Releases the stream; its handle is then invalid. Allowed with or without beDeinitStream.
BeErr beCloseStream(BeStream stream);
