// The menu bar of a skinned window, drawn in the row below the caption from the skin's menu-bar
// image. The window's QMenuBar is hidden and kept for its menus; it comes back on detach.
// Actions that live only in a hidden bar's menus get no shortcut events, so every action of
// the menus that has a shortcut is lent to the window while the bar is hidden.
#pragma once

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <memory>
#include <vector>

#include "WinSkinForm.h"

class QEvent;
class QKeyEvent;
class QMouseEvent;
class QPainter;

// One top-level item of the bar.
class TMenuBtn : public TNCObject {
  public:
    TMenuBtn(TWinSkinForm& form, int index) : TNCObject(form), index(index) {}
    int index;
    QString caption;  // with its '&' accelerator prefix
    bool enabled = true;
    QPointer<QMenu> submenu;  // none for a command item
    QPointer<QAction> command;
};

class TWinSkinMenu : public QObject {
    Q_OBJECT

  public:
    TWinSkinMenu(TWinSkinForm& form, QMenuBar* bar);
    // Gives the menu bar back to the window.
    ~TWinSkinMenu() override;

    // The items from the bar's top-level actions.
    void readItems();
    // Places the items in the bar (window coordinates).
    void layout(const QRect& bar);
    void paint(QPainter& painter, bool active);
    // The system menu-bar height.
    int height() const;

    // The first item with a caption under the point, or null.
    TMenuBtn* hitTest(QPoint pos) const;
    // Opens an item: a command item triggers its action; a submenu pops up at the item's
    // bottom-left.
    void openItem(int index);
    // The enabled item Alt+key opens: the one whose caption marks the key with '&', else the
    // first whose caption has no marked key and starts with it, as on a system menu bar.
    TMenuBtn* itemForKey(QChar key) const;
    // Alt+key: opens the item itemForKey finds; false when there is none.
    bool handleAccelerator(QChar key);

    const std::vector<std::unique_ptr<TMenuBtn>>& items() const { return m_items; }
    // The actions with shortcuts lent to the window (those it did not hold itself).
    std::vector<QAction*> lentShortcuts() const;
    QMenuBar* menuBar() const { return m_bar; }
    QRect barRect() const { return m_barRect; }
    // The submenu open now (this bar's), and its item.
    QMenu* openMenu() const { return m_open; }
    int openIndex() const { return m_openIndex; }

    // The bar whose submenu is open (one per process), or null.
    static TWinSkinMenu* tracking();
    // Events for the open submenu (and its own submenus) while it is tracked: arrow keys step
    // between bar items, the mouse slides to other items. True when consumed.
    bool trackEvent(QObject* receiver, QEvent* event);

    static QChar accelerator(const QString& caption);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void menuHidden();
    // Lends the window every action of the menus (at any depth) that has a shortcut, takes
    // back those that left the menus, and watches every menu for changes.
    void lendShortcuts();
    void scheduleShortcuts();
    void returnShortcuts();
    void closeOpen();
    int step(int from, int direction) const;
    void switchTo(int index);
    bool isOurMenu(QObject* object) const;

    TWinSkinForm& m_form;
    QPointer<QMenuBar> m_bar;
    bool m_barWasVisible = false;
    std::vector<std::unique_ptr<TMenuBtn>> m_items;
    QRect m_barRect;
    QImage m_cleanBar;
    QPointer<QMenu> m_open;
    int m_openIndex = -1;
    bool m_switching = false;
    bool m_rereadPending = false;
    bool m_shortcutsPending = false;
    std::vector<QPointer<QAction>> m_lent;
    std::vector<QPointer<QMenu>> m_watched;
};
