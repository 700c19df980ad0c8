#include "MainUnit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QMessageBox>
#include <QSet>
#include <QStyle>
#include <QTreeWidgetItem>

#include "AppIcon.h"
#include "DiscWatch.h"
#include "HelpManual.h"
#include "MainMpris.h"
#include "Shell.h"
#include "ShippedSkin.h"
#include "UserPaths.h"
#include "ui_MainUnit.h"

using quillon::cdplayer::CdError;
using quillon::cdplayer::CdMode;

namespace {

constexpr int kFrameCountColumn = 4;  // hidden: the rip job reads it

// The drive the user picked, remembered by its device node or image file: list positions
// change as images come and go.
constexpr const char* kDriveSection = "Drive";
constexpr const char* kDriveKey = "path";

QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
}

// Every player operation needs the player and a device that is ready.
bool ready(bool available, quillon::cdplayer::CdAudioDevice& player) {
    return available && player.isOpen() && player.mode() != CdMode::notReady;
}

}  // namespace

// The window's stored skin component: the skin built into the program, switched on for every
// window once it has loaded.
void TMainForm::loadStoredSkin() {
    SkinData1 = std::make_unique<TSkinData>(this);
    SkinData1->setObjectName(QStringLiteral("SkinData1"));
    SkinData1->beginReading();
    SkinData1->SetDisableTag(99);
    SkinData1->SetSkinControls(kAllSkinControls);
    SkinData1->SetSkinFormtype(sfMainform);
    SkinData1->SetActive(true);
    SkinData1->ReadSkinStream(ShippedSkinStream());
    SkinData1->Loaded();
}

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::TMainForm>()) {
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Quillon"));
    // Every window of the program shows the program's icon, the skinned captions included.
    if (QApplication::windowIcon().isNull()) QApplication::setWindowIcon(quillonIcon());
    loadStoredSkin();
    QTreeWidget* list = ui->ListView1;
    // The number column also holds the check box, so it is wider than the number needs.
    const int widths[] = {60, 260, 87, 87};
    for (int column = 0; column < 4; ++column)
        list->setColumnWidth(column, widths[column]);
    list->header()->setStretchLastSection(false);
    for (int column = 1; column < 4; ++column)
        list->headerItem()->setTextAlignment(column, Qt::AlignCenter);
    list->setColumnHidden(kFrameCountColumn, true);
    const std::pair<QToolButton*, QStyle::StandardPixmap> icons[] = {
        {ui->playButton, QStyle::SP_MediaPlay},
        {ui->pauseButton, QStyle::SP_MediaPause},
        {ui->resumeButton, QStyle::SP_MediaSeekForward},
        {ui->stopButton, QStyle::SP_MediaStop},
        {ui->previousButton, QStyle::SP_MediaSkipBackward},
        {ui->nextButton, QStyle::SP_MediaSkipForward},
        {ui->ejectButton, QStyle::SP_ArrowUp}};
    for (const auto& [button, icon] : icons)
        button->setIcon(style()->standardIcon(icon));
    ui->spSLMsgOut->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_timer1.setInterval(500);
    connectControls();

    // The drives first: a player needs one.
    const bool haveDrive = m_disc.enumerateDrives();
    if (haveDrive) {
        ui->spCDROMlist->clear();
        for (const std::string& name : m_disc.driveNames())
            ui->spCDROMlist->addItem(fromStd(name));
        ui->spCDROMlist->setCurrentIndex(0);
    }

    m_startDirectory = QDir::currentPath();
    const QString settingsPath = QString::fromStdString(quillon::paths::settingsFile().string());
    m_settings = std::make_unique<TIniFile>(settingsPath.toStdString());
    m_settings->SetCreateFolders(true);
    // A settings file that is there but cannot be read as one (a folder, no permission).
    const QFileInfo settingsInfo(settingsPath);
    if (settingsInfo.exists() && (!settingsInfo.isFile() || !settingsInfo.isReadable()))
        m_settingsUsable = false;
    loadOutputFolder(OutputFormat::mp3);
    // The player opens once the settings tell which drive the user chose last time.
    if (haveDrive) {
        restoreDrive();
        openMediaPlayer();
    }
    m_mpris = std::make_unique<MainFormMpris>(*this);
    m_discWatch = std::make_unique<DiscWatch>(m_disc.drivePaths());
    connect(m_discWatch.get(), &DiscWatch::discChanged, this, [this](const QString& drive) {
        // A stopped timer means the drive is lent out (a rip) or the list is being built:
        // the poll's own rules apply, so the news waits for the timer like everything else.
        if (m_timer1.isActive() && drive.toStdString() == m_disc.selectedPath()) Timer1Timer();
    });
}

TMainForm::~TMainForm() = default;

void TMainForm::connectControls() {
    connect(&m_timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    connect(ui->mp3check, &QRadioButton::clicked, this,
            [this] { formatClicked(OutputFormat::mp3); });
    connect(ui->wavcheck, &QRadioButton::clicked, this,
            [this] { formatClicked(OutputFormat::wav); });
    connect(ui->oggcheck, &QRadioButton::clicked, this,
            [this] { formatClicked(OutputFormat::ogg); });
    connect(ui->flaccheck, &QRadioButton::clicked, this,
            [this] { formatClicked(OutputFormat::flac); });
    connect(ui->opuscheck, &QRadioButton::clicked, this,
            [this] { formatClicked(OutputFormat::opus); });
    connect(ui->folderButton, &QToolButton::clicked, this, &TMainForm::chooseOutputFolder);
    connect(ui->spCDROMlist, &QComboBox::activated, this, &TMainForm::spCDROMlistChange);
    connect(ui->convertButton, &QPushButton::clicked, this, &TMainForm::ripCommand);
    connect(ui->Rip1, &QAction::triggered, this, &TMainForm::ripCommand);
    connect(ui->spSkinCheckRadioBox1, &QCheckBox::clicked, this, &TMainForm::checkAllClicked);
    connect(ui->SelectAll1, &QAction::triggered, this, &TMainForm::selectAll);
    connect(ui->UnselectAll1, &QAction::triggered, this, &TMainForm::unselectAll);
    connect(ui->ListView1, &QTreeWidget::itemDoubleClicked, this, &TMainForm::listDoubleClicked);
    connect(ui->ListView1, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int) {
        const int row = ui->ListView1->indexOfTopLevelItem(item);
        if (row >= 0 && static_cast<size_t>(row) < m_tracks.size())
            m_tracks.row(static_cast<size_t>(row)).checked = item->checkState(0) == Qt::Checked;
    });

    const std::pair<QToolButton*, QAction*> player[] = {
        {ui->playButton, ui->Play1},         {ui->pauseButton, ui->Pause1},
        {ui->resumeButton, ui->Resume1},     {ui->stopButton, ui->Stop1},
        {ui->previousButton, ui->Previous1}, {ui->nextButton, ui->Next1},
        {ui->ejectButton, ui->EjectClose1}};
    void (TMainForm::*operations[])() = {&TMainForm::playTrack,     &TMainForm::pauseOrResume,
                                         &TMainForm::resumePlaying, &TMainForm::stopPlaying,
                                         &TMainForm::previousTrack, &TMainForm::nextTrack,
                                         &TMainForm::ejectOrClose};
    for (size_t i = 0; i < std::size(player); ++i) {
        connect(player[i].first, &QToolButton::clicked, this, operations[i]);
        connect(player[i].second, &QAction::triggered, this, operations[i]);
    }

    const std::pair<QPushButton*, WindowKey> toolButtons[] = {
        {ui->cdInfoButton, WindowKey::cdMsgForm},  {ui->mixerButton, WindowKey::mixer},
        {ui->recorderButton, WindowKey::recorder}, {ui->oggPlayerButton, WindowKey::oggPlayer},
        {ui->wav2mp3Button, WindowKey::wav2mp3},   {ui->wav2oggButton, WindowKey::wav2ogg},
        {ui->ogg2wavButton, WindowKey::ogg2wav},   {ui->ogg2mp3Button, WindowKey::ogg2mp3},
        {ui->id3Button, WindowKey::id3EditorMain}, {ui->batchButton, WindowKey::batchConverter}};
    for (const auto& [button, key] : toolButtons)
        connect(button, &QPushButton::clicked, this, [this, key = key] { openWindow(key); });
    const std::pair<QAction*, WindowKey> toolItems[] = {
        {ui->CDInformation1, WindowKey::cdMsgForm}, {ui->WAVMixer1, WindowKey::mixer},
        {ui->SoundRecorder1, WindowKey::recorder},  {ui->OggPlayer1, WindowKey::oggPlayer},
        {ui->WAVtoMP31, WindowKey::wav2mp3},        {ui->WAVtoOgg1, WindowKey::wav2ogg},
        {ui->OggtoWAV1, WindowKey::ogg2wav},        {ui->OggtoMP31, WindowKey::ogg2mp3},
        {ui->ID3Editor1, WindowKey::id3EditorMain}, {ui->Options1, WindowKey::options},
        {ui->About1, WindowKey::aboutForm}};
    for (const auto& [item, key] : toolItems)
        connect(item, &QAction::triggered, this, [this, key = key] { openWindow(key); });
    connect(ui->BatchConverter1, &QAction::triggered, this,
            [this] { openWindow(WindowKey::batchConverter); });
    connect(ui->HelpContents1, &QAction::triggered, this, &TMainForm::openHelp);
    connect(ui->Exit1, &QAction::triggered, this, [this] {
        close();
        QApplication::exit(0);
    });
}

void TMainForm::registerWindow(WindowKey key, QDialog* window) {
    m_windows.insert(key, window);
}

void TMainForm::openWindow(WindowKey key) {
    if (QDialog* dialog = m_windows.value(key)) dialog->exec();
}

// ---- State the other windows use ----------------------------------------------------------

OutputFormat TMainForm::outputFormat() const {
    return m_format;
}

QString TMainForm::outputFolder() const {
    return ui->spSkinEdit1->text();
}

void TMainForm::setDiscNames(const QString& artist, const QString& album) {
    m_discArtist = artist;
    m_discAlbum = album;
    m_discMetadata = {};
}

int TMainForm::currentRow() const {
    QTreeWidgetItem* item = ui->ListView1->currentItem();
    return item ? ui->ListView1->indexOfTopLevelItem(item) : -1;
}

void TMainForm::setStatus(const QString& text) {
    ui->spSLMsgOut->setText(text);
}

void TMainForm::showRows() {
    QTreeWidget* list = ui->ListView1;
    const QSignalBlocker blocker(list);
    // A refresh (a format switch, a rename, a finished track) must not lose the user's place:
    // the player starts from the selected row. Rows are known by their track number, the
    // caption, since the items themselves are replaced.
    QSet<QString> selected;
    for (const QTreeWidgetItem* item : list->selectedItems())
        selected.insert(item->text(0));
    const QString current = list->currentItem() ? list->currentItem()->text(0) : QString();
    list->clear();
    for (const TrackRow& row : m_tracks.rows()) {
        auto* item = new QTreeWidgetItem(list);
        item->setText(0, fromStd(row.caption));
        item->setText(1, fromStd(row.name));
        item->setText(2, fromStd(row.length));
        item->setText(3, fromStd(row.size));
        item->setText(kFrameCountColumn, QString::number(row.frames));
        for (int column = 1; column < 4; ++column)
            item->setTextAlignment(column, Qt::AlignCenter);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
        const QString caption = item->text(0);
        if (caption == current) list->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
        if (selected.contains(caption)) item->setSelected(true);
    }
}

// ---- Output format and folder ---------------------------------------------------------------

void TMainForm::formatClicked(OutputFormat format) {
    if (format == m_format) return;  // the button that was already checked
    m_format = format;
    m_tracks.switchFormat(format);
    showRows();
    loadOutputFolder(format);
}

void TMainForm::loadOutputFolder(OutputFormat format) {
    // In the order of OutputFormat.
    static const char* const keys[] = {"mp3 folder", "wav folder", "Ogg folder", "flac folder",
                                       "opus folder"};
    static const char* const folders[] = {"/MP3", "/WAV", "/Ogg", "/FLAC", "/Opus"};
    const int index = static_cast<int>(format);
    // A new user's files go to the desktop's music folder, wherever the program was started.
    const QString music = QString::fromStdString(quillon::paths::musicFolder().string());
    const std::string folder = m_settings->ReadString("Folder", keys[index], music.toStdString());
    if (!folder.empty()) {
        ui->spSkinEdit1->setText(fromStd(folder));
        return;
    }
    // A key left empty on purpose keeps its old meaning: a folder of the format's own in the
    // start folder.
    const QString made = m_startDirectory + QLatin1String(folders[index]);
    QDir().mkpath(made);
    ui->spSkinEdit1->setText(made);
}

void TMainForm::chooseOutputFolder() {
    const QString folder = selectDirectory(this, QStringLiteral("Select a directory"));
    if (!folder.isEmpty()) ui->spSkinEdit1->setText(folder.left(260));
}

// ---- Check marks and selection --------------------------------------------------------------

void TMainForm::checkAllClicked() {
    if (ui->spSkinCheckRadioBox1->isChecked() && !m_tracks.empty())
        selectAll();
    else
        unselectAll();
}

void TMainForm::selectAll() {
    if (m_tracks.empty()) return;
    m_tracks.checkAll();
    showRows();
    QTreeWidget* list = ui->ListView1;
    list->selectAll();
    list->setFocus();
    list->setCurrentItem(list->topLevelItem(0), 0, QItemSelectionModel::NoUpdate);
}

void TMainForm::unselectAll() {
    m_tracks.invertChecks();
    QTreeWidget* list = ui->ListView1;
    showRows();  // new items, with the selection and the focus mark of the old ones
    const int count = list->topLevelItemCount();
    for (int row = 0; row < count; ++row) {
        QTreeWidgetItem* item = list->topLevelItem(row);
        item->setSelected(!item->isSelected());
    }
    // The focus mark moves off the row that had it, onto the first row that had none.
    const int target = currentRow() == 0 ? 1 : 0;
    if (target < count)
        list->setCurrentItem(list->topLevelItem(target), 0, QItemSelectionModel::NoUpdate);
    else
        list->selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
    list->setFocus();
}

void TMainForm::listDoubleClicked() {
    if (!ui->ListView1->selectedItems().isEmpty()) openWindow(WindowKey::rename);
}

// ---- Rip command, status polling, help ------------------------------------------------------

void TMainForm::ripCommand() {
    if (m_playerAvailable) {
        m_timer1.stop();
        closeMediaPlayer();
    }
    if (m_tracks.anyChecked()) openWindow(WindowKey::ripPropressForm);
    if (m_playerAvailable) {
        m_mediaPlayer.open(m_disc.selectedPath());
        m_timer1.start();
    }
}

void TMainForm::Timer1Timer() {
    const auto position = m_mediaPlayer.position();
    const int tracks = m_mediaPlayer.trackCount();
    if (tracks <= 0 || tracks > 1000) {
        m_tracks.clear();
        setDiscNames({}, {});
        showRows();
        setStatus(QStringLiteral("Please put a CD into the CDROM"));
        return;
    }
    if (m_mediaPlayer.mode() == CdMode::playing || position.second > 2) {
        setStatus(QString::asprintf("  Track:%d  Playing Time:  %.2d:%.2d", position.track,
                                    position.minute, position.second));
        return;
    }
    if (tracks < 100) {
        setStatus(QString::asprintf("  There are %d tracks in the CD", tracks));
        if (m_tracks.empty()) {
            m_timer1.stop();
            buildTrackList();
            m_timer1.start();
        }
    }
}

void TMainForm::buildTrackList() {
    const std::string failure = ::buildTrackList(m_disc, m_tracks, m_format);
    setDiscNames({}, {});
    showRows();
    if (!failure.empty()) setStatus(fromStd(failure));
    if (!m_tracks.empty()) {
        ui->ListView1->setCurrentItem(ui->ListView1->topLevelItem(0));
        ui->ListView1->setFocus();
    }
}

// The manual ships with the program, so it is found from the executable, not the start
// directory.
void TMainForm::openHelp() {
    openManual(this, QCoreApplication::applicationDirPath());
}

// ---- The drive ------------------------------------------------------------------------------

void TMainForm::restoreDrive() {
    const std::string path = m_settings->ReadString(kDriveSection, kDriveKey, "");
    if (m_disc.selectDrivePath(path)) ui->spCDROMlist->setCurrentIndex(m_disc.selectedDrive());
}

// The user picked a drive: from now on the list, the player and the rip job all use it.
void TMainForm::spCDROMlistChange(int index) {
    if (index == m_disc.selectedDrive() || !m_disc.selectDrive(index)) return;
    m_settings->WriteString(kDriveSection, kDriveKey, m_disc.selectedPath());
    m_timer1.stop();
    if (m_playerAvailable) {
        if (m_mediaPlayer.mode() == CdMode::playing) m_mediaPlayer.stop();
        closeMediaPlayer();
    }
    m_playerAvailable = false;
    openMediaPlayer();
    buildTrackList();
}

// ---- The CD player --------------------------------------------------------------------------

void TMainForm::openMediaPlayer() {
    const CdError error = m_mediaPlayer.open(m_disc.selectedPath());
    if (error != CdError::none) {
        QMessageBox::critical(this, QStringLiteral("Quillon"),
                              QString::fromUtf8(quillon::cdplayer::describe(error)));
        return;
    }
    m_playerAvailable = true;
    m_timer1.start();
}

void TMainForm::closeMediaPlayer() {
    m_mediaPlayer.close();
}

void TMainForm::playFromRow(int row) {
    m_mediaPlayer.seekToTrack(row + 1);
    m_mediaPlayer.play();
}

void TMainForm::playTrack() {
    if (!ready(m_playerAvailable, m_mediaPlayer)) return;
    const QList<QTreeWidgetItem*> selected = ui->ListView1->selectedItems();
    int row = 0;
    if (!selected.isEmpty()) {
        row = ui->ListView1->topLevelItemCount();
        for (QTreeWidgetItem* item : selected)
            row = std::min(row, ui->ListView1->indexOfTopLevelItem(item));
    }
    playFromRow(row);
}

void TMainForm::pauseOrResume() {
    if (!ready(m_playerAvailable, m_mediaPlayer)) return;
    if (m_mediaPlayer.mode() == CdMode::playing)
        m_mediaPlayer.pause();
    else if (m_mediaPlayer.mode() == CdMode::paused)
        m_mediaPlayer.resume();
}

void TMainForm::resumePlaying() {
    if (ready(m_playerAvailable, m_mediaPlayer)) m_mediaPlayer.resume();
}

void TMainForm::stopPlaying() {
    if (ready(m_playerAvailable, m_mediaPlayer)) m_mediaPlayer.stop();
}

void TMainForm::previousTrack() {
    stepTrack(-1);
}
void TMainForm::nextTrack() {
    stepTrack(1);
}

void TMainForm::stepTrack(int step) {
    if (!ready(m_playerAvailable, m_mediaPlayer)) return;
    QTreeWidget* list = ui->ListView1;
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    const int count = list->topLevelItemCount();
    if (selected.isEmpty() || count == 0) return;
    int row = count;
    for (QTreeWidgetItem* item : selected)
        row = std::min(row, list->indexOfTopLevelItem(item));
    list->topLevelItem(row)->setSelected(false);
    const int next = (count + row + step) % count;  // both ends wrap around
    list->topLevelItem(next)->setSelected(true);
    list->setCurrentItem(list->topLevelItem(next), 0, QItemSelectionModel::NoUpdate);
    playFromRow(next);
}

void TMainForm::ejectOrClose() {
    if (!ready(m_playerAvailable, m_mediaPlayer)) return;
    const int tracks = m_mediaPlayer.trackCount();
    if (tracks <= 0 || tracks >= 100)
        m_mediaPlayer.closeDoor();  // no disc, or the tray is open
    else if (m_mediaPlayer.canEject())
        m_mediaPlayer.openDoor();
}

// ---- Closing --------------------------------------------------------------------------------

void TMainForm::closeEvent(QCloseEvent* event) {
    m_disc.close();
    if (m_playerAvailable) {
        if (m_mediaPlayer.mode() == CdMode::playing) m_mediaPlayer.stop();
        closeMediaPlayer();
    }
    m_timer1.stop();
    event->accept();
}
