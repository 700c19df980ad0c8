// One skinned top-level window: the window becomes frameless and its frame, caption, caption
// buttons and menu row are painted from the skin in the margins around its contents.
#pragma once

#include <QFont>
#include <QImage>
#include <QMargins>
#include <QMenu>
#include <QObject>
#include <QPalette>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <vector>

#include "SkinControlSet.h"
#include "WinSkinData.h"

class QMouseEvent;
class QPainter;
class TWinSkinForm;
class TWinSkinMenu;

// A clickable object of the frame: a caption button or a menu-bar item. Rectangles are in
// window coordinates (the window's own widget coordinates, frame included).
class TNCObject {
  public:
    explicit TNCObject(TWinSkinForm& form) : m_form(form) {}
    // The form forgets the object: it is no longer hot, nor what a left press went down on.
    virtual ~TNCObject();
    TNCObject(const TNCObject&) = delete;
    TNCObject& operator=(const TNCObject&) = delete;

    virtual void MouseDown();
    virtual void MouseUp();
    virtual void MouseEnter();
    virtual void MouseLeave();
    // Repaints this object alone.
    virtual void Paint();

    TWinSkinForm& form() const { return m_form; }

    QRect rect;
    bool visible = true;
    int state = 1;  // 1 normal, 2 pressed, 3 hot

  protected:
    TWinSkinForm& m_form;
};

// A caption button; holds its own copy of the skin's button (the icon button swaps in the
// window icon).
class TWinSysButton : public TNCObject {
  public:
    TWinSysButton(TWinSkinForm& form, const TDataSkinSysButton& data)
        : TNCObject(form), button(data) {}
    TDataSkinSysButton button;
};

class TWinSkinForm : public QObject {
    Q_OBJECT

  public:
    enum { wsNormal = 0, wsMaximized = 1, wsMinimized = 2 };
    enum { lsAttaching = 0, lsReady = 1, lsChanging = 3, lsDestroying = 4, lsFinishing = 5 };
    // Saved caption styles.
    enum { csMaximize = 1, csMinimize = 2, csSysMenu = 8 };

    TWinSkinForm(QWidget* window, TSkinData& skin, bool programForm);
    ~TWinSkinForm() override;

    // Makes the window frameless and skinned; once per object.
    void attach();
    // Restores everything attach changed. With repaint false the controls are left as they
    // are (the window or the manager is going away).
    void detach(bool repaint);
    // The window is being destroyed: forget it without touching it.
    void windowDestroyed();
    // The skin changed (or another skin serves the window): metrics, buttons, colours, region.
    void reloadSkin(TSkinData* skin = nullptr);

    QWidget* window() const { return m_window; }
    // The window's address, for recognising it while it is being destroyed.
    const QObject* windowKey() const { return m_windowKey; }
    TSkinData& skin() const { return *m_skin; }
    bool isProgramForm() const { return m_programForm; }
    bool attached() const { return m_attached; }
    int lifeState() const { return m_lifeState; }
    int leftWidth() const { return m_left; }
    int topHeight() const { return m_top; }
    int rightWidth() const { return m_right; }
    int bottomHeight() const { return m_bottom; }
    int menuHeight() const { return m_menuHeight; }
    // The margins the frame takes from the window: left, caption + menu row, right, bottom.
    QMargins frameMargins() const { return {m_left, m_top + m_menuHeight, m_right, m_bottom}; }
    int WindowState() const { return m_windowState; }
    bool active() const { return m_active; }
    int savedCaptionStyles() const { return m_captionStyles; }
    int frameKind() const { return m_frameKind; }
    const std::vector<std::unique_ptr<TWinSysButton>>& captionButtons() const { return m_buttons; }
    TWinSkinMenu* skinMenu() const { return m_menu.get(); }
    const QImage& windowIcon() const { return m_icon; }
    QRect captionTextRect() const { return m_textRect; }
    SkinControlSet& controls() { return m_controls; }

    TNCObject* hotObject() const { return m_hot; }
    void setHotObject(TNCObject* object) { m_hot = object; }
    // The object the left button went down on, while it is held.
    TNCObject* pressedObject() const { return m_pressed; }
    // Drops every pointer to an object that goes away (the caption buttons are rebuilt with
    // the skin, the menu-bar items with the menu).
    void forgetObject(const TNCObject* object);
    bool menuMode() const { return m_menuMode; }
    void setMenuMode(bool on) { m_menuMode = on; }

    bool CaptionButtonVisible(const TDataSkinSysButton& button) const;
    // Runs a caption button's action; global is where the click happened.
    void runAction(int action, QPoint global);

    // The caption row (width W) as painted: strips' ends, Top strip, text, buttons. Magenta
    // marks what the region leaves out.
    QImage composeCaption(int width);
    // What the window keeps of its rectangle.
    QRegion frameRegion();
    void paintFrame(QPainter& painter);
    // Repaints the frame (all of it, or one object's rectangle).
    void repaintFrame();
    void repaintRect(const QRect& rect);
    // Lays out the caption text and buttons for the window's width.
    void layoutCaption();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void readWindowState();
    void buildIcon();
    void computeMetrics();
    void applyMargins(QMargins before, bool keepClientSize);
    void rebuildRegion(bool force);
    void attachmentFinished();
    void setActive(bool active);
    void hoverTick();
    void shiftChildren(QPoint delta);

    // Pointer handling in the frame.
    TNCObject* objectAt(QPoint pos, bool buttonsNeedAction) const;
    bool mouseMove(QMouseEvent* event);
    bool mousePress(QMouseEvent* event);
    bool mouseRelease(QMouseEvent* event);
    bool mouseDoubleClick(QMouseEvent* event);
    Qt::Edges edgesAt(QPoint pos) const;
    bool inCaption(QPoint pos) const;
    void showSystemMenu(QPoint global);
    void endDrag();

    QPointer<QWidget> m_window;
    const QObject* m_windowKey;
    TSkinData* m_skin;
    bool m_programForm;
    bool m_attached = false;
    int m_lifeState = lsAttaching;

    QFont m_captionFont;
    int m_left = 0, m_top = 0, m_right = 0, m_bottom = 0, m_menuHeight = 0;
    std::vector<std::unique_ptr<TWinSysButton>> m_buttons;
    TNCObject* m_hot = nullptr;
    int m_windowState = wsNormal;
    bool m_active = false;
    int m_frameKind = 0;
    int m_captionStyles = 0;
    bool m_menuMode = false;
    QImage m_icon;
    QRect m_textRect;
    QRegion m_region;
    QSize m_regionSize;
    QTimer m_hoverTimer;
    SkinControlSet m_controls;
    std::unique_ptr<TWinSkinMenu> m_menu;
    QPointer<QMenu> m_systemMenu;

    // What attach changed, to give back on detach.
    Qt::WindowFlags m_savedFlags;
    QMargins m_savedMargins;
    QSize m_savedMinimum;
    QSize m_savedMaximum;
    bool m_minimumAdjusted = false;  // the limits were set on the window itself
    bool m_maximumAdjusted = false;
    QPalette m_savedPalette;
    bool m_savedOwnPalette = false;
    bool m_savedTracking = false;
    QPoint m_childShift;  // children moved by hand in a window without layout

    // Dragging the caption or a frame edge.
    enum class Drag { none, pending, move, resize };
    Drag m_drag = Drag::none;
    Qt::Edges m_dragEdges;
    QPoint m_pressGlobal;
    TNCObject* m_pressed = nullptr;  // the object the left press went down on
    QRect m_pressGeometry;
    bool m_edgeCursor = false;
};
