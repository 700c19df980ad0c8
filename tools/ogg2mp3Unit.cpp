#include "ogg2mp3Unit.h"

namespace {
const ConverterLook kLook{"Ogg to MP3 Converter",
                          "Input Ogg File",
                          "Output MP3 File",
                          "*.ogg|*.ogg",
                          "*.mp3|*.mp3",
                          "mp3",
                          false};
}

Togg2mp3::Togg2mp3(QWidget* parent)
    : TConverterForm(kLook, std::make_unique<TVorbisIn>(), std::make_unique<TMP3Out>(), parent) {
    MP3Out1().SetSuspendWhenIdle(true);
    MP3Out1().SetBitRate(br128);
}
