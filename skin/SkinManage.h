// The skin manager: one per process. It sees top-level windows appear, become active and go
// away (an application-wide event filter) and attaches a TWinSkinForm to each window it
// skins.
#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <utility>
#include <vector>

class QMenu;
class QWidget;
class TSkinData;
class TWinSkinForm;

// Private window messages, posted to a skinned window as events of these types.
enum SkinMessage : int {
    kSkinRepaintFrame = 13570,
    kSkinAttached = 13571,
    kSkinCaptionAction = 13572,
    kSkinChanged = 13313,
};

// A private window message with its two parameters.
class TSkinMessageEvent : public QEvent {
  public:
    explicit TSkinMessageEvent(SkinMessage message, qintptr w = 0, qintptr l = 0)
        : QEvent(QEvent::Type(int(message))), wParam(w), lParam(l) {}
    qintptr wParam;
    qintptr lParam;
};

class TSkinManage : public QObject {
    Q_OBJECT

  public:
    // Created by the first TSkinData; released at the end of the process.
    static TSkinManage& instance();
    static bool exists();
    ~TSkinManage() override;

    void addSkin(TSkinData* skin);
    // Windows drawn from the skin lose it first, so no window keeps a dangling skin.
    void removeSkin(TSkinData* skin);
    const std::vector<TSkinData*>& skins() const { return m_skins; }

    // 1 skin every window, 2 unskin every window, 3 reload the skin into every skinned window.
    // Once a window has been active the request waits for the 250 ms state timer.
    void SetSkinState(int state);
    bool active() const { return m_active; }
    int requestedState() const { return m_requestedState; }
    int firstActive() const { return m_firstActive; }

    // The skin for a window (selection rules), or null.
    TSkinData* skinFor(QWidget* window) const;

    // Program forms are the program's own window classes; every other window (message boxes,
    // file and input dialogs, plain Qt windows) is foreign.
    static bool isProgramForm(const QWidget* window);
    // The attach decision: skins the window when every condition holds; true when it did.
    bool attachWindow(QWidget* window);
    bool isSkinned(const QWidget* window) const { return formFor(window) != nullptr; }
    TWinSkinForm* formFor(const QWidget* window) const;
    const std::vector<std::unique_ptr<TWinSkinForm>>& forms() const { return m_forms; }
    // Detaches one window (repainting it) and releases its object.
    void detachWindow(QWidget* window);

    // Set while a menu-bar submenu is being tracked.
    bool popupOpen() const { return m_popupOpen; }
    void setPopupOpen(bool open) { m_popupOpen = open; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TSkinManage();
    void applyState();
    void windowDestroyed(QObject* window);
    void releaseAll();
    void skinMenu(QMenu* menu);
    bool routeKey(QObject* receiver, QEvent* event);

    QTimer m_stateTimer;
    std::vector<std::unique_ptr<TWinSkinForm>> m_forms;
    // Popup menus skinned while active, with the skin each was drawn from.
    std::vector<std::pair<QPointer<QMenu>, TSkinData*>> m_menus;
    std::vector<TSkinData*> m_skins;
    bool m_active = false;
    bool m_popupOpen = false;
    int m_firstActive = 0;
    int m_requestedState = 0;
    bool m_filterInstalled = false;
};
