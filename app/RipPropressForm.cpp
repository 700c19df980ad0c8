#include "RipPropressForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdlib>

#include "DesktopNotifier.h"
#include "MainUnit.h"
#include "Playlist.h"
#include "RipEncodersView.h"
#include "RipResults.h"
#include "RipUtility.h"
#include "Shell.h"
#include "WindowThread.h"
#include "ui_RipPropressForm.h"

namespace {

constexpr int kWidth = 420;
constexpr int kWorkingHeight = 130;
constexpr int kResultsHeight = 330;  // room for about ten tracks' lines before it scrolls

}  // namespace

TRipPropressForm::TRipPropressForm(TMainForm& mainForm)
    : QDialog(&mainForm, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      endProcess([] { std::exit(1); }),
      programActive([] { return QApplication::activeWindow() != nullptr; }),
      m_mainForm(mainForm),
      ui(std::make_unique<Ui::TRipPropressForm>()) {
    ui->setupUi(this);
    Gauge1 = ui->Gauge1;
    spSkinButtonStop = ui->spSkinButtonStop;
    m_reading = ui->readinglabel;
    m_results = ui->resultlist;
    m_encoders = ui->encoders;
    m_encoders->reset();
    setFixedSize(kWidth, kWorkingHeight);
    connect(spSkinButtonStop, &QPushButton::clicked, this,
            &TRipPropressForm::spSkinButtonStopClick);
    // The Ogg sink reports on its worker thread; the job's work for those reports runs here.
    RipObserver& observer = *this;
    m_job = std::make_unique<RipJob>(
        observer, [this](std::function<void()> work) { onWindowThread(this, std::move(work)); });
}

TRipPropressForm::~TRipPropressForm() = default;

void TRipPropressForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Start once the window is on screen, from the window's own event loop.
    QTimer::singleShot(0, this, &TRipPropressForm::start);
}

void TRipPropressForm::closeEvent(QCloseEvent* event) {
    // The title bar has no close box; while work is under way only the button ends it.
    if (m_job->working())
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void TRipPropressForm::done(int result) {
    if (!m_job->working()) QDialog::done(result);
}

void TRipPropressForm::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel) &&
        (m_job->working() || m_job->button() == RipButton::close)) {
        spSkinButtonStopClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TRipPropressForm::start() {
    // Closed again before the job began (Escape on a window still reading "Close" from the
    // last run): nothing to do, or it would run unseen.
    if (m_job->working() || !isVisible()) return;
    RipRequest request;
    request.tracks = &m_mainForm.tracks();
    request.handle = m_mainForm.disc().handle();
    request.toc = &m_mainForm.disc().toc();
    request.format = m_mainForm.outputFormat();
    request.outputFolder = m_mainForm.outputFolder().toStdString();
    request.settings = &m_mainForm.settings();
    request.drive = m_mainForm.disc().selectedName();
    request.names = &m_mainForm.discMetadata();
    m_rowsAsked = 0;
    for (const TrackRow& row : m_mainForm.tracks().rows())
        m_rowsAsked += row.checked ? 1 : 0;
    m_folder = QString::fromStdString(request.outputFolder);
    m_rowsAtStart = m_mainForm.tracks();
    // The last job's results go; the window starts as small as it was.
    m_report.reset();
    m_reading->clear();
    m_results->clear();
    m_results->hide();
    // A single-encoder job never reports its encoders: the area stays hidden for it.
    m_encoders->reset();
    fitHeight();
    m_job->start(request);
}

void TRipPropressForm::spSkinButtonStopClick() {
    m_job->buttonClicked();
}

void TRipPropressForm::captionChanged(const std::string& caption) {
    setWindowTitle(QString::fromStdString(oneLineText(caption)));
    // A new track: what the reading of the last one had to do no longer applies.
    if (caption.starts_with("Processing:") && !m_report) m_reading->clear();
}

void TRipPropressForm::readingChanged(std::uint32_t rereadSectors,
                                      const std::vector<std::string>& unsettledPositions) {
    QString text = QStringLiteral("Re-read sectors: %1").arg(rereadSectors);
    // The latest position only: the line keeps its length however many there are.
    if (unsettledPositions.size() == 1)
        text += QStringLiteral(", unsettled: %1")
                    .arg(QString::fromStdString(oneLineText(unsettledPositions.back())));
    else if (unsettledPositions.size() > 1)
        text += QStringLiteral(", unsettled: %1 (last at %2)")
                    .arg(unsettledPositions.size())
                    .arg(QString::fromStdString(oneLineText(unsettledPositions.back())));
    m_reading->setText(text);
}

void TRipPropressForm::ripReported(const RipReport& report) {
    m_report = report;
    m_results->clear();
    for (const TrackRipReport& track : report.tracks)
        m_results->addItem(QStringLiteral("%1 %2")
                               .arg(track.number, 2, 10, QLatin1Char('0'))
                               .arg(QString::fromStdString(trackResultText(track))));
    m_reading->setText(QString::fromStdString(ripSummaryText(report)));
    m_results->show();
    // The tracks' own lines are over; the whole disc's bar keeps its last value.
    m_encoders->showEnded();
    fitHeight();
}

void TRipPropressForm::progressChanged(const RipProgress& progress) {
    // Once the job has reported, the room is the results'; late news changes nothing.
    if (m_report) return;
    const bool firstNews = m_encoders->isHidden();
    m_encoders->show();
    if (m_encoders->showProgress(progress) || firstNews) fitHeight();
}

void TRipPropressForm::fitHeight() {
    int height = m_report ? kResultsHeight : kWorkingHeight;
    if (!m_encoders->isHidden())
        height += m_encoders->neededHeight() + std::max(layout()->spacing(), 0);
    setFixedSize(kWidth, height);
}

void TRipPropressForm::gaugeChanged(int value) {
    Gauge1->setValue(value);
}

void TRipPropressForm::buttonChanged(RipButton button) {
    spSkinButtonStop->setText(button == RipButton::close ? QStringLiteral("Close")
                                                         : QStringLiteral("Cancel"));
    // The job sets Close just before it counts as over; look once it has unwound.
    if (button == RipButton::close) {
        QTimer::singleShot(0, this, &TRipPropressForm::writePlaylist);
        QTimer::singleShot(0, this, &TRipPropressForm::announceEnd);
    }
}

void TRipPropressForm::writePlaylist() {
    // An album worth a playlist is one a source named; "Track-01" ... is not. The rows as they
    // were at the start: an Ogg rip unchecks each row as its file is done.
    if (m_job->working() || m_job->outcome() != RipOutcome::finished) return;
    const DiscMetadata& names = m_mainForm.discMetadata();
    if (names.source == DiscMetadata::Source::none) return;
    const CdToc& toc = m_mainForm.disc().toc();
    const int firstTrack = tocTrackCount(toc) > 0 ? toc.entries[0].trackNumber : 1;
    // A playlist that cannot be written costs nothing of the rip; the files are there.
    writeAlbumPlaylist(m_folder.toStdString(), m_rowsAtStart, names, firstTrack);
}

void TRipPropressForm::announceEnd() {
    if (m_job->working() || programActive()) return;
    const RipOutcome outcome = m_job->outcome();
    if (outcome != RipOutcome::finished && outcome != RipOutcome::failed) return;
    const QString tracks =
        m_rowsAsked == 1 ? QStringLiteral("1 track") : QStringLiteral("%1 tracks").arg(m_rowsAsked);
    const QString format = formatName();
    if (outcome == RipOutcome::finished)
        DesktopNotifier::instance().notify(QStringLiteral("Rip finished"), finishedMessage(),
                                           m_folder);
    else
        DesktopNotifier::instance().notify(
            QStringLiteral("Rip failed"),
            QStringLiteral("The rip of %1 to %2 ended with an error").arg(tracks, format),
            m_folder);
}

QString TRipPropressForm::formatName() const {
    switch (m_mainForm.outputFormat()) {
        case OutputFormat::wav:
            return QStringLiteral("WAV");
        case OutputFormat::mp3:
            return QStringLiteral("MP3");
        case OutputFormat::flac:
            return QStringLiteral("FLAC");
        case OutputFormat::opus:
            return QStringLiteral("Opus");
        case OutputFormat::ogg:
            break;
    }
    return QStringLiteral("Ogg Vorbis");
}

QString TRipPropressForm::finishedMessage() const {
    // The report knows what was ripped; without one, the rows checked when the job began.
    const std::size_t count = m_report ? m_report->tracks.size() : m_rowsAsked;
    const QString tracks =
        count == 1 ? QStringLiteral("1 track") : QStringLiteral("%1 tracks").arg(count);
    QString message = QStringLiteral("%1 ripped to %2 in %3").arg(tracks, formatName(), m_folder);
    if (m_report)
        message += QStringLiteral("\n") + QString::fromStdString(ripSummaryText(*m_report));
    else
        message += QStringLiteral("\nNot verified");
    return message;
}

void TRipPropressForm::rowUnchecked(std::size_t row) {
    if (row < m_mainForm.tracks().size()) {
        m_mainForm.tracks().row(row).checked = false;
        m_mainForm.showRows();
    }
}

void TRipPropressForm::showError(const std::string& text) {
    QMessageBox::critical(this, QStringLiteral("Quillon"), QString::fromStdString(text));
}

bool TRipPropressForm::confirmCancel() {
    return QMessageBox::question(this, QStringLiteral("Quillon"), QStringLiteral("Cancel or not?"),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void TRipPropressForm::closeWindow() {
    // The job itself closes the window (a cancelled MP3 job, an encoder that did not start)
    // while it still counts as working.
    QDialog::done(QDialog::Accepted);
}

void TRipPropressForm::openFolder(const std::string& folder) {
    shellOpen(QString::fromStdString(folder));
}

void TRipPropressForm::settingsFailed() {
    QMessageBox::critical(this, QStringLiteral("Error"), QString::fromLatin1(kSettingsFailure));
    endProcess();
}

void TRipPropressForm::processEvents() {
    QCoreApplication::processEvents();
}
