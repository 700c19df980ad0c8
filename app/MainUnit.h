// The main window: the tracks of the disc, the output format and folder, the rip command,
// the CD player, the status line, and the doors to every other window.
#pragma once

#include <QMainWindow>
#include <QMap>
#include <QTimer>
#include <memory>

#include "CdAudioDevice.h"
#include "DiscMetadata.h"
#include "DiscSession.h"
#include "IniFile.h"
#include "TrackList.h"
#include "WinSkinData.h"
#include "WindowKey.h"

class DiscWatch;
class MainFormMpris;
class QDialog;
class QTreeWidgetItem;
namespace Ui {
class TMainForm;
}

class TMainForm : public QMainWindow {
    Q_OBJECT

  public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Windows opened from here. The start-up sequence registers each as it creates it;
    // buttons of windows that are not there do nothing.
    void registerWindow(WindowKey key, QDialog* window);
    QDialog* window(WindowKey key) const { return m_windows.value(key); }

    // The skin every window of the program is drawn from.
    TSkinData& skinData() { return *SkinData1; }

    // What the other windows use.
    TIniFile& settings() { return *m_settings; }
    const QString& startDirectory() const { return m_startDirectory; }
    DiscSession& disc() { return m_disc; }
    TrackList& tracks() { return m_tracks; }
    OutputFormat outputFormat() const;
    QString outputFolder() const;
    // The list's current row, -1 without one.
    int currentRow() const;
    // Shows the rows of tracks() again after another window changed them.
    void showRows();
    void setStatus(const QString& text);
    // The disc's artist and title as the CDDB lookup named them; forgotten with the rows.
    void setDiscNames(const QString& artist, const QString& album);
    const QString& discArtist() const { return m_discArtist; }
    const QString& discAlbum() const { return m_discAlbum; }
    // Everything the name sources told of the disc (tracks, ids, cover) for the rip's tags and
    // playlist; set after setDiscNames, which forgets it.
    void setDiscMetadata(DiscMetadata names) { m_discMetadata = std::move(names); }
    const DiscMetadata& discMetadata() const { return m_discMetadata; }
    bool playerAvailable() const { return m_playerAvailable; }
    quillon::cdplayer::CdAudioDevice& mediaPlayer() { return m_mediaPlayer; }
    QTimer& timer() { return m_timer1; }

    // The actions, also reachable from the menu and tests.
    void ripCommand();
    void selectAll();
    void unselectAll();
    void playTrack();
    void pauseOrResume();
    void resumePlaying();
    void stopPlaying();
    void previousTrack();
    void nextTrack();
    void ejectOrClose();
    void Timer1Timer();

    // Fails with "Settings.ini not exist!  " when the settings file cannot be used; the
    // start-up sequence then shows the message and ends the process.
    bool settingsUsable() const { return m_settingsUsable; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void connectControls();
    void formatClicked(OutputFormat format);
    void loadOutputFolder(OutputFormat format);
    void chooseOutputFolder();
    void checkAllClicked();
    void openWindow(WindowKey key);
    void playFromRow(int row);
    void stepTrack(int step);
    void listDoubleClicked();
    void buildTrackList();
    void restoreDrive();
    void spCDROMlistChange(int index);
    void openMediaPlayer();
    void closeMediaPlayer();
    void openHelp();

    void loadStoredSkin();

    std::unique_ptr<Ui::TMainForm> ui;
    std::unique_ptr<TSkinData> SkinData1;
    QMap<WindowKey, QDialog*> m_windows;
    QString m_startDirectory;
    std::unique_ptr<TIniFile> m_settings;
    bool m_settingsUsable = true;
    DiscSession m_disc;
    TrackList m_tracks;
    OutputFormat m_format = OutputFormat::mp3;
    bool m_playerAvailable = false;
    quillon::cdplayer::CdAudioDevice m_mediaPlayer;
    QTimer m_timer1;
    QString m_discArtist;
    QString m_discAlbum;
    DiscMetadata m_discMetadata;
    std::unique_ptr<MainFormMpris> m_mpris;  // the desktop's media controls
    // Tells of a disc inserted or removed at once, where the machine says so; the timer's poll
    // stays for everything else.
    std::unique_ptr<DiscWatch> m_discWatch;
};
