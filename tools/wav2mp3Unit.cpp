#include "wav2mp3Unit.h"

namespace {
const ConverterLook kLook{"WAV to MP3 Converter",
                          "Input WAV File",
                          "Output MP3 File",
                          "*.wav|*.wav",
                          "*.mp3|*.mp3",
                          "mp3",
                          false};
}

Twav2mp3::Twav2mp3(QWidget* parent)
    : TConverterForm(kLook, std::make_unique<TWaveIn>(), std::make_unique<TMP3Out>(), parent) {
    MP3Out1().SetSuspendWhenIdle(true);
    MP3Out1().SetBitRate(br128);
}
