// The pointer in a skinned window's frame: caption buttons and menu-bar items, the caption's
// double click and system menu, moving by the caption and resizing by the frame strips.
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <algorithm>

#include "SkinManage.h"
#include "SkinMenuBar.h"
#include "WinSkinForm.h"

namespace {

QRect innerRect(const QWidget& window, QMargins frame) {
    return window.rect().marginsRemoved(frame);
}

Qt::CursorShape cursorFor(Qt::Edges edges) {
    const bool left = edges & Qt::LeftEdge, right = edges & Qt::RightEdge;
    const bool top = edges & Qt::TopEdge, bottom = edges & Qt::BottomEdge;
    if ((left && top) || (right && bottom)) return Qt::SizeFDiagCursor;
    if ((right && top) || (left && bottom)) return Qt::SizeBDiagCursor;
    if (left || right) return Qt::SizeHorCursor;
    return Qt::SizeVerCursor;
}

}  // namespace

bool TWinSkinForm::inCaption(QPoint pos) const {
    return m_window && pos.y() >= 0 && pos.y() < m_top && pos.x() >= 0 &&
           pos.x() < m_window->width();
}

TNCObject* TWinSkinForm::objectAt(QPoint pos, bool buttonsNeedAction) const {
    for (const auto& button : m_buttons)
        if (button->visible && !button->button.Image.isNull() && button->button.Visibility != 100 &&
            (!buttonsNeedAction || button->button.Action >= 0) && button->rect.contains(pos))
            return button.get();
    return m_menu ? m_menu->hitTest(pos) : nullptr;
}

Qt::Edges TWinSkinForm::edgesAt(QPoint pos) const {
    Qt::Edges edges;
    if (!m_window || m_frameKind != 0 || m_windowState != wsNormal) return edges;
    const int w = m_window->width();
    const int h = m_window->height();
    if (!m_window->rect().contains(pos)) return edges;
    constexpr int kCorner = 16;
    constexpr int kTopBand = 3;
    if (pos.x() < m_left) edges |= Qt::LeftEdge;
    if (pos.x() >= w - m_right) edges |= Qt::RightEdge;
    if (pos.y() >= h - m_bottom) edges |= Qt::BottomEdge;
    if (pos.y() < kTopBand) edges |= Qt::TopEdge;
    if (edges & (Qt::LeftEdge | Qt::RightEdge)) {
        if (pos.y() >= h - kCorner) edges |= Qt::BottomEdge;
        if (pos.y() < kCorner) edges |= Qt::TopEdge;
    }
    if (edges & (Qt::TopEdge | Qt::BottomEdge)) {
        if (pos.x() < kCorner) edges |= Qt::LeftEdge;
        if (pos.x() >= w - kCorner) edges |= Qt::RightEdge;
    }
    return edges;
}

void TWinSkinForm::endDrag() {
    m_drag = Drag::none;
    m_dragEdges = {};
}

bool TWinSkinForm::mouseMove(QMouseEvent* event) {
    QWidget* w = m_window;
    const QPoint pos = event->position().toPoint();
    const QPoint global = event->globalPosition().toPoint();
    const QPoint moved = global - m_pressGlobal;

    if (m_drag == Drag::pending && (event->buttons() & Qt::LeftButton) &&
        moved.manhattanLength() >= QApplication::startDragDistance()) {
        // The move starts only once the pointer really moves, so a double click still
        // reaches the caption.
        QWindow* handle = w->windowHandle();
        if (handle && handle->startSystemMove())
            endDrag();
        else
            m_drag = Drag::move;
    }
    if (m_drag == Drag::pending) return true;
    if (m_drag == Drag::move) {
        w->move(m_pressGeometry.topLeft() + moved);
        return true;
    }
    if (m_drag == Drag::resize) {
        QRect g = m_pressGeometry;
        const QSize minimum =
            w->minimumSize().expandedTo(QSize(m_left + m_right, m_top + m_bottom));
        if (m_dragEdges & Qt::LeftEdge)
            g.setLeft(std::min(g.left() + moved.x(), g.right() - minimum.width() + 1));
        if (m_dragEdges & Qt::RightEdge)
            g.setRight(std::max(g.right() + moved.x(), g.left() + minimum.width() - 1));
        if (m_dragEdges & Qt::TopEdge)
            g.setTop(std::min(g.top() + moved.y(), g.bottom() - minimum.height() + 1));
        if (m_dragEdges & Qt::BottomEdge)
            g.setBottom(std::max(g.bottom() + moved.y(), g.top() + minimum.height() - 1));
        w->setGeometry(g);
        return true;
    }

    const bool pressedHere = m_pressed && (event->buttons() & Qt::LeftButton);
    if (innerRect(*w, frameMargins()).contains(pos) && !pressedHere) {
        if (m_hot) m_hot->MouseLeave();
        return false;
    }
    if (!m_active) return true;  // an inactive window's frame does not react

    const Qt::Edges edges = edgesAt(pos);
    TNCObject* object = objectAt(pos, true);
    if (edges && !object) {
        w->setCursor(cursorFor(edges));
        m_edgeCursor = true;
    } else if (m_edgeCursor) {
        w->unsetCursor();
        m_edgeCursor = false;
    }
    if (object) {
        object->MouseEnter();
        return true;
    }
    if (m_hot) m_hot->MouseLeave();
    return true;
}

bool TWinSkinForm::mousePress(QMouseEvent* event) {
    QWidget* w = m_window;
    const QPoint pos = event->position().toPoint();
    const QPoint global = event->globalPosition().toPoint();
    if (innerRect(*w, frameMargins()).contains(pos) || !w->rect().contains(pos)) return false;

    if (event->button() == Qt::RightButton) {
        if (inCaption(pos) && !objectAt(pos, false)) showSystemMenu(global);
        return true;
    }
    if (event->button() != Qt::LeftButton) return true;
    // The press that activates the window also acts: on this platform the activation may
    // arrive only after the press.
    if (!m_active) w->activateWindow();

    TNCObject* object = objectAt(pos, false);
    m_pressed = object;
    if (object) {
        object->MouseDown();
        if (auto* item = dynamic_cast<TMenuBtn*>(object)) m_menu->openItem(item->index);
        return true;
    }
    m_pressGlobal = global;
    m_pressGeometry = w->geometry();
    if (const Qt::Edges edges = edgesAt(pos)) {
        QWindow* handle = w->windowHandle();
        if (!handle || !handle->startSystemResize(edges)) {
            m_drag = Drag::resize;
            m_dragEdges = edges;
        }
        return true;
    }
    if (inCaption(pos) && m_windowState == wsNormal) m_drag = Drag::pending;
    return true;
}

bool TWinSkinForm::mouseRelease(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() != Qt::LeftButton)
        return !innerRect(*m_window, frameMargins()).contains(pos);
    const bool dragged = m_drag == Drag::move || m_drag == Drag::resize;
    endDrag();
    TNCObject* pressed = m_pressed;
    m_pressed = nullptr;
    if (dragged) return true;

    TNCObject* object = objectAt(pos, false);
    auto* button = dynamic_cast<TWinSysButton*>(object);
    if (button && object == m_hot && object == pressed) {
        object->MouseUp();
        runAction(button->button.Action, event->globalPosition().toPoint());
        return true;
    }
    // Released away from the button it went down on: nothing runs.
    if (pressed && dynamic_cast<TWinSysButton*>(pressed) && m_hot == pressed) m_hot->MouseLeave();
    return object || pressed || !innerRect(*m_window, frameMargins()).contains(pos);
}

bool TWinSkinForm::mouseDoubleClick(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (innerRect(*m_window, frameMargins()).contains(pos)) return false;
    if (event->button() != Qt::LeftButton) return true;
    // A quick second click on a button is another click, not a caption double click.
    if (objectAt(pos, false)) return mousePress(event);
    if (!inCaption(pos)) return true;
    endDrag();
    if (m_windowState != wsNormal) {
        m_windowState = wsNormal;
        m_window->showNormal();
    } else if (m_captionStyles & csMaximize) {
        m_windowState = wsMaximized;
        m_window->showMaximized();
    }
    return true;
}

void TWinSkinForm::runAction(int action, QPoint global) {
    QWidget* w = m_window;
    if (!w) return;
    switch (action) {
        case 0:
            m_hoverTimer.stop();
            QMetaObject::invokeMethod(w, "close", Qt::QueuedConnection);
            break;
        case 1:
        case 22:
            if (m_windowState == wsMaximized) {
                m_windowState = wsNormal;
                QMetaObject::invokeMethod(w, "showNormal", Qt::QueuedConnection);
            } else {
                m_windowState = wsMaximized;
                w->showMaximized();
            }
            break;
        case 2:
        case 23:
            if (m_windowState == wsMinimized) {
                m_windowState = wsNormal;
                QMetaObject::invokeMethod(w, "showNormal", Qt::QueuedConnection);
            } else {
                m_windowState = wsMinimized;
                QMetaObject::invokeMethod(w, "showMinimized", Qt::QueuedConnection);
            }
            break;
        case 3:
        case 11:
        case 12:
            showSystemMenu(global);
            break;
        case 7:
        case 8:
        case 9:
        case 60:
        case 61:
        case 62:
            break;  // the buttons of a maximised MDI child: this program has no MDI windows
        default:
            QCoreApplication::postEvent(w, new TSkinMessageEvent(kSkinCaptionAction, action));
            break;
    }
}

void TWinSkinForm::showSystemMenu(QPoint global) {
    QWidget* w = m_window;
    if (!w) return;
    if (m_systemMenu) m_systemMenu->close();
    auto* menu = new QMenu(w);
    connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater);
    const bool normal = m_windowState == wsNormal;
    QPointer<QWidget> target(w);
    QAction* restore = menu->addAction(tr("&Restore"), w, [target] {
        if (target) target->showNormal();
    });
    restore->setEnabled(!normal);
    QAction* minimise = menu->addAction(tr("Mi&nimize"), w, [target] {
        if (target) target->showMinimized();
    });
    minimise->setEnabled((m_captionStyles & csMinimize) && m_windowState != wsMinimized);
    QAction* maximise = menu->addAction(tr("Ma&ximize"), w, [target] {
        if (target) target->showMaximized();
    });
    maximise->setEnabled((m_captionStyles & csMaximize) && m_windowState != wsMaximized);
    menu->addSeparator();
    menu->addAction(tr("&Close"), w, [target] {
        if (target) target->close();
    });
    m_systemMenu = menu;
    menu->popup(global);
}
