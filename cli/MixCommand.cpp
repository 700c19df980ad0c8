#include "ACS_AudioMix.h"
#include "ACS_Wave.h"
#include "CliSupport.h"

int mixCommand(const std::vector<std::string>& words) {
    const Arguments args(words, {"--volume1", "--volume2"}, {"--concat"});
    if (args.positional().size() != 3) throw UsageError("mix takes IN1, IN2 and OUT");
    TWaveIn first, second;
    first.SetFileName(args.positional()[0]);
    second.SetFileName(args.positional()[1]);
    TAudioMixer mixer;
    mixer.SetInput1(&first);
    mixer.SetInput2(&second);
    mixer.SetMode(args.has("--concat") ? amConcatenate : amMix);
    mixer.SetVolume1(static_cast<uint8_t>(args.integer("--volume1", 255, 0, 255)));
    mixer.SetVolume2(static_cast<uint8_t>(args.integer("--volume2", 255, 0, 255)));
    TWaveOut sink;
    sink.SetFileName(args.positional()[2]);
    sink.SetInput(&mixer);
    return runToEnd(sink, args.positional()[2]);
}
