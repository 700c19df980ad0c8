// The Ogg player: a play list of Ogg Vorbis files, one of which plays at a time on the first
// sound output device, with stop, pause, resume, a ten-percent skip back and forward and a
// loop switch.
#pragma once

#include <QDialog>
#include <memory>

#include "ACS_Audio.h"
#include "ACS_Vorbis.h"

class OggPlayerMpris;
class QMimeData;

namespace Ui {
class Toggplayer;
}

class Toggplayer : public QDialog {
    Q_OBJECT

  public:
    explicit Toggplayer(QWidget* parent = nullptr);
    ~Toggplayer() override;

    // The source being played, for watching how far the playback has got.
    const TVorbisIn& vorbisIn() const { return VorbisIn1; }

  protected:
    // Ogg files and folders dropped on the window join the list as "Add" adds them.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // The desktop's media controls drive the window's own handlers.
    friend class OggPlayerMpris;

    // The Ogg files a drag brings: the files it names and those directly in the folders it
    // names; empty when it brings anything else.
    static QStringList oggFilesOf(const QMimeData* data);
    void button1Click();  // play the selected entry
    void button2Click();  // stop
    void pauseClick();
    void resumeClick();
    void button4Click();  // back
    void button5Click();  // forward
    void addClick();
    void removeClick();
    void removeAllClick();
    void checkbox1Click();
    void Button3Click();  // close

    // Ends the playback; a paused worker is let go so that it sees the request at once.
    void stopPlayback();
    // The state of "Play" and the list: enabled when nothing plays.
    void setIdle(bool idle);
    // Tells the desktop's media controls what changed.
    void mprisChanged();

    // Raised on the sink's worker; they hand their window work to this window's thread.
    void AudioOut1Progress(TACSOutput* sender);
    void AudioOut1Done(TACSOutput* sender);

    std::unique_ptr<Ui::Toggplayer> ui;
    // The source is declared first so that it outlives the sink that reads it.
    TVorbisIn VorbisIn1;
    TAudioOut AudioOut1;
    // The list entry playing or paused, -1 when none; whether it is paused.
    int m_playingRow = -1;
    bool m_paused = false;
    std::unique_ptr<OggPlayerMpris> m_mpris;
};
