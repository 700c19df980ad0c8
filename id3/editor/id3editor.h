// The ID3 editor window: browse to an MP3 file, see whether it carries an ID3v2 tag, edit the
// tag's seven fields and save them back into the file, or remove the tag.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <optional>

#include "ID3v2.h"

class QFileSystemModel;
class QMimeData;
class QModelIndex;
namespace Ui {
class Tid3editormain;
}

class Tid3editormain : public QDialog {
    Q_OBJECT

  public:
    explicit Tid3editormain(QWidget* parent = nullptr);
    ~Tid3editormain() override;

    // The window came to the front: a fresh tag object and blank boxes.
    void FormActivate();
    void closebuttonClick();
    void savebuttonClick();
    void removebuttonClick();
    // The file list's selection changed or the list was refilled.
    void FileListChange();

    // Blanks all ten boxes.
    void ClearAll();
    // The full path of the file selected in the file list, empty when none is.
    QString FileName() const;
    // The folder whose MP3 files the file list shows.
    QString folder() const { return m_folder; }

  protected:
    void showEvent(QShowEvent* event) override;
    // A dropped MP3 file is opened as selecting it does; a dropped folder is browsed.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  public slots:
    void done(int result) override;

  private:
    void DriveListChange(int index);
    void FolderListChange(const QModelIndex& current);
    void fillDrives(const QString& current);
    // Shows the folders of the drive holding folder and makes folder the current one.
    void showFolder(const QString& folder);
    // Points the file list at the folder; nothing is selected afterwards.
    void refillFiles(const QString& folder);
    void hideOtherTopFolders();

    // The one MP3 file or folder a drag brings; empty when it brings anything else.
    static QString droppedTarget(const QMimeData* data);
    // Browses to the file's folder and selects the file, which loads it.
    void selectFile(const QString& file);
    void loadSelectedFile();
    void loadFile(const QString& fileName);
    // The track box as a track number: 0 for none, nullopt when it is above what the tag's
    // field holds.
    std::optional<uint8_t> trackFromBox() const;
    // Shows text in the program's plain message box and waits until it is closed; afresh:
    // the window then starts afresh as on coming to the front.
    void message(const QString& text, bool afresh = true);
    TID3v2& fileTag();

    std::unique_ptr<Ui::Tid3editormain> ui;
    QFileSystemModel* m_folders;
    QFileSystemModel* m_files;
    QString m_driveRoot;
    QString m_folder;
    bool m_refilling = false;
    std::unique_ptr<TID3v2> FileTag;
};
