// Skinned popup menus.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>

#include "SkinMenus.h"
#include "TestControlSkin.h"

using namespace skintest;

namespace {

// A pixel near the right end of an entry: past the caption and the shortcut.
QPoint entrySpot(QMenu& menu, QAction* action) {
    const QRect r = menu.actionGeometry(action);
    return QPoint(r.right() - 1, r.center().y());
}

}  // namespace

TEST(SkinMenu, EntriesFromTheMenuItemImage) {
    auto skin = makeSkin();
    QMenu plainMenu;
    QMenu menu;
    for (QMenu* m : {&plainMenu, &menu}) {
        m->addAction("Open");
        m->addSeparator();
        m->addAction("Close")->setEnabled(false);
        m->addAction("Plain")->setProperty("tag", 999);
        m->addMenu("More")->addAction("Deeper");
    }
    SkinPopupMenu(&menu, *skin);
    ASSERT_TRUE(IsPopupMenuSkinned(&menu));
    menu.popup(QPoint(10, 10));
    plainMenu.popup(QPoint(300, 10));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    const QList<QAction*> a = menu.actions();
    const QList<QAction*> p = plainMenu.actions();

    // Entries 4 pixels higher than Qt's own; separators 8 pixels high; 3 pixels of
    // background around them.
    EXPECT_EQ(menu.actionGeometry(a[0]).height(), plainMenu.actionGeometry(p[0]).height() + 4);
    EXPECT_EQ(menu.actionGeometry(a[1]).height(), 8);
    EXPECT_EQ(menu.actionGeometry(a[0]).topLeft(), QPoint(3, 3));
    EXPECT_GE(menu.actionGeometry(a[0]).width(), menu.fontMetrics().horizontalAdvance("Open") + 26);
    EXPECT_EQ(pixelOf(&menu, QPoint(1, 1)), frameColour(kMenuBack, 1));

    EXPECT_EQ(pixelOf(&menu, entrySpot(menu, a[0])), frameColour(kMenuItem, 1));
    EXPECT_EQ(pixelOf(&menu, entrySpot(menu, a[1])), frameColour(kMenuItem, 2));
    EXPECT_NE(pixelOf(&menu, entrySpot(menu, a[3])), frameColour(kMenuItem, 1));
    menu.setActiveAction(a[0]);
    EXPECT_EQ(pixelOf(&menu, entrySpot(menu, a[0])), frameColour(kMenuItem, 4));

    // Submenus are skinned with their menu and unskinned with it.
    QMenu* more = a[4]->menu();
    EXPECT_TRUE(IsPopupMenuSkinned(more));
    SkinPopupMenu(&menu, *skin);  // again: no change
    UnskinPopupMenu(&menu);
    EXPECT_FALSE(IsPopupMenuSkinned(&menu));
    EXPECT_FALSE(IsPopupMenuSkinned(more));
    EXPECT_EQ(menu.style(), QApplication::style());
    EXPECT_NE(pixelOf(&menu, entrySpot(menu, a[0])), frameColour(kMenuItem, 4));
}

TEST(SkinMenu, DisableTagAndMenusWithoutMenuItem) {
    auto skin = makeSkin();
    QMenu tagged;
    tagged.setProperty("tag", 299);
    tagged.addAction("x");
    SkinPopupMenu(&tagged, *skin);
    EXPECT_FALSE(IsPopupMenuSkinned(&tagged));

    // Without the MenuItem image the selected entry is the highlight colour.
    skin->MenuItem.reset();
    skin->Colours.Hilight = SkinColour::fromValue(0x102030);
    // Skinned once shown, as the skin manager does: the menu grows to its taller entries.
    QMenu menu;
    QAction* first = menu.addAction("First");
    QAction* last = menu.addAction("Last");
    menu.popup(QPoint(10, 10));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    SkinPopupMenu(&menu, *skin);
    EXPECT_GE(menu.height(), menu.actionGeometry(last).bottom() + 1 + 3);
    menu.setActiveAction(first);
    EXPECT_EQ(pixelOf(&menu, entrySpot(menu, first)), QColor(0x30, 0x20, 0x10));

    // A menu destroyed while skinned leaves nothing behind.
    auto* gone = new QMenu;
    SkinPopupMenu(gone, *skin);
    delete gone;
    EXPECT_FALSE(IsPopupMenuSkinned(gone));
}
