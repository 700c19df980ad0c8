#include "mixerUnit.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMessageBox>
#include <QShowEvent>

#include "ErrorReport.h"
#include "FileDrop.h"
#include "Shell.h"
#include "ToolWindowActions.h"
#include "ui_mixerUnit.h"

namespace {
const QString kWavFilter = QStringLiteral("*.wav|*.wav");
}

Tmixer::Tmixer(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::Tmixer>()) {
    ui->setupUi(this);
    setToolWindowFrame(*this);
    setRowGlyphs(*ui->BitBtn1, *ui->BitBtn2);
    setRowGlyphs(*ui->spSkinButton1, *ui->spSkinButton2);
    setRowGlyphs(*ui->spSkinButton4, *ui->spSkinButton3);

    m_waveIn1.SetLoop(false);
    m_waveIn2.SetLoop(false);
    m_audioMixer1.SetInput1(&m_waveIn1);
    m_audioMixer1.SetInput2(&m_waveIn2);
    m_audioMixer1.SetMode(amMix);
    m_audioMixer1.SetVolume1(255);
    m_audioMixer1.SetVolume2(255);
    m_waveOut1.SetInput(&m_audioMixer1);
    m_waveOut1.SetSuspendWhenIdle(true);
    // Both reports arrive on the sink's worker; the window's part of them runs here.
    m_waveOut1.OnProgress = [this](TACSOutput* sender) {
        const int percent = sender->LastProgress();
        onWindowThread(this, [this, percent] { WaveOut1process(percent); });
    };
    m_waveOut1.OnDone = [this](TACSOutput* sender) {
        const QString error = QString::fromStdString(sender->lastError());
        onWindowThread(this, [this, error] { WaveOut1Done(error); });
    };

    // Files are dropped on the rows, not typed into the path boxes as addresses.
    setAcceptDrops(true);
    for (QLineEdit* box : {ui->edit1, ui->edit2, ui->edit3})
        box->setAcceptDrops(false);

    connect(ui->Button7, &QPushButton::clicked, this, &Tmixer::Button7Click);
    connect(ui->button2, &QPushButton::clicked, this, &Tmixer::button2Click);
    connect(ui->button3, &QPushButton::clicked, this, &Tmixer::button3Click);
    connect(ui->BitBtn1, &QToolButton::clicked, this, [this] { openDocumentIn(*ui->edit1); });
    connect(ui->BitBtn2, &QToolButton::clicked, this, [this] { openFolderOf(*ui->edit1); });
    connect(ui->spSkinButton1, &QToolButton::clicked, this, [this] { openDocumentIn(*ui->edit2); });
    connect(ui->spSkinButton2, &QToolButton::clicked, this, [this] { openFolderOf(*ui->edit2); });
    connect(ui->spSkinButton4, &QToolButton::clicked, this, [this] { openDocumentIn(*ui->edit3); });
    connect(ui->spSkinButton3, &QToolButton::clicked, this, [this] { openFolderOf(*ui->edit3); });
    connect(ui->radiobutton1, &QRadioButton::clicked, this, &Tmixer::radiobutton1Click);
    connect(ui->radiobutton2, &QRadioButton::clicked, this, &Tmixer::radiobutton2Click);
    connect(ui->mixbutton, &QPushButton::clicked, this,
            [this] { reportingErrors([this] { mixbuttonClick(); }); });
    connect(ui->cancelbutton, &QPushButton::clicked, this, &Tmixer::cancelbuttonClick);
    connect(ui->closebutton, &QPushButton::clicked, this, &Tmixer::closebuttonClick);
}

Tmixer::~Tmixer() = default;

void Tmixer::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    if (!m_placed) {
        centreOnScreen(*this);
        m_placed = true;
    }
    FormActivate();
}

void Tmixer::FormActivate() {
    ui->Gauge1->setValue(0);
}

void Tmixer::Button7Click() {
    const QString chosen =
        openFileDialog(this, kWavFilter, QString(), folderPart(ui->edit1->text()));
    if (!chosen.isEmpty()) takeFile(0, chosen);
}

void Tmixer::button2Click() {
    const QString chosen =
        openFileDialog(this, kWavFilter, QString(), folderPart(ui->edit2->text()));
    if (!chosen.isEmpty()) takeFile(1, chosen);
}

void Tmixer::button3Click() {
    const QString chosen = saveFileDialog(this, kWavFilter, QStringLiteral("wav"), QString(),
                                          folderPart(ui->edit3->text()));
    if (!chosen.isEmpty()) takeFile(2, chosen);
}

int Tmixer::rowAt(const QPoint& pos) const {
    const QWidget* rows[] = {ui->input1tabs, ui->input2tabs, ui->outputtabs};
    for (int row = 0; row < 3; ++row)
        if (QRect(rows[row]->mapTo(this, QPoint(0, 0)), rows[row]->size()).contains(pos))
            return row;
    return -1;
}

QString Tmixer::wavFileOf(const QMimeData* data) {
    const QStringList paths = droppedLocalPaths(data);
    if (paths.size() != 1 || !fitsFilter(paths.first(), kWavFilter)) return {};
    // The output may be a file still to be written, never a folder.
    return QFileInfo(paths.first()).isDir() ? QString() : paths.first();
}

void Tmixer::dragEnterEvent(QDragEnterEvent* event) {
    // Taken for now; whether the row under the cursor takes it is decided as it moves.
    if (!wavFileOf(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void Tmixer::dragMoveEvent(QDragMoveEvent* event) {
    const int row = rowAt(event->position().toPoint());
    const bool input = row == 0 || row == 1;
    // An input must exist to be read; the output row takes a file to be written over.
    const QString file = wavFileOf(event->mimeData());
    if (row >= 0 && !file.isEmpty() && (!input || QFileInfo(file).isFile()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void Tmixer::dropEvent(QDropEvent* event) {
    const int row = rowAt(event->position().toPoint());
    const QString file = wavFileOf(event->mimeData());
    if (row < 0 || file.isEmpty() || (row < 2 && !QFileInfo(file).isFile())) return;
    takeFile(row, file);
    event->acceptProposedAction();
}

void Tmixer::takeFile(int row, const QString& file) {
    if (row == 0) {
        m_waveIn1.SetFileName(file.toStdString());
        ui->edit1->setText(file);
    } else if (row == 1) {
        m_waveIn2.SetFileName(file.toStdString());
        ui->edit2->setText(file);
    } else {
        m_waveOut1.SetFileName(file.toStdString());
        ui->edit3->setText(file);
    }
}

void Tmixer::radiobutton1Click() {
    ui->radiobutton2->setChecked(false);
    m_audioMixer1.SetMode(amMix);
}

void Tmixer::radiobutton2Click() {
    ui->radiobutton1->setChecked(false);
    m_audioMixer1.SetMode(amConcatenate);
}

void Tmixer::warn(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QString(), text, QMessageBox::Ok, this);
    box.exec();
}

bool Tmixer::choicesUsable() {
    const std::string& first = m_waveIn1.FileName();
    const std::string& second = m_waveIn2.FileName();
    const std::string& output = m_waveOut1.FileName();
    if (first.empty()) {
        warn(QStringLiteral(" Please enter the first input File! "));
        return false;
    }
    if (second.empty()) {
        warn(QStringLiteral(" Please enter the second input File! "));
        return false;
    }
    if (output.empty()) {
        warn(QStringLiteral(" Please enter the output File! "));
        return false;
    }
    if (first == second || first == output || second == output) {
        warn(QStringLiteral(
            " Please check the Input File and Output File! They can't be the same file! "));
        return false;
    }
    return true;
}

void Tmixer::mixbuttonClick() {
    if (!choicesUsable()) return;
    // A work that cannot start leaves the status line as it was, rather than promising
    // a result that is not coming.
    const QString before = ui->spSLMsgOut->text();
    ui->spSLMsgOut->setText(QStringLiteral("Mixing,please wait......"));
    try {
        m_waveOut1.Run();
    } catch (...) {
        ui->spSLMsgOut->setText(before);
        throw;
    }
}

void Tmixer::cancelbuttonClick() {
    m_waveOut1.Stop();
}

void Tmixer::closebuttonClick() {
    close();
}

void Tmixer::WaveOut1process(int percent) {
    ui->Gauge1->setValue(percent);
    ui->mixbutton->setEnabled(false);
    ui->closebutton->setEnabled(false);
}

void Tmixer::WaveOut1Done(const QString& error) {
    ui->spSLMsgOut->setText(QStringLiteral("Finished!"));
    ui->mixbutton->setEnabled(true);
    ui->closebutton->setEnabled(true);
    // An error inside the work (a full disk, an unreadable block) ended it early.
    if (!error.isEmpty()) showErrorReport(error);
}
