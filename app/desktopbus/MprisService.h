// The media player interface the desktop's media keys and player controls speak to
// (org.mpris.MediaPlayer2 on the session bus): the player behind it is any object that can
// play, pause, stop and step, and say what it plays. Without a session bus it does nothing.
#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <optional>

enum class MprisStatus { stopped, playing, paused };

// What the player plays; row is 0-based and names the track within the player's list.
struct MprisTrack {
    int row = 0;
    QString title;
    QString artist;  // empty when unknown
    QString album;   // empty when unknown
    qint64 lengthMicroseconds = 0;
};

class MprisPlayer {
  public:
    virtual ~MprisPlayer() = default;
    virtual void playPause() = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;
    virtual void next() = 0;
    virtual void previous() = 0;
    // Whether next and previous mean anything to this player.
    virtual bool canStep() { return true; }
    virtual MprisStatus status() = 0;
    // The track playing or paused, else the one that would play; none without tracks.
    virtual std::optional<MprisTrack> track() = 0;
    // Brings the player's window to the front.
    virtual void raise() = 0;
};

class MprisService : public QObject {
    Q_OBJECT

  public:
    // Publishes player under busName (or busName plus ".instance<pid>" when another process
    // holds it). The player must outlive the service.
    MprisService(MprisPlayer& player, const QString& busName, QObject* parent = nullptr);
    ~MprisService() override;

    bool published() const { return !m_busName.isEmpty(); }
    const QString& busName() const { return m_busName; }
    MprisPlayer& player() { return m_player; }

    QString playbackStatus();
    QVariantMap metadata();

    // Looks at the player again and tells the bus what changed since the last look; the owner
    // calls it on its timer, the controls call it after each command.
    void refresh();

  private:
    MprisPlayer& m_player;
    QString m_busName;
    QString m_lastStatus;
    QVariantMap m_lastMetadata;
    std::optional<bool> m_lastCanStep;
};
