// The user's manual: where the program finds it in the build tree and in an installation, that
// its pages hold together there, and what Help, Contents says when it cannot show them.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "BoxCatcher.h"
#include "DriveList.h"
#include "HelpManual.h"
#include "MainUnit.h"
#include "RunCommand.h"
#include "Shell.h"
#include "TestFiles.h"

namespace {

QString text(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

// Every picture and link of the pages in folder that points inside the manual and leads nowhere
// (a missing file, or an anchor the page does not define), one per line.
std::string brokenLinks(const QString& folder) {
    static const QRegularExpression reference(QStringLiteral(R"((?:src|href)="([^"]*)\")"));
    QStringList broken;
    QDirIterator pages(folder, {QStringLiteral("*.html")}, QDir::Files,
                       QDirIterator::Subdirectories);
    int count = 0;
    while (pages.hasNext()) {
        const QString page = pages.next();
        ++count;
        const QString body = text(page);
        for (const auto& match : reference.globalMatch(body)) {
            const QString target = match.captured(1);
            if (target.contains(QLatin1Char(':'))) continue;  // http:, mailto: and the like
            const QString file = target.section(QLatin1Char('#'), 0, 0);
            const QString anchor = target.section(QLatin1Char('#'), 1);
            const QString path = file.isEmpty() ? page : QFileInfo(page).dir().filePath(file);
            if (!QFileInfo(path).isFile())
                broken << page + " -> " + target;
            else if (!anchor.isEmpty() &&
                     !text(path).contains(QStringLiteral("id=\"%1\"").arg(anchor)))
                broken << page + " -> " + target + " (no such anchor)";
        }
    }
    if (count == 0) broken << folder + " holds no pages";
    return broken.join(QLatin1Char('\n')).toStdString();
}

// Records what the desktop is asked to open, answering as told.
class Desktop {
  public:
    explicit Desktop(bool willing) {
        setShellOpener([this, willing](const QUrl& url) {
            opened << url.toLocalFile();
            return willing;
        });
    }
    ~Desktop() { setShellOpener({}); }
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;
    QStringList opened;
};

// An installation's layout in a temporary folder: the program's folder and the manual's.
struct Installation {
    TempDir root;
    QString bin = QString::fromStdString((root.path() / QUILLON_INSTALL_BINDIR).string());
    Installation() { QDir().mkpath(bin); }
    QString manual() const { return expectedManual(bin); }
    void writeManual() const {
        QDir().mkpath(QFileInfo(manual()).path());
        writeBytes(manual().toStdString(), {'<', 'p', '>'});
    }
};

// Over ssh or in a package's scripts there is no display; Qt would abort before the program
// could answer.
TEST(HelpManualTest, VersionAndHelpNeedNoDisplay) {
    const std::string program = shellQuote(std::string(QUILLON_PROGRAM_DIR) + "/quillon");
    const std::string noDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";
    CommandResult result = runCommand(noDisplay + program + " --version 2>&1");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(result.output.rfind("Quillon ", 0), 0u) << result.output;
    EXPECT_NE(result.output.find("settings file: "), std::string::npos) << result.output;
    result = runCommand(noDisplay + program + " --help 2>&1");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("Usage: quillon"), std::string::npos) << result.output;
}

TEST(HelpManualTest, TheBuildTreeKeepsACurrentCopyWhereTheProgramFindsIt) {
    const QString found = findManual(QStringLiteral(QUILLON_PROGRAM_DIR));
    EXPECT_EQ(
        found.toStdString(),
        QDir::cleanPath(QStringLiteral(QUILLON_MANUAL_BUILD_DIR "/index.html")).toStdString());
    EXPECT_TRUE(text(found) == text(QStringLiteral(QUILLON_MANUAL_SOURCE "/index.html")));
    EXPECT_EQ(brokenLinks(QStringLiteral(QUILLON_MANUAL_BUILD_DIR)), "");
}

TEST(HelpManualTest, InstallingPutsTheManualWhereTheInstalledProgramLooks) {
    Installation installed;
    const CommandResult result =
        runCommand(shellQuote(QUILLON_CMAKE) + " --install " + shellQuote(QUILLON_BUILD_ROOT) +
                   " --component manual --prefix " + shellQuote(installed.root.path().string()));
    ASSERT_EQ(result.status, 0) << result.output;
    const QString found = findManual(installed.bin);
    ASSERT_EQ(found.toStdString(), installed.manual().toStdString());
    EXPECT_TRUE(found.endsWith(QStringLiteral("/share/doc/quillon/manual/index.html")))
        << found.toStdString();
    EXPECT_TRUE(text(found) == text(QStringLiteral(QUILLON_MANUAL_SOURCE "/index.html")));
    EXPECT_EQ(brokenLinks(QFileInfo(found).path()), "");
}

TEST(HelpManualTest, TheDesktopIsAskedToOpenTheFirstPage) {
    Installation installed;
    installed.writeManual();
    Desktop desktop(true);
    BoxCatcher boxes;
    openManual(nullptr, installed.bin);
    EXPECT_EQ(desktop.opened.join('|').toStdString(), installed.manual().toStdString());
    EXPECT_TRUE(boxes.texts().isEmpty());
}

TEST(HelpManualTest, AMissingManualOrAnUnwillingDesktopIsReported) {
    Installation installed;
    {
        Desktop desktop(true);
        BoxCatcher boxes;
        openManual(nullptr, installed.bin);
        EXPECT_TRUE(desktop.opened.isEmpty());
        ASSERT_EQ(boxes.texts().size(), 1);
        EXPECT_TRUE(boxes.texts()[0].startsWith("The user's manual is not installed."));
        EXPECT_TRUE(boxes.texts()[0].endsWith(installed.manual()))
            << boxes.texts()[0].toStdString();
        EXPECT_EQ(boxes.titles()[0], "Quillon");
    }
    installed.writeManual();
    {
        Desktop desktop(false);
        BoxCatcher boxes;
        openManual(nullptr, installed.bin);
        EXPECT_EQ(desktop.opened.join('|').toStdString(), installed.manual().toStdString());
        ASSERT_EQ(boxes.texts().size(), 1);
        EXPECT_TRUE(boxes.texts()[0].startsWith("The desktop could not open the user's manual."));
        EXPECT_TRUE(boxes.texts()[0].endsWith(installed.manual()))
            << boxes.texts()[0].toStdString();
    }
}

// Help, Contents looks beside this test program, where no manual is: the message comes, and
// nothing is asked of the desktop (the old help file in the start directory included).
TEST(HelpManualTest, HelpContentsLooksFromTheProgramsFolder) {
    TempDir start;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(start.path());
    quillon::cdrom::setDiscFolder({});
    {
        TMainForm form;
        Desktop desktop(true);
        BoxCatcher boxes;
        auto* help = form.findChild<QAction*>(QStringLiteral("HelpContents1"));
        ASSERT_NE(help, nullptr);
        help->trigger();
        EXPECT_TRUE(desktop.opened.isEmpty());
        ASSERT_EQ(boxes.texts().size(), 1);
        EXPECT_TRUE(
            boxes.texts()[0].endsWith(expectedManual(QCoreApplication::applicationDirPath())));
    }
    std::filesystem::current_path(previous);
}

}  // namespace
