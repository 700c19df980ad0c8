// The program's players behind the one media player name the desktop knows it by
// (org.mpris.MediaPlayer2.quillon; one per process). The CD player and the Ogg player each
// join while their window lives; the desktop's controls drive the one that started playing
// last, or, until one has played, the one that joined first. When the answering player
// leaves, the first of the others to have joined takes over. The service is on the bus while
// at least one player has joined.
#pragma once

#include <QString>
#include <memory>

#include "MprisService.h"

class MprisMembership {
  public:
    // Joins player; it must outlive the membership.
    explicit MprisMembership(MprisPlayer& player);
    ~MprisMembership();
    MprisMembership(const MprisMembership&) = delete;
    MprisMembership& operator=(const MprisMembership&) = delete;

    // The bus name every player of this process answers under.
    static QString busName();
    // The shared service; it lives as long as any membership.
    MprisService& service();
    // Looks at every player: one that started playing since the last look answers from now
    // on, and the desktop hears what changed. Owners call it after their own changes.
    void refresh();
    // Whether this membership's player is the one answering now.
    bool answering() const;

  private:
    MprisPlayer& m_player;
};
