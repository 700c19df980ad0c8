#include "RipPropressForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>

#include "DesktopNotifier.h"
#include "MainUnit.h"
#include "Shell.h"
#include "WindowThread.h"
#include "ui_RipPropressForm.h"

TRipPropressForm::TRipPropressForm(TMainForm& mainForm)
    : QDialog(&mainForm, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      endProcess([] { std::exit(1); }),
      programActive([] { return QApplication::activeWindow() != nullptr; }),
      m_mainForm(mainForm),
      ui(std::make_unique<Ui::TRipPropressForm>()) {
    ui->setupUi(this);
    Gauge1 = ui->Gauge1;
    spSkinButtonStop = ui->spSkinButtonStop;
    setFixedSize(420, 110);
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
    m_rowsAsked = 0;
    for (const TrackRow& row : m_mainForm.tracks().rows())
        m_rowsAsked += row.checked ? 1 : 0;
    m_folder = QString::fromStdString(request.outputFolder);
    m_job->start(request);
}

void TRipPropressForm::spSkinButtonStopClick() {
    m_job->buttonClicked();
}

void TRipPropressForm::captionChanged(const std::string& caption) {
    setWindowTitle(QString::fromStdString(caption));
}

void TRipPropressForm::gaugeChanged(int value) {
    Gauge1->setValue(value);
}

void TRipPropressForm::buttonChanged(RipButton button) {
    spSkinButtonStop->setText(button == RipButton::close ? QStringLiteral("Close")
                                                         : QStringLiteral("Cancel"));
    // The job sets Close just before it counts as over; look once it has unwound.
    if (button == RipButton::close) QTimer::singleShot(0, this, &TRipPropressForm::announceEnd);
}

void TRipPropressForm::announceEnd() {
    if (m_job->working() || programActive()) return;
    const RipOutcome outcome = m_job->outcome();
    if (outcome != RipOutcome::finished && outcome != RipOutcome::failed) return;
    const QString format =
        QString::fromLatin1(m_mainForm.outputFormat() == OutputFormat::wav   ? "WAV"
                            : m_mainForm.outputFormat() == OutputFormat::mp3 ? "MP3"
                                                                             : "Ogg Vorbis");
    const QString tracks =
        m_rowsAsked == 1 ? QStringLiteral("1 track") : QStringLiteral("%1 tracks").arg(m_rowsAsked);
    if (outcome == RipOutcome::finished)
        DesktopNotifier::instance().notify(
            QStringLiteral("Rip finished"),
            QStringLiteral("%1 ripped to %2 in %3").arg(tracks, format, m_folder), m_folder);
    else
        DesktopNotifier::instance().notify(
            QStringLiteral("Rip failed"),
            QStringLiteral("The rip of %1 to %2 ended with an error").arg(tracks, format),
            m_folder);
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
