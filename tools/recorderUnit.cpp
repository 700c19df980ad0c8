#include "recorderUnit.h"

#include <QFile>
#include <exception>

#include "ErrorReport.h"
#include "Shell.h"
#include "ToolWindowActions.h"
#include "ui_recorderUnit.h"

Trecorder::Trecorder(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::Trecorder>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    connect(ui->Button1, &QPushButton::clicked, this, &Trecorder::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &Trecorder::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, &Trecorder::Button3Click);

    // The stored format is always replaced from the choices before a recording starts.
    AudioIn1.SetInSampleRate(44100);
    AudioIn1.SetInBitsPerSample(16);
    AudioIn1.SetInChannels(2);
    AudioIn1.SetRecTime(180);
    WaveOut1.SetInput(&AudioIn1);
    WaveOut1.SetSuspendWhenIdle(true);
    WaveOut1.OnProgress = [this](TACSOutput* sender) { WaveOut1Progress(sender); };
    WaveOut1.OnDone = [this](TACSOutput* sender) { WaveOut1Done(sender); };

    try {
        TDeviceInfo info;
        GetDeviceInfo(AudioIn1.BaseChannel(), false, info);
        ui->Label2->setText(QString::fromStdString(info.DeviceName));
    } catch (const std::exception& error) {
        showErrorReport(QString::fromUtf8(error.what()));
    }
}

Trecorder::~Trecorder() = default;

void Trecorder::setIdle(bool idle) {
    ui->Button1->setEnabled(idle);
    ui->Button3->setEnabled(idle);
}

void Trecorder::Button1Click() {
    const QString file = saveFileDialog(this, QStringLiteral("*.wav|*.wav"), QStringLiteral("wav"));
    if (file.isEmpty()) return;
    AudioIn1.SetInSampleRate(ui->rate11025->isChecked()   ? 11025
                             : ui->rate22050->isChecked() ? 22050
                                                          : 44100);
    AudioIn1.SetInBitsPerSample(ui->bits8->isChecked() ? 8 : 16);
    AudioIn1.SetInChannels(ui->mono->isChecked() ? 1 : 2);
    // Text still being typed counts; what is no number becomes the minimum.
    ui->SpinEdit1->interpretText();
    AudioIn1.SetRecTime(ui->SpinEdit1->value());
    WaveOut1.SetFileName(QFile::encodeName(file).toStdString());
    try {
        WaveOut1.Run();
    } catch (const std::exception& error) {
        showErrorReport(QString::fromUtf8(error.what()));
        return;
    }
    // Busy from here on: a second start before the first progress report would only meet a
    // busy sink.
    setIdle(false);
}

void Trecorder::Button2Click() {
    WaveOut1.Stop();
}

void Trecorder::Button3Click() {
    close();
}

void Trecorder::WaveOut1Progress(TACSOutput* sender) {
    showRunProgress(
        this, ui->progressbar1, [this](bool idle) { setIdle(idle); }, sender);
}

void Trecorder::WaveOut1Done(TACSOutput* sender) {
    showRunDone(
        this, [this](bool idle) { setIdle(idle); }, sender);
}
