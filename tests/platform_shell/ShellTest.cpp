// The desktop services: dialogs driven as a user drives them, opening documents, attributes.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QUrl>
#include <filesystem>

#include "AnswerFileDialog.h"
#include "Shell.h"
#include "TestFiles.h"

namespace {

TEST(ShellTest, FiltersAreTranslated) {
    EXPECT_EQ(dialogFilter("*.wav|*.wav"), "*.wav (*.wav)");
    EXPECT_EQ(dialogFilter("Sound|*.wav;*.ogg|All|*.*"), "Sound (*.wav *.ogg);;All (*.*)");
    EXPECT_EQ(dialogFilter(""), "");
}

TEST(ShellTest, SaveDialogAddsTheExtensionAndDoesNotAskAboutExistingFiles) {
    TempDir dir;
    const QString folder = QString::fromStdString(dir.path().string());
    answerFileDialog("song");
    EXPECT_EQ(saveFileDialog(nullptr, "*.ogg|*.ogg", "ogg", {}, folder),
              QString::fromStdString(dir.file("song.ogg")));

    writeBytes(dir.file("old.mp3"), {1, 2, 3});
    answerFileDialog("old.mp3");
    EXPECT_EQ(saveFileDialog(nullptr, "*.mp3|*.mp3", "mp3", {}, folder),
              QString::fromStdString(dir.file("old.mp3")));
    EXPECT_EQ(readBytes(dir.file("old.mp3")).size(), 3u) << "choosing does not touch the file";

    answerFileDialog("ignored", false);
    EXPECT_TRUE(saveFileDialog(nullptr, "*.mp3|*.mp3", "mp3").isEmpty());
}

TEST(ShellTest, OpenDialogAndFolderChooserReturnTheChoice) {
    TempDir dir;
    writeBytes(dir.file("in.wav"), {0});
    const QString folder = QString::fromStdString(dir.path().string());
    answerFileDialog("in.wav");
    EXPECT_EQ(openFileDialog(nullptr, "*.wav|*.wav", {}, folder),
              QString::fromStdString(dir.file("in.wav")));

    std::filesystem::create_directory(dir.path() / "out");
    answerFileDialog("out");
    EXPECT_EQ(selectDirectory(nullptr, "Select a directory", folder),
              QString::fromStdString(dir.file("out")));
    answerFileDialog("", false);
    EXPECT_TRUE(selectDirectory(nullptr).isEmpty());
}

TEST(ShellTest, OpeningGoesToTheDesktopWithAnAbsolutePath) {
    QUrl opened;
    setShellOpener([&](const QUrl& url) {
        opened = url;
        return true;
    });
    EXPECT_TRUE(shellOpen("relative/song.mp3"));
    EXPECT_TRUE(opened.isLocalFile());
    EXPECT_TRUE(QFileInfo(opened.toLocalFile()).isAbsolute());
    EXPECT_FALSE(shellOpen(""));
    setShellOpener({});
}

TEST(ShellTest, MakeWritableClearsTheReadOnlyAttribute) {
    TempDir dir;
    writeBytes(dir.file("a.mp3"), {0});
    std::filesystem::permissions(dir.file("a.mp3"), std::filesystem::perms::owner_read);
    EXPECT_TRUE(makeWritable(QString::fromStdString(dir.file("a.mp3"))));
    EXPECT_NE(std::filesystem::status(dir.file("a.mp3")).permissions() &
                  std::filesystem::perms::owner_write,
              std::filesystem::perms::none);
    EXPECT_FALSE(makeWritable(QString::fromStdString(dir.file("missing.mp3"))));
}

}  // namespace
