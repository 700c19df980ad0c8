#include "SkinCtrls.h"

#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QPainter>
#include <QProgressBar>
#include <QProxyStyle>
#include <QSizeGrip>
#include <QStatusBar>
#include <QStyleFactory>
#include <QStyleOption>
#include <algorithm>

#include "SkinControlSet.h"
#include "SkinPainters.h"

QStyle* NewBaseStyle(const QWidget* widget) {
    // A proxy style owns its base style, so it gets an instance of its own rather than the
    // application's.
    QString name = widget ? widget->style()->name() : QString();
    if (name.isEmpty()) name = QApplication::style()->name();
    QStyle* style = QStyleFactory::create(name);
    return style ? style : QStyleFactory::create(QStringLiteral("Fusion"));
}

// ---------------------------------------------------------------------------------------------
// TSkinControl

TSkinControl::TSkinControl(SkinControlSet* owner) : m_owner(owner) {}

TSkinControl::~TSkinControl() {
    if (m_widget) m_widget->removeEventFilter(this);
    for (auto it = m_styles.rbegin(); it != m_styles.rend(); ++it)
        if (it->target && it->target->style() == it->style.get()) it->target->setStyle(it->saved);
}

void TSkinControl::attachCommon(QWidget* widget, TSkinData& skin) {
    m_widget = widget;
    m_skin = &skin;
    m_state = 0;
    m_painted = false;
    widget->installEventFilter(this);
    readState();
}

void TSkinControl::AttachControl(QWidget* control, TSkinData& skin, bool recolour) {
    if (!control) return;
    m_foreign = false;
    attachCommon(control, skin);
    m_recolour = recolour;
    if (recolour) {
        m_hadOwnPalette = control->testAttribute(Qt::WA_SetPalette);
        m_savedPalette = control->palette();
        applyPalette();
    }
    attached();
}

void TSkinControl::AttachWindow(QWidget* window, TSkinData& skin) {
    if (!window) return;
    m_foreign = true;
    m_recolour = false;
    attachCommon(window, skin);
    m_enabled = true;
    attached();
}

void TSkinControl::Detach(bool repaint) {
    QWidget* w = m_widget;
    if (!w) {
        m_styles.clear();
        return;
    }
    detaching();
    w->removeEventFilter(this);
    if (m_recolour) {
        // A widget that only inherited its palette goes back to inheriting.
        w->setPalette(m_hadOwnPalette ? m_savedPalette : QPalette());
        m_recolour = false;
    }
    for (auto it = m_styles.rbegin(); it != m_styles.rend(); ++it)
        if (it->target) it->target->setStyle(it->saved);
    m_styles.clear();
    if (m_owner && m_owner->hotControl() == this) m_owner->setHotControl(nullptr);
    m_state = 0;
    m_widget = nullptr;
    if (repaint) w->update();
}

void TSkinControl::installStyle(QWidget* target, QProxyStyle* style) {
    StyleSlot slot;
    slot.target = target;
    slot.saved = target->testAttribute(Qt::WA_SetStyle) ? target->style() : nullptr;
    slot.style.reset(style);
    target->setStyle(style);
    m_styles.push_back(std::move(slot));
}

void TSkinControl::recolourPalette(QPalette& palette) const {
    const QColor face = buttonFace();
    palette.setColor(QPalette::Window, face);
    palette.setColor(QPalette::Button, face);
}

void TSkinControl::applyPalette() {
    if (!m_widget) return;
    QPalette palette = m_hadOwnPalette ? m_savedPalette : QPalette();
    recolourPalette(palette);
    m_widget->setPalette(palette);
}

void TSkinControl::Reapply() {
    if (m_recolour) applyPalette();
    Repaint();
}

QColor TSkinControl::buttonFace() const {
    return m_skin ? m_skin->Colours.ButtonFace.colour() : systemColour(SystemColour::buttonFace);
}

void TSkinControl::readState() {
    if (!m_widget) return;
    m_focused = m_widget->hasFocus();
    m_enabled = m_widget->isEnabled();
    const QVariant text = m_widget->property("text");
    m_text = text.isValid() ? text.toString() : m_widget->windowTitle();
}

int TSkinControl::state() const {
    return m_state;
}

bool TSkinControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_widget || !m_skin) return false;
    if (BeforeMessage(event)) return true;
    if (event->type() == QEvent::Paint && paintsAfter()) {
        // The control paints first, then the skin draws over it within the same paint event.
        static_cast<QObject*>(m_widget.data())->event(event);
        if (m_widget) {
            QPainter painter(m_widget);
            PaintTo(painter, m_widget->rect());
            m_painted = true;
        }
        return true;
    }
    AfterMessage(event);
    return false;
}

bool TSkinControl::BeforeMessage(QEvent*) {
    return false;
}

void TSkinControl::AfterMessage(QEvent* event) {
    if (!m_widget) return;
    switch (event->type()) {
        case QEvent::FocusIn:
        case QEvent::FocusOut:
        case QEvent::EnabledChange:
        case QEvent::DynamicPropertyChange:
            readState();
            Repaint();
            break;
        case QEvent::Enter:
            if (tracksHover() && m_widget->isEnabled()) makeHot();
            break;
        case QEvent::MouseMove:
            if (tracksHover() && !(m_state & kHot) && m_widget->isEnabled()) makeHot();
            break;
        case QEvent::Leave:
            if (tracksHover()) {
                mouseLeave();
                if (m_owner && m_owner->hotControl() == this) m_owner->setHotControl(nullptr);
            }
            break;
        case QEvent::Paint:
            m_painted = true;
            break;
        default:
            break;
    }
}

void TSkinControl::makeHot() {
    m_state |= kHot;
    if (m_owner) m_owner->setHotControl(this);
    Repaint();
}

void TSkinControl::mouseLeave() {
    m_state &= ~(kHot | kPressed);
    Repaint();
}

void TSkinControl::Repaint() {
    if (!m_widget) return;
    m_screenRect = QRect(m_widget->mapToGlobal(QPoint(0, 0)), m_widget->size());
    m_widget->update();
}

void TSkinControl::PaintTo(QPainter&, const QRect&) {}

// ---------------------------------------------------------------------------------------------
// Edit fields

void TSkinEdit::PaintTo(QPainter& painter, const QRect& rect) {
    if (!m_skin || rect.width() < 1 || rect.height() < 1) return;
    painter.setPen(m_skin->Colours.ButtonShadow.colour());
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
}

// ---------------------------------------------------------------------------------------------
// Progress bars

bool TSkinProgress::BeforeMessage(QEvent* event) {
    if (event->type() != QEvent::Paint || !m_skin || !m_skin->Progress ||
        !m_skin->Progress->hasImage())
        return false;
    QPainter painter(m_widget);
    PaintTo(painter, m_widget->rect());
    m_painted = true;
    return true;
}

void TSkinProgress::PaintTo(QPainter& painter, const QRect& rect) {
    const TDataSkinObject* object = m_skin ? m_skin->Progress.get() : nullptr;
    if (!object || rect.isEmpty()) return;
    const QSize size = rect.size();
    QImage& scratch = SkinScratch(size);
    {
        QPainter sp(&scratch);
        sp.fillRect(QRect(QPoint(0, 0), size), buttonFace());
        const bool trans = object->Trans == 1;
        DrawSkinBitmap(sp, QPoint(0, 0), DrawNineSlice(size, *object, 1), trans);
        const auto* bar = qobject_cast<const QProgressBar*>(m_widget.data());
        // A range that is empty or reversed has no done part (Qt's busy indicator is 0..0).
        const qint64 span = bar ? qint64(bar->maximum()) - bar->minimum() : 0;
        if (span > 0 && bar->value() > bar->minimum()) {
            const qint64 done = std::min<qint64>(qint64(bar->value()) - bar->minimum(), span);
            if (bar->orientation() == Qt::Horizontal) {
                const int w = int(size.width() * done / span);
                if (w > 0)
                    DrawSkinBitmap(sp, QPoint(0, 0),
                                   DrawNineSlice(QSize(w, size.height()), *object, 2), trans);
            } else {
                const int h = int(size.height() * done / span);
                if (h > 0)
                    DrawSkinBitmap(sp, QPoint(0, size.height() - h),
                                   DrawNineSlice(QSize(size.width(), h), *object, 2), trans);
            }
        }
    }
    painter.drawImage(rect.topLeft(), scratch, QRect(QPoint(0, 0), size));
}

// ---------------------------------------------------------------------------------------------
// Status bars

void TSkinStatusBar::recolourPalette(QPalette& palette) const {
    TSkinControl::recolourPalette(palette);
    if (m_skin && m_skin->StatusBarEdges)
        palette.setColor(QPalette::WindowText, m_skin->StatusBarEdges->NormalColour2.colour());
}

void TSkinStatusBar::attached() {
    if (auto* bar = qobject_cast<QStatusBar*>(m_widget.data())) {
        m_hadSizeGrip = bar->isSizeGripEnabled();
        bar->setSizeGripEnabled(false);
    }
    for (QObject* child : m_widget->children())
        if (auto* w = qobject_cast<QWidget*>(child)) takePanel(w);
}

void TSkinStatusBar::detaching() {
    for (const Panel& panel : m_panels) {
        if (!panel.frame) continue;
        panel.frame->setFrameShape(panel.shape);
        panel.frame->setFrameShadow(panel.shadow);
    }
    m_panels.clear();
    if (auto* bar = qobject_cast<QStatusBar*>(m_widget.data()))
        bar->setSizeGripEnabled(m_hadSizeGrip);
}

void TSkinStatusBar::takePanel(QWidget* panel) {
    // The panel's own frame would be drawn over the skinned edges; the skin draws its bevel
    // instead, so the frame is switched off while skinned and its kind remembered.
    auto* frame = qobject_cast<QFrame*>(panel);
    if (!frame || qobject_cast<QSizeGrip*>(panel)) return;
    for (const Panel& p : m_panels)
        if (p.frame == frame) return;
    m_panels.push_back({frame, frame->frameShape(), frame->frameShadow()});
    frame->setFrameShape(QFrame::NoFrame);
}

int TSkinStatusBar::panelFrame(const QWidget* panel) const {
    for (const Panel& p : m_panels) {
        if (p.frame != panel) continue;
        if (p.shape == QFrame::NoFrame) return 3;
        if (p.shadow == QFrame::Raised) return 2;
        if (p.shadow == QFrame::Sunken) return 1;
        return 3;
    }
    return 3;
}

bool TSkinStatusBar::BeforeMessage(QEvent* event) {
    if (event->type() == QEvent::ChildPolished) {
        if (auto* w = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child()))
            takePanel(w);
        return false;
    }
    if (event->type() != QEvent::Paint || !m_skin || !m_skin->StatusBarEdges ||
        !m_skin->StatusBarEdges->hasImage())
        return false;
    QPainter painter(m_widget);
    PaintTo(painter, m_widget->rect());
    m_painted = true;
    return true;
}

void TSkinStatusBar::PaintTo(QPainter& painter, const QRect& rect) {
    const TDataSkinObject* object = m_skin ? m_skin->StatusBarEdges.get() : nullptr;
    auto* bar = qobject_cast<QStatusBar*>(m_widget.data());
    if (!object || !bar || rect.isEmpty()) return;
    const QSize size = rect.size();
    const bool trans = object->Trans == 1;

    std::vector<QWidget*> panels;
    for (QObject* child : bar->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w && !w->isWindow() && w->isVisibleTo(bar) && !qobject_cast<QSizeGrip*>(w))
            panels.push_back(w);
    }
    const QString message = bar->currentMessage();

    QImage& scratch = SkinScratch(size);
    {
        QPainter sp(&scratch);
        sp.fillRect(QRect(QPoint(0, 0), size), buttonFace());
        if (!message.isEmpty() || panels.empty()) {
            DrawSkinBitmap(sp, QPoint(0, 0), DrawNineSlice(size, *object, 1), trans);
            if (!message.isEmpty()) {
                sp.setFont(bar->font());
                sp.setPen(object->NormalColour2.colour());
                sp.drawText(QRect(QPoint(0, 0), size).adjusted(4, 0, -4, 0),
                            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, message);
            }
        }
        for (QWidget* panel : panels) {
            const QRect r = panel->geometry();
            if (r.isEmpty()) continue;
            DrawSkinBitmap(sp, r.topLeft(), DrawNineSlice(r.size(), *object, panelFrame(panel)),
                           trans);
        }
    }
    painter.drawImage(rect.topLeft(), scratch, QRect(QPoint(0, 0), size));
}

// ---------------------------------------------------------------------------------------------
// Panels and group boxes

namespace {

class GroupBoxStyle : public QProxyStyle {
  public:
    GroupBoxStyle(QStyle* base, TSkinControl* control) : QProxyStyle(base), m_control(control) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_GroupBox_TextLabelColor && m_control->skin())
            return int(m_control->skin()->Colours.ButtonText.colour().rgba());
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
    // Some styles take the title colour from the palette rather than the hint.
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override {
        const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
        if (control != CC_GroupBox || !box || !m_control->skin()) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        QStyleOptionGroupBox copy = *box;
        const QColor text = m_control->skin()->Colours.ButtonText.colour();
        copy.textColor = text;
        copy.palette.setColor(QPalette::WindowText, text);
        QProxyStyle::drawComplexControl(control, &copy, painter, widget);
    }

  private:
    TSkinControl* m_control;
};

}  // namespace

void TSkinBox::attached() {
    if (m_recolour) {
        m_savedAutoFill = m_widget->autoFillBackground();
        m_widget->setAutoFillBackground(true);
    }
    if (qobject_cast<QGroupBox*>(m_widget.data()))
        installStyle(m_widget, new GroupBoxStyle(NewBaseStyle(m_widget), this));
}

void TSkinBox::detaching() {
    if (m_recolour) m_widget->setAutoFillBackground(m_savedAutoFill);
}

// ---------------------------------------------------------------------------------------------
// Size grips

bool TSkinSizer::BeforeMessage(QEvent* event) {
    return event->type() == QEvent::Paint;
}
