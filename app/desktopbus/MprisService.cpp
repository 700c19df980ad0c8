#include "MprisService.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QStringList>

#include "MprisAdaptors.h"

namespace {

const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

QString statusText(MprisStatus status) {
    switch (status) {
        case MprisStatus::playing:
            return QStringLiteral("Playing");
        case MprisStatus::paused:
            return QStringLiteral("Paused");
        case MprisStatus::stopped:
            break;
    }
    return QStringLiteral("Stopped");
}

}  // namespace

MprisService::MprisService(MprisPlayer& player, const QString& busName, QObject* parent)
    : QObject(parent), m_player(player) {
    new MprisRootAdaptor(*this);
    new MprisPlayerAdaptor(*this);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.registerObject(kObjectPath, this)) return;
    // A second copy of the program takes a name of its own, as the desktop expects of players
    // that run more than once.
    const QString names[] = {busName, busName + QStringLiteral(".instance") +
                                          QString::number(QCoreApplication::applicationPid())};
    for (const QString& name : names) {
        if (bus.registerService(name)) {
            m_busName = name;
            break;
        }
    }
    if (m_busName.isEmpty()) bus.unregisterObject(kObjectPath);
}

MprisService::~MprisService() {
    if (!published()) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(m_busName);
    bus.unregisterObject(kObjectPath);
}

QString MprisService::playbackStatus() {
    return statusText(m_player.status());
}

QVariantMap MprisService::metadata() {
    QVariantMap data;
    const std::optional<MprisTrack> track = m_player.track();
    if (!track) {
        data.insert(QStringLiteral("mpris:trackid"),
                    QVariant::fromValue(QDBusObjectPath(
                        QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"))));
        return data;
    }
    data.insert(QStringLiteral("mpris:trackid"),
                QVariant::fromValue(
                    QDBusObjectPath(QStringLiteral("/org/quillon/track/%1").arg(track->row + 1))));
    data.insert(QStringLiteral("mpris:length"), qlonglong(track->lengthMicroseconds));
    data.insert(QStringLiteral("xesam:title"), track->title);
    data.insert(QStringLiteral("xesam:trackNumber"), track->row + 1);
    if (!track->artist.isEmpty())
        data.insert(QStringLiteral("xesam:artist"), QStringList{track->artist});
    if (!track->album.isEmpty()) data.insert(QStringLiteral("xesam:album"), track->album);
    return data;
}

void MprisService::refresh() {
    if (!published()) return;
    QVariantMap changed;
    const QString status = playbackStatus();
    if (status != m_lastStatus) {
        m_lastStatus = status;
        changed.insert(QStringLiteral("PlaybackStatus"), status);
    }
    const bool canStep = m_player.canStep();
    if (canStep != m_lastCanStep) {
        m_lastCanStep = canStep;
        changed.insert(QStringLiteral("CanGoNext"), canStep);
        changed.insert(QStringLiteral("CanGoPrevious"), canStep);
    }
    const QVariantMap data = metadata();
    if (data != m_lastMetadata) {
        m_lastMetadata = data;
        changed.insert(QStringLiteral("Metadata"), data);
    }
    if (changed.isEmpty()) return;
    QDBusMessage signal =
        QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}
