// WAV to MP3 converter at 128 kbit/s, with no tag texts.
#pragma once

#include "ACS_LAME.h"
#include "ACS_Wave.h"
#include "ConverterForm.h"

class Twav2mp3 : public TConverterForm {
    Q_OBJECT

  public:
    explicit Twav2mp3(QWidget* parent = nullptr);

    TWaveIn& WaveIn1() { return static_cast<TWaveIn&>(source()); }
    TMP3Out& MP3Out1() { return static_cast<TMP3Out&>(sink()); }
};
