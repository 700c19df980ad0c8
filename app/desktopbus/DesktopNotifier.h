// Desktop notifications for work that ends while the user looks elsewhere: one message on the
// desktop's notification service, with a button that opens the folder the work wrote to.
// Every call is asynchronous; without a session bus or a notification service nothing is
// shown and nothing waits.
#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class DesktopNotifier : public QObject {
    Q_OBJECT

  public:
    // The process's notifier, made on first use and ended with the application object.
    static DesktopNotifier& instance();

    // Shows summary and body; the "Open folder" button opens folder (none when it is empty).
    void notify(const QString& summary, const QString& body, const QString& folder);

    // The action key of the "Open folder" button.
    static constexpr const char* kOpenFolderAction = "open-folder";

  private:
    explicit DesktopNotifier(QObject* parent);

  private Q_SLOTS:
    void actionInvoked(uint id, const QString& action);
    void notificationClosed(uint id, uint reason);

  private:
    bool m_listening = false;
    // The folder of each notification still on screen, by the id the service gave it.
    QHash<uint, QString> m_folders;
};
