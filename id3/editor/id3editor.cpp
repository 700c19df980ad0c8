#include "id3editor.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStorageInfo>
#include <QTimer>
#include <algorithm>

#include "FileDrop.h"
#include "ui_id3editor.h"

namespace {

// The application title that the editor's messages carry.
const char* const kMessageTitle = "Quillon";

// A plain box with one OK button, centred on the screen rather than over the editor.
class CentredMessageBox : public QMessageBox {
  public:
    CentredMessageBox(const QString& text, QWidget* parent)
        : QMessageBox(QMessageBox::NoIcon, QString::fromLatin1(kMessageTitle), text,
                      QMessageBox::Ok, parent) {
        // Paths are shown as they stand; nothing in them is markup.
        setTextFormat(Qt::PlainText);
    }

  protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);  // settles the box's size
        if (const QScreen* screen = this->screen())
            move(screen->availableGeometry().center() - rect().center());
    }
};

// The path as the operating system takes it.
std::string nativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

bool fileExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toUtf8(const QString& text) {
    return text.toUtf8().toStdString();
}

// The mount points offered as drives, sorted, so "/" comes first.
QStringList driveRoots() {
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady()) roots << volume.rootPath();
    roots << QDir::rootPath();
    roots.sort();
    roots.removeDuplicates();
    return roots;
}

}  // namespace

Tid3editormain::Tid3editormain(QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::Tid3editormain>()),
      m_folders(new QFileSystemModel(this)),
      m_files(new QFileSystemModel(this)) {
    ui->setupUi(this);

    m_folders->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
    m_folders->setReadOnly(true);
    ui->FolderList->setModel(m_folders);
    for (int column = 1; column < m_folders->columnCount(); ++column)
        ui->FolderList->hideColumn(column);

    m_files->setFilter(QDir::Files | QDir::NoDotAndDotDot);
    m_files->setNameFilters({QStringLiteral("*.mp3")});
    m_files->setNameFilterDisables(false);  // other files are left out, not greyed
    m_files->setReadOnly(true);
    ui->FileList->setModel(m_files);

    setAcceptDrops(true);

    connect(ui->DriveList, &QComboBox::activated, this, &Tid3editormain::DriveListChange);
    connect(ui->FolderList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { FolderListChange(current); });
    connect(ui->FileList->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_refilling) FileListChange();
    });
    // The folder list shows only the drive's own branch; the folders beside it arrive as the
    // model reads them.
    connect(m_folders, &QFileSystemModel::rowsInserted, this, [this](const QModelIndex& parent) {
        if (parent == ui->FolderList->rootIndex()) hideOtherTopFolders();
    });
    connect(ui->savebutton, &QPushButton::clicked, this, &Tid3editormain::savebuttonClick);
    connect(ui->removebutton, &QPushButton::clicked, this, &Tid3editormain::removebuttonClick);
    connect(ui->closebutton, &QPushButton::clicked, this, &Tid3editormain::closebuttonClick);

    // Browsing starts in the start directory, on the drive that holds it.
    showFolder(QDir::currentPath());
}

Tid3editormain::~Tid3editormain() = default;

void Tid3editormain::fillDrives(const QString& current) {
    QStringList roots = driveRoots();
    if (!roots.contains(current)) roots << current;
    const QSignalBlocker blocker(ui->DriveList);
    ui->DriveList->clear();
    for (const QString& root : roots) {
        // Mount points are paths and keep their case; the volume name is shown in capitals.
        const QString name = QStorageInfo(root).name();
        ui->DriveList->addItem(
            name.isEmpty() ? root
                           : root + QStringLiteral("  [") + name.toUpper() + QLatin1Char(']'),
            root);
    }
    ui->DriveList->setCurrentIndex(ui->DriveList->findData(current));
}

void Tid3editormain::showFolder(const QString& folder) {
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    const QString path = canonical.isEmpty() ? QDir::rootPath() : canonical;
    const QStorageInfo volume(path);
    const QString drive = volume.isValid() ? volume.rootPath() : QDir::rootPath();
    m_driveRoot = drive;
    fillDrives(drive);

    m_folders->setRootPath(drive);
    const QModelIndex driveIndex = m_folders->index(drive);
    ui->FolderList->setRootIndex(driveIndex.parent());
    hideOtherTopFolders();
    ui->FolderList->expand(driveIndex);

    const QModelIndex current = m_folders->index(path);
    ui->FolderList->setCurrentIndex(current);  // refills the file list
    ui->FolderList->expand(current);
    ui->FolderList->scrollTo(current);
    if (m_folder != path) refillFiles(path);
}

void Tid3editormain::hideOtherTopFolders() {
    const QModelIndex parent = ui->FolderList->rootIndex();
    const QModelIndex drive = m_folders->index(m_driveRoot);
    for (int row = 0; row < m_folders->rowCount(parent); ++row)
        ui->FolderList->setRowHidden(row, parent, m_folders->index(row, 0, parent) != drive);
}

QString Tid3editormain::droppedTarget(const QMimeData* data) {
    const QStringList paths = droppedLocalPaths(data);
    if (paths.size() != 1) return {};
    const QFileInfo info(paths.first());
    // The file list shows MP3 files only, matched as the file system does; a drop takes what
    // the list could show and select.
    if (info.isDir() || (info.isFile() &&
                         fitsFilter(paths.first(), QStringLiteral("MP3|*.mp3"), Qt::CaseSensitive)))
        return paths.first();
    return {};
}

void Tid3editormain::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedTarget(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void Tid3editormain::dropEvent(QDropEvent* event) {
    const QString target = droppedTarget(event->mimeData());
    if (target.isEmpty()) return;
    event->acceptProposedAction();
    if (QFileInfo(target).isDir())
        showFolder(target);
    else
        selectFile(target);
}

void Tid3editormain::selectFile(const QString& file) {
    const QFileInfo info(file);
    showFolder(info.absolutePath());
    const QModelIndex index = m_files->index(info.canonicalFilePath());
    if (!index.isValid()) return;
    ui->FileList->setCurrentIndex(index);
    ui->FileList->scrollTo(index);
}

void Tid3editormain::DriveListChange(int index) {
    const QString root = ui->DriveList->itemData(index).toString();
    if (!root.isEmpty()) showFolder(root);
}

void Tid3editormain::FolderListChange(const QModelIndex& current) {
    if (!current.isValid()) return;
    const QString path = m_folders->filePath(current);
    if (path != m_folder) refillFiles(path);
}

void Tid3editormain::refillFiles(const QString& folder) {
    m_folder = folder;
    // One change is reported for the refill, not one for each step of it.
    m_refilling = true;
    m_files->setRootPath(folder);
    ui->FileList->setRootIndex(m_files->index(folder));
    ui->FileList->selectionModel()->clear();
    m_refilling = false;
    FileListChange();
}

QString Tid3editormain::FileName() const {
    const QModelIndexList selected = ui->FileList->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QString() : m_files->filePath(selected.first());
}

TID3v2& Tid3editormain::fileTag() {
    if (!FileTag) FileTag = std::make_unique<TID3v2>();
    return *FileTag;
}

void Tid3editormain::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    FormActivate();
    // The selection outlives a close, and blank boxes over a selected file would let "Save"
    // wipe its tag: the boxes show the file again once the window is up.
    if (!FileName().isEmpty())
        QTimer::singleShot(0, this, [this] {
            if (isVisible()) loadSelectedFile();
        });
}

void Tid3editormain::done(int result) {
    FileTag.reset();
    QDialog::done(result);
}

void Tid3editormain::FormActivate() {
    FileTag = std::make_unique<TID3v2>();
    ClearAll();
}

void Tid3editormain::ClearAll() {
    for (QLineEdit* box :
         {ui->TagExistsValue, ui->VersionValue, ui->SizeValue, ui->TitleEdit, ui->ArtistEdit,
          ui->AlbumEdit, ui->TrackEdit, ui->YearEdit, ui->GenreEdit, ui->CommentEdit})
        box->clear();
}

void Tid3editormain::closebuttonClick() {
    close();
}

void Tid3editormain::FileListChange() {
    // A hidden editor reports nothing (the list follows the folder even then, and can move
    // its selection when a file goes); showing it loads the selected file.
    if (isVisible())
        loadSelectedFile();
    else
        ClearAll();
}

void Tid3editormain::loadSelectedFile() {
    try {
        loadFile(FileName());
    } catch (...) {
        // Whatever failed here leaves the boxes in doubt; the editor closes rather than show
        // them.
        close();
    }
}

void Tid3editormain::loadFile(const QString& fileName) {
    ClearAll();
    if (fileName.isEmpty()) return;
    if (!fileExists(fileName)) {
        message(QStringLiteral("The file does not exist: ") + fileName);
        return;
    }
    TID3v2& tag = fileTag();
    if (!tag.ReadFromFile(nativePath(fileName))) {
        message(QStringLiteral("Can not read tag from the file: ") + fileName);
        return;
    }
    if (!tag.Exists()) {
        ui->TagExistsValue->setText(QStringLiteral("No"));
        return;
    }
    ui->TagExistsValue->setText(QStringLiteral("Yes"));
    ui->VersionValue->setText(QStringLiteral("2.") + QString::number(tag.VersionID()));
    ui->SizeValue->setText(QString::number(tag.Size()) + QStringLiteral(" bytes"));
    ui->TitleEdit->setText(fromUtf8(tag.Title()));
    ui->ArtistEdit->setText(fromUtf8(tag.Artist()));
    ui->AlbumEdit->setText(fromUtf8(tag.Album()));
    if (tag.Track() != 0) ui->TrackEdit->setText(QString::number(tag.Track()));
    ui->YearEdit->setText(fromUtf8(tag.Year()));
    ui->GenreEdit->setText(fromUtf8(tag.Genre()));
    ui->CommentEdit->setText(fromUtf8(tag.Comment()));
}

std::optional<uint8_t> Tid3editormain::trackFromBox() const {
    QString text = ui->TrackEdit->text().trimmed();
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative || text.startsWith(QLatin1Char('+'))) text.remove(0, 1);
    const bool digits = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
    // Not a whole number, an empty box, 0 and negative numbers all mean no track number.
    if (!digits || negative) return uint8_t{0};
    qsizetype zeros = 0;
    while (zeros < text.size() - 1 && text[zeros] == QLatin1Char('0'))
        ++zeros;
    text.remove(0, zeros);
    if (text.size() > 3 || text.toInt() > 255) return std::nullopt;
    return static_cast<uint8_t>(text.toInt());
}

void Tid3editormain::savebuttonClick() {
    TID3v2& tag = fileTag();
    const std::optional<uint8_t> track = trackFromBox();
    const QString fileName = FileName();
    if (!track) {
        // The tag holds track numbers up to 255; a larger one is refused rather than cut to
        // a number the user did not type. Nothing was written, so the typing stays for the
        // user to mend.
        message(QStringLiteral("The track number can not be above 255: ") +
                    ui->TrackEdit->text().trimmed(),
                false);
        ui->TrackEdit->setFocus();
        ui->TrackEdit->selectAll();
        return;
    }
    tag.SetTitle(toUtf8(ui->TitleEdit->text()));
    tag.SetArtist(toUtf8(ui->ArtistEdit->text()));
    tag.SetAlbum(toUtf8(ui->AlbumEdit->text()));
    tag.SetTrack(*track);
    tag.SetYear(toUtf8(ui->YearEdit->text()));
    tag.SetGenre(toUtf8(ui->GenreEdit->text()));
    tag.SetComment(toUtf8(ui->CommentEdit->text()));
    std::vector<std::string> unkept;
    if (!fileExists(fileName) || !tag.SaveToFile(nativePath(fileName), &unkept)) {
        QString text = QStringLiteral("Can not save tag to the file: ") + fileName;
        if (!unkept.empty()) text += QLatin1Char('\n') + fromUtf8(describeUnkept(unkept));
        message(text);
    }
    // The boxes show what the file now holds.
    loadSelectedFile();
}

void Tid3editormain::removebuttonClick() {
    const QString fileName = FileName();
    if (fileExists(fileName) && fileTag().RemoveFromFile(nativePath(fileName))) {
        ClearAll();
        return;
    }
    message(QStringLiteral("Can not remove tag from the file: ") + fileName);
}

void Tid3editormain::message(const QString& text, bool afresh) {
    CentredMessageBox box(text, this);
    box.exec();
    // The editor comes back to the front when the box goes, and starts afresh as it does
    // whenever it becomes the active window.
    if (afresh) FormActivate();
}
