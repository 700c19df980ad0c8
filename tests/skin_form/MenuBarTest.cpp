// The menu bar in the frame: its items, opening them by mouse and keyboard, moving between
// them while a menu is open.
#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QTest>

#include "SkinMenuBar.h"
#include "TestSkin.h"

namespace {

class MenuBarTest : public SkinnedWindowTest {
  protected:
    void SetUp() override {
        SkinnedWindowTest::SetUp();
        form = showSkinned(main);
        ASSERT_NE(form, nullptr);
        ASSERT_NE(form->skinMenu(), nullptr);
    }
    void TearDown() override {
        for (QMenu* menu : {main.fileMenu, main.editMenu, main.viewMenu})
            menu->hide();
        SkinnedWindowTest::TearDown();
    }
    TMenuBtn& item(int index) { return *form->skinMenu()->items().at(std::size_t(index)); }
    QMenu* openMenu() const { return form->skinMenu()->openMenu(); }

    TTestMainForm main;
    TWinSkinForm* form = nullptr;
};

TEST_F(MenuBarTest, TheBarMovesIntoTheFrameAndComesBack) {
    const int menuHeight = form->menuHeight();
    EXPECT_GT(menuHeight, 0);
    EXPECT_FALSE(main.menuBar()->isVisible());
    EXPECT_EQ(main.contentsMargins(), QMargins(7, 25 + menuHeight, 7, 7));
    EXPECT_EQ(main.centralWidget()->geometry().top(), 25 + menuHeight);

    const auto& items = form->skinMenu()->items();
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0]->caption, "&File");
    EXPECT_EQ(items[2]->submenu, nullptr);
    EXPECT_FALSE(items[3]->enabled);
    // The first item after the bar image's left end (4) + 4, inside the left strip.
    EXPECT_EQ(items[0]->rect.topLeft(), QPoint(7 + 8, 25));
    for (std::size_t i = 1; i < items.size(); ++i)
        EXPECT_EQ(items[i]->rect.left(), items[i - 1]->rect.right() + 1);
    const QFontMetrics metrics(main.menuBar()->font());
    EXPECT_EQ(items[1]->rect.width(), metrics.size(Qt::TextShowMnemonic, "&Edit").width() + 10);

    main.menuBar()->addMenu("&Help");
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->skinMenu()->items().size() == 6; }));

    const QSize central = main.centralWidget()->size();
    setSkinning(*skin, false);
    EXPECT_TRUE(main.menuBar()->isVisible());
    EXPECT_EQ(main.contentsMargins(), QMargins());
    EXPECT_EQ(main.size(), QSize(400, 300));
    QApplication::processEvents();
    EXPECT_EQ(main.centralWidget()->size(), central);
}

TEST_F(MenuBarTest, AltAndALetterOpensThatItemsMenu) {
    QTest::keyClick(&main, Qt::Key_Alt);
    QCoreApplication::processEvents();
    EXPECT_EQ(openMenu(), nullptr);

    QTest::keyClick(main.centralWidget(), Qt::Key_F, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return main.fileMenu->isVisible(); }));
    EXPECT_EQ(openMenu(), main.fileMenu);
    EXPECT_EQ(main.fileMenu->activeAction(), main.fileMenu->actions().front());
    const QPoint below = main.mapToGlobal(item(0).rect.bottomLeft() + QPoint(0, 1));
    EXPECT_EQ(main.fileMenu->pos(), below);
    EXPECT_TRUE(form->menuMode());

    QTest::keyClick(main.fileMenu, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !main.fileMenu->isVisible(); }));
    EXPECT_EQ(openMenu(), nullptr);
    EXPECT_FALSE(form->menuMode());

    // The disabled Tools item has the accelerator T: nothing opens.
    QTest::keyClick(&main, Qt::Key_T, Qt::AltModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(openMenu(), nullptr);
}

TEST_F(MenuBarTest, ACaptionWithoutMarkedKeyAnswersToItsFirstLetterAfterTheMarkedOnes) {
    QMenu* window = main.menuBar()->addMenu("Window");
    window->addAction("&Tile");
    QMenu* wide = main.menuBar()->addMenu("Say &Why");
    wide->addAction("&Because");
    QMenu* extra = main.menuBar()->addMenu("Extra");
    extra->addAction("&More");
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->skinMenu()->items().size() == 8; }));

    // W is marked in "Say &Why": it wins over the unmarked "Window" before it.
    QTest::keyClick(main.centralWidget(), Qt::Key_W, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return wide->isVisible(); }));
    EXPECT_FALSE(window->isVisible());
    QTest::keyClick(wide, Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !wide->isVisible(); }));

    // An unmarked caption answers to its first letter only, and "&Edit" keeps its marked E.
    QTest::keyClick(main.centralWidget(), Qt::Key_X, Qt::AltModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(openMenu(), nullptr);
    QTest::keyClick(main.centralWidget(), Qt::Key_E, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return main.editMenu->isVisible(); }));
    EXPECT_FALSE(extra->isVisible());
    QTest::keyClick(main.editMenu, Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !main.editMenu->isVisible(); }));

    // The letter follows the caption when it changes.
    window->menuAction()->setText("Pane");
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->skinMenu()->items()[5]->caption == "Pane"; }));
    QTest::keyClick(main.centralWidget(), Qt::Key_P, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->isVisible(); }));
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }));
}

TEST_F(MenuBarTest, ArrowKeysStepBetweenMenusAndWrapAround) {
    QTest::keyClick(&main, Qt::Key_V, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return main.viewMenu->isVisible(); }));
    // View is the last item: right goes round to File.
    QTest::keyClick(main.viewMenu, Qt::Key_Right);
    ASSERT_TRUE(QTest::qWaitFor([&] { return main.fileMenu->isVisible(); }));
    EXPECT_FALSE(main.viewMenu->isVisible());
    // Left from File goes round to View, past the command item and the disabled item.
    QTest::keyClick(main.fileMenu, Qt::Key_Left);
    ASSERT_TRUE(QTest::qWaitFor([&] { return main.viewMenu->isVisible(); }));
    QTest::keyClick(main.viewMenu, Qt::Key_Left);
    ASSERT_TRUE(QTest::qWaitFor([&] { return main.editMenu->isVisible(); }));
    EXPECT_EQ(main.commandRuns, 0);
}

TEST_F(MenuBarTest, AnItemWithoutMenuRunsItsCommandAndADisabledItemOpensNothing) {
    QTest::mouseClick(&main, Qt::LeftButton, {}, item(2).rect.center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return main.commandRuns == 1; }));
    EXPECT_EQ(openMenu(), nullptr);

    QTest::mouseClick(&main, Qt::LeftButton, {}, item(3).rect.center());
    QCoreApplication::processEvents();
    EXPECT_EQ(openMenu(), nullptr);
    EXPECT_FALSE(main.disabledItem->menu()->isVisible());
}

TEST_F(MenuBarTest, TheMouseSlidesFromMenuToMenu) {
    QTest::mouseClick(&main, Qt::LeftButton, {}, item(0).rect.center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return main.fileMenu->isVisible(); }));
    EXPECT_EQ(item(0).state, 2);
    const QPoint overEdit = main.fileMenu->mapFromGlobal(main.mapToGlobal(item(1).rect.center()));
    QTest::mouseMove(main.fileMenu, overEdit);
    ASSERT_TRUE(QTest::qWaitFor([&] { return main.editMenu->isVisible(); }));
    EXPECT_FALSE(main.fileMenu->isVisible());
    EXPECT_EQ(openMenu(), main.editMenu);
    EXPECT_EQ(item(0).state, 1);
}

TEST_F(MenuBarTest, ShortcutsOfTheMenusWorkWhileTheFrameDrawsTheBar) {
    ASSERT_FALSE(main.menuBar()->isVisible());
    int opened = 0;
    int deep = 0;
    QAction* open = main.fileMenu->actions().at(0);
    QObject::connect(open, &QAction::triggered, [&] { ++opened; });
    // Shortcuts given after the bar moved into the frame, and a menu added to a menu.
    open->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    QAction* nested = main.editMenu->addMenu(QStringLiteral("&More"))->addAction("Deep");
    nested->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+D")));
    QObject::connect(nested, &QAction::triggered, [&] { ++deep; });
    QCoreApplication::processEvents();

    QTest::keyClick(&main, Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(&main, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(deep, 1);
    // A disabled entry's shortcut does nothing, as in a menu.
    open->setEnabled(false);
    QTest::keyClick(&main, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(opened, 1);
    open->setEnabled(true);
    // An entry taken out of the menus takes its shortcut with it.
    for (QAction* action : main.editMenu->actions())
        if (action->menu() && action->text() == "&More") main.editMenu->removeAction(action);
    QCoreApplication::processEvents();
    QTest::keyClick(&main, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(deep, 1);

    // Unskinned, the bar is back and the window holds only its own actions again.
    setSkinning(*skin, false);
    EXPECT_TRUE(main.menuBar()->isVisible());
    EXPECT_TRUE(main.actions().isEmpty());
    QTest::keyClick(&main, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(opened, 2);
}

TEST_F(MenuBarTest, ItemsRebuiltWhileTheButtonIsDownAreNotTouchedOnRelease) {
    // The press goes down on the command item; the action changes and the bar's items are
    // read anew (the pressed one freed) before the button comes up.
    const QPoint at = item(2).rect.center();
    QTest::mousePress(&main, Qt::LeftButton, {}, at);
    ASSERT_EQ(form->pressedObject(), &item(2));
    main.commandItem->setText("&Go");
    ASSERT_TRUE(QTest::qWaitFor([&] { return item(2).caption == "&Go"; }));
    EXPECT_EQ(form->pressedObject(), nullptr);
    EXPECT_EQ(form->hotObject(), nullptr);
    QTest::mouseRelease(&main, Qt::LeftButton, {}, at);
    EXPECT_EQ(form->pressedObject(), nullptr);

    // The new items answer as before.
    QTest::mouseClick(&main, Qt::LeftButton, {}, item(2).rect.center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return main.commandRuns == 2; }));
}

}  // namespace
