#include "wav2oggUnit.h"

#include "ui_ConverterForm.h"

namespace {
const ConverterLook kLook{"WAV to Ogg Converter",
                          "Input WAV File",
                          "Output Ogg File",
                          "*.wav|*.wav",
                          "*.ogg|*.ogg",
                          "ogg",
                          true};
}

Twav2ogg::Twav2ogg(QWidget* parent)
    : TConverterForm(kLook, std::make_unique<TWaveIn>(), std::make_unique<TVorbisOut>(), parent) {
    VorbisOut1().SetSuspendWhenIdle(false);
    VorbisOut1().SetSerial(0);
    ui->cpu->setCurrentIndex(0);
    ui->compr->setCurrentIndex(0);
    cpuChange();
    connect(ui->cpu, &QComboBox::currentIndexChanged, this, &Twav2ogg::cpuChange);
}

void Twav2ogg::cpuChange() {
    VorbisOut1().SetDelay(16 - 5 * ui->cpu->currentText().toInt());
}

void Twav2ogg::beforeRun() {
    VorbisOut1().SetCompression(static_cast<float>(ui->compr->currentText().toInt()) / 100.0f);
}
