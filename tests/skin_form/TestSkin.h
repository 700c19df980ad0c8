// A skin of the shipped geometry built in code, and window classes that count as the program's
// own forms, for the window-frame tests.
#pragma once

#include <gtest/gtest.h>

#include <QDialog>
#include <QMainWindow>
#include <QWidget>
#include <memory>
#include <ostream>

#include "SkinManage.h"
#include "WinSkinData.h"
#include "WinSkinForm.h"

// Readable failures for the geometry types.
inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << "QRect(" << r.x() << "," << r.y() << " " << r.width() << "x" << r.height() << ")";
}
inline void PrintTo(const QSize& s, std::ostream* os) {
    *os << "QSize(" << s.width() << "x" << s.height() << ")";
}
inline void PrintTo(const QPoint& p, std::ostream* os) {
    *os << "QPoint(" << p.x() << "," << p.y() << ")";
}
inline void PrintTo(const QMargins& m, std::ostream* os) {
    *os << "QMargins(" << m.left() << "," << m.top() << "," << m.right() << "," << m.bottom()
        << ")";
}

struct TestSkinOptions {
    bool transparentStrips = false;  // magenta corners in the strips, and their Trans flags set
    bool menuBarImage = true;        // a [Personality] menuBar image
};

// Colours of the strips' frames: frame 1 (active) and frame 2 (inactive).
inline constexpr QRgb kActiveFrame = 0xFF204080;
inline constexpr QRgb kInactiveFrame = 0xFF808080;

// A loaded skin (Loading() == 0) of the shipped geometry: strips 186 x 50 (top), 14 x 92 (left,
// right), 186 x 14 (bottom), two frames each; caption buttons 90 x 19 in six frames, close,
// maximise, restore and minimise right-aligned at 17, 32, 32 and 47; an action-5 button at 62;
// the window-icon button at (19, 3).
std::unique_ptr<TSkinData> makeTestSkin(const TestSkinOptions& options = {});

// Switches skinning on or off through the skin component, and waits until the manager follows.
void setSkinning(TSkinData& skin, bool on);

class TTestDialog : public QDialog {
    Q_OBJECT

  public:
    explicit TTestDialog(QWidget* parent = nullptr);
};

class TTestMainForm : public QMainWindow {
    Q_OBJECT

  public:
    TTestMainForm();
    int commandRuns = 0;
    QMenu* fileMenu = nullptr;
    QMenu* editMenu = nullptr;
    QMenu* viewMenu = nullptr;
    QAction* commandItem = nullptr;
    QAction* disabledItem = nullptr;
};

// Each test starts with a loaded skin switched on and ends with skinning off and the skin gone.
class SkinnedWindowTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Shows and activates the window and waits until its frame is ready (null when the window
    // was not skinned).
    TWinSkinForm* showSkinned(QWidget& window);
    static TSkinManage& manager() { return TSkinManage::instance(); }

    std::unique_ptr<TSkinData> skin;
};
