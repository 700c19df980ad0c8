// The skinned menu bar: items read from the window's QMenuBar, drawn in the frame's menu row,
// opened like a system menu bar (accelerators, arrow keys between items, the mouse sliding
// from item to item while a submenu is open).
#include "SkinMenuBar.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <algorithm>

#include "SkinManage.h"
#include "SkinPainters.h"

namespace {
TWinSkinMenu* s_tracking = nullptr;
constexpr int kMaxCaption = 80;
constexpr int kTextFlags = Qt::AlignCenter | Qt::TextShowMnemonic | Qt::TextSingleLine;
}  // namespace

TWinSkinMenu* TWinSkinMenu::tracking() {
    return s_tracking;
}

TWinSkinMenu::TWinSkinMenu(TWinSkinForm& form, QMenuBar* bar) : m_form(form), m_bar(bar) {
    m_barWasVisible = bar->isVisibleTo(bar->parentWidget());
    bar->hide();
    bar->installEventFilter(this);
    readItems();
    lendShortcuts();
}

TWinSkinMenu::~TWinSkinMenu() {
    closeOpen();
    returnShortcuts();
    if (s_tracking == this) s_tracking = nullptr;
    if (m_form.hotObject() && dynamic_cast<TMenuBtn*>(m_form.hotObject()))
        m_form.setHotObject(nullptr);
    if (m_bar) {
        m_bar->removeEventFilter(this);
        if (m_barWasVisible) m_bar->show();
    }
}

int TWinSkinMenu::height() const {
    // The height the bar has in the window, so the window's contents keep theirs.
    return m_bar ? m_bar->sizeHint().height() : 0;
}

QChar TWinSkinMenu::accelerator(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return caption[i + 1];
    }
    return {};
}

void TWinSkinMenu::readItems() {
    m_rereadPending = false;
    if (dynamic_cast<TMenuBtn*>(m_form.hotObject())) m_form.setHotObject(nullptr);
    closeOpen();
    m_items.clear();
    if (!m_bar) return;
    for (QAction* action : m_bar->actions()) {
        if (!action->isVisible() || action->isSeparator()) continue;
        auto item = std::make_unique<TMenuBtn>(m_form, int(m_items.size()));
        item->caption = action->text().left(kMaxCaption);
        item->enabled = action->isEnabled();
        item->submenu = action->menu();
        item->command = action;
        m_items.push_back(std::move(item));
    }
}

void TWinSkinMenu::layout(const QRect& bar) {
    m_barRect = bar;
    if (!m_bar) return;
    const QFontMetrics metrics(m_bar->font());
    const TDataSkinObject* object = m_form.skin().MenuBar.get();
    int x = 6;
    if (object && object->hasImage())
        x = bar.width() < object->LeftWidth + 4 ? 12 : object->LeftWidth + 4;
    for (auto& item : m_items) {
        const int width = metrics.size(Qt::TextShowMnemonic, item->caption).width() + 10;
        item->rect = QRect(bar.left() + x, bar.top(), width, std::max(0, bar.height() - 1));
        x += width;
    }
}

void TWinSkinMenu::paint(QPainter& painter, bool active) {
    if (m_barRect.isEmpty() || !m_bar) return;
    const TSkinData& skin = m_form.skin();
    const TDataSkinObject* object = skin.MenuBar.get();
    const int frame = active ? 1 : 2;
    if (object && object->hasImage()) {
        if (object->Tile == 1) {
            m_cleanBar =
                DrawNineSlice(m_barRect.size(), object->Image,
                              {object->LeftWidth, 0, object->RightWidth, 0}, true, false, 2, frame);
        } else {
            m_cleanBar = QImage(m_barRect.size(), QImage::Format_RGB32);
            m_cleanBar.fill(skin.Colours.Menubar.colour());
            QPainter bar(&m_cleanBar);
            DrawThreePart(bar, m_cleanBar.rect(), object->Image, true, false, 2, frame,
                          object->LeftWidth, object->RightWidth);
        }
    } else {
        m_cleanBar = QImage(m_barRect.size(), QImage::Format_RGB32);
        m_cleanBar.fill(skin.Colours.Menubar.colour());
    }

    QImage& composed = SkinScratch(m_barRect.size());
    QPainter bar(&composed);
    bar.drawImage(0, 0, m_cleanBar);
    bar.setFont(m_bar->font());
    for (const auto& item : m_items) {
        const QRect r = item->rect.translated(-m_barRect.topLeft());
        if (item->state != 1) {
            bar.setPen(skin.Colours.ButtonHilight.colour());
            bar.drawRect(r.adjusted(0, 0, -1, -1));
        }
        bar.setPen(item->enabled ? skin.Colours.MenuBarText.colour()
                                 : skin.Colours.ButtonShadow.colour());
        bar.drawText(r, kTextFlags, item->caption);
    }
    bar.end();
    painter.drawImage(m_barRect.topLeft(), composed, QRect(QPoint(0, 0), m_barRect.size()));
}

std::vector<QAction*> TWinSkinMenu::lentShortcuts() const {
    std::vector<QAction*> lent;
    for (const QPointer<QAction>& action : m_lent)
        if (action) lent.push_back(action);
    return lent;
}

void TWinSkinMenu::lendShortcuts() {
    m_shortcutsPending = false;
    QWidget* window = m_form.window();
    if (!window || !m_bar) return;
    std::vector<QAction*> wanted;
    std::vector<QMenu*> menus;
    std::vector<QAction*> pending;
    for (QAction* action : m_bar->actions())
        pending.push_back(action);
    // A menu may be reached twice (or hold itself); each is walked once.
    for (std::size_t i = 0; i < pending.size(); ++i) {
        QAction* action = pending[i];
        if (!action->shortcuts().isEmpty()) wanted.push_back(action);
        QMenu* menu = action->menu();
        if (!menu || std::find(menus.begin(), menus.end(), menu) != menus.end()) continue;
        menus.push_back(menu);
        for (QAction* sub : menu->actions())
            pending.push_back(sub);
    }
    for (QMenu* menu : menus)
        if (std::find(m_watched.begin(), m_watched.end(), menu) == m_watched.end()) {
            menu->installEventFilter(this);
            m_watched.emplace_back(menu);
        }
    std::erase_if(m_watched, [](const QPointer<QMenu>& menu) { return menu.isNull(); });

    const auto isWanted = [&](QAction* action) {
        return std::find(wanted.begin(), wanted.end(), action) != wanted.end();
    };
    for (const QPointer<QAction>& action : m_lent)
        if (action && !isWanted(action)) window->removeAction(action);
    std::erase_if(m_lent, [&](const QPointer<QAction>& action) {
        return action.isNull() || !isWanted(action);
    });
    const QList<QAction*> own = window->actions();
    for (QAction* action : wanted) {
        if (own.contains(action)) continue;  // the window's own, or lent already
        window->addAction(action);
        m_lent.emplace_back(action);
    }
}

void TWinSkinMenu::scheduleShortcuts() {
    if (m_shortcutsPending) return;
    m_shortcutsPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_shortcutsPending) lendShortcuts();
        },
        Qt::QueuedConnection);
}

void TWinSkinMenu::returnShortcuts() {
    m_shortcutsPending = false;
    if (QWidget* window = m_form.window())
        for (const QPointer<QAction>& action : m_lent)
            if (action) window->removeAction(action);
    m_lent.clear();
    for (const QPointer<QMenu>& menu : m_watched)
        if (menu) menu->removeEventFilter(this);
    m_watched.clear();
}

TMenuBtn* TWinSkinMenu::hitTest(QPoint pos) const {
    for (const auto& item : m_items)
        if (!item->caption.isEmpty() && item->rect.contains(pos)) return item.get();
    return nullptr;
}

void TWinSkinMenu::openItem(int index) {
    if (index < 0 || index >= int(m_items.size())) return;
    TMenuBtn& item = *m_items[std::size_t(index)];
    if (!item.submenu) {
        // A command item: its action runs once the press is over, and nothing opens.
        if (item.command)
            QMetaObject::invokeMethod(item.command.data(), "trigger", Qt::QueuedConnection);
        if (m_form.hotObject() == &item) item.MouseLeave();
        return;
    }
    if (!item.enabled) return;
    if (m_open) closeOpen();
    QWidget* window = m_form.window();
    if (!window) return;

    QMenu* menu = item.submenu;
    m_open = menu;
    m_openIndex = index;
    s_tracking = this;
    m_form.setMenuMode(true);
    TSkinManage::instance().setPopupOpen(true);
    connect(menu, &QMenu::aboutToHide, this, &TWinSkinMenu::menuHidden, Qt::UniqueConnection);
    if (m_form.hotObject() != &item) item.MouseDown();
    menu->popup(window->mapToGlobal(QPoint(item.rect.left(), item.rect.bottom() + 1)));
    // The first entry is selected, as when a system menu bar opens a menu.
    for (QAction* action : menu->actions())
        if (action->isVisible() && action->isEnabled() && !action->isSeparator()) {
            menu->setActiveAction(action);
            break;
        }
}

void TWinSkinMenu::menuHidden() {
    auto* menu = qobject_cast<QMenu*>(sender());
    if (menu) disconnect(menu, &QMenu::aboutToHide, this, &TWinSkinMenu::menuHidden);
    if (!menu || menu != m_open) return;
    const int index = m_openIndex;
    m_open = nullptr;
    m_openIndex = -1;
    if (s_tracking == this) s_tracking = nullptr;
    m_form.setMenuMode(false);
    TSkinManage::instance().setPopupOpen(false);
    if (index >= 0 && index < int(m_items.size())) {
        TMenuBtn* item = m_items[std::size_t(index)].get();
        if (m_form.hotObject() == item)
            item->MouseLeave();
        else
            item->state = 1;
    }
}

void TWinSkinMenu::closeOpen() {
    if (m_open) m_open->hide();  // its aboutToHide ends the tracking
    if (m_open) {                // hidden already: end it here
        QMenu* menu = m_open;
        disconnect(menu, &QMenu::aboutToHide, this, &TWinSkinMenu::menuHidden);
        m_open = nullptr;
        m_openIndex = -1;
        if (s_tracking == this) s_tracking = nullptr;
        m_form.setMenuMode(false);
        TSkinManage::instance().setPopupOpen(false);
    }
}

int TWinSkinMenu::step(int from, int direction) const {
    const int count = int(m_items.size());
    for (int k = 1; k <= count; ++k) {
        const int i = ((from + direction * k) % count + count) % count;
        const TMenuBtn& item = *m_items[std::size_t(i)];
        // Only items that open a submenu are stepped to: an arrow key never runs a command.
        if (item.enabled && item.submenu && !item.caption.isEmpty()) return i;
    }
    return from;
}

void TWinSkinMenu::switchTo(int index) {
    if (index == m_openIndex && m_open) return;
    m_switching = true;
    closeOpen();
    m_switching = false;
    if (index < 0 || index >= int(m_items.size())) return;
    m_items[std::size_t(index)]->MouseDown();
    openItem(index);
}

TMenuBtn* TWinSkinMenu::itemForKey(QChar key) const {
    if (key.isNull()) return nullptr;
    const QChar wanted = key.toLower();
    for (const auto& item : m_items)
        if (item->enabled && accelerator(item->caption).toLower() == wanted) return item.get();
    for (const auto& item : m_items)
        if (item->enabled && !item->caption.isEmpty() && accelerator(item->caption).isNull() &&
            item->caption.front().toLower() == wanted)
            return item.get();
    return nullptr;
}

bool TWinSkinMenu::handleAccelerator(QChar key) {
    TMenuBtn* item = itemForKey(key);
    if (!item) return false;
    item->MouseDown();
    openItem(item->index);
    return true;
}

bool TWinSkinMenu::isOurMenu(QObject* object) const {
    if (!m_open) return false;
    std::vector<const QMenu*> pending{m_open.data()};
    for (std::size_t i = 0; i < pending.size() && i < 64; ++i) {
        if (pending[i] == object) return true;
        for (QAction* action : pending[i]->actions())
            if (QMenu* sub = action->menu()) pending.push_back(sub);
    }
    return false;
}

bool TWinSkinMenu::trackEvent(QObject* receiver, QEvent* event) {
    if (!m_open || !isOurMenu(receiver)) return false;
    auto* menu = static_cast<QMenu*>(receiver);
    QWidget* window = m_form.window();
    if (!window) return false;
    switch (event->type()) {
        case QEvent::KeyPress: {
            int key = static_cast<QKeyEvent*>(event)->key();
            if (QGuiApplication::layoutDirection() == Qt::RightToLeft) {
                if (key == Qt::Key_Left)
                    key = Qt::Key_Right;
                else if (key == Qt::Key_Right)
                    key = Qt::Key_Left;
            }
            if (key == Qt::Key_Alt) {
                closeOpen();
                return true;
            }
            if (key == Qt::Key_Left && menu == m_open) {
                switchTo(step(m_openIndex, -1));
                return true;
            }
            if (key == Qt::Key_Right) {
                const QAction* active = menu->activeAction();
                if (!active || !active->menu()) {
                    switchTo(step(m_openIndex, +1));
                    return true;
                }
            }
            return false;
        }
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress: {
            const QPoint global = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
            if (menu->rect().contains(menu->mapFromGlobal(global))) return false;
            TMenuBtn* item = hitTest(window->mapFromGlobal(global));
            if (!item) return false;
            if (item->index == m_openIndex) {
                // A press on the open item closes its submenu; moving over it does nothing.
                if (event->type() == QEvent::MouseButtonPress) closeOpen();
                return true;
            }
            if (item->enabled && item->submenu) switchTo(item->index);
            return true;
        }
        default:
            return false;
    }
}

bool TWinSkinMenu::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::ActionAdded || type == QEvent::ActionChanged ||
        type == QEvent::ActionRemoved)
        scheduleShortcuts();  // an action of the bar or of any of its menus
    if (watched == m_bar) {
        switch (event->type()) {
            case QEvent::ActionAdded:
            case QEvent::ActionChanged:
            case QEvent::ActionRemoved:
                // Several changes in a row are read once.
                if (!m_rereadPending) {
                    m_rereadPending = true;
                    QMetaObject::invokeMethod(
                        this,
                        [this] {
                            if (!m_rereadPending) return;
                            readItems();
                            m_form.layoutCaption();
                            m_form.repaintFrame();
                        },
                        Qt::QueuedConnection);
                }
                break;
            case QEvent::ShowToParent:
                // The bar stays in the frame while the window is skinned.
                QMetaObject::invokeMethod(
                    this,
                    [this] {
                        if (m_bar) m_bar->hide();
                    },
                    Qt::QueuedConnection);
                break;
            default:
                break;
        }
    }
    return false;
}
