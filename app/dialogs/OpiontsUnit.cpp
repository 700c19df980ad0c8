#include "OpiontsUnit.h"

#include <QShowEvent>
#include <QStyle>
#include <optional>
#include <string>

#include "AccurateRipClient.h"
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
constexpr const char* kReading = "Reading";
constexpr const char* kFlac = "FLAC";
constexpr const char* kOpus = "Opus";
constexpr int kSecureItem = 0;  // the read mode list: "Secure", then "Fast"

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

std::optional<int> wholeNumber(const QString& text, int low, int high) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < low || value > high) return std::nullopt;
    return value;
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
    // Retries and the test pass belong to secure reading alone.
    connect(ui->readmode, &QComboBox::currentIndexChanged, this, [this](int item) {
        ui->retries->setEnabled(item == kSecureItem);
        ui->testpass->setEnabled(item == kSecureItem);
    });
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
    ui->flacfolder->setText(
        QString::fromStdString(settings.ReadString(kFolder, "flac folder", "")));
    ui->opusfolder->setText(
        QString::fromStdString(settings.ReadString(kFolder, "opus folder", "")));

    // What the rip will use: a stored value out of range shows as the default it falls back to.
    if (const auto rip = readRipSettings(settings)) {
        ui->flaclevel->setText(QString::number(rip->flacLevel));
        ui->opusbitrate->setText(QString::number(rip->opusBitrate));
    } else {
        ui->flaclevel->setText(QString::number(RipSettings{}.flacLevel));
        ui->opusbitrate->setText(QString::number(RipSettings{}.opusBitrate));
    }

    const CddbSettings cddb = readCddbSettings(settings);
    ui->cddbserver->setText(QString::fromStdString(cddb.server));
    ui->cddbemail->setText(QString::fromStdString(cddb.email));

    // The offset is the chosen drive's own: drives differ, and each is remembered by model.
    m_drive = m_main.disc().selectedName();
    const ReadingSettings reading = readReadingSettings(settings, m_drive);
    ui->readmode->setCurrentIndex(reading.mode == RipReadMode::fast ? 1 : kSecureItem);
    ui->retries->setText(QString::number(reading.retries));
    ui->testpass->setChecked(reading.test);
    ui->readoffset->setText(QString::number(reading.offset));
    m_shownOffset = reading.offset;
    ui->offsetdrive->setText(
        m_drive.empty() ? QStringLiteral("for drives not seen before (no drive found)")
                        : QStringLiteral("for ") + QString::fromStdString(m_drive).simplified());
    ui->accurateripserver->setText(QString::fromStdString(reading.accurateRipServer));
}

void TOptions::chooseFolder(QLineEdit* edit) {
    const QString folder = selectDirectory(this, QStringLiteral("Select a directory"));
    if (!folder.isEmpty()) edit->setText(folder);
}

void TOptions::okbuttonClick() {
    if (!checkReading() || !checkEncoders()) return;
    if (!writeSettings()) {
        settingsFailure(this, m_processEnd);
        return;
    }
    accept();
}

void TOptions::cancelbuttonClick() {
    reject();
}

bool TOptions::checkReading() {
    const auto refuse = [this](QLineEdit* field, const QString& message) {
        ui->PageControl1->setCurrentWidget(ui->ReadingPage);
        showMessage(this, message, QStringLiteral("Options"), QMessageBox::Warning);
        field->setFocus();
        field->selectAll();
        return false;
    };
    if (!wholeNumber(ui->retries->text(), 0, kMaxReadRetries))
        return refuse(
            ui->retries,
            QStringLiteral("Retries must be a whole number from 0 to %1.").arg(kMaxReadRetries));
    if (!wholeNumber(ui->readoffset->text(), -kMaxReadOffset, kMaxReadOffset))
        return refuse(
            ui->readoffset,
            QStringLiteral("The read offset must be a whole number of samples from -%1 to %1.")
                .arg(kMaxReadOffset));
    // Any disc's ids will do: the question is whether an address can be made of the server.
    const std::string server = text(ui->accurateripserver->text().trimmed());
    if (!server.empty() && !quillon::accuraterip::accurateRipUrl(server, {1, 0, 0, 0}))
        return refuse(ui->accurateripserver,
                      QStringLiteral("The AccurateRip server must be a host name, host:port or "
                                     "an address starting with http://."));
    return true;
}

bool TOptions::checkEncoders() {
    const auto refuse = [this](QLineEdit* field, const QString& message) {
        ui->PageControl1->setCurrentWidget(ui->FlacOpusPage);
        showMessage(this, message, QStringLiteral("Options"), QMessageBox::Warning);
        field->setFocus();
        field->selectAll();
        return false;
    };
    if (!wholeNumber(ui->flaclevel->text(), kMinFlacLevel, kMaxFlacLevel))
        return refuse(ui->flaclevel, QStringLiteral("The FLAC level must be a whole number "
                                                    "from %1 to %2.")
                                         .arg(kMinFlacLevel)
                                         .arg(kMaxFlacLevel));
    if (!wholeNumber(ui->opusbitrate->text(), kMinOpusBitrate, kMaxOpusBitrate))
        return refuse(ui->opusbitrate, QStringLiteral("The Opus bit rate must be a whole number "
                                                      "of kbit/s from %1 to %2.")
                                           .arg(kMinOpusBitrate)
                                           .arg(kMaxOpusBitrate));
    return true;
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
    auto writeReading = [&] {
        const int offset = *wholeNumber(ui->readoffset->text(), -kMaxReadOffset, kMaxReadOffset);
        const std::string server = text(ui->accurateripserver->text().trimmed());
        return settings.WriteString(
                   kReading, "mode",
                   ui->readmode->currentIndex() == kSecureItem ? "secure" : "fast") &&
               settings.WriteInteger(kReading, "retries",
                                     *wholeNumber(ui->retries->text(), 0, kMaxReadRetries)) &&
               settings.WriteBool(kReading, "test", ui->testpass->isChecked()) &&
               // An offset left as it was shown stays where it came from: filing it under
               // this drive would also make it every new drive's. Without a drive it is
               // the one new drives start from.
               (offset == m_shownOffset ||
                (m_drive.empty() ? settings.WriteInteger(kReading, "offset", offset)
                                 : writeDriveOffset(settings, m_drive, offset))) &&
               settings.WriteString("AccurateRip", "server",
                                    server.empty() ? kDefaultAccurateRipServer : server);
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
           writeEdit(kCddb, "email", ui->cddbemail) && writeReading() &&
           writeEdit(kFolder, "flac folder", ui->flacfolder) &&
           writeEdit(kFolder, "opus folder", ui->opusfolder) &&
           settings.WriteInteger(
               kFlac, "level", *wholeNumber(ui->flaclevel->text(), kMinFlacLevel, kMaxFlacLevel)) &&
           settings.WriteInteger(
               kOpus, "bitrate",
               *wholeNumber(ui->opusbitrate->text(), kMinOpusBitrate, kMaxOpusBitrate));
}
