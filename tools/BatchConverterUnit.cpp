#include "BatchConverterUnit.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QShowEvent>
#include <algorithm>
#include <set>

#include "ACS_LAME.h"
#include "DesktopNotifier.h"
#include "FileDrop.h"
#include "IniFile.h"
#include "JobSettings.h"
#include "Shell.h"
#include "ToolWindowActions.h"
#include "ui_BatchConverterUnit.h"

namespace {

const char* const kInputFilter =
    "Sound files (*.wav;*.ogg;*.flac;*.mp3)|*.wav;*.ogg;*.flac;*.mp3|All files (*.*)|*.*";

struct FormatChoice {
    const char* name;
    BatchFormat format;
    const char* optionLabel;  // empty: the format has no option
};

const FormatChoice kFormats[] = {
    {"WAV", BatchFormat::wav, ""},
    {"MP3", BatchFormat::mp3, "Bit rate:"},
    {"Ogg Vorbis", BatchFormat::vorbis, "Quality:"},
    {"FLAC", BatchFormat::flac, "Level:"},
    {"Opus", BatchFormat::opus, "Bit rate:"},
};

QString stateText(const BatchFileStatus& status) {
    switch (status.state) {
        case BatchState::waiting:
            return QStringLiteral("Waiting");
        case BatchState::converting:
            return QStringLiteral("Converting");
        case BatchState::done:
            return QStringLiteral("Done");
        case BatchState::failed:
            return QStringLiteral("Failed: ") + QString::fromStdString(status.message);
        case BatchState::stopped:
            return QStringLiteral("Stopped");
    }
    return {};
}

}  // namespace

TBatchConverterForm::TBatchConverterForm(const TIniFile* settings, QWidget* parent)
    : QDialog(parent),
      windowActive([this] { return isActiveWindow(); }),
      notify([](const QString& summary, const QString& body, const QString& folder) {
          DesktopNotifier::instance().notify(summary, body, folder);
      }),
      ui(std::make_unique<Ui::TBatchConverterForm>()),
      m_settings(settings),
      m_converter(std::make_unique<BatchConverter>()) {
    ui->setupUi(this);
    setToolWindowFrame(*this);
    for (const FormatChoice& choice : kFormats)
        ui->FormatBox->addItem(QString::fromLatin1(choice.name));
    ui->FormatBox->setCurrentIndex(2);
    formatChanged();
    ui->FileList->header()->setStretchLastSection(false);
    ui->FileList->setColumnWidth(0, 300);
    ui->FileList->setColumnWidth(1, 170);
    ui->FileList->setColumnWidth(2, 70);

    // Files and folders are dropped on the window, the list included; not typed into the
    // folder box as addresses.
    setAcceptDrops(true);
    ui->OutputEdit->setAcceptDrops(false);

    connect(ui->AddFilesButton, &QPushButton::clicked, this,
            &TBatchConverterForm::AddFilesButtonClick);
    connect(ui->AddFolderButton, &QPushButton::clicked, this,
            &TBatchConverterForm::AddFolderButtonClick);
    connect(ui->RemoveButton, &QPushButton::clicked, this, &TBatchConverterForm::RemoveButtonClick);
    connect(ui->ClearButton, &QPushButton::clicked, this, &TBatchConverterForm::ClearButtonClick);
    connect(ui->FolderButton, &QToolButton::clicked, this, &TBatchConverterForm::FolderButtonClick);
    connect(ui->StartButton, &QPushButton::clicked, this, &TBatchConverterForm::StartButtonClick);
    connect(ui->StopButton, &QPushButton::clicked, this, &TBatchConverterForm::StopButtonClick);
    connect(ui->CloseButton, &QPushButton::clicked, this, &QDialog::close);
    connect(ui->FormatBox, &QComboBox::currentIndexChanged, this,
            &TBatchConverterForm::formatChanged);

    // Both reports come on the batch's workers; the window's part of them runs here.
    m_converter->OnFileChanged = [this](std::size_t index) {
        onWindowThread(this, [this, index] { showRow(index); });
    };
    m_converter->OnFinished = [this] { onWindowThread(this, [this] { batchEnded(); }); };
}

TBatchConverterForm::~TBatchConverterForm() {
    // Every conversion ends before the window its reports go to.
    m_converter.reset();
}

void TBatchConverterForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_placed && !event->spontaneous()) {
        centreOnScreen(*this);
        m_placed = true;
    }
}

void TBatchConverterForm::formatChanged() {
    const int index = std::clamp(ui->FormatBox->currentIndex(), 0, int(std::size(kFormats)) - 1);
    const FormatChoice& choice = kFormats[index];
    ui->OptionLabel->setText(QString::fromLatin1(choice.optionLabel));
    ui->OptionBox->clear();
    switch (choice.format) {
        case BatchFormat::wav:
            break;
        case BatchFormat::mp3:
            for (int rate = br32; rate <= br320; ++rate)
                ui->OptionBox->addItem(
                    QStringLiteral("%1 kbit/s").arg(mp3BitRateKbps(static_cast<TMP3BitRate>(rate))),
                    mp3BitRateKbps(static_cast<TMP3BitRate>(rate)));
            ui->OptionBox->setCurrentIndex(ui->OptionBox->findData(128));
            break;
        case BatchFormat::vorbis:
            for (int tenth = 0; tenth <= 10; ++tenth)
                ui->OptionBox->addItem(QString::number(tenth), tenth);
            ui->OptionBox->setCurrentIndex(2);
            break;
        case BatchFormat::flac:
            for (int level = 0; level <= 8; ++level)
                ui->OptionBox->addItem(QString::number(level), level);
            ui->OptionBox->setCurrentIndex(5);
            break;
        case BatchFormat::opus:
            for (const int kbps : {32, 48, 64, 96, 128, 160, 192, 256, 320})
                ui->OptionBox->addItem(QStringLiteral("%1 kbit/s").arg(kbps), kbps);
            ui->OptionBox->setCurrentIndex(ui->OptionBox->findData(160));
            break;
    }
    ui->OptionLabel->setVisible(ui->OptionBox->count() > 0);
    ui->OptionBox->setVisible(ui->OptionBox->count() > 0);
}

BatchOptions TBatchConverterForm::options() const {
    BatchOptions options;
    const int index = std::clamp(ui->FormatBox->currentIndex(), 0, int(std::size(kFormats)) - 1);
    options.format = kFormats[index].format;
    const int value = ui->OptionBox->currentData().toInt();
    switch (options.format) {
        case BatchFormat::mp3:
            options.mp3Kbps = value;
            break;
        case BatchFormat::vorbis:
            options.vorbisQuality = static_cast<float>(value) / 10.0f;
            break;
        case BatchFormat::flac:
            options.flacLevel = value;
            break;
        case BatchFormat::opus:
            options.opusKbps = value;
            break;
        case BatchFormat::wav:
            break;
    }
    options.outputFolder = ui->OutputEdit->text().toStdString();
    options.keepStructure = ui->KeepStructureCheck->isChecked();
    options.jobs = m_settings ? readJobsSetting(*m_settings) : 0;
    return options;
}

void TBatchConverterForm::addPaths(const QStringList& paths) {
    if (m_converter->Running()) return;
    std::vector<std::string> given;
    for (const QString& path : paths)
        given.push_back(path.toStdString());
    std::vector<std::string> problems;
    std::set<std::string> listed;
    for (const BatchInput& input : m_inputs)
        listed.insert(input.path);
    for (const BatchInput& input : collectBatchInputs(given, problems)) {
        if (!listed.insert(input.path).second) continue;
        m_inputs.push_back(input);
        auto* row = new QTreeWidgetItem(ui->FileList);
        row->setText(0, QString::fromStdString(input.path));
        row->setToolTip(0, row->text(0));
        row->setText(1, QStringLiteral("Waiting"));
    }
    ui->SummaryLabel->setText(QStringLiteral("%1 files").arg(m_inputs.size()));
    if (!problems.empty()) {
        QString text;
        for (const std::string& problem : problems)
            text += QString::fromStdString(problem) + QLatin1Char('\n');
        QMessageBox::warning(this, windowTitle(), text.trimmed());
    }
}

void TBatchConverterForm::AddFilesButtonClick() {
    const QString chosen = openFileDialog(this, QString::fromLatin1(kInputFilter));
    if (!chosen.isEmpty()) addPaths({chosen});
}

void TBatchConverterForm::AddFolderButtonClick() {
    const QString chosen = selectDirectory(this);
    if (!chosen.isEmpty()) addPaths({chosen});
}

void TBatchConverterForm::RemoveButtonClick() {
    if (m_converter->Running()) return;
    // From the last row up, so that the rows still to go keep their places.
    for (int row = ui->FileList->topLevelItemCount() - 1; row >= 0; --row) {
        if (!ui->FileList->topLevelItem(row)->isSelected()) continue;
        delete ui->FileList->takeTopLevelItem(row);
        m_inputs.erase(m_inputs.begin() + row);
    }
    ui->SummaryLabel->setText(QStringLiteral("%1 files").arg(m_inputs.size()));
}

void TBatchConverterForm::ClearButtonClick() {
    if (m_converter->Running()) return;
    ui->FileList->clear();
    m_inputs.clear();
    ui->SummaryLabel->clear();
}

void TBatchConverterForm::FolderButtonClick() {
    const QString chosen =
        selectDirectory(this, QStringLiteral("Select a directory"), ui->OutputEdit->text());
    if (!chosen.isEmpty()) ui->OutputEdit->setText(chosen);
}

void TBatchConverterForm::StartButtonClick() {
    const std::vector<std::string> refused = m_converter->Start(m_inputs, options());
    if (!refused.empty()) {
        QString text;
        for (const std::string& problem : refused)
            text += QString::fromStdString(problem) + QLatin1Char('\n');
        QMessageBox::warning(this, windowTitle(), text.trimmed());
        return;
    }
    for (int row = 0; row < ui->FileList->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = ui->FileList->topLevelItem(row);
        item->setText(1, QStringLiteral("Waiting"));
        item->setToolTip(1, QString());
        item->setText(2, QString());
    }
    setRunning(true);
}

void TBatchConverterForm::StopButtonClick() {
    m_converter->Stop();
}

void TBatchConverterForm::setRunning(bool running) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             ui->AddFilesButton, ui->AddFolderButton, ui->RemoveButton, ui->ClearButton,
             ui->FormatBox, ui->OptionBox, ui->OutputEdit, ui->FolderButton, ui->KeepStructureCheck,
             ui->StartButton})
        control->setEnabled(!running);
    ui->StopButton->setEnabled(running);
}

void TBatchConverterForm::showRow(std::size_t index) {
    QTreeWidgetItem* item = ui->FileList->topLevelItem(static_cast<int>(index));
    if (!item || index >= m_converter->fileCount()) return;
    const BatchFileStatus status = m_converter->fileStatus(index);
    item->setText(1, stateText(status));
    item->setToolTip(1, QString::fromStdString(status.message));
    item->setText(2, status.state == BatchState::converting || status.state == BatchState::done
                         ? QStringLiteral("%1 %").arg(status.percent)
                         : QString());
}

void TBatchConverterForm::batchEnded() {
    // Every worker has ended; joining them costs nothing now.
    m_converter->Wait();
    setRunning(false);
    std::size_t done = 0;
    std::size_t failed = 0;
    for (std::size_t i = 0; i < m_converter->fileCount(); ++i) {
        showRow(i);
        const BatchState state = m_converter->fileStatus(i).state;
        done += state == BatchState::done;
        failed += state == BatchState::failed;
    }
    const std::size_t total = m_converter->fileCount();
    ui->SummaryLabel->setText(
        QStringLiteral("%1 of %2 converted, %3 failed").arg(done).arg(total).arg(failed));
    // A batch stopped by the user was seen to end; one that ran out unseen is announced.
    if (!m_converter->StopRequested() && !windowActive()) {
        const QString format = ui->FormatBox->currentText();
        const QString folder = ui->OutputEdit->text();
        if (failed == 0)
            notify(QStringLiteral("Batch conversion finished"),
                   QStringLiteral("%1 files converted to %2 in %3").arg(total).arg(format, folder),
                   folder);
        else
            notify(QStringLiteral("Batch conversion finished with errors"),
                   QStringLiteral("%1 of %2 files converted to %3; %4 failed")
                       .arg(done)
                       .arg(total)
                       .arg(format)
                       .arg(failed),
                   folder);
    }
    emit batchFinished();
}

void TBatchConverterForm::dragEnterEvent(QDragEnterEvent* event) {
    const QStringList paths = droppedLocalPaths(event->mimeData());
    const bool takes = !m_converter->Running() && !paths.isEmpty() &&
                       std::all_of(paths.begin(), paths.end(), [](const QString& path) {
                           return QFileInfo(path).isDir() || batchReadable(path.toStdString());
                       });
    if (takes) event->acceptProposedAction();
}

void TBatchConverterForm::dropEvent(QDropEvent* event) {
    const QStringList paths = droppedLocalPaths(event->mimeData());
    if (paths.isEmpty() || m_converter->Running()) return;
    event->acceptProposedAction();
    addPaths(paths);
}
