// Finding the controls of a skinned window and giving each supported one its skinning object.
#include "SkinControlSet.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSizeGrip>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "SkinCtrls.h"
#include "WinSkinData.h"

namespace {

// Looks again for controls when the window is shown or gets a child, once per turn of the
// event loop however many arrive together.
class DiscoveryWatch : public QObject {
  public:
    explicit DiscoveryWatch(SkinControlSet* set) : m_set(set) {}

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if ((event->type() == QEvent::Show || event->type() == QEvent::ChildPolished) &&
            !m_pending) {
            m_pending = true;
            QTimer::singleShot(0, this, [this] {
                m_pending = false;
                m_set->discover();
            });
        }
        return false;
    }

  private:
    SkinControlSet* m_set;
    bool m_pending = false;
};

template <typename T>
bool is(const QWidget* widget) {
    return qobject_cast<const T*>(widget) != nullptr;
}

// Widgets whose children are parts of the widget itself, not controls of the form.
bool isComposite(const QWidget* widget) {
    if (is<QScrollArea>(widget)) return false;  // its viewport holds the form's own controls
    return is<QComboBox>(widget) || is<QAbstractSpinBox>(widget) || is<QTabBar>(widget) ||
           is<QToolBar>(widget) || is<QAbstractScrollArea>(widget) || is<QScrollBar>(widget) ||
           is<QAbstractButton>(widget) || is<QLineEdit>(widget) || is<QSizeGrip>(widget) ||
           is<QProgressBar>(widget);
}

bool hasRadioButtons(const QWidget* group) {
    return group->findChild<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly) != nullptr;
}

bool hasIcon(const QWidget* widget) {
    const auto* button = qobject_cast<const QPushButton*>(widget);
    return button && !button->icon().isNull();
}

}  // namespace

SkinControlSet::SkinControlSet() = default;

SkinControlSet::~SkinControlSet() {
    detach(false);
}

void SkinControlSet::attach(QWidget* window, TSkinData& skin, bool programForm) {
    if (m_window) detach(false);
    if (!window) return;
    m_window = window;
    m_skin = &skin;
    m_programForm = programForm;
    discover();
    m_watcher = std::make_unique<DiscoveryWatch>(this);
    window->installEventFilter(m_watcher.get());
}

void SkinControlSet::detach(bool repaint) {
    // Deleting the watcher takes it off the window, which may already be going away.
    m_watcher.reset();
    m_hot = nullptr;
    for (auto it = m_controls.rbegin(); it != m_controls.rend(); ++it)
        (*it)->Detach(repaint);
    m_controls.clear();
    m_window = nullptr;
    m_skin = nullptr;
}

void SkinControlSet::reapply() {
    if (!m_window) return;
    prune();
    for (const auto& control : m_controls)
        control->Reapply();
    discover();
}

void SkinControlSet::checkHover() {
    // Program controls get Qt's leave events; the timer covers foreign windows, as the
    // window's own hover check does.
    if (!m_hot || m_programForm) return;
    const QWidget* w = m_hot->widget();
    if (w && w->isVisible() &&
        QRect(w->mapToGlobal(QPoint(0, 0)), w->size()).contains(QCursor::pos()))
        return;
    setHotControl(nullptr);
}

void SkinControlSet::setHotControl(TSkinControl* control) {
    if (m_hot == control) return;
    TSkinControl* previous = m_hot;
    m_hot = control;
    if (previous) previous->mouseLeave();
}

TSkinControl* SkinControlSet::controlFor(const QWidget* widget) const {
    if (!widget) return nullptr;
    for (const auto& control : m_controls)
        if (control->covers(widget)) return control.get();
    return nullptr;
}

void SkinControlSet::discover() {
    if (!m_window || !m_skin) return;
    prune();
    walk(m_window);
}

void SkinControlSet::prune() {
    // Objects whose widget has gone.
    if (m_hot && !m_hot->widget()) m_hot = nullptr;
    std::erase_if(m_controls, [](const std::unique_ptr<TSkinControl>& c) { return !c->widget(); });
}

void SkinControlSet::walk(QWidget* parent) {
    const QObjectList children = parent->children();  // a copy: skinning may add children
    for (QObject* object : children) {
        auto* widget = qobject_cast<QWidget*>(object);
        if (!widget || widget->isWindow()) continue;
        if (!controlFor(widget)) {
            if (m_programForm)
                visitProgram(widget);
            else
                visitForeign(widget);
        }
        if (auto* area = qobject_cast<QScrollArea*>(widget)) {
            walk(area->viewport());
        } else if (!isComposite(widget)) {
            walk(widget);
        }
    }
}

void SkinControlSet::add(std::unique_ptr<TSkinControl> control, QWidget* widget, bool recolour) {
    if (m_programForm)
        control->AttachControl(widget, *m_skin, recolour);
    else
        control->AttachWindow(widget, *m_skin);
    m_controls.push_back(std::move(control));
}

void SkinControlSet::visitProgram(QWidget* w) {
    const TSkinData& skin = *m_skin;
    const int tag = w->property("tag").toInt();
    if (tag % 100 == skin.DisableTag()) return;
    auto kind = [&skin](TSkinControlType t) { return skin.skinsControl(t); };

    if ((is<QTabWidget>(w) || is<QTabBar>(w)) && kind(xcTab) && skin.Tabs && skin.Tabs->hasImage())
        return add(std::make_unique<TSkinTab>(this), w, false);
    if (is<QCheckBox>(w) && kind(xcCheckBox))
        return add(std::make_unique<TSkinCheckBox>(this), w, true);
    if (is<QGroupBox>(w) && hasRadioButtons(w) && kind(xcRadioButton)) {
        // A radio group: the group and each of its buttons, whatever their own tags.
        add(std::make_unique<TSkinBox>(this), w, true);
        for (QRadioButton* radio :
             w->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly))
            if (!controlFor(radio)) add(std::make_unique<TSkinRadioButton>(this), radio, true);
        return;
    }
    const bool panel = w->metaObject() == &QFrame::staticMetaObject;
    if ((is<QGroupBox>(w) || panel) && kind(xcPanel))
        return add(std::make_unique<TSkinBox>(this), w, true);
    if (is<QRadioButton>(w) && kind(xcRadioButton))
        return add(std::make_unique<TSkinRadioButton>(this), w, true);
    if (is<QToolBar>(w) && kind(xcToolbar)) return;  // Qt's tool bars are flat already
    if (is<QStatusBar>(w) && kind(xcStatusBar))
        return add(std::make_unique<TSkinStatusBar>(this), w, true);
    if (is<QProgressBar>(w) && kind(xcProgress))
        return add(std::make_unique<TSkinProgress>(this), w, false);
    if ((is<QComboBox>(w) || tag == 56) && kind(xcCombo))
        return add(std::make_unique<TSkinComBox>(this), w, false);
    if (hasIcon(w) && kind(xcBitBtn)) return add(std::make_unique<TSkinBitButton>(this), w, false);
    if (is<QToolButton>(w) && kind(xcSpeedButton))
        return add(std::make_unique<TSkinSpeedButton>(this), w, false);
    if ((is<QAbstractScrollArea>(w) || tag == 55) && kind(xcScrollbar))
        return add(std::make_unique<TSkinScrollBar>(this), w, false);
    if (is<QPushButton>(w) && kind(xcButton))
        return add(std::make_unique<TSkinButton>(this), w, false);
    if ((is<QLineEdit>(w) || is<QAbstractSpinBox>(w) || tag == 57) && kind(xcEdit))
        return add(std::make_unique<TSkinEdit>(this), w, false);
}

void SkinControlSet::visitForeign(QWidget* w) {
    if (is<QPushButton>(w)) {
        if (hasIcon(w)) return add(std::make_unique<TSkinBitButton>(this), w, false);
        return add(std::make_unique<TSkinButton>(this), w, false);
    }
    if (is<QCheckBox>(w)) return add(std::make_unique<TSkinCheckBox>(this), w, false);
    if (is<QRadioButton>(w)) return add(std::make_unique<TSkinRadioButton>(this), w, false);
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        // An editable combo box is where a dialog takes typed text; it keeps its own look,
        // as the simple (always open) combo boxes of system dialogs do.
        if (!combo->isEditable()) add(std::make_unique<TSkinComBox>(this), w, false);
        return;
    }
    if (is<QLineEdit>(w)) return add(std::make_unique<TSkinEdit>(this), w, false);
    if (is<QTabWidget>(w) || is<QTabBar>(w)) return add(std::make_unique<TSkinTab>(this), w, false);
    if (is<QSizeGrip>(w)) return add(std::make_unique<TSkinSizer>(this), w, false);
    if (is<QAbstractScrollArea>(w)) return add(std::make_unique<TSkinScrollBar>(this), w, false);
}
