#include "OggPlayerMpris.h"

#include <QFile>
#include <QFileInfo>
#include <exception>

#include "ACS_Vorbis.h"
#include "MprisPlayers.h"
#include "oggplayerUnit.h"
#include "ui_oggplayerUnit.h"

namespace {

// The value of the first comment line NAME=value with that name; names are compared without
// regard to case, as the comment format has them.
QString commentValue(const std::vector<std::string>& comments, const QString& name) {
    for (const std::string& line : comments) {
        const QString text = QString::fromUtf8(line);
        const qsizetype equals = text.indexOf(QLatin1Char('='));
        if (equals > 0 && text.left(equals).compare(name, Qt::CaseInsensitive) == 0)
            return text.mid(equals + 1).trimmed();
    }
    return {};
}

}  // namespace

OggPlayerMpris::OggPlayerMpris(Toggplayer& window)
    : m_window(window), m_membership(std::make_unique<MprisMembership>(*this)) {}

OggPlayerMpris::~OggPlayerMpris() = default;

void OggPlayerMpris::refresh() {
    m_membership->refresh();
}

void OggPlayerMpris::playPause() {
    if (status() == MprisStatus::playing)
        pause();
    else
        play();
}

void OggPlayerMpris::play() {
    switch (status()) {
        case MprisStatus::paused:
            m_window.resumeClick();
            break;
        case MprisStatus::stopped: {
            // What "Play" would start; with nothing picked, the list from its top.
            QListWidget* list = m_window.ui->ListBox1;
            if (list->selectedItems().isEmpty() && list->count() > 0)
                list->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
            m_window.button1Click();
            break;
        }
        case MprisStatus::playing:
            break;
    }
}

void OggPlayerMpris::pause() {
    if (status() == MprisStatus::playing) m_window.pauseClick();
}

void OggPlayerMpris::stop() {
    if (status() != MprisStatus::stopped) m_window.stopPlayback();
}

MprisStatus OggPlayerMpris::status() {
    if (m_window.m_playingRow < 0) return MprisStatus::stopped;
    return m_window.m_paused ? MprisStatus::paused : MprisStatus::playing;
}

std::optional<MprisTrack> OggPlayerMpris::track() {
    const QListWidget* list = m_window.ui->ListBox1;
    int row = m_window.m_playingRow;
    if (row < 0) {
        const QList<QListWidgetItem*> selected = list->selectedItems();
        row = selected.isEmpty() ? 0 : list->row(selected.first());
    }
    if (row >= list->count()) return std::nullopt;
    MprisTrack track = describe(list->item(row)->text());
    track.row = row;
    return track;
}

void OggPlayerMpris::raise() {
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
}

const MprisTrack& OggPlayerMpris::describe(const QString& path) {
    if (path == m_describedPath) return m_described;
    m_describedPath = path;
    m_described = {};
    m_described.title = QFileInfo(path).completeBaseName();
    TVorbisIn probe;
    probe.SetFileName(QFile::encodeName(path).toStdString());
    try {
        m_described.lengthMicroseconds = qint64(probe.TotalTime()) * 1000000;
    } catch (const std::exception&) {
        return m_described;  // unreadable: the name is all there is to say
    }
    const QString title = commentValue(probe.Comments(), QStringLiteral("TITLE"));
    if (!title.isEmpty()) m_described.title = title;
    m_described.artist = commentValue(probe.Comments(), QStringLiteral("ARTIST"));
    m_described.album = commentValue(probe.Comments(), QStringLiteral("ALBUM"));
    return m_described;
}
