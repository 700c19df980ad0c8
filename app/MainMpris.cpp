#include "MainMpris.h"

#include <QFileInfo>

#include "MainUnit.h"
#include "MprisPlayers.h"

using quillon::cdplayer::CdMode;

namespace {

constexpr qint64 kFramesPerSecond = 75;

}  // namespace

class MainFormMpris::Player : public MprisPlayer {
  public:
    explicit Player(TMainForm& form) : m_form(form) {}

    void playPause() override {
        if (status() == MprisStatus::stopped)
            m_form.playTrack();
        else
            m_form.pauseOrResume();
    }
    void play() override {
        const MprisStatus now = status();
        if (now == MprisStatus::paused)
            m_form.resumePlaying();
        else if (now == MprisStatus::stopped)
            m_form.playTrack();
    }
    void pause() override {
        if (status() == MprisStatus::playing) m_form.pauseOrResume();
    }
    void stop() override { m_form.stopPlaying(); }
    void next() override { m_form.nextTrack(); }
    void previous() override { m_form.previousTrack(); }

    MprisStatus status() override {
        if (!m_form.playerAvailable() || !m_form.mediaPlayer().isOpen())
            return MprisStatus::stopped;
        switch (m_form.mediaPlayer().mode()) {
            case CdMode::playing:
            case CdMode::seeking:
                return MprisStatus::playing;
            case CdMode::paused:
                return MprisStatus::paused;
            default:
                return MprisStatus::stopped;
        }
    }

    std::optional<MprisTrack> track() override {
        const TrackList& tracks = m_form.tracks();
        if (tracks.empty()) return std::nullopt;
        int row = m_form.currentRow();
        // What sounds wins over the list's focus: the user may have moved on in the list.
        if (status() != MprisStatus::stopped) row = m_form.mediaPlayer().position().track - 1;
        if (row < 0 || row >= int(tracks.size())) row = 0;
        const TrackRow& shown = tracks.row(std::size_t(row));
        MprisTrack track;
        track.row = row;
        track.title = QFileInfo(QString::fromStdString(shown.name)).completeBaseName();
        track.artist = m_form.discArtist();
        track.album = m_form.discAlbum();
        track.lengthMicroseconds = qint64(shown.frames) * 1000000 / kFramesPerSecond;
        return track;
    }

    void raise() override {
        m_form.showNormal();
        m_form.raise();
        m_form.activateWindow();
    }

  private:
    TMainForm& m_form;
};

MainFormMpris::MainFormMpris(TMainForm& form)
    : m_player(std::make_unique<Player>(form)),
      m_membership(std::make_unique<MprisMembership>(*m_player)) {
    m_looks = QObject::connect(&form.timer(), &QTimer::timeout, &m_membership->service(),
                               [membership = m_membership.get()] { membership->refresh(); });
}

MainFormMpris::~MainFormMpris() {
    QObject::disconnect(m_looks);
}
