// The skin manager: one per process. It sees top-level windows appear, become active and go
// away (an application-wide event filter) and attaches a TWinSkinForm to each window it
// skins.
#pragma once

#include <QObject>
#include <QTimer>
#include <memory>
#include <vector>

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

class TSkinManage : public QObject {
    Q_OBJECT

  public:
    // Created by the first TSkinData; released at the end of the process.
    static TSkinManage& instance();
    static bool exists();

    void addSkin(TSkinData* skin);
    void removeSkin(TSkinData* skin);
    const std::vector<TSkinData*>& skins() const { return m_skins; }

    // 1 skin every window, 2 unskin every window, 3 reload the skin into every skinned window.
    void SetSkinState(int state);
    bool active() const { return m_active; }
    int requestedState() const { return m_requestedState; }

    // The skin for a window (selection rules), or null.
    TSkinData* skinFor(QWidget* window) const;

  private:
    TSkinManage();

    std::vector<TSkinData*> m_skins;
    bool m_active = false;
    int m_requestedState = 0;
};
