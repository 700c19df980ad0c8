// Playing to and recording from the sound card, and listing its devices.
#include <iostream>

#include "ACS_Audio.h"
#include "ACS_Vorbis.h"
#include "ACS_Wave.h"
#include "CliSupport.h"

namespace {

void listDevices(bool output) {
    const int count = static_cast<int>(output ? waveOutGetNumDevs() : waveInGetNumDevs());
    std::cout << (output ? "Output" : "Input") << " devices:";
    if (count == 0) std::cout << " none";
    std::cout << "\n";
    for (int device = 0; device < count; ++device) {
        TDeviceInfo info;
        GetDeviceInfo(device, output, info);
        std::cout << "  " << device << "  " << info.DeviceName
                  << (info.Stereo ? " (stereo)" : " (mono)") << "\n";
    }
}

}  // namespace

int devicesCommand(const std::vector<std::string>& words) {
    if (!Arguments(words, {}, {}).positional().empty()) throw UsageError("devices takes nothing");
    listDevices(true);
    listDevices(false);
    return 0;
}

int playCommand(const std::vector<std::string>& words) {
    const Arguments args(words, {"--device"}, {});
    if (args.positional().size() != 1) throw UsageError("play takes one FILE");
    const std::string& file = args.positional()[0];
    TVorbisIn source;
    TWaveIn wave;
    TACSFileIn* input = &source;
    if (lowerExtension(file) == "wav") input = &wave;
    input->SetFileName(file);
    TAudioOut sink;
    sink.SetBaseChannel(args.integer("--device", 0, 0, 255));
    sink.SetInput(input);
    return runToEnd(sink, "");
}

int recordCommand(const std::vector<std::string>& words) {
    const Arguments args(words, {"--seconds", "--rate", "--bits", "--channels", "--device"}, {});
    if (args.positional().size() != 1) throw UsageError("record takes one OUT file");
    if (!args.value("--seconds")) throw UsageError("record needs --seconds");
    const int bits = args.integer("--bits", 16, 8, 16);
    if (bits != 8 && bits != 16) throw UsageError("--bits takes 8 or 16");
    TAudioIn source;
    source.SetRecTime(args.integer("--seconds", 0, 1, 24 * 3600));
    source.SetInSampleRate(args.integer("--rate", 44100, 8000, 192000));
    source.SetInBitsPerSample(bits);
    source.SetInChannels(args.integer("--channels", 2, 1, 2));
    source.SetBaseChannel(args.integer("--device", 0, 0, 255));
    TWaveOut sink;
    sink.SetFileName(args.positional()[0]);
    sink.SetInput(&source);
    // A recording stopped early is still a good, shorter recording.
    return runToEnd(sink, args.positional()[0], OnInterrupt::keepOutput);
}
