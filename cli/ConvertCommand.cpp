#include <memory>

#include "ACS_FLAC.h"
#include "ACS_LAME.h"
#include "ACS_Opus.h"
#include "ACS_Vorbis.h"
#include "ACS_Wave.h"
#include "CliSupport.h"

int convertCommand(const std::vector<std::string>& words) {
    // With an output format, the inputs are a batch; without one, IN and OUT name the files.
    for (const std::string& word : words)
        if (word == "--to") return batchConvertCommand(words);
    const Arguments args(words, {"--bitrate", "--quality", "--delay", "--level"}, {});
    if (args.positional().size() != 2) throw UsageError("convert takes IN and OUT");
    const std::string& in = args.positional()[0];
    const std::string& out = args.positional()[1];

    std::unique_ptr<TACSFileIn> source;
    const std::string inType = lowerExtension(in);
    if (inType == "wav")
        source = std::make_unique<TWaveIn>();
    else if (inType == "ogg")
        source = std::make_unique<TVorbisIn>();
    else if (inType == "flac")
        source = std::make_unique<TFlacIn>();
    else
        throw UsageError("IN must be a .wav, .ogg or .flac file");
    source->SetFileName(in);

    std::unique_ptr<TACSOutput> sink;
    const std::string outType = lowerExtension(out);
    if (outType == "wav") {
        auto wave = std::make_unique<TWaveOut>();
        wave->SetFileName(out);
        sink = std::move(wave);
    } else if (outType == "ogg") {
        auto vorbis = std::make_unique<TVorbisOut>();
        vorbis->SetFileName(out);
        vorbis->SetCompression(static_cast<float>(args.real("--quality", 0.2)));
        sink = std::move(vorbis);
    } else if (outType == "mp3") {
        auto mp3 = std::make_unique<TMP3Out>();
        mp3->SetFileName(out);
        TMP3BitRate rate = br128;
        if (!mp3BitRateFromKbps(args.integer("--bitrate", 128, 8, 320), rate))
            throw UsageError(
                "--bitrate takes one of 8 16 24 32 40 48 56 64 80 96 112 128 144 160 192 224 "
                "256 320");
        mp3->SetBitRate(rate);
        sink = std::move(mp3);
    } else if (outType == "flac") {
        auto flac = std::make_unique<TFlacOut>();
        flac->SetFileName(out);
        flac->SetCompressionLevel(args.integer("--level", TFlacOut::kDefaultLevel, 0, 8));
        sink = std::move(flac);
    } else if (outType == "opus") {
        auto opus = std::make_unique<TOpusOut>();
        opus->SetFileName(out);
        opus->SetBitrate(args.integer("--bitrate", TOpusOut::kDefaultBitrate, 6, 256));
        sink = std::move(opus);
    } else {
        throw UsageError("OUT must be a .wav, .ogg, .mp3, .flac or .opus file");
    }
    sink->SetDelay(args.integer("--delay", 0, 0, 100));
    sink->SetInput(source.get());
    return runToEnd(*sink, out);
}
