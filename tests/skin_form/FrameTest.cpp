// Attaching the skinned frame: which windows get it, its size, its region, and giving the
// window back unchanged.
#include <QMessageBox>
#include <QTest>
#include <QWindow>

#include "TestSkin.h"

namespace {

using FrameTest = SkinnedWindowTest;

TEST_F(FrameTest, FrameTakesItsMarginsAndTheClientKeepsItsSize) {
    TTestDialog dialog;
    dialog.resize(300, 200);
    TWinSkinForm* form = showSkinned(dialog);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->leftWidth(), 7);
    EXPECT_EQ(form->rightWidth(), 7);
    EXPECT_EQ(form->bottomHeight(), 7);
    EXPECT_EQ(form->topHeight(), 25);
    EXPECT_EQ(form->menuHeight(), 0);
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(dialog.windowHandle()->flags() & Qt::FramelessWindowHint);
    EXPECT_EQ(dialog.contentsMargins(), QMargins(7, 25, 7, 7));
    EXPECT_EQ(dialog.size(), QSize(314, 232));
    EXPECT_EQ(dialog.contentsRect(), QRect(7, 25, 300, 200));
    // The layout keeps the contents inside the frame.
    for (QWidget* child : dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(dialog.contentsRect().contains(child->geometry()))
            << testing::PrintToString(child->geometry());
}

TEST_F(FrameTest, OnlyOrdinaryWindowsOfTheRightKindAreSkinned) {
    TTestDialog disabled;
    disabled.setProperty("tag", 99);
    EXPECT_EQ(showSkinned(disabled), nullptr);
    EXPECT_FALSE(disabled.windowFlags() & Qt::FramelessWindowHint);

    QWidget splash(nullptr, Qt::SplashScreen);
    splash.resize(100, 100);
    splash.show();
    QWidget tool(nullptr, Qt::Tool);
    tool.resize(100, 100);
    tool.show();
    EXPECT_FALSE(manager().isSkinned(&splash));
    EXPECT_FALSE(manager().isSkinned(&tool));

    TTestDialog dialog;
    QWidget child(&dialog);
    EXPECT_FALSE(manager().attachWindow(&child));
    EXPECT_NE(showSkinned(dialog), nullptr);
    EXPECT_FALSE(manager().attachWindow(&dialog)) << "a window is skinned once";
}

TEST_F(FrameTest, QtDialogsAreForeignAndTakeTheDialogSkin) {
    auto dialogSkin = makeTestSkin();
    dialogSkin->SetSkinFormtype(sfDialog);
    QMessageBox box;
    QDialog plain;
    QWidget plainWindow;
    TTestDialog own;
    EXPECT_FALSE(TSkinManage::isProgramForm(&box));
    EXPECT_FALSE(TSkinManage::isProgramForm(&plainWindow));
    EXPECT_TRUE(TSkinManage::isProgramForm(&own));
    EXPECT_EQ(manager().skinFor(&box), dialogSkin.get());
    EXPECT_EQ(manager().skinFor(&plain), dialogSkin.get());
    EXPECT_EQ(manager().skinFor(&own), skin.get());
    EXPECT_EQ(manager().skinFor(&plainWindow), skin.get());

    TWinSkinForm* form = showSkinned(box);
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(form->isProgramForm());
    EXPECT_EQ(&form->skin(), dialogSkin.get());
    // The skin goes away before the box: the box loses it rather than keep a dangling one.
    dialogSkin.reset();
    EXPECT_FALSE(manager().isSkinned(&box));
    EXPECT_FALSE(box.windowFlags() & Qt::FramelessWindowHint);
}

TEST_F(FrameTest, SwitchingSkinningOffGivesTheWindowBackAsItWas) {
    setSkinning(*skin, false);
    TTestDialog dialog;
    dialog.setContentsMargins(2, 3, 4, 5);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const Qt::WindowFlags flags = dialog.windowFlags();
    const QSize size = dialog.size();
    const QColor background = dialog.palette().color(QPalette::Window);

    // Already on screen when skinning starts: skinned in place.
    setSkinning(*skin, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager().isSkinned(&dialog); }));
    EXPECT_EQ(dialog.contentsMargins(), QMargins(9, 28, 11, 12));
    EXPECT_EQ(dialog.size(), size + QSize(14, 32));
    EXPECT_EQ(dialog.palette().color(QPalette::Window), QColor(212, 208, 200));

    setSkinning(*skin, false);
    EXPECT_FALSE(manager().isSkinned(&dialog));
    EXPECT_EQ(dialog.windowFlags(), flags);
    EXPECT_EQ(dialog.contentsMargins(), QMargins(2, 3, 4, 5));
    EXPECT_EQ(dialog.size(), size);
    EXPECT_TRUE(dialog.mask().isEmpty());
    EXPECT_EQ(dialog.palette().color(QPalette::Window), background);
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(FrameTest, ChildrenOfAWindowWithoutLayoutMoveOutOfTheFrame) {
    QWidget window;
    window.resize(200, 100);
    QWidget child(&window);
    child.setGeometry(0, 0, 50, 20);
    ASSERT_NE(showSkinned(window), nullptr);
    EXPECT_EQ(child.geometry(), QRect(7, 25, 50, 20));
    setSkinning(*skin, false);
    EXPECT_EQ(child.geometry(), QRect(0, 0, 50, 20));
    EXPECT_EQ(window.size(), QSize(200, 100));
}

TEST_F(FrameTest, AFixedSizeDialogGrowsByTheFrameAndKeepsItsContents) {
    TTestDialog dialog;
    dialog.setFixedSize(250, 150);
    TWinSkinForm* form = showSkinned(dialog);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->frameKind(), 3);
    EXPECT_EQ(dialog.contentsRect().size(), QSize(250, 150));
    setSkinning(*skin, false);
    EXPECT_EQ(dialog.size(), QSize(250, 150));
    EXPECT_EQ(dialog.maximumSize(), QSize(250, 150));
}

TEST_F(FrameTest, ANewSkinChangesTheFrameButNotTheContents) {
    TTestDialog dialog;
    TWinSkinForm* form = showSkinned(dialog);
    ASSERT_NE(form, nullptr);
    const QSize contents = dialog.contentsRect().size();
    QImage top(186, 60, QImage::Format_RGB32);
    top.fill(kActiveFrame);
    skin->Borders[TSkinData::bdTop].Image = top;
    manager().SetSkinState(3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->topHeight() == 30; }));
    EXPECT_EQ(dialog.contentsMargins(), QMargins(7, 30, 7, 7));
    EXPECT_EQ(dialog.contentsRect().size(), contents);
    EXPECT_EQ(dialog.mask(), QRegion(dialog.rect()));
}

TEST_F(FrameTest, OpaqueStripsKeepTheWholeRectangle) {
    TTestDialog dialog;
    ASSERT_NE(showSkinned(dialog), nullptr);
    EXPECT_EQ(dialog.mask(), QRegion(dialog.rect()));
    dialog.resize(dialog.size() + QSize(40, 30));
    EXPECT_EQ(dialog.mask(), QRegion(dialog.rect()));
}

TEST_F(FrameTest, TransparentStripPixelsAreCutAway) {
    setSkinning(*skin, false);
    skin = makeTestSkin({.transparentStrips = true});
    setSkinning(*skin, true);
    TTestDialog dialog;
    ASSERT_NE(showSkinned(dialog), nullptr);
    const QRegion mask = dialog.mask();
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    EXPECT_FALSE(mask.contains(QPoint(2, 2)));
    EXPECT_TRUE(mask.contains(QPoint(3, 3)));
    EXPECT_TRUE(mask.contains(QPoint(dialog.width() - 1, dialog.height() - 1)));
    EXPECT_TRUE(mask.contains(dialog.contentsRect()));
    const int width = dialog.width();
    dialog.resize(width + 50, dialog.height());
    EXPECT_TRUE(dialog.mask().contains(QPoint(width + 40, dialog.height() / 2)));
}

TEST_F(FrameTest, TheFrameShowsTheActiveAndInactiveFrames) {
    TTestDialog dialog;
    ASSERT_NE(showSkinned(dialog), nullptr);
    const QPoint leftStrip(3, 60);
    EXPECT_EQ(dialog.grab().toImage().pixel(leftStrip), kActiveFrame);

    TTestDialog other;
    other.move(400, 0);
    ASSERT_NE(showSkinned(other), nullptr);
    ASSERT_FALSE(dialog.isActiveWindow());
    EXPECT_EQ(dialog.grab().toImage().pixel(leftStrip), kInactiveFrame);
}

TEST_F(FrameTest, ADestroyedWindowIsForgotten) {
    auto dialog = std::make_unique<TTestDialog>();
    ASSERT_NE(showSkinned(*dialog), nullptr);
    const std::size_t before = manager().forms().size();
    dialog.reset();
    EXPECT_EQ(manager().forms().size(), before - 1);
}

}  // namespace
