// Attaching a skinned frame to a window, detaching it, and the window's events: activation,
// size, title, the private messages and the pointer in the frame.
#include "WinSkinForm.h"

#include <QApplication>
#include <QCursor>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QWidget>
#include <QWindow>
#include <algorithm>

#include "SkinManage.h"
#include "SkinMenuBar.h"
#include "SkinPainters.h"

// ---- TNCObject: the state machine of a clickable frame object ----

TNCObject::~TNCObject() {
    m_form.forgetObject(this);
}

void TNCObject::MouseDown() {
    if (!visible) return;
    TNCObject* hot = m_form.hotObject();
    if (hot && hot != this) hot->MouseLeave();
    m_form.setHotObject(this);
    state = 2;
    Paint();
}

void TNCObject::MouseUp() {
    if (!visible) return;
    state = 3;
    Paint();
}

void TNCObject::MouseEnter() {
    if (!visible) return;
    TNCObject* hot = m_form.hotObject();
    if (hot == this) return;
    if (hot) hot->MouseLeave();
    m_form.setHotObject(this);
    state = 3;
    Paint();
}

void TNCObject::MouseLeave() {
    if (m_form.hotObject() == this) m_form.setHotObject(nullptr);
    state = 1;
    Paint();
}

void TNCObject::Paint() {
    m_form.repaintRect(rect);
}

// ---- TWinSkinForm ----

TWinSkinForm::TWinSkinForm(QWidget* window, TSkinData& skin, bool programForm)
    : m_window(window), m_windowKey(window), m_skin(&skin), m_programForm(programForm) {
    m_hoverTimer.setInterval(250);
    connect(&m_hoverTimer, &QTimer::timeout, this, &TWinSkinForm::hoverTick);
}

TWinSkinForm::~TWinSkinForm() {
    if (m_attached) detach(false);
    // The objects tell this form when they go: while its members are all still there.
    m_menu.reset();
    m_buttons.clear();
}

void TWinSkinForm::forgetObject(const TNCObject* object) {
    if (m_hot == object) m_hot = nullptr;
    if (m_pressed == object) m_pressed = nullptr;
}

void TWinSkinForm::readWindowState() {
    if (!m_window) return;
    const Qt::WindowStates states = m_window->windowState();
    if (states & Qt::WindowMinimized)
        m_windowState = wsMinimized;
    else if (states & (Qt::WindowMaximized | Qt::WindowFullScreen))
        m_windowState = wsMaximized;
    else
        m_windowState = wsNormal;
}

void TWinSkinForm::buildIcon() {
    m_icon = QImage();
    const QIcon icon = m_window ? m_window->windowIcon() : QIcon();
    if (!icon.isNull()) {
        const int size =
            m_window->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, m_window);
        QImage picture(size, size, QImage::Format_ARGB32);
        picture.fill(Qt::transparent);
        {
            QPainter painter(&picture);
            painter.drawPixmap(QRect(0, 0, size, size), icon.pixmap(size, size));
        }
        // The caption keys the icon by colour, so its soft edge becomes hard: blended into the
        // key colour, the edge would be neither the key nor the icon but a pink fringe.
        m_icon = QImage(size, size, QImage::Format_RGB32);
        for (int y = 0; y < size; ++y) {
            const auto* from = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
            auto* to = reinterpret_cast<QRgb*>(m_icon.scanLine(y));
            for (int x = 0; x < size; ++x)
                to[x] = qAlpha(from[x]) >= 128 ? (from[x] | 0xFF000000u) : kSkinKeyColour;
        }
        return;
    }
    if (!m_skin->SharedIcon.isNull()) {
        m_icon = m_skin->SharedIcon;
        return;
    }
    for (TSkinData* other : TSkinManage::instance().skins())
        if (other != m_skin && other->SkinFormtype() == sfMainform && !other->SharedIcon.isNull()) {
            m_icon = other->SharedIcon;
            return;
        }
}

void TWinSkinForm::computeMetrics() {
    m_hot = nullptr;
    m_buttons.clear();
    if (m_frameKind == 2) {
        m_left = m_top = m_right = m_bottom = m_menuHeight = 0;
        return;
    }
    const QMargins frame = SkinFrameSizes(*m_skin);
    m_left = frame.left();
    m_top = frame.top();
    m_right = frame.right();
    m_bottom = frame.bottom();
    m_menuHeight = m_menu ? m_menu->height() : 0;

    for (const TDataSkinSysButton& data : m_skin->SysButtons) {
        auto button = std::make_unique<TWinSysButton>(*this, data);
        if (data.Action == 3 || data.Action == 11) {
            if (button->button.Image.isNull()) button->button.Image = m_icon;
            if (m_skin->SharedIcon.isNull()) m_skin->SharedIcon = m_icon;
            button->button.FrameCount = 1;
        }
        m_buttons.push_back(std::move(button));
    }
}

void TWinSkinForm::shiftChildren(QPoint delta) {
    if (delta.isNull() || !m_window) return;
    for (QObject* child : m_window->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && !widget->isWindow()) widget->move(widget->pos() + delta);
    }
    m_childShift += delta;
}

void TWinSkinForm::applyMargins(QMargins before, bool keepClientSize) {
    QWidget* w = m_window;
    const QMargins frame = frameMargins();
    const QSize grow(frame.left() + frame.right() - before.left() - before.right(),
                     frame.top() + frame.bottom() - before.top() - before.bottom());
    const QSize target = w->size() + grow;
    const QSize minimumBefore = w->minimumSize();
    const QSize maximumBefore = w->maximumSize();
    w->setContentsMargins(m_savedMargins + frame);
    if (QLayout* layout = w->layout()) {
        layout->activate();  // works out the limits it manages, margins included
    } else {
        // A window without a layout does not follow its margins: its children move instead.
        shiftChildren(QPoint(frame.left(), frame.top()) - m_childShift);
    }

    // Limits set on the window itself (the layout left them as they were) are for its
    // contents: they grow with the frame.
    QSize minimum = w->minimumSize();
    QSize maximum = w->maximumSize();
    bool minimumGrows = false;
    bool maximumGrows = false;
    if (minimum.width() > 0 && minimum.width() == minimumBefore.width()) {
        minimum.rwidth() = std::max(0, minimum.width() + grow.width());
        minimumGrows = true;
    }
    if (minimum.height() > 0 && minimum.height() == minimumBefore.height()) {
        minimum.rheight() = std::max(0, minimum.height() + grow.height());
        minimumGrows = true;
    }
    if (maximum.width() < QWIDGETSIZE_MAX && maximum.width() == maximumBefore.width()) {
        maximum.rwidth() = std::max(0, maximum.width() + grow.width());
        maximumGrows = true;
    }
    if (maximum.height() < QWIDGETSIZE_MAX && maximum.height() == maximumBefore.height()) {
        maximum.rheight() = std::max(0, maximum.height() + grow.height());
        maximumGrows = true;
    }
    if (minimumGrows && !grow.isNull()) {
        w->setMinimumSize(minimum);
        m_minimumAdjusted = true;
    }
    if (maximumGrows && !grow.isNull()) {
        w->setMaximumSize(maximum);
        m_maximumAdjusted = true;
    }
    if (keepClientSize && m_windowState == wsNormal) w->resize(target);
}

void TWinSkinForm::attach() {
    if (m_attached || !m_window) return;
    QWidget* w = m_window;
    m_attached = true;
    m_lifeState = lsAttaching;
    m_captionFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    // The caption is measured for the window but drawn into an off-screen image, whose
    // resolution may differ from the screen's; a size in pixels makes both agree.
    if (m_captionFont.pixelSize() <= 0)
        m_captionFont.setPixelSize(QFontInfo(m_captionFont).pixelSize());

    m_savedFlags = w->windowFlags();
    m_savedMargins = w->contentsMargins();
    m_savedMinimum = w->minimumSize();
    m_savedMaximum = w->maximumSize();
    m_savedOwnPalette = w->testAttribute(Qt::WA_SetPalette);
    m_savedPalette = w->palette();
    m_savedTracking = w->hasMouseTracking();

    m_captionStyles = 0;
    if (m_savedFlags & Qt::WindowSystemMenuHint) m_captionStyles |= csSysMenu;
    if (m_savedFlags & Qt::WindowMinimizeButtonHint) m_captionStyles |= csMinimize;
    if (m_savedFlags & Qt::WindowMaximizeButtonHint) m_captionStyles |= csMaximize;
    readWindowState();
    const bool fixedSize =
        m_savedMinimum == m_savedMaximum || (m_savedFlags & Qt::MSWindowsFixedSizeDialogHint);
    m_frameKind = (m_savedFlags & Qt::FramelessWindowHint) ? 2 : fixedSize ? 3 : 0;
    m_active = w->isActiveWindow();
    buildIcon();

    // The menu bar moves into the frame; a window drawn without a frame keeps its own bar.
    auto* bar = w->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly);
    if (m_frameKind != 2 && bar && bar->isVisibleTo(w) && !bar->isNativeMenuBar())
        m_menu = std::make_unique<TWinSkinMenu>(*this, bar);

    // The system draws no frame from now on; the skin draws it in the margins.
    const Qt::WindowFlags frameless = m_savedFlags | Qt::FramelessWindowHint;
    w->overrideWindowFlags(frameless);
    if (QWindow* handle = w->windowHandle()) handle->setFlags(frameless);

    computeMetrics();
    // A menu bar already took its row inside the window; the frame's menu row replaces it.
    applyMargins(QMargins(0, m_menu ? m_menuHeight : 0, 0, 0), true);
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, m_skin->Colours.ButtonFace.colour());
    w->setPalette(palette);
    w->setMouseTracking(true);
    w->installEventFilter(this);
    m_controls.attach(w, *m_skin, m_programForm);
    layoutCaption();
    w->update();
}

void TWinSkinForm::attachmentFinished() {
    if (!m_attached) return;
    m_lifeState = lsFinishing;
    readWindowState();
    rebuildRegion(true);
    m_lifeState = lsReady;
    if (m_active) m_hoverTimer.start();
}

void TWinSkinForm::detach(bool repaint) {
    if (!m_attached) return;
    m_attached = false;
    m_hoverTimer.stop();
    if (m_systemMenu) m_systemMenu->close();
    m_hot = nullptr;
    m_buttons.clear();
    const bool hadMenu = m_menu != nullptr;
    m_menu.reset();  // gives the menu bar back
    m_controls.detach(repaint && m_window);
    QWidget* w = m_window;
    if (!w) return;
    w->removeEventFilter(this);
    const QMargins frame = frameMargins();
    // The menu bar comes back into the window and takes its row there.
    const int barRow = hadMenu ? m_menuHeight : 0;
    const QSize target(w->width() - frame.left() - frame.right(),
                       w->height() - frame.top() - frame.bottom() + barRow);
    w->clearMask();
    m_region = QRegion();
    m_regionSize = QSize();
    shiftChildren(-m_childShift);
    w->setContentsMargins(m_savedMargins);
    if (QLayout* layout = w->layout()) layout->activate();
    if (m_minimumAdjusted) w->setMinimumSize(m_savedMinimum);
    if (m_maximumAdjusted) w->setMaximumSize(m_savedMaximum);
    m_minimumAdjusted = m_maximumAdjusted = false;
    w->overrideWindowFlags(m_savedFlags);
    if (QWindow* handle = w->windowHandle()) handle->setFlags(m_savedFlags);
    if (m_savedOwnPalette) {
        w->setPalette(m_savedPalette);
    } else {
        w->setPalette(QPalette());
        w->setAttribute(Qt::WA_SetPalette, false);
    }
    w->setMouseTracking(m_savedTracking);
    if (m_edgeCursor) w->unsetCursor();
    m_edgeCursor = false;
    readWindowState();
    if (m_windowState == wsNormal) w->resize(target);
    m_left = m_top = m_right = m_bottom = m_menuHeight = 0;
    if (repaint) w->update();
}

void TWinSkinForm::windowDestroyed() {
    m_lifeState = lsDestroying;
    m_hoverTimer.stop();
    m_hot = nullptr;
    m_buttons.clear();
    m_menu.reset();
    m_controls.detach(false);
    m_attached = false;
    m_window = nullptr;
}

void TWinSkinForm::reloadSkin(TSkinData* skin) {
    if (!m_attached || !m_window) return;
    m_lifeState = lsChanging;
    if (skin) m_skin = skin;
    const QMargins before = frameMargins();
    buildIcon();
    if (m_menu) m_menu->readItems();
    computeMetrics();
    applyMargins(before, true);
    QPalette palette = m_window->palette();
    palette.setColor(QPalette::Window, m_skin->Colours.ButtonFace.colour());
    m_window->setPalette(palette);
    m_controls.reapply();
    layoutCaption();
    rebuildRegion(true);
    m_lifeState = lsReady;
    repaintFrame();
}

void TWinSkinForm::rebuildRegion(bool force) {
    if (!m_window || m_windowState == wsMinimized) return;
    const QSize size = m_window->size();
    if (!force && size == m_regionSize) return;
    m_regionSize = size;
    m_region = frameRegion();
    m_window->setMask(m_region);
}

void TWinSkinForm::repaintFrame() {
    if (!m_window) return;
    const QRegion frame = QRegion(m_window->rect()) - m_window->contentsRect();
    m_window->update(frame);
}

void TWinSkinForm::repaintRect(const QRect& rect) {
    if (m_window && !rect.isEmpty()) m_window->update(rect);
}

void TWinSkinForm::setActive(bool active) {
    if (m_active == active) return;
    m_active = active;
    if (active && m_lifeState == lsReady)
        m_hoverTimer.start();
    else
        m_hoverTimer.stop();
    if (!active && m_hot && !m_menuMode) m_hot->MouseLeave();
    layoutCaption();
    repaintFrame();
}

void TWinSkinForm::hoverTick() {
    if (!m_window || m_menuMode) return;
    const QPoint pos = m_window->mapFromGlobal(QCursor::pos());
    if (m_hot && m_drag == Drag::none && !m_hot->rect.contains(pos)) m_hot->MouseLeave();
    if (m_edgeCursor && m_drag == Drag::none && !edgesAt(pos)) {
        m_window->unsetCursor();
        m_edgeCursor = false;
    }
    m_controls.checkHover();
}

bool TWinSkinForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_window || !m_attached) return false;
    switch (int(event->type())) {
        case QEvent::Paint: {
            QPainter painter(m_window);
            paintFrame(painter);
            return false;  // the window paints its own contents afterwards
        }
        case QEvent::WindowActivate:
            setActive(true);
            break;
        case QEvent::WindowDeactivate:
            setActive(false);
            break;
        case QEvent::WindowStateChange:
            readWindowState();
            if (m_hot && !m_menuMode) m_hot->MouseLeave();
            layoutCaption();
            rebuildRegion(false);
            repaintFrame();
            break;
        case QEvent::Resize:
            layoutCaption();
            if (m_lifeState != lsAttaching) rebuildRegion(false);
            break;
        case QEvent::WindowTitleChange:
        case QEvent::ModifiedChange:
            layoutCaption();
            repaintFrame();
            break;
        case QEvent::WindowIconChange:
            buildIcon();
            for (auto& button : m_buttons)
                if (button->button.Action == 3 || button->button.Action == 11) {
                    if (m_skin->SharedIcon.isNull()) m_skin->SharedIcon = m_icon;
                    button->button.Image = m_icon;
                }
            layoutCaption();
            repaintFrame();
            break;
        case QEvent::Leave:
            if (m_hot && !m_menuMode && m_drag == Drag::none) m_hot->MouseLeave();
            break;
        case kSkinAttached:
            attachmentFinished();
            return true;
        case kSkinRepaintFrame:
            repaintFrame();
            return true;
        case kSkinChanged:
            reloadSkin();
            return true;
        default:
            break;
    }
    if (m_lifeState == lsAttaching || m_windowState == wsMinimized) return false;
    switch (event->type()) {
        case QEvent::MouseMove:
            return mouseMove(static_cast<QMouseEvent*>(event));
        case QEvent::MouseButtonPress:
            return mousePress(static_cast<QMouseEvent*>(event));
        case QEvent::MouseButtonRelease:
            return mouseRelease(static_cast<QMouseEvent*>(event));
        case QEvent::MouseButtonDblClick:
            return mouseDoubleClick(static_cast<QMouseEvent*>(event));
        default:
            return false;
    }
}
