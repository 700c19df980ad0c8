// Ogg Vorbis to MP3 converter at 128 kbit/s, with no tag texts.
#pragma once

#include "ACS_LAME.h"
#include "ACS_Vorbis.h"
#include "ConverterForm.h"

class Togg2mp3 : public TConverterForm {
    Q_OBJECT

  public:
    explicit Togg2mp3(QWidget* parent = nullptr);

    TVorbisIn& VorbisIn1() { return static_cast<TVorbisIn&>(source()); }
    TMP3Out& MP3Out1() { return static_cast<TMP3Out&>(sink()); }
};
