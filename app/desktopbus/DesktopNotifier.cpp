#include "DesktopNotifier.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>

#include "Shell.h"

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// A service that takes long to answer must not keep a finished notification's folder around
// for ever, nor keep anything waiting: the call is asynchronous and gives up after this.
constexpr int kCallTimeoutMs = 10000;

}  // namespace

DesktopNotifier& DesktopNotifier::instance() {
    static QPointer<DesktopNotifier> notifier;
    if (!notifier) notifier = new DesktopNotifier(QCoreApplication::instance());
    return *notifier;
}

DesktopNotifier::DesktopNotifier(QObject* parent) : QObject(parent) {}

void DesktopNotifier::notify(const QString& summary, const QString& body, const QString& folder) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    if (!m_listening) {
        // Connecting only adds a match rule; the daemon's answer is not waited for.
        bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                    SLOT(actionInvoked(uint, QString)));
        bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                    SLOT(notificationClosed(uint, uint)));
        m_listening = true;
    }
    QStringList actions;
    if (!folder.isEmpty())
        actions << QString::fromLatin1(kOpenFolderAction) << QStringLiteral("Open folder");
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("org.quillon.Quillon"));
    hints.insert(QStringLiteral("category"), QStringLiteral("transfer.complete"));
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    call << QStringLiteral("Quillon") << uint(0) << QStringLiteral("org.quillon.Quillon") << summary
         << body << actions << hints << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, folder](QDBusPendingCallWatcher* finished) {
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isValid() && !folder.isEmpty()) m_folders.insert(reply.value(), folder);
                finished->deleteLater();
            });
}

void DesktopNotifier::actionInvoked(uint id, const QString& action) {
    const auto found = m_folders.constFind(id);
    if (found == m_folders.constEnd() || action != QLatin1String(kOpenFolderAction)) return;
    shellOpen(*found);
}

void DesktopNotifier::notificationClosed(uint id, uint /*reason*/) {
    m_folders.remove(id);
}
