// The ID3 editor window over a temporary music folder, driven with clicks and keys; its
// message boxes are answered as they come up.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStorageInfo>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <filesystem>
#include <memory>

#include "BoxCatcher.h"
#include "SendDrop.h"
#include "TagBytes.h"
#include "TestFiles.h"
#include "WaitFor.h"
#include "id3editor.h"

using namespace std::string_literals;
namespace fs = std::filesystem;

// Readable failure messages.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

using Box = BoxCatcher::Box;

const char* const kBoxNames[] = {"TagExistsValue", "VersionValue", "SizeValue", "TitleEdit",
                                 "ArtistEdit",     "AlbumEdit",    "TrackEdit", "YearEdit",
                                 "GenreEdit",      "CommentEdit"};

class EditorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_previous = fs::current_path();
        writeFile(m_dir.file("tagged.mp3"),
                  wholeTag(frame("TIT2", "\0Song"s) + frame("TPE1", "\0Band"s) +
                               frame("TALB", "\0Record"s) + frame("TRCK", "\0"s + "07") +
                               frame("TYER", "\0"s + "2001") + frame("TCON", "\0(17)Rock"s) +
                               frame("COMM", "\0eng\0Loud"s),
                           20) +
                      m_audio);
        writeFile(m_dir.file("plain.mp3"), m_audio);
        writeFile(m_dir.file("v24.mp3"),
                  wholeTag(frame24("TIT2", "\3x"s) + frame24("APIC", m_picture), 0, 4) + m_audio);
        writeFile(m_dir.file("short.mp3"), "ID3\3");
        writeFile(m_dir.file("notes.txt"), "not music");
        fs::create_directory(m_dir.path() / "more");
        writeFile(m_dir.file("more/other.mp3"), m_audio);
        // The editor starts browsing in the start directory.
        fs::current_path(m_dir.path());

        m_editor = std::make_unique<Tid3editormain>();
        m_editor->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_editor.get()));
        ASSERT_TRUE(waitForFiles(4));
    }
    void TearDown() override {
        m_editor.reset();
        fs::current_path(m_previous);
        EXPECT_TRUE(m_boxes.empty()) << "unanswered for: " << m_boxes.front().text.toStdString();
    }

    // The texts of the boxes shown since the last call.
    QStringList boxTexts() {
        QStringList texts;
        for (const Box& box : m_boxes)
            texts << box.text;
        m_boxes.clear();
        return texts;
    }

    template <typename T>
    T* child(const char* name) const {
        T* found = m_editor->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QListView* fileList() const { return child<QListView>("FileList"); }
    QTreeView* folderList() const { return child<QTreeView>("FolderList"); }
    QLineEdit* box(const char* name) const { return child<QLineEdit>(name); }
    QString text(const char* name) const { return box(name)->text(); }
    QStringList allBoxes() const {
        QStringList texts;
        for (const char* name : kBoxNames)
            texts << text(name);
        return texts;
    }
    bool blank() const { return allBoxes().join(QString()).isEmpty(); }

    bool waitForFiles(int count) const {
        return waitFor(
            [&] { return fileList()->model()->rowCount(fileList()->rootIndex()) == count; });
    }
    QStringList listedFiles() const {
        QStringList names;
        const QAbstractItemModel* model = fileList()->model();
        for (int row = 0; row < model->rowCount(fileList()->rootIndex()); ++row)
            names << model->index(row, 0, fileList()->rootIndex()).data().toString();
        names.sort();
        return names;
    }
    QModelIndex fileIndex(const QString& name) const {
        const QAbstractItemModel* model = fileList()->model();
        for (int row = 0; row < model->rowCount(fileList()->rootIndex()); ++row) {
            const QModelIndex index = model->index(row, 0, fileList()->rootIndex());
            if (index.data().toString() == name) return index;
        }
        ADD_FAILURE() << "not listed: " << name.toStdString();
        return {};
    }
    void clickFile(const char* name) {
        const QRect place = fileList()->visualRect(fileIndex(QString::fromLatin1(name)));
        QTest::mouseClick(fileList()->viewport(), Qt::LeftButton, {}, place.center());
    }
    void click(const char* button) {
        QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);
    }
    // Replaces what the box holds by typing.
    void type(const char* name, const QString& text) {
        QLineEdit* edit = box(name);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Backspace);
        for (const QChar c : text) {
            if (c.unicode() < 128)
                QTest::keyClick(edit, c.toLatin1());
            else  // a key of another keyboard layout
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key(c.toUpper().unicode()), QString(c),
                                    Qt::NoModifier);
        }
    }
    std::string path(const char* name) const { return m_dir.file(name); }
    QString qpath(const char* name) const { return QString::fromStdString(path(name)); }

    TempDir m_dir;
    fs::path m_previous;
    const std::string m_audio = audio(3000) + trailerTag();
    const std::string m_picture = "\0image/png\0\3\0\x89PNG"s + std::string(40, 'p');
    // Every box that comes up is noted and closed with its OK button.
    BoxCatcher m_answerer;
    std::vector<Box>& m_boxes = m_answerer.boxes;
    std::unique_ptr<Tid3editormain> m_editor;
};

}  // namespace

TEST_F(EditorTest, ListsTheMp3FilesOfTheStartFolderOnItsDrive) {
    EXPECT_EQ(m_editor->windowTitle(), "ID3 Editor");
    EXPECT_EQ(listedFiles(), QStringList({"plain.mp3", "short.mp3", "tagged.mp3", "v24.mp3"}));
    EXPECT_EQ(m_editor->folder(), QString::fromStdString(m_dir.path().string()));
    auto* drives = child<QComboBox>("DriveList");
    EXPECT_EQ(drives->currentData().toString(),
              QStorageInfo(QString::fromStdString(m_dir.path().string())).rootPath());
    EXPECT_NE(drives->findData(QStringLiteral("/")), -1);
    EXPECT_TRUE(m_editor->FileName().isEmpty());
    EXPECT_TRUE(blank());
}

TEST_F(EditorTest, SelectingFilesShowsTheirTags) {
    clickFile("tagged.mp3");
    EXPECT_EQ(m_editor->FileName(), qpath("tagged.mp3"));
    const auto tagSize = readFile(path("tagged.mp3")).size() - m_audio.size();
    EXPECT_EQ(allBoxes(), QStringList({"Yes", "2.3", QString::number(tagSize) + " bytes", "Song",
                                       "Band", "Record", "7", "2001", "Rock", "Loud"}));

    clickFile("plain.mp3");
    EXPECT_EQ(allBoxes(), QStringList({"No", "", "", "", "", "", "", "", "", ""}));

    clickFile("v24.mp3");
    const auto v24Size = readFile(path("v24.mp3")).size() - m_audio.size();
    EXPECT_EQ(allBoxes(), QStringList({"Yes", "2.4", QString::number(v24Size) + " bytes", "x", "",
                                       "", "", "", "", ""}));

    // The keyboard moves the selection as well; the list is sorted by name.
    fileList()->setFocus();
    QTest::keyClick(fileList(), Qt::Key_Up);
    EXPECT_EQ(m_editor->FileName(), qpath("tagged.mp3"));
    EXPECT_EQ(text("TitleEdit"), "Song");
    EXPECT_TRUE(boxTexts().isEmpty());
}

TEST_F(EditorTest, SavingWritesTheBoxesAndShowsWhatTheFileHolds) {
    clickFile("plain.mp3");
    type("TitleEdit", "Abc  ");
    // Enter saves: "Save" is the default button.
    QTest::keyClick(box("TitleEdit"), Qt::Key_Return);
    EXPECT_EQ(readFile(path("plain.mp3")), wholeTag(frame("TIT2", "\0Abc"s)) + m_audio);
    EXPECT_EQ(allBoxes(), QStringList({"Yes", "2.3", "24 bytes", "Abc", "", "", "", "", "", ""}));

    // A version 2.4 tag becomes a version 2.3 tag: its frames kept, the typed fields added.
    clickFile("v24.mp3");
    type("ArtistEdit", QString::fromUtf8("\u0416\u0443\u043A"));
    type("TrackEdit", "5");
    type("CommentEdit", "Fine");
    click("savebutton");
    EXPECT_EQ(readFile(path("v24.mp3")),
              wholeTag(frame("TIT2", "\0x"s) + frame("APIC", m_picture) +
                       frame("TPE1", "\1\xFF\xFE\x16\x04\x43\x04\x3A\x04"s) +
                       frame("TRCK", "\0"s + "5") + frame("COMM", "\0eng\0Fine"s)) +
                  m_audio);
    EXPECT_EQ(text("ArtistEdit"), QString::fromUtf8("\u0416\u0443\u043A"));
    EXPECT_EQ(text("VersionValue"), "2.3");

    // Boxes left empty write no frames: a bare header.
    clickFile("tagged.mp3");
    for (const char* name : {"TitleEdit", "ArtistEdit", "AlbumEdit", "TrackEdit", "YearEdit",
                             "GenreEdit", "CommentEdit"})
        type(name, "");
    click("savebutton");
    EXPECT_EQ(readFile(path("tagged.mp3")), tagHeader(0) + m_audio);
    EXPECT_EQ(allBoxes(), QStringList({"Yes", "2.3", "10 bytes", "", "", "", "", "", "", ""}));
    EXPECT_TRUE(boxTexts().isEmpty());
}

TEST_F(EditorTest, TrackBoxGivesATrackNumberOnlyForPositiveNumbers) {
    clickFile("plain.mp3");
    const std::pair<const char*, const char*> cases[] = {
        {"5", "5"}, {"+12", "12"}, {"007", "7"}, {"255", "255"}, {"0", ""},
        {"-3", ""}, {"x", ""},     {"", ""},     {"3/12", ""},
    };
    for (const auto& [typed, shown] : cases) {
        type("TitleEdit", "T");
        type("TrackEdit", typed);
        click("savebutton");
        EXPECT_EQ(text("TrackEdit"), shown) << typed;
        const std::string track = *shown ? frame("TRCK", "\0"s + shown) : "";
        EXPECT_EQ(readFile(path("plain.mp3")), wholeTag(frame("TIT2", "\0T"s) + track) + m_audio)
            << typed;
    }
    EXPECT_TRUE(boxTexts().isEmpty());

    // Above 255 the number does not fit the tag: refused, the file and the typing kept.
    const std::string before = readFile(path("plain.mp3"));
    for (const char* typed : {"256", "99999999999999999999"}) {
        type("TitleEdit", "New");
        type("TrackEdit", typed);
        click("savebutton");
        EXPECT_EQ(boxTexts(),
                  QStringList{QStringLiteral("The track number can not be above 255: ") + typed});
        EXPECT_EQ(readFile(path("plain.mp3")), before);
        EXPECT_EQ(std::make_pair(text("TitleEdit"), text("TrackEdit")),
                  std::make_pair(QStringLiteral("New"), QString::fromLatin1(typed)));
    }
}

TEST_F(EditorTest, RemovingTakesTheTagAwayOrSaysItCannot) {
    clickFile("tagged.mp3");
    click("removebutton");
    EXPECT_EQ(readFile(path("tagged.mp3")), m_audio);
    EXPECT_TRUE(blank());
    EXPECT_TRUE(boxTexts().isEmpty());

    // Now without a tag: the box names the file, and the boxes stay blank.
    click("removebutton");
    EXPECT_EQ(boxTexts(), QStringList{"Can not remove tag from the file: " + qpath("tagged.mp3")});
    EXPECT_TRUE(blank());
    EXPECT_EQ(readFile(path("tagged.mp3")), m_audio);
}

TEST_F(EditorTest, FailuresAreReportedInPlainBoxesThatNameTheFile) {
    clickFile("short.mp3");
    EXPECT_EQ(boxTexts(), QStringList{"Can not read tag from the file: " + qpath("short.mp3")});
    EXPECT_TRUE(blank());
    clickFile("tagged.mp3");
    ASSERT_EQ(text("TitleEdit"), "Song");

    // The file goes while it is selected: the save fails and the reload finds no file (unless
    // the list has noticed first and dropped the selection).
    fs::remove(path("tagged.mp3"));
    type("TitleEdit", "Other");
    click("savebutton");
    const QStringList texts = boxTexts();
    ASSERT_FALSE(texts.isEmpty());
    EXPECT_EQ(texts[0], "Can not save tag to the file: " + qpath("tagged.mp3"));
    for (qsizetype i = 1; i < texts.size(); ++i)
        EXPECT_EQ(texts[i], "The file does not exist: " + qpath("tagged.mp3"));
    EXPECT_FALSE(fs::exists(path("tagged.mp3")));

    // Nothing selected. (The list drops the file that went, and may pass the selection on to
    // the next file: Ctrl and a click take it away.)
    ASSERT_TRUE(waitForFiles(3));
    const QModelIndex selected = fileList()->selectionModel()->selectedIndexes().value(0);
    if (selected.isValid())
        QTest::mouseClick(fileList()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          fileList()->visualRect(selected).center());
    ASSERT_TRUE(m_editor->FileName().isEmpty());
    EXPECT_TRUE(blank());
    type("TitleEdit", "Other");
    click("savebutton");
    click("removebutton");
    EXPECT_EQ(boxTexts(), QStringList({"Can not save tag to the file: ",
                                       "Can not remove tag from the file: "}));
    EXPECT_TRUE(blank());

    // Every box is the program's plain one: its title, no icon, one OK button, mid-screen
    // (not over the editor).
    m_editor->move(0, 0);
    clickFile("short.mp3");
    ASSERT_EQ(m_boxes.size(), 1u);
    const Box seen = m_boxes.front();
    boxTexts();
    EXPECT_EQ(seen.title, "Quillon");
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen.buttons, 1);
    EXPECT_LE(seen.offCentre.manhattanLength(), 8);
}

TEST_F(EditorTest, SaveThatWouldLoseFramesIsRefusedAndSaysWhichOnes) {
    const std::string original =
        wholeTag(frame24("TIT2", "\0Song"s) + frame24("TSOP", "\0Sorted"s) +
                     frame24("RVA2", "track\0\1\0\0\0"s),
                 0, 4) +
        m_audio;
    writeFile(path("v24.mp3"), original);
    clickFile("v24.mp3");
    ASSERT_EQ(text("TitleEdit"), "Song");
    type("TitleEdit", "Other");
    click("savebutton");
    EXPECT_EQ(boxTexts(), QStringList{"Can not save tag to the file: " + qpath("v24.mp3") +
                                      "\nThe file was left as it was: these frames of its tag "
                                      "would be lost or changed in a version 2.3 tag: TSOP, "
                                      "RVA2."});
    EXPECT_EQ(readFile(path("v24.mp3")), original);
    EXPECT_EQ(text("TitleEdit"), "Song");  // the boxes show the file again
}

TEST_F(EditorTest, ChoosingAnotherFolderEmptiesTheSelectionAndTheBoxes) {
    clickFile("tagged.mp3");
    ASSERT_EQ(text("TitleEdit"), "Song");
    auto* folders = folderList();
    const QModelIndex more = static_cast<QFileSystemModel*>(folders->model())
                                 ->index(QString::fromStdString((m_dir.path() / "more").string()));
    const QString target = QString::fromStdString((m_dir.path() / "more").string());
    // The tree fills in the background and its rows may still move: click until the click
    // lands on the folder.
    ASSERT_TRUE(waitFor([&] {
        folders->scrollTo(more);
        const QRect place = folders->visualRect(more);
        if (!place.isValid()) return false;
        QTest::mouseClick(folders->viewport(), Qt::LeftButton, {}, place.center());
        return m_editor->folder() == target;
    }));
    EXPECT_TRUE(blank());
    EXPECT_TRUE(m_editor->FileName().isEmpty());
    ASSERT_TRUE(waitForFiles(1));
    EXPECT_EQ(listedFiles(), QStringList{"other.mp3"});

    // Choosing a drive, the one already chosen included, shows its top folder.
    auto* drives = child<QComboBox>("DriveList");
    const int root = drives->findData(QStringLiteral("/"));
    ASSERT_NE(root, -1);
    drives->showPopup();
    drives->view()->setCurrentIndex(drives->model()->index(root, 0));
    QTest::keyClick(drives->view(), Qt::Key_Return);
    EXPECT_EQ(m_editor->folder(), "/");
    EXPECT_EQ(drives->currentIndex(), root);
    EXPECT_TRUE(m_editor->FileName().isEmpty());
    EXPECT_TRUE(blank());
}

TEST_F(EditorTest, ShowingAgainStartsAfreshFromWhatTheSelectedFileHolds) {
    clickFile("tagged.mp3");
    type("TitleEdit", "Not saved");
    click("closebutton");
    EXPECT_FALSE(m_editor->isVisible());
    EXPECT_EQ(readFile(path("tagged.mp3")).substr(0, 4), "ID3\3");

    m_editor->show();
    // The selection was kept; the boxes show the file, not the typing of before.
    EXPECT_EQ(m_editor->FileName(), qpath("tagged.mp3"));
    ASSERT_TRUE(waitFor([&] { return text("TitleEdit") == "Song"; }));
    EXPECT_EQ(text("TrackEdit"), "7");
    // So "Save" straight away keeps the tag's fields.
    click("savebutton");
    EXPECT_EQ(text("GenreEdit"), "Rock");
    EXPECT_TRUE(boxTexts().isEmpty());
}

TEST_F(EditorTest, ADroppedFolderIsBrowsedAndADroppedMp3FileOpened) {
    const QString more = QString::fromStdString((m_dir.path() / "more").string());
    const QString start = m_editor->folder();
    // Not listed, as the list matches names as the file system does.
    writeFile(m_dir.file("LOUD.MP3"), m_audio);

    // What the lists could not show is refused and changes nothing.
    for (const QStringList& paths :
         {QStringList{qpath("notes.txt")}, QStringList{qpath("gone.mp3")},
          QStringList{qpath("LOUD.MP3")}, QStringList{qpath("tagged.mp3"), qpath("plain.mp3")},
          QStringList{more, more}}) {
        const DropAnswer answer = sendFileDrop(m_editor.get(), paths);
        EXPECT_FALSE(answer.entered) << paths.join(", ").toStdString();
        EXPECT_FALSE(answer.dropped);
    }
    EXPECT_FALSE(sendDrop(m_editor.get(), {QUrl("https://example.org/a.mp3")}).entered);
    EXPECT_EQ(m_editor->folder(), start);
    EXPECT_TRUE(m_editor->FileName().isEmpty());

    // A folder: browsed as choosing it in the folder list does.
    EXPECT_TRUE(sendFileDrop(m_editor.get(), {more}).dropped);
    EXPECT_EQ(m_editor->folder(), more);
    ASSERT_TRUE(waitForFiles(1));
    EXPECT_TRUE(blank());

    // A file of another folder: its folder is browsed and the file selected and shown.
    EXPECT_TRUE(sendFileDrop(m_editor.get(), {qpath("tagged.mp3")}).dropped);
    EXPECT_EQ(m_editor->folder(), start);
    EXPECT_EQ(m_editor->FileName(), qpath("tagged.mp3"));
    EXPECT_EQ(text("TagExistsValue"), "Yes");
    EXPECT_EQ(text("TitleEdit"), "Song");
    EXPECT_EQ(text("TrackEdit"), "7");

    // And saving writes to the dropped file.
    type("TitleEdit", "Dropped");
    click("savebutton");
    EXPECT_EQ(boxTexts(), QStringList{});
    EXPECT_NE(readFile(path("tagged.mp3")).find("Dropped"), std::string::npos);
}
