// The Ogg player as one of the program's media players on the desktop's bus: media keys and
// the desktop's player controls play, pause, resume and stop the entry the window would, and
// see its title, artist and album from the file's comments (the file name without one).
#pragma once

#include <QString>
#include <memory>

#include "MprisService.h"

class MprisMembership;
class Toggplayer;

class OggPlayerMpris : public MprisPlayer {
  public:
    explicit OggPlayerMpris(Toggplayer& window);
    ~OggPlayerMpris() override;
    OggPlayerMpris(const OggPlayerMpris&) = delete;
    OggPlayerMpris& operator=(const OggPlayerMpris&) = delete;

    // The window tells after each change of its state.
    void refresh();

    void playPause() override;
    void play() override;
    void pause() override;
    void stop() override;
    // The player plays one entry and stops; stepping through the list is not its way.
    void next() override {}
    void previous() override {}
    bool canStep() override { return false; }
    MprisStatus status() override;
    std::optional<MprisTrack> track() override;
    void raise() override;

  private:
    // What the desktop is told of the file; read once per file.
    const MprisTrack& describe(const QString& path);

    Toggplayer& m_window;
    QString m_describedPath;
    MprisTrack m_described;
    std::unique_ptr<MprisMembership> m_membership;
};
