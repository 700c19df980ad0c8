#include "ogg2wavUnit.h"

namespace {
const ConverterLook kLook{"Ogg to WAV Converter",
                          "Input Ogg File",
                          "Output WAV File",
                          "*.ogg|*.ogg",
                          "*.wav|*.wav",
                          "wav",
                          false};
}

Togg2wav::Togg2wav(QWidget* parent)
    : TConverterForm(kLook, std::make_unique<TVorbisIn>(), std::make_unique<TWaveOut>(), parent) {
    WaveOut1().SetSuspendWhenIdle(true);
}
