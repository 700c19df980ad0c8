// The skinned controls of one skinned window: made when the window is attached, undone when it
// is detached. The window frame (TWinSkinForm) owns one of these; everything about the
// controls themselves lives behind it.
#pragma once

#include <memory>
#include <vector>

class QObject;
class QWidget;
class TSkinData;
class TSkinControl;

class SkinControlSet {
  public:
    SkinControlSet();
    ~SkinControlSet();
    SkinControlSet(const SkinControlSet&) = delete;
    SkinControlSet& operator=(const SkinControlSet&) = delete;

    // Finds the controls of the window and skins each supported one. A program form is one of
    // the program's own windows (the skin's SkinControls and DisableTag apply); any other
    // window is foreign (message boxes, file dialogs): its controls are recognised by class.
    void attach(QWidget* window, TSkinData& skin, bool programForm);
    // Undoes every change; repaints the controls unless the window is going away.
    void detach(bool repaint);
    // The skin changed: colours and layout again.
    void reapply();
    // Called by the window's hover timer: a hot control the cursor has left gets its leave.
    void checkHover();

    // The control that is hot (at most one per window); set by the controls themselves.
    TSkinControl* hotControl() const { return m_hot; }
    void setHotControl(TSkinControl* control);

    const std::vector<std::unique_ptr<TSkinControl>>& controls() const { return m_controls; }
    // The object skinning this widget, or null.
    TSkinControl* controlFor(const QWidget* widget) const;

    // Skins controls that appeared since the last look (a dialog may build parts lazily);
    // also run on its own when the window is shown or gets a new child.
    void discover();

  private:
    void walk(QWidget* parent);
    void visitProgram(QWidget* widget);
    void visitForeign(QWidget* widget);
    void add(std::unique_ptr<TSkinControl> control, QWidget* widget, bool recolour);
    void prune();

    std::vector<std::unique_ptr<TSkinControl>> m_controls;
    TSkinControl* m_hot = nullptr;
    QWidget* m_window = nullptr;
    TSkinData* m_skin = nullptr;
    bool m_programForm = false;
    std::unique_ptr<QObject> m_watcher;
};
