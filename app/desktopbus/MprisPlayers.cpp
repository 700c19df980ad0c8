#include "MprisPlayers.h"

#include <algorithm>
#include <vector>

namespace {

// The players that joined, in joining order, and the one that answers; itself the player the
// service publishes, passing every call on to the answering one.
class Players : public MprisPlayer {
  public:
    Players() : m_service(*this, MprisMembership::busName()) {}

    MprisService& service() { return m_service; }
    bool empty() const { return m_members.empty(); }
    const MprisPlayer* answering() const { return m_answering; }

    void join(MprisPlayer& player) {
        m_members.push_back({&player, player.status() == MprisStatus::playing});
        if (!m_answering) m_answering = &player;
    }
    void leave(MprisPlayer& player) {
        std::erase_if(m_members, [&](const Member& member) { return member.player == &player; });
        if (m_answering == &player)
            m_answering = m_members.empty() ? nullptr : m_members.front().player;
    }
    void look() {
        for (Member& member : m_members) {
            const bool playing = member.player->status() == MprisStatus::playing;
            if (playing && !member.wasPlaying) m_answering = member.player;
            member.wasPlaying = playing;
        }
    }

    void playPause() override { m_answering->playPause(); }
    void play() override { m_answering->play(); }
    void pause() override { m_answering->pause(); }
    void stop() override { m_answering->stop(); }
    void next() override { m_answering->next(); }
    void previous() override { m_answering->previous(); }
    bool canStep() override { return m_answering->canStep(); }
    MprisStatus status() override { return m_answering->status(); }
    std::optional<MprisTrack> track() override { return m_answering->track(); }
    void raise() override { m_answering->raise(); }

  private:
    struct Member {
        MprisPlayer* player;
        bool wasPlaying;
    };
    std::vector<Member> m_members;
    MprisPlayer* m_answering = nullptr;
    // Last, so that it is made once the rest can answer and goes first.
    MprisService m_service;
};

// Made by the first membership, ended with the last: the bus name is given back when no
// window plays any more, and nothing of it outlives the application object.
std::unique_ptr<Players>& players() {
    static std::unique_ptr<Players> instance;
    return instance;
}

}  // namespace

MprisMembership::MprisMembership(MprisPlayer& player) : m_player(player) {
    if (!players()) players() = std::make_unique<Players>();
    players()->join(player);
}

MprisMembership::~MprisMembership() {
    players()->leave(m_player);
    if (players()->empty())
        players().reset();
    else
        players()->service().refresh();
}

QString MprisMembership::busName() {
    return QStringLiteral("org.mpris.MediaPlayer2.quillon");
}

MprisService& MprisMembership::service() {
    return players()->service();
}

void MprisMembership::refresh() {
    players()->look();
    players()->service().refresh();
}

bool MprisMembership::answering() const {
    return players()->answering() == &m_player;
}
