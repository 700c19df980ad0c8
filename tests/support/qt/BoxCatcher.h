// Answering message boxes as a user does, noting what each said: the one that is up now, or
// every one that comes up while a catcher lives.
#pragma once

#include <QMessageBox>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <vector>

// What a message box said and how it was shown.
struct MessageBoxSeen {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    QPoint offCentre;  // of the box from the middle of its screen
};

// Notes what the message box that is up says and clicks its OK button; a test failure when
// no box is up.
MessageBoxSeen answerMessageBox();

// Answers every message box that comes up while it lives with OK, noting what each said. It
// looks from a timer, so boxes raised at any time (also from a constructor) are caught, and a
// box the test did not foresee fails the test instead of hanging it.
class BoxCatcher {
  public:
    using Box = MessageBoxSeen;

    BoxCatcher();
    BoxCatcher(const BoxCatcher&) = delete;
    BoxCatcher& operator=(const BoxCatcher&) = delete;

    QStringList texts() const;
    QStringList titles() const;

    std::vector<Box> boxes;

  private:
    QTimer m_timer;
};
