#include "OpiontsUnit.h"

#include <QShowEvent>
#include <QStyle>
#include <string>

#include "MainUnit.h"
#include "MessageBoxes.h"
#include "RipSettings.h"
#include "Shell.h"
#include "ui_OpiontsUnit.h"

namespace {

constexpr const char* kFolder = "Folder";
constexpr const char* kMp3 = "MP3 Options";
constexpr const char* kOgg = "Ogg Options";
constexpr const char* kCddb = "CDDB";

std::string text(const QString& value) {
    return value.toStdString();
}

// A drop-down list shows the stored value only when it is one of its items exactly; anything
// else leaves the list as it was.
void selectStored(QComboBox* list, const TIniFile& settings, const char* section, const char* key,
                  const char* fallback) {
    const int index =
        list->findText(QString::fromStdString(settings.ReadString(section, key, fallback)));
    if (index >= 0) list->setCurrentIndex(index);
}

// Every boolean reader of the file treats anything but exactly "False" as true.
bool storedFlag(const TIniFile& settings, const char* section, const char* key) {
    return settings.ReadString(section, key, "False") != "False";
}

const char* flagText(bool checked) {
    return checked ? "True" : "False";
}

}  // namespace

TOptions::TOptions(TMainForm& mainForm, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::TOptions>()),
      m_main(mainForm),
      m_processEnd(endProcess) {
    ui->setupUi(this);
    // The lists start without a selection: a stored value that is no item keeps it that way.
    for (QComboBox* list : {ui->samplerate, ui->bitrate, ui->channel, ui->cpu, ui->compr})
        list->setCurrentIndex(-1);

    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const std::pair<QToolButton*, QLineEdit*> folders[] = {{ui->mp3folderbutton, ui->mp3folder},
                                                           {ui->wavfolderbutton, ui->wavfolder},
                                                           {ui->oggfolderbutton, ui->oggfolder}};
    for (const auto& [button, edit] : folders) {
        button->setIcon(folderIcon);
        connect(button, &QToolButton::clicked, this, [this, edit = edit] { chooseFolder(edit); });
    }
    connect(ui->okbutton, &QPushButton::clicked, this, &TOptions::okbuttonClick);
    connect(ui->cancelbutton, &QPushButton::clicked, this, &TOptions::cancelbuttonClick);
}

TOptions::~TOptions() = default;

void TOptions::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A window restored by the desktop is the same showing: what the user typed stays.
    if (!event->spontaneous()) FormActivate();
}

void TOptions::FormActivate() {
    const TIniFile& settings = m_main.settings();
    selectStored(ui->samplerate, settings, kMp3, "dwSampleRate", "44100Hz");
    selectStored(ui->bitrate, settings, kMp3, "wBitrate", "128kb/s");
    selectStored(ui->channel, settings, kMp3, "channel", "STEREO");
    selectStored(ui->cpu, settings, kOgg, "cpu", "3");
    selectStored(ui->compr, settings, kOgg, "compr", "20");

    ui->copyright->setChecked(storedFlag(settings, kMp3, "bCopyright"));
    ui->crc->setChecked(storedFlag(settings, kMp3, "bCRC"));
    ui->privatebit->setChecked(storedFlag(settings, kMp3, "bPrivate"));
    ui->originalbit->setChecked(storedFlag(settings, kMp3, "bOriginal"));
    ui->open->setChecked(storedFlag(settings, kFolder, "open"));

    ui->mp3folder->setText(QString::fromStdString(settings.ReadString(kFolder, "mp3 folder", "")));
    ui->wavfolder->setText(QString::fromStdString(settings.ReadString(kFolder, "wav folder", "")));
    ui->oggfolder->setText(QString::fromStdString(settings.ReadString(kFolder, "Ogg folder", "")));

    const CddbSettings cddb = readCddbSettings(settings);
    ui->cddbserver->setText(QString::fromStdString(cddb.server));
    ui->cddbemail->setText(QString::fromStdString(cddb.email));
}

void TOptions::chooseFolder(QLineEdit* edit) {
    const QString folder = selectDirectory(this, QStringLiteral("Select a directory"));
    if (!folder.isEmpty()) edit->setText(folder);
}

void TOptions::okbuttonClick() {
    if (!writeSettings()) {
        settingsFailure(this, m_processEnd);
        return;
    }
    accept();
}

void TOptions::cancelbuttonClick() {
    reject();
}

bool TOptions::writeSettings() {
    TIniFile& settings = m_main.settings();
    // A list without a selection has nothing to say: its key keeps what the file holds, as
    // an empty value would stop every later rip with the settings failure.
    auto writeList = [&](const char* section, const char* key, const QComboBox* list) {
        return list->currentIndex() < 0 ||
               settings.WriteString(section, key, text(list->currentText()));
    };
    auto writeFlag = [&](const char* section, const char* key, const QAbstractButton* box) {
        return settings.WriteString(section, key, flagText(box->isChecked()));
    };
    auto writeEdit = [&](const char* section, const char* key, const QLineEdit* edit) {
        return settings.WriteString(section, key, text(edit->text()));
    };
    // In the file's customary order; the first failure ends the writing.
    return writeList(kMp3, "dwSampleRate", ui->samplerate) &&
           writeList(kMp3, "wBitrate", ui->bitrate) && writeList(kMp3, "channel", ui->channel) &&
           writeFlag(kMp3, "bCopyright", ui->copyright) && writeFlag(kMp3, "bCRC", ui->crc) &&
           writeFlag(kMp3, "bPrivate", ui->privatebit) &&
           writeFlag(kMp3, "bOriginal", ui->originalbit) &&
           writeEdit(kFolder, "mp3 folder", ui->mp3folder) &&
           writeEdit(kFolder, "wav folder", ui->wavfolder) &&
           writeEdit(kFolder, "Ogg folder", ui->oggfolder) &&
           writeFlag(kFolder, "open", ui->open) && writeList(kOgg, "cpu", ui->cpu) &&
           writeList(kOgg, "compr", ui->compr) && writeEdit(kCddb, "server", ui->cddbserver) &&
           writeEdit(kCddb, "email", ui->cddbemail);
}
