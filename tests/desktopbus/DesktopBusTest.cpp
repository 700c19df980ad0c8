// The program on the desktop's session bus: the main window's CD player answering a media
// player client, and a rip that ends unseen announced to a notification service that the
// test stands up itself. Another connection of the test plays the desktop's part, so every
// call crosses the bus daemon.
#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QLabel>
#include <QListWidget>
#include <QObject>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <filesystem>

#include "ACS_Vorbis.h"
#include "BoxCatcher.h"
#include "DesktopNotifier.h"
#include "DiscImages.h"
#include "DriveList.h"
#include "FakeSource.h"
#include "MainUnit.h"
#include "MemoryWaveDevices.h"
#include "MprisService.h"
#include "RipPropressForm.h"
#include "Shell.h"
#include "Synth.h"
#include "TestFiles.h"
#include "WaitFor.h"
#include "oggplayerUnit.h"

namespace {

using quillon::cdplayer::CdMode;

const QString kMpris = QStringLiteral("org.mpris.MediaPlayer2.quillon");
const QString kMprisPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");
const QString kNotificationsPath = QStringLiteral("/org/freedesktop/Notifications");

// Sends a call without blocking the event loop the program's side needs to answer it.
QDBusMessage callOver(QDBusConnection& bus, const QString& service, const QString& path,
                      const QString& interface, const QString& method,
                      const QVariantList& arguments = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(arguments);
    QDBusPendingCall pending = bus.asyncCall(call);
    if (!waitFor([&] { return pending.isFinished(); })) return {};
    return pending.reply();
}

QVariant unwrap(const QVariant& value) {
    return value.canConvert<QDBusVariant>() ? value.value<QDBusVariant>().variant() : value;
}

QVariantMap asMap(const QVariant& value) {
    const QVariant inner = unwrap(value);
    if (inner.canConvert<QDBusArgument>()) return qdbus_cast<QVariantMap>(inner);
    return inner.toMap();
}

// Writes the files the windows read: a disc of three one-second tracks, and settings that rip
// into "out" without opening it.
class BusFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_dir.path());
        quillon::cdrom::setDiscFolder({});
        auto service = std::make_unique<MemoryWaveService>(
            std::vector<MemoryWaveService::Device>{{"Speakers"}},
            std::vector<MemoryWaveService::Device>{});
        sound = service.get();
        sound->holdOutput(true);  // playing stays on its track until the test lets it go
        installWaveService(std::move(service));
        std::filesystem::create_directory("discs");
        writeCueImage(m_dir.path() / "discs", "demo", {75, 150, 75});
        const std::string settings =
            "[Folder]\nwav folder=out\nmp3 folder=out\nOgg folder=out\nopen=False\n"
            "[AccurateRip]\nserver=127.0.0.1:1\n";  // never the real database
        writeBytes("settings.ini", {settings.begin(), settings.end()});
        std::filesystem::create_directory("out");
        main = std::make_unique<TMainForm>();
        rip = std::make_unique<TRipPropressForm>(*main);
        main->registerWindow(WindowKey::ripPropressForm, rip.get());
        main->show();
        main->Timer1Timer();
    }
    void TearDown() override {
        sound->holdOutput(false);
        setShellOpener({});
        rip.reset();
        main.reset();
        installWaveService(std::make_unique<MemoryWaveService>(
            std::vector<MemoryWaveService::Device>{}, std::vector<MemoryWaveService::Device>{}));
        std::filesystem::current_path(m_previous);
    }

    // Rips the checked rows to WAV files and clicks Close once the job is over.
    void ripToWav(bool programActive) {
        rip->programActive = [programActive] { return programActive; };
        QTest::mouseClick(main->findChild<QRadioButton*>("wavcheck"), Qt::LeftButton);
        auto* poll = new QTimer(rip.get());
        QObject::connect(poll, &QTimer::timeout, [this, poll] {
            auto* button = rip->findChild<QPushButton*>("spSkinButtonStop");
            if (rip->windowTitle() != "Finished!" || button->text() != "Close") return;
            QTest::mouseClick(button, Qt::LeftButton);
            poll->stop();
        });
        poll->start(0);
        main->ripCommand();
        delete poll;
    }

    TempDir m_dir;
    std::filesystem::path m_previous;
    MemoryWaveService* sound = nullptr;
    std::unique_ptr<TMainForm> main;
    std::unique_ptr<TRipPropressForm> rip;
};

// ---- The media player interface --------------------------------------------------------------

// What a desktop's player controls hear from the program.
class PropertiesWatch : public QObject {
    Q_OBJECT

  public:
    QList<QVariantMap> changes;

  public Q_SLOTS:
    void changed(const QString& interface, const QVariantMap& properties, const QStringList&) {
        if (interface == kPlayer) changes.append(properties);
    }
};

class MprisOnTheBus : public BusFixture {
  protected:
    void SetUp() override {
        BusFixture::SetUp();
        client = QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                               QStringLiteral("media-controls"));
        ASSERT_TRUE(client.isConnected());
        client.connect(kMpris, kMprisPath, kProperties, QStringLiteral("PropertiesChanged"), &watch,
                       SLOT(changed(QString, QVariantMap, QStringList)));
    }
    void TearDown() override {
        client.disconnect(kMpris, kMprisPath, kProperties, QStringLiteral("PropertiesChanged"),
                          &watch, SLOT(changed(QString, QVariantMap, QStringList)));
        QDBusConnection::disconnectFromBus(QStringLiteral("media-controls"));
        BusFixture::TearDown();
    }
    QDBusMessage command(const QString& method) {
        return callOver(client, kMpris, kMprisPath, kPlayer, method);
    }
    QVariant property(const QString& interface, const QString& name) {
        const QDBusMessage reply = callOver(client, kMpris, kMprisPath, kProperties,
                                            QStringLiteral("Get"), {interface, name});
        return reply.arguments().isEmpty() ? QVariant() : unwrap(reply.arguments().first());
    }
    QString status() { return property(kPlayer, QStringLiteral("PlaybackStatus")).toString(); }
    QVariantMap metadata() { return asMap(property(kPlayer, QStringLiteral("Metadata"))); }
    // Whether the program told the controls that the title became `title`.
    bool heardTitle(const QString& title) {
        for (const QVariantMap& change : watch.changes)
            if (change.contains("Metadata") &&
                asMap(change.value("Metadata")).value("xesam:title").toString() == title)
                return true;
        return false;
    }
    bool heardStatus(const QString& status) {
        for (const QVariantMap& change : watch.changes)
            if (unwrap(change.value("PlaybackStatus")).toString() == status) return true;
        return false;
    }

    QDBusConnection client{QString()};
    PropertiesWatch watch;
};

TEST_F(MprisOnTheBus, TheWindowIsPublishedAsAPlayer) {
    ASSERT_TRUE(client.interface()->isServiceRegistered(kMpris).value());
    const QString root = QStringLiteral("org.mpris.MediaPlayer2");
    EXPECT_EQ(property(root, "Identity").toString(), "Quillon");
    EXPECT_EQ(property(root, "DesktopEntry").toString(), "org.quillon.Quillon");
    EXPECT_FALSE(property(root, "CanQuit").toBool());
    EXPECT_TRUE(property(kPlayer, "CanControl").toBool());
    EXPECT_EQ(status(), "Stopped");
    // Stopped on the first row: that is what Play would start.
    const QVariantMap data = metadata();
    EXPECT_EQ(data.value("xesam:title").toString(), "Track-01");
    EXPECT_EQ(data.value("mpris:length").toLongLong(), 1000000);
    EXPECT_EQ(data.value("mpris:trackid").value<QDBusObjectPath>().path(), "/org/quillon/track/1");
    EXPECT_FALSE(data.contains("xesam:artist")) << "no lookup named the disc";
}

TEST_F(MprisOnTheBus, CommandsDriveThePlayerAndChangesAreAnnounced) {
    QTreeWidget* rows = main->findChild<QTreeWidget*>("ListView1");
    rows->clearSelection();
    rows->topLevelItem(0)->setSelected(true);

    ASSERT_EQ(command("PlayPause").type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(waitFor([&] { return main->mediaPlayer().mode() == CdMode::playing; }));
    EXPECT_EQ(status(), "Playing");
    ASSERT_TRUE(waitFor([&] { return heardStatus("Playing"); }));

    command("Next");
    ASSERT_TRUE(waitFor([&] { return main->mediaPlayer().position().track == 2; }));
    EXPECT_TRUE(rows->topLevelItem(1)->isSelected());
    QVariantMap data = metadata();
    EXPECT_EQ(data.value("xesam:title").toString(), "Track-02");
    EXPECT_EQ(data.value("mpris:length").toLongLong(), 2000000);
    EXPECT_EQ(data.value("mpris:trackid").value<QDBusObjectPath>().path(), "/org/quillon/track/2");
    ASSERT_TRUE(waitFor([&] { return heardTitle("Track-02"); }));

    command("Pause");
    EXPECT_EQ(main->mediaPlayer().mode(), CdMode::paused);
    EXPECT_EQ(status(), "Paused");
    command("Pause");  // already paused: stays so, where PlayPause would resume
    EXPECT_EQ(status(), "Paused");
    command("Play");
    EXPECT_EQ(main->mediaPlayer().mode(), CdMode::playing);
    command("PlayPause");
    EXPECT_EQ(status(), "Paused");

    // A lookup named the disc: the controls get artist and album with the next look.
    main->setDiscNames("The Band", "The Record");
    command("Previous");
    ASSERT_TRUE(waitFor([&] { return main->mediaPlayer().position().track == 1; }));
    data = metadata();
    EXPECT_EQ(data.value("xesam:title").toString(), "Track-01");
    EXPECT_EQ(data.value("xesam:artist").toStringList(), QStringList{"The Band"});
    EXPECT_EQ(data.value("xesam:album").toString(), "The Record");

    command("Stop");
    sound->holdOutput(false);
    ASSERT_TRUE(waitFor([&] { return status() == "Stopped"; }));
    ASSERT_TRUE(waitFor([&] { return heardStatus("Stopped"); }));
}

TEST_F(MprisOnTheBus, AClosedWindowGivesTheNameBack) {
    struct Idle : MprisPlayer {
        void playPause() override {}
        void play() override {}
        void pause() override {}
        void stop() override {}
        void next() override {}
        void previous() override {}
        MprisStatus status() override { return MprisStatus::stopped; }
        std::optional<MprisTrack> track() override { return std::nullopt; }
        void raise() override {}
    } idle;
    // The window's player leaves the bus with the window, so the name and the object path are
    // free for the next player; one without tracks says so.
    rip.reset();
    main.reset();
    MprisService first(idle, kMpris);
    ASSERT_TRUE(first.published());
    EXPECT_EQ(first.busName(), kMpris);
    EXPECT_EQ(first.metadata().value("mpris:trackid").value<QDBusObjectPath>().path(),
              "/org/mpris/MediaPlayer2/TrackList/NoTrack");
}

// ---- The Ogg player beside the CD player ------------------------------------------------------

// Encodes `seconds` of mono music into an Ogg Vorbis file with the given comment lines.
void writeOgg(const std::string& path, double seconds, const std::vector<std::string>& comments) {
    constexpr int kRate = 8000;
    FakeSource source(pcm16Bytes(synthesizeMusic(seconds, kRate, 1)), 1, 16, kRate);
    TVorbisOut sink;
    DoneWaiter done(sink);
    sink.SetInput(&source);
    sink.SetFileName(path);
    sink.SetComments(comments);
    sink.Run();
    ASSERT_TRUE(done.wait(1, 60));
    ASSERT_EQ(sink.lastError(), "");
}

class OggPlayerOnTheBus : public MprisOnTheBus {
  protected:
    void SetUp() override {
        MprisOnTheBus::SetUp();
        writeOgg("morning.ogg", 2.0, {"TITLE=Morning", "ARTIST=The Band", "album=Early"});
        writeOgg("plain tune.ogg", 1.0, {"GENRE=Folk"});
        player = std::make_unique<Toggplayer>();
        player->show();
        entries = player->findChild<QListWidget*>("ListBox1");
        entries->addItems({"morning.ogg", "plain tune.ogg"});
    }
    void TearDown() override {
        // A playback held by the device would never see the stop.
        sound->holdOutput(false);
        if (!playButton()->isEnabled()) {
            QTest::mouseClick(player->findChild<QToolButton*>("button2"), Qt::LeftButton);
            waitFor([&] { return playButton()->isEnabled(); });
        }
        player.reset();
        MprisOnTheBus::TearDown();
    }
    QToolButton* playButton() { return player->findChild<QToolButton*>("button1"); }
    bool playerIdle() { return playButton()->isEnabled(); }
    QString title() { return metadata().value("xesam:title").toString(); }
    bool heardCanGoNext(bool value) {
        for (const QVariantMap& change : watch.changes)
            if (change.contains("CanGoNext") && unwrap(change.value("CanGoNext")).toBool() == value)
                return true;
        return false;
    }

    std::unique_ptr<Toggplayer> player;
    QListWidget* entries = nullptr;
};

TEST_F(OggPlayerOnTheBus, AloneItAnswersWithWhatTheFilesSay) {
    // Without the main window the Ogg player is the program's only player.
    rip.reset();
    main.reset();
    ASSERT_TRUE(waitFor([&] { return client.interface()->isServiceRegistered(kMpris).value(); }));
    EXPECT_FALSE(property(kPlayer, "CanGoNext").toBool()) << "it plays one entry and stops";
    EXPECT_FALSE(property(kPlayer, "CanGoPrevious").toBool());
    EXPECT_EQ(status(), "Stopped");
    // Nothing picked: the entry Play would start, the top one, named by its comments.
    QVariantMap data = metadata();
    EXPECT_EQ(data.value("xesam:title").toString(), "Morning");
    EXPECT_EQ(data.value("xesam:artist").toStringList(), QStringList{"The Band"});
    EXPECT_EQ(data.value("xesam:album").toString(), "Early") << "comment names ignore case";
    EXPECT_EQ(data.value("mpris:length").toLongLong(), 2000000);
    EXPECT_EQ(data.value("mpris:trackid").value<QDBusObjectPath>().path(), "/org/quillon/track/1");

    entries->setCurrentRow(1);
    data = metadata();
    EXPECT_EQ(data.value("xesam:title").toString(), "plain tune") << "no title: the file's name";
    EXPECT_FALSE(data.contains("xesam:artist"));
    EXPECT_EQ(data.value("mpris:length").toLongLong(), 1000000);

    command("Play");
    ASSERT_TRUE(waitFor([&] { return status() == "Playing"; }));
    EXPECT_FALSE(playerIdle());
    EXPECT_EQ(metadata().value("mpris:trackid").value<QDBusObjectPath>().path(),
              "/org/quillon/track/2");
    command("Play");  // already playing: nothing starts again
    EXPECT_EQ(status(), "Playing");
    command("Pause");
    EXPECT_EQ(status(), "Paused");
    command("Pause");
    EXPECT_EQ(status(), "Paused") << "Pause does not resume";
    command("PlayPause");
    EXPECT_EQ(status(), "Playing");
    command("Next");  // accepted, and nothing changes
    EXPECT_EQ(title(), "plain tune");
    command("PlayPause");
    EXPECT_EQ(status(), "Paused");
    // A paused playback ends on Stop (once the device takes what the player gave it).
    sound->holdOutput(false);
    command("Stop");
    ASSERT_TRUE(waitFor([&] { return playerIdle(); }));
    EXPECT_EQ(status(), "Stopped");

    // With nothing picked, Play starts the list from the top, as the media key is expected to.
    entries->clearSelection();
    command("PlayPause");
    EXPECT_EQ(entries->currentRow(), 0);
    EXPECT_EQ(player->findChild<QLabel*>("Label4")->text(), "morning.ogg");
    ASSERT_TRUE(waitFor([&] { return playerIdle(); }));
    EXPECT_EQ(status(), "Stopped");
}

TEST_F(OggPlayerOnTheBus, ThePlayerThatStartedLastAnswers) {
    // The CD player joined first: it answers until the other plays.
    EXPECT_EQ(title(), "Track-01");
    EXPECT_TRUE(property(kPlayer, "CanGoNext").toBool());

    entries->setCurrentRow(0);
    QTest::mouseClick(playButton(), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return title() == "Morning"; }));
    EXPECT_EQ(status(), "Playing");
    EXPECT_FALSE(property(kPlayer, "CanGoNext").toBool());
    ASSERT_TRUE(waitFor([&] { return heardTitle("Morning") && heardCanGoNext(false); }));
    // Ended, it still answers: it is what the user played last.
    sound->holdOutput(false);
    ASSERT_TRUE(waitFor([&] { return playerIdle(); }));
    EXPECT_EQ(status(), "Stopped");
    EXPECT_EQ(title(), "Morning");

    // The CD starts from its own window; the next look of its timer hands the bus over.
    sound->holdOutput(true);
    QTreeWidget* rows = main->findChild<QTreeWidget*>("ListView1");
    rows->clearSelection();
    rows->topLevelItem(0)->setSelected(true);
    main->playTrack();
    ASSERT_TRUE(waitFor([&] { return title() == "Track-01" && status() == "Playing"; }));
    ASSERT_TRUE(waitFor([&] { return heardCanGoNext(true); }));
    command("Pause");
    EXPECT_EQ(main->mediaPlayer().mode(), CdMode::paused) << "the command went to the CD";
    EXPECT_TRUE(playerIdle());

    // The Ogg player plays again and answers, then closes: the CD player takes over and the
    // name stays on the bus.
    QTest::mouseClick(playButton(), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return title() == "Morning"; }));
    sound->holdOutput(false);
    ASSERT_TRUE(waitFor([&] { return playerIdle(); }));
    player.reset();
    EXPECT_TRUE(client.interface()->isServiceRegistered(kMpris).value());
    EXPECT_TRUE(title().startsWith("Track-")) << title().toStdString();
    EXPECT_EQ(status(), "Paused");
    player = std::make_unique<Toggplayer>();  // for the fixture's tidying up
}

// ---- Notifications ----------------------------------------------------------------------------

// A notification service as the desktop runs one: it records what it was asked to show and
// can press a notification's button.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

  public:
    struct Shown {
        QString app, summary, body;
        QStringList actions;
        QVariantMap hints;
    };
    explicit FakeNotifications(QDBusConnection bus) : m_bus(bus) {}

    std::vector<Shown> shown;

    void press(uint id, const QString& action) {
        QDBusMessage signal = QDBusMessage::createSignal(kNotificationsPath, kNotifications,
                                                         QStringLiteral("ActionInvoked"));
        signal << id << action;
        m_bus.send(signal);
    }
    void close(uint id) {
        QDBusMessage signal = QDBusMessage::createSignal(kNotificationsPath, kNotifications,
                                                         QStringLiteral("NotificationClosed"));
        signal << id << uint(2);  // dismissed by the user
        m_bus.send(signal);
    }

  public Q_SLOTS:
    uint Notify(const QString& app, uint, const QString&, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int) {
        shown.push_back({app, summary, body, actions, hints});
        return uint(41 + shown.size());
    }
    QStringList GetCapabilities() { return {QStringLiteral("actions"), QStringLiteral("body")}; }

  private:
    QDBusConnection m_bus;
};

class NotificationsOnTheBus : public BusFixture {
  protected:
    void SetUp() override {
        BusFixture::SetUp();
        desktop = QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                                QStringLiteral("notification-service"));
        service = std::make_unique<FakeNotifications>(desktop);
        ASSERT_TRUE(desktop.registerObject(kNotificationsPath, service.get(),
                                           QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(desktop.registerService(kNotifications));
        setShellOpener([this](const QUrl& url) {
            opened.append(url);
            return true;
        });
    }
    void TearDown() override {
        desktop.unregisterService(kNotifications);
        desktop.unregisterObject(kNotificationsPath);
        service.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("notification-service"));
        BusFixture::TearDown();
    }

    QDBusConnection desktop{QString()};
    std::unique_ptr<FakeNotifications> service;
    QList<QUrl> opened;
};

TEST_F(NotificationsOnTheBus, ARipThatEndsUnseenIsAnnouncedAndItsButtonOpensTheFolder) {
    // Watched to the end: the user saw it, so the desktop is not bothered. The next rip's
    // message travels the same way behind it, so it would have arrived first.
    ripToWav(true);
    ripToWav(false);
    ASSERT_TRUE(waitFor([&] { return !service->shown.empty(); }));
    ASSERT_EQ(service->shown.size(), 1u);
    const FakeNotifications::Shown& shown = service->shown.front();
    EXPECT_EQ(shown.app, "Quillon");
    EXPECT_EQ(shown.summary, "Rip finished");
    EXPECT_TRUE(shown.body.startsWith("3 tracks ripped to WAV in ")) << shown.body.toStdString();
    EXPECT_EQ(shown.actions, (QStringList{"open-folder", "Open folder"}));
    EXPECT_EQ(shown.hints.value("desktop-entry").toString(), "org.quillon.Quillon");
    EXPECT_TRUE(opened.isEmpty()) << "open=False: the rip itself opened nothing";

    // Another program's notification, then a button the notification does not have: neither
    // opens anything. The real press comes behind them on the same connection.
    service->press(7, "open-folder");
    service->press(42, "default");
    service->press(42, "open-folder");
    ASSERT_TRUE(waitFor([&] { return !opened.isEmpty(); }));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened.front().toLocalFile().endsWith("out"))
        << opened.front().toString().toStdString();
}

TEST_F(NotificationsOnTheBus, AClosedNotificationsButtonOpensNothingAndNoFolderMeansNoButton) {
    DesktopNotifier& notifier = DesktopNotifier::instance();
    notifier.notify("Rip finished", "first", "first-out");
    notifier.notify("Rip finished", "second", "second-out");
    notifier.notify("Rip finished", "third", QString());
    ASSERT_TRUE(waitFor([&] { return service->shown.size() == 3; }));
    EXPECT_TRUE(service->shown[2].actions.isEmpty());
    // The service numbered them 42, 43 and 44. A stale press of a closed one comes first on
    // the same connection as the live press, so it would have been seen first.
    service->close(42);
    service->press(42, "open-folder");
    service->press(44, "open-folder");
    service->press(43, "open-folder");
    ASSERT_TRUE(waitFor([&] { return !opened.isEmpty(); }));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened.front().toLocalFile().endsWith("second-out"))
        << opened.front().toString().toStdString();
}

// ---- Without a session bus ------------------------------------------------------------------

using WithoutASessionBus = BusFixture;

TEST_F(WithoutASessionBus, RipsPlaysAndAnnouncesNothingWithoutComplaint) {
    ASSERT_FALSE(QDBusConnection::sessionBus().isConnected());
    BoxCatcher boxes;
    setShellOpener([](const QUrl&) {
        ADD_FAILURE() << "nothing may be opened";
        return true;
    });
    ripToWav(false);
    EXPECT_FALSE(rip->isVisible());
    EXPECT_TRUE(std::filesystem::exists("out/Track-03.wav"));
    DesktopNotifier::instance().notify("Rip finished", "3 tracks", "out");
    main->playTrack();
    ASSERT_TRUE(waitFor([&] { return main->mediaPlayer().mode() == CdMode::playing; }));
    main->Timer1Timer();  // the player interface looks at the player on each tick
    main->stopPlaying();
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.texts().join('\n').toStdString();
}

}  // namespace

#include "DesktopBusTest.moc"
