// Watching which thread changes a window's controls: a worker's reports must reach the widgets
// on the window's own thread.
#pragma once

#include <QObject>
#include <atomic>
#include <initializer_list>

class QProgressBar;
class QWidget;

// Counts the changes of the watched controls (a gauge's value, a widget's enabled state) and
// those of them made on another thread than the application's.
class ThreadWatch : public QObject {
  public:
    ThreadWatch() = default;
    // Watches the gauge's value and the buttons' enabled state.
    ThreadWatch(QProgressBar* gauge, std::initializer_list<QWidget*> buttons);

    // Watches the widget's enabled state and, for a progress bar, also its value.
    void watch(QWidget* widget);

    bool eventFilter(QObject* watched, QEvent* event) override;

    std::atomic<int> changes{0};  // all of them
    std::atomic<int> gaugeChanges{0};
    std::atomic<int> enabledChanges{0};
    std::atomic<int> offThread{0};

  private:
    void watchValue(QProgressBar* gauge);
    void note(std::atomic<int>& counter);
};
