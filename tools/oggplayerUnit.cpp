#include "oggplayerUnit.h"

#include <QAction>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <exception>

#include "ErrorReport.h"
#include "FileDrop.h"
#include "OggPlayerMpris.h"
#include "Shell.h"
#include "ToolWindowActions.h"
#include "ui_oggplayerUnit.h"

namespace {

const QString kOggFilter = QStringLiteral("Ogg|*.ogg");

enum class Glyph { play, stop, pause, resume, back, forward, add, remove };

// The pictures of the flat buttons, drawn rather than shipped so that they follow the
// window's text colour.
QIcon glyphIcon(Glyph glyph, const QColor& colour) {
    constexpr int size = 24;
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    auto triangle = [&](qreal left, qreal right) {
        QPainterPath path;
        path.moveTo(left, 5);
        path.lineTo(right, 12);
        path.lineTo(left, 19);
        path.closeSubpath();
        painter.drawPath(path);
    };
    switch (glyph) {
        case Glyph::play:
            triangle(7, 19);
            break;
        case Glyph::stop:
            painter.drawRect(QRectF(6, 6, 12, 12));
            break;
        case Glyph::pause:
            painter.drawRect(QRectF(6, 5, 4, 14));
            painter.drawRect(QRectF(14, 5, 4, 14));
            break;
        case Glyph::resume:
            painter.drawRect(QRectF(4, 5, 3, 14));
            triangle(9, 20);
            break;
        case Glyph::back:
            triangle(12, 3);
            triangle(21, 12);
            break;
        case Glyph::forward:
            triangle(3, 12);
            triangle(12, 21);
            break;
        case Glyph::add:
            painter.drawRect(QRectF(10, 4, 4, 16));
            [[fallthrough]];
        case Glyph::remove:
            painter.drawRect(QRectF(4, 10, 16, 4));
            break;
    }
    return QIcon(pixmap);
}

// Whole seconds as minutes and two-digit seconds; the minutes are not wrapped into hours.
QString lengthText(int seconds) {
    const int minutes = seconds / 60;
    const int rest = seconds % 60;
    return rest > 9 ? QStringLiteral("%1:%2").arg(minutes).arg(rest)
                    : QStringLiteral("%1:0%2").arg(minutes).arg(rest);
}

}  // namespace

Toggplayer::Toggplayer(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::Toggplayer>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    const QColor ink = palette().color(QPalette::ButtonText);
    const std::pair<QToolButton*, Glyph> pictures[] = {
        {ui->button1, Glyph::play},
        {ui->button2, Glyph::stop},
        {ui->b_nametoip_pause_button, Glyph::pause},
        {ui->b_nametoip_resume_button, Glyph::resume},
        {ui->button4, Glyph::back},
        {ui->button5, Glyph::forward},
        {ui->button6, Glyph::add},
        {ui->button7, Glyph::remove}};
    for (const auto& [button, glyph] : pictures)
        button->setIcon(glyphIcon(glyph, ink));

    setAcceptDrops(true);
    ui->ListBox1->addActions({ui->Add1, ui->Remove1, ui->RemoveAll1});

    connect(ui->button1, &QToolButton::clicked, this, &Toggplayer::button1Click);
    connect(ui->ListBox1, &QListWidget::itemDoubleClicked, this, &Toggplayer::button1Click);
    connect(ui->button2, &QToolButton::clicked, this, &Toggplayer::button2Click);
    connect(ui->b_nametoip_pause_button, &QToolButton::clicked, this, &Toggplayer::pauseClick);
    connect(ui->b_nametoip_resume_button, &QToolButton::clicked, this, &Toggplayer::resumeClick);
    connect(ui->button4, &QToolButton::clicked, this, &Toggplayer::button4Click);
    connect(ui->button5, &QToolButton::clicked, this, &Toggplayer::button5Click);
    connect(ui->button6, &QToolButton::clicked, this, &Toggplayer::addClick);
    connect(ui->Add1, &QAction::triggered, this, &Toggplayer::addClick);
    connect(ui->button7, &QToolButton::clicked, this, &Toggplayer::removeClick);
    connect(ui->Remove1, &QAction::triggered, this, &Toggplayer::removeClick);
    connect(ui->RemoveAll1, &QAction::triggered, this, &Toggplayer::removeAllClick);
    connect(ui->checkbox1, &QCheckBox::clicked, this, &Toggplayer::checkbox1Click);
    connect(ui->Button3, &QPushButton::clicked, this, &Toggplayer::Button3Click);

    VorbisIn1.SetLoop(false);
    AudioOut1.SetInput(&VorbisIn1);
    AudioOut1.SetSuspendWhenIdle(true);
    AudioOut1.SetBaseChannel(0);
    AudioOut1.SetVolume(255);
    // The sink keeps its default wait of a few milliseconds between steps: each step tops the
    // device up to nine buffers, far more sound than the wait, and without the wait the worker
    // would spin on a full queue for the whole playback.
    AudioOut1.OnProgress = [this](TACSOutput* sender) { AudioOut1Progress(sender); };
    AudioOut1.OnDone = [this](TACSOutput* sender) { AudioOut1Done(sender); };
    m_mpris = std::make_unique<OggPlayerMpris>(*this);
}

Toggplayer::~Toggplayer() = default;

void Toggplayer::setIdle(bool idle) {
    ui->button1->setEnabled(idle);
    ui->ListBox1->setEnabled(idle);
    if (idle) {
        m_playingRow = -1;
        m_paused = false;
    }
    mprisChanged();
}

void Toggplayer::mprisChanged() {
    if (m_mpris) m_mpris->refresh();
}

void Toggplayer::button1Click() {
    const QList<QListWidgetItem*> selected = ui->ListBox1->selectedItems();
    if (selected.isEmpty() || !ui->button1->isEnabled()) return;
    const QString path = selected.first()->text();
    try {
        VorbisIn1.SetFileName(QFile::encodeName(path).toStdString());
        ui->Label2->setText(lengthText(VorbisIn1.TotalTime()));
        ui->Label4->setText(QFileInfo(path).fileName());
        AudioOut1.Run();
    } catch (const std::exception& error) {
        showErrorReport(QString::fromUtf8(error.what()));
        return;
    }
    // Busy from here on: a second "Play" before the first progress report would only meet
    // a busy sink.
    m_playingRow = ui->ListBox1->row(selected.first());
    m_paused = false;
    setIdle(false);
}

void Toggplayer::stopPlayback() {
    AudioOut1.Stop();
    // A paused worker would see the request only after "Resume"; a user who stops expects
    // the playback to end now.
    if (AudioOut1.Busy() && AudioOut1.workerSuspended()) AudioOut1.Resume();
    m_paused = false;
    mprisChanged();
}

void Toggplayer::button2Click() {
    stopPlayback();
}

void Toggplayer::pauseClick() {
    AudioOut1.Pause();
    m_paused = m_playingRow >= 0;
    mprisChanged();
}

void Toggplayer::resumeClick() {
    AudioOut1.Resume();
    m_paused = false;
    mprisChanged();
}

void Toggplayer::button4Click() {
    VorbisIn1.Jump(-10);
}

void Toggplayer::button5Click() {
    VorbisIn1.Jump(10);
}

void Toggplayer::addClick() {
    const QString path = openFileDialog(this, kOggFilter);
    if (!path.isEmpty()) ui->ListBox1->addItem(path);
}

QStringList Toggplayer::oggFilesOf(const QMimeData* data) {
    QStringList files;
    for (const QString& path : droppedLocalPaths(data)) {
        const QFileInfo info(path);
        if (info.isDir())
            files << filesFitting(path, kOggFilter);
        else if (info.isFile() && fitsFilter(path, kOggFilter))
            files << path;
        else
            return {};  // one thing the list cannot take refuses the whole drop
    }
    return files;
}

void Toggplayer::dragEnterEvent(QDragEnterEvent* event) {
    if (!oggFilesOf(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void Toggplayer::dropEvent(QDropEvent* event) {
    const QStringList files = oggFilesOf(event->mimeData());
    if (files.isEmpty()) return;
    ui->ListBox1->addItems(files);
    event->acceptProposedAction();
}

void Toggplayer::removeClick() {
    // The entry being played cannot go while the list is locked.
    if (!ui->ListBox1->isEnabled()) return;
    const QList<QListWidgetItem*> selected = ui->ListBox1->selectedItems();
    if (!selected.isEmpty()) delete selected.first();
}

void Toggplayer::removeAllClick() {
    if (ui->ListBox1->isEnabled()) ui->ListBox1->clear();
}

void Toggplayer::checkbox1Click() {
    VorbisIn1.SetLoop(ui->checkbox1->isChecked());
}

void Toggplayer::Button3Click() {
    stopPlayback();
    close();
}

void Toggplayer::AudioOut1Progress(TACSOutput* sender) {
    showRunProgress(
        this, ui->progressbar1, [this](bool idle) { setIdle(idle); }, sender);
}

void Toggplayer::AudioOut1Done(TACSOutput* sender) {
    showRunDone(
        this, [this](bool idle) { setIdle(idle); }, sender);
}
