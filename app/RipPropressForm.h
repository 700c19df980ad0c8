// The rip window: showing it rips the checked tracks in the chosen format, with a gauge, a
// caption that names the track, and one button that cancels and then closes.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

#include "RipUnit.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class RipEncodersView;
class TMainForm;
namespace Ui {
class TRipPropressForm;
}

class TRipPropressForm : public QDialog, private RipObserver {
    Q_OBJECT

  public:
    explicit TRipPropressForm(TMainForm& mainForm);
    ~TRipPropressForm() override;

    // What happens after "Settings.ini not exist!  " was shown; the process ends unless a
    // test puts something else here.
    std::function<void()> endProcess;
    const RipJob& job() const { return *m_job; }
    // Whether the user has a window of the program in front; a rip that ends otherwise is
    // announced on the desktop. Tests put their own answer here.
    std::function<bool()> programActive;

    // The window as the job sees it: tests play a job's reports through it.
    RipObserver& observer() { return *this; }
    // What the desktop is told when a finished job ends unseen: how many tracks went into
    // which format and folder, and what the rip could verify of them.
    QString finishedMessage() const;

    // Refused while the job works: the job goes on and the main window would take the drive
    // back under it. Escape, reject(), accept() and a close request all end up here.
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Escape is the button: Cancel (with its question) while working, Close afterwards.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void start();
    void spSkinButtonStopClick();

    void captionChanged(const std::string& caption) override;
    void gaugeChanged(int value) override;
    void buttonChanged(RipButton button) override;
    void rowUnchecked(std::size_t row) override;
    void showError(const std::string& text) override;
    bool confirmCancel() override;
    void closeWindow() override;
    void openFolder(const std::string& folder) override;
    void settingsFailed() override;
    void processEvents() override;
    void readingChanged(std::uint32_t rereadSectors,
                        const std::vector<std::string>& unsettledPositions) override;
    void ripReported(const RipReport& report) override;
    void progressChanged(const RipProgress& progress) override;
    // The window's fixed height for what it shows: the working window or the results, and
    // the parallel area below them when a rip with several encoders revealed it.
    void fitHeight();
    void announceEnd();
    // The album's .m3u8 beside the files of a finished rip of a named disc.
    void writePlaylist();
    QString formatName() const;

    TMainForm& m_mainForm;
    std::unique_ptr<Ui::TRipPropressForm> ui;
    QProgressBar* Gauge1;
    QPushButton* spSkinButtonStop;
    QLabel* m_reading;            // the current track's careful reading, then the summary
    QListWidget* m_results;       // one line per track once the job has reported
    RipEncodersView* m_encoders;  // shown once a job reports several encoders' progress
    std::unique_ptr<RipJob> m_job;
    std::size_t m_rowsAsked = 0;        // checked rows when the job started
    TrackList m_rowsAtStart;            // the rows as the job found them
    QString m_folder;                   // where the job writes
    std::optional<RipReport> m_report;  // what the last job found
};
