// The sound recorder: records the first recording device into a WAV file for a chosen
// number of seconds, in the chosen rate, sample width and channel count.
#pragma once

#include <QDialog>
#include <memory>

#include "ACS_Audio.h"
#include "ACS_Wave.h"

namespace Ui {
class Trecorder;
}

class Trecorder : public QDialog {
    Q_OBJECT

  public:
    // Names the recording device; a missing one is reported at once and the label stays
    // blank.
    explicit Trecorder(QWidget* parent = nullptr);
    ~Trecorder() override;

  private:
    void Button1Click();  // "Convert": asks for the file and records
    void Button2Click();  // "Cancel"
    void Button3Click();  // "Close"

    // "Convert" and "Close" are enabled while nothing is recorded.
    void setIdle(bool idle);

    // Raised on the sink's worker; they hand their window work to this window's thread.
    void WaveOut1Progress(TACSOutput* sender);
    void WaveOut1Done(TACSOutput* sender);

    std::unique_ptr<Ui::Trecorder> ui;
    // The source is declared first so that it outlives the sink that reads it.
    TAudioIn AudioIn1;
    TWaveOut WaveOut1;
};
