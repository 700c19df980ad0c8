// The skin manager: watches every top-level window of the process through an
// application-wide event filter and attaches or detaches a TWinSkinForm per window.
#include "SkinManage.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QWidget>

#include "SkinMenuBar.h"
#include "SkinMenus.h"
#include "WinSkinData.h"
#include "WinSkinForm.h"

namespace {
std::unique_ptr<TSkinManage>& managerSlot() {
    static std::unique_ptr<TSkinManage> manager;
    return manager;
}

// The letter of an Alt+key press, or none.
QChar altLetter(const QKeyEvent& key) {
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    if (!(mods & Qt::AltModifier) || (mods & (Qt::ControlModifier | Qt::MetaModifier))) return {};
    const int code = key.key();
    if ((code >= Qt::Key_A && code <= Qt::Key_Z) || (code >= Qt::Key_0 && code <= Qt::Key_9))
        return QChar(code).toLower();
    return key.text().isEmpty() ? QChar() : key.text().front();
}
}  // namespace

TSkinManage::TSkinManage() {
    m_stateTimer.setSingleShot(true);
    m_stateTimer.setInterval(250);
    connect(&m_stateTimer, &QTimer::timeout, this, &TSkinManage::applyState);
}

TSkinManage::~TSkinManage() {
    m_firstActive = 4;
    releaseAll();
}

TSkinManage& TSkinManage::instance() {
    auto& slot = managerSlot();
    if (!slot) slot.reset(new TSkinManage());
    TSkinManage& manager = *slot;
    if (!manager.m_filterInstalled && qApp) {
        manager.m_filterInstalled = true;
        qApp->installEventFilter(&manager);
        // The windows may outlive the application object only as shells: let them go
        // without touching them once it is gone.
        connect(qApp, &QObject::destroyed, &manager, [&manager] {
            manager.m_stateTimer.stop();
            for (auto& form : manager.m_forms)
                form->windowDestroyed();
            manager.m_forms.clear();
            manager.m_menus.clear();
            manager.m_filterInstalled = false;
        });
    }
    return manager;
}

bool TSkinManage::exists() {
    return managerSlot() != nullptr;
}

void TSkinManage::addSkin(TSkinData* skin) {
    m_skins.push_back(skin);
}

void TSkinManage::removeSkin(TSkinData* skin) {
    // Windows drawn from a skin that goes away lose their skin with it.
    for (std::size_t i = m_forms.size(); i-- > 0;)
        if (&m_forms[i]->skin() == skin) {
            m_forms[i]->detach(true);
            m_forms.erase(m_forms.begin() + std::ptrdiff_t(i));
        }
    std::erase_if(m_menus, [skin](const auto& entry) {
        if (entry.second != skin) return false;
        if (entry.first) UnskinPopupMenu(entry.first);
        return true;
    });
    std::erase(m_skins, skin);
}

void TSkinManage::SetSkinState(int state) {
    m_requestedState = state;
    if (m_firstActive != 0)
        m_stateTimer.start();
    else
        applyState();
}

void TSkinManage::applyState() {
    switch (m_requestedState) {
        case 1:
            m_active = true;
            for (QWidget* window : QApplication::topLevelWidgets())
                if (window->isVisible()) attachWindow(window);
            break;
        case 2:
            m_active = false;
            releaseAll();
            break;
        case 3:
            for (auto& form : m_forms)
                if (QWidget* window = form->window())
                    if (TSkinData* skin = skinFor(window); skin && skin->Loading() == 0)
                        form->reloadSkin(skin);
            break;
        default:
            break;
    }
}

void TSkinManage::releaseAll() {
    m_stateTimer.stop();
    const bool repaint = m_firstActive != 4;
    while (!m_forms.empty()) {
        std::unique_ptr<TWinSkinForm> form = std::move(m_forms.back());
        m_forms.pop_back();
        if (form->window()) disconnect(form->window(), nullptr, this, nullptr);
        form->detach(repaint);
    }
    for (const auto& [menu, skin] : m_menus)
        if (menu) UnskinPopupMenu(menu);
    m_menus.clear();
    m_popupOpen = false;
}

// Qt's own classes are named Q followed by a capital letter; the program's windows are its
// own subclasses (TMainForm, Toptions, ...). A window whose most derived class is one of Qt's
// (QMessageBox, QFileDialog, QInputDialog, a plain QWidget) is foreign.
bool TSkinManage::isProgramForm(const QWidget* window) {
    const char* name = window->metaObject()->className();
    return !(name[0] == 'Q' && name[1] >= 'A' && name[1] <= 'Z');
}

TSkinData* TSkinManage::skinFor(QWidget* window) const {
    TSkinData* chosen = nullptr;
    for (TSkinData* skin : m_skins)
        if (skin->SkinFormtype() == sfOnlyThisForm && skin->ownerForm() == window) chosen = skin;
    if (chosen) return chosen;
    // Message boxes and the other dialogs of Qt itself are the dialogs sfDialog serves.
    const bool dialog = window && !isProgramForm(window) && window->inherits("QDialog");
    if (dialog)
        for (TSkinData* skin : m_skins)
            if (skin->SkinFormtype() == sfDialog) chosen = skin;
    if (chosen) return chosen;
    for (TSkinData* skin : m_skins)
        if (skin->SkinFormtype() == sfMainform) chosen = skin;
    if (chosen) return chosen;
    return m_skins.empty() ? nullptr : m_skins.front();
}

TWinSkinForm* TSkinManage::formFor(const QWidget* window) const {
    if (!window) return nullptr;
    for (const auto& form : m_forms)
        if (form->window() == window) return form.get();
    return nullptr;
}

bool TSkinManage::attachWindow(QWidget* window) {
    if (!m_active || !window || isSkinned(window) || !window->isWindow()) return false;
    // Ordinary windows and dialogs only: never popups, tool tips, tool palettes or the splash.
    const Qt::WindowType type = window->windowType();
    if (type != Qt::Window && type != Qt::Dialog) return false;
    if (window->testAttribute(Qt::WA_DontShowOnScreen)) return false;
    const QRect geometry = window->geometry();
    if (geometry.width() <= 0 || geometry.height() <= 0) return false;
    const bool programForm = isProgramForm(window);
    if (programForm && window->property("tag").toInt() == 99) return false;
    TSkinData* skin = skinFor(window);
    if (!skin || skin->Loading() != 0) return false;

    auto form = std::make_unique<TWinSkinForm>(window, *skin, programForm);
    form->attach();
    QCoreApplication::postEvent(window, new TSkinMessageEvent(kSkinAttached, 0, 1000));
    connect(window, &QObject::destroyed, this, &TSkinManage::windowDestroyed);
    m_forms.push_back(std::move(form));
    return true;
}

void TSkinManage::detachWindow(QWidget* window) {
    for (auto it = m_forms.begin(); it != m_forms.end(); ++it)
        if ((*it)->window() == window) {
            std::unique_ptr<TWinSkinForm> form = std::move(*it);
            m_forms.erase(it);
            disconnect(window, nullptr, this, nullptr);
            form->detach(true);
            return;
        }
}

void TSkinManage::windowDestroyed(QObject* window) {
    // The window is half destroyed: its object forgets it without touching it.
    for (auto it = m_forms.begin(); it != m_forms.end(); ++it)
        if ((*it)->windowKey() == window) {
            std::unique_ptr<TWinSkinForm> form = std::move(*it);
            m_forms.erase(it);
            form->windowDestroyed();
            return;
        }
}

void TSkinManage::skinMenu(QMenu* menu) {
    if (IsPopupMenuSkinned(menu)) return;
    TSkinData* skin = skinFor(menu);
    if (!skin || skin->Loading() != 0) return;
    SkinPopupMenu(menu, *skin);
    std::erase_if(m_menus, [](const auto& entry) { return entry.first.isNull(); });
    m_menus.emplace_back(menu, skin);
}

bool TSkinManage::routeKey(QObject* receiver, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (!widget) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const QChar letter = altLetter(*key);
    if (letter.isNull()) return false;
    TWinSkinForm* form = formFor(widget->window());
    if (!form || !form->skinMenu() || form->menuMode()) return false;
    if (event->type() == QEvent::ShortcutOverride) {
        // Claim the key when the bar has it, so that it comes here as a key press.
        if (!form->skinMenu()->itemForKey(letter)) return false;
        event->accept();
        return true;
    }
    return form->skinMenu()->handleAccelerator(letter);
}

bool TSkinManage::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Show: {
            if (!m_active || !watched->isWidgetType()) break;
            auto* widget = static_cast<QWidget*>(watched);
            if (!widget->isWindow()) break;
            // Skinned at its Show event, before the platform window is mapped, so the window
            // never appears with the system frame.
            if (auto* menu = qobject_cast<QMenu*>(widget))
                skinMenu(menu);
            else
                attachWindow(widget);
            break;
        }
        case QEvent::WindowActivate: {
            if (!watched->isWidgetType()) break;
            auto* widget = static_cast<QWidget*>(watched);
            if (!widget->isWindow()) break;
            if (m_firstActive == 0) m_firstActive = 1;
            attachWindow(widget);
            break;
        }
        case QEvent::KeyPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress: {
            TWinSkinMenu* tracking = TWinSkinMenu::tracking();
            if (tracking && qobject_cast<QMenu*>(watched) && tracking->trackEvent(watched, event))
                return true;
            if (event->type() == QEvent::KeyPress && !m_forms.empty())
                return routeKey(watched, event);
            break;
        }
        case QEvent::ShortcutOverride:
            if (!m_forms.empty()) return routeKey(watched, event);
            break;
        default:
            break;
    }
    return false;
}
