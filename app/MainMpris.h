// The main window's CD player as the desktop's media player: media keys and the desktop's
// player controls drive the same handlers as the window's buttons.
#pragma once

#include <QMetaObject>
#include <memory>

class TMainForm;
class MprisMembership;

class MainFormMpris {
  public:
    // Joins the program's players (MprisPlayers.h) while the window lives; looks for changes
    // on the window's timer.
    explicit MainFormMpris(TMainForm& form);
    ~MainFormMpris();
    MainFormMpris(const MainFormMpris&) = delete;
    MainFormMpris& operator=(const MainFormMpris&) = delete;

  private:
    class Player;
    std::unique_ptr<Player> m_player;
    std::unique_ptr<MprisMembership> m_membership;
    // The timer's looks; the shared service outlives this window when the Ogg player stays.
    QMetaObject::Connection m_looks;
};
