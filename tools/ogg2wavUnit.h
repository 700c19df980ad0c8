// Ogg Vorbis to WAV converter.
#pragma once

#include "ACS_Vorbis.h"
#include "ACS_Wave.h"
#include "ConverterForm.h"

class Togg2wav : public TConverterForm {
    Q_OBJECT

  public:
    explicit Togg2wav(QWidget* parent = nullptr);

    TVorbisIn& VorbisIn1() { return static_cast<TVorbisIn&>(source()); }
    TWaveOut& WaveOut1() { return static_cast<TWaveOut&>(sink()); }
};
