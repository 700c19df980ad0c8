// The rip window's view of a rip with several encoders: the track the drive reads, one line
// with its own bar for every track an encoder works on, and the whole disc's bar. The job may
// report tens of times a second, so the lines are made once and reused.
#pragma once

#include <QLabel>
#include <QWidget>
#include <vector>

#include "RipUnit.h"

class QProgressBar;
class QScrollArea;
class QVBoxLayout;

// A one-line label that asks for no width of its own and elides what does not fit, so that a
// long name cannot widen a window of fixed size; text() keeps the whole line.
class ElidedLabel : public QLabel {
    Q_OBJECT

  public:
    explicit ElidedLabel(QWidget* parent = nullptr);
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

class RipEncodersView : public QWidget {
    Q_OBJECT

  public:
    explicit RipEncodersView(QWidget* parent = nullptr);

    // Shows where the rip stands; true when the view's height changed, because more tracks
    // are encoded at once than it had room for.
    bool showProgress(const RipProgress& progress);
    // The job is over: the reading and the encoders' lines go, the whole disc's bar stays.
    void showEnded();
    // Nothing shown and no room taken, for the next job.
    void reset();
    // The height the view needs as it stands.
    int neededHeight();

  private:
    struct Row {
        QWidget* widget = nullptr;
        ElidedLabel* label = nullptr;
        QProgressBar* bar = nullptr;
    };
    Row& row(std::size_t index);
    // Room for `rows` lines, up to the number shown before the lines scroll.
    void makeRoom(std::size_t rows);

    ElidedLabel* m_readingLine;
    QScrollArea* m_area;
    QWidget* m_rowsWidget;
    QVBoxLayout* m_rowsLayout;
    QProgressBar* m_discBar;
    std::vector<Row> m_rows;    // made as needed, kept for reuse
    std::size_t m_roomFor = 0;  // lines the area has room for in this job
};
