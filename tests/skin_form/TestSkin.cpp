#include "TestSkin.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QMenuBar>
#include <QPainter>
#include <QTest>
#include <QVBoxLayout>
#include <string>

#include "SkinManage.h"
#include "SkinReader.h"

namespace {

constexpr QRgb kMagenta = 0xFFFF00FF;

std::vector<std::uint8_t> bmp(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return {bytes.begin(), bytes.end()};
}

// Two frames: side by side (left, right strips) or stacked (top, bottom, menu bar).
QImage twoFrames(int width, int height, bool stacked, bool magentaCorner) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    const QRect first = stacked ? QRect(0, 0, width, height / 2) : QRect(0, 0, width / 2, height);
    const QRect second = stacked ? first.translated(0, height / 2) : first.translated(width / 2, 0);
    painter.fillRect(first, QColor::fromRgb(kActiveFrame));
    painter.fillRect(second, QColor::fromRgb(kInactiveFrame));
    if (magentaCorner) {
        painter.fillRect(QRect(first.topLeft(), QSize(3, 3)), QColor::fromRgb(kMagenta));
        painter.fillRect(QRect(second.topLeft(), QSize(3, 3)), QColor::fromRgb(kMagenta));
    }
    return image;
}

// Six frames of 15 x 19, frame k in its own colour.
QImage buttonImage() {
    QImage image(90, 19, QImage::Format_RGB32);
    QPainter painter(&image);
    for (int k = 0; k < 6; ++k)
        painter.fillRect(15 * k, 0, 15, 19, QColor(40 * k, 200, 40 * k));
    return image;
}

std::vector<std::uint8_t> text(const std::string& s) {
    return {s.begin(), s.end()};
}

std::string description(const TestSkinOptions& options) {
    const std::string trans = options.transparentStrips ? "1" : "0";
    std::string ini = "[Personality]\r\n";
    for (const char* part : {"Top", "Left", "Right", "Bottom"}) {
        const std::string p = part;
        const bool across = p == "Top" || p == "Bottom";
        ini += p + "=" + (across ? "skin\\" : "") + p + ".bmp\r\n";
        ini += p + "TopHeight=" + (across ? "10" : "25") + "\r\n";
        ini += p + "BotHeight=" + (across ? "44" : "10") + "\r\n";
        ini += p + "Frame=2\r\n" + p + "Stretch=1\r\n" + p + "Trans=" + trans + "\r\n";
    }
    ini += "TextShift=21\r\nTextShiftVert=-4\r\nTextRightClip=55\r\nTextAlignment=0\r\n";
    if (options.menuBarImage) ini += "menuBar=menubar.bmp\r\nTileMenu=1\r\nTileLeftMenu=4\r\n";
    struct Button {
        const char* section;
        int action, x, visibility, visibility1;
        const char* image;
    };
    const Button buttons[] = {{"Button0", 0, 17, 0, 0, "close.bmp"},
                              {"Button1", 1, 32, 2, 6, "max.bmp"},
                              {"Button2", 1, 32, 1, 6, "restore.bmp"},
                              {"Button3", 2, 47, 0, 8, "min.bmp"},
                              {"Button5", 5, 62, 200, 200, "help.bmp"}};
    for (const Button& b : buttons)
        ini += std::string("[") + b.section + "]\r\nAction=" + std::to_string(b.action) +
               "\r\nAlign=1\r\nXcoord=" + std::to_string(b.x) +
               "\r\nYcoord=0\r\nVisibility=" + std::to_string(b.visibility) +
               "\r\nVisibility1=" + std::to_string(b.visibility1) +
               "\r\nframe=6\r\nButtonImage=" + b.image + "\r\n";
    ini += "[BUTTON4]\r\nAction=3\r\nAlign=0\r\nXcoord=19\r\nYcoord=3\r\n";
    ini +=
        "[Colours]\r\nButtonFace=212 208 200\r\nTitleTextActive=255 255 255\r\n"
        "TitleTextNoActive=200 200 200\r\nMenubar=212 208 200\r\nMenuBarText=0 0 0\r\n"
        "ButtonHilight=255 255 255\r\nButtonShadow=128 128 128\r\n";
    return ini;
}

}  // namespace

std::unique_ptr<TSkinData> makeTestSkin(const TestSkinOptions& options) {
    const bool corners = options.transparentStrips;
    const QImage button = buttonImage();
    std::vector<SkinEntry> entries = {
        {"Top.bmp", bmp(twoFrames(186, 50, true, corners))},
        {"Left.bmp", bmp(twoFrames(14, 92, false, corners))},
        {"Right.bmp", bmp(twoFrames(14, 92, false, corners))},
        {"Bottom.bmp", bmp(twoFrames(186, 14, true, false))},
        {"menubar.bmp", bmp(twoFrames(50, 40, true, false))},
        {"close.bmp", bmp(button)},
        {"max.bmp", bmp(button)},
        {"restore.bmp", bmp(button)},
        {"min.bmp", bmp(button)},
        {"help.bmp", bmp(button)},
        {"skin.ini", text(description(options))},
    };
    const std::vector<std::uint8_t> file = PackSkinFile(entries);
    std::vector<std::uint8_t> stored = {std::uint8_t(file.size()), std::uint8_t(file.size() >> 8),
                                        std::uint8_t(file.size() >> 16),
                                        std::uint8_t(file.size() >> 24)};
    stored.insert(stored.end(), file.begin(), file.end());
    auto skin = std::make_unique<TSkinData>();
    skin->ReadSkinStream(stored);
    return skin;
}

void setSkinning(TSkinData& skin, bool on) {
    skin.SetActive(on);
    TSkinManage& manager = TSkinManage::instance();
    EXPECT_TRUE(QTest::qWaitFor([&] { return manager.active() == on; }, 2000));
}

TTestDialog::TTestDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Test dialog");
    auto* layout = new QVBoxLayout(this);
    auto* body = new QWidget(this);
    body->setMinimumSize(200, 100);
    layout->addWidget(body);
    resize(300, 200);
}

TTestMainForm::TTestMainForm() {
    setWindowTitle("Main");
    setCentralWidget(new QWidget(this));
    centralWidget()->setMinimumSize(200, 120);
    fileMenu = menuBar()->addMenu("&File");
    fileMenu->addAction("&Open");
    fileMenu->addAction("&Save");
    editMenu = menuBar()->addMenu("&Edit");
    editMenu->addAction("Cu&t");
    commandItem = menuBar()->addAction("&Run");
    connect(commandItem, &QAction::triggered, this, [this] { ++commandRuns; });
    QMenu* tools = menuBar()->addMenu("&Tools");
    tools->addAction("&Options");
    disabledItem = tools->menuAction();
    disabledItem->setEnabled(false);
    viewMenu = menuBar()->addMenu("&View");
    viewMenu->addAction("&Zoom");
    resize(400, 300);
}

void SkinnedWindowTest::SetUp() {
    skin = makeTestSkin();
    ASSERT_EQ(skin->Loading(), 0);
    setSkinning(*skin, true);
}

void SkinnedWindowTest::TearDown() {
    setSkinning(*skin, false);
    EXPECT_TRUE(manager().forms().empty());
    skin.reset();
}

TWinSkinForm* SkinnedWindowTest::showSkinned(QWidget& window) {
    window.show();
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    TWinSkinForm* form = manager().formFor(&window);
    if (form) {
        EXPECT_TRUE(QTest::qWaitFor([form] { return form->lifeState() == TWinSkinForm::lsReady; }));
    }
    return form;
}
