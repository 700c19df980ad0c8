// WAV to Ogg Vorbis converter, with the encoder's pacing and compression as options.
#pragma once

#include "ACS_Vorbis.h"
#include "ACS_Wave.h"
#include "ConverterForm.h"

class Twav2ogg : public TConverterForm {
    Q_OBJECT

  public:
    explicit Twav2ogg(QWidget* parent = nullptr);

    TWaveIn& WaveIn1() { return static_cast<TWaveIn&>(source()); }
    TVorbisOut& VorbisOut1() { return static_cast<TVorbisOut&>(sink()); }

    // "CPU Usage" changed: the worker pauses 16 - 5 x c ms before each block.
    void cpuChange();

  protected:
    // "Compr. %" is read at each start.
    void beforeRun() override;
};
