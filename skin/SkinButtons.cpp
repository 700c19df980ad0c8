// Push buttons, glyph buttons, tool buttons, check boxes and radio buttons.
#include <QAbstractButton>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleOption>
#include <QToolButton>
#include <algorithm>

#include "SkinCtrls.h"
#include "SkinPainters.h"

namespace {

int pushButtonFrames(const TDataSkinButton& buttons) {
    return buttons.FrameCount > 1 ? buttons.FrameCount : 5;
}

QFont plainFont(QFont font) {
    font.setBold(false);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

// Glyph and caption centred together, the glyph before the caption (or above it).
void drawGlyphAndCaption(QPainter& painter, const QRect& rect, const QPixmap& glyph,
                         const QString& text, bool above) {
    const QFontMetrics fm(painter.font());
    const QSize textSize = text.isEmpty() ? QSize() : fm.size(Qt::TextShowMnemonic, text);
    const QSize glyphSize = glyph.isNull() ? QSize() : glyph.deviceIndependentSize().toSize();
    const int spacing = (glyph.isNull() || text.isEmpty()) ? 0 : 4;
    if (above) {
        const int total = glyphSize.height() + spacing + textSize.height();
        const int y = rect.top() + (rect.height() - total) / 2;
        if (!glyph.isNull())
            painter.drawPixmap(rect.left() + (rect.width() - glyphSize.width()) / 2, y, glyph);
        if (!text.isEmpty())
            painter.drawText(QRect(rect.left(), y + glyphSize.height() + spacing, rect.width(),
                                   textSize.height()),
                             Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic, text);
        return;
    }
    const int total = glyphSize.width() + spacing + textSize.width();
    const int x = rect.left() + (rect.width() - total) / 2;
    if (!glyph.isNull())
        painter.drawPixmap(x, rect.top() + (rect.height() - glyphSize.height()) / 2, glyph);
    if (!text.isEmpty())
        painter.drawText(QRect(x + glyphSize.width() + spacing, rect.top(),
                               std::max(textSize.width(), 1), rect.height()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, text);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TSkinButton

QAbstractButton* TSkinButton::button() const {
    return qobject_cast<QAbstractButton*>(m_widget.data());
}

bool TSkinButton::isDown() const {
    // Qt's own down state follows the mouse in and out of the button and the space key, so it
    // decides the pressed frame for real buttons.
    if (const QAbstractButton* b = button()) return b->isDown();
    return m_state & kPressed;
}

bool TSkinButton::canPaint() const {
    return m_skin && m_skin->Buttons.hasImage();
}

bool TSkinButton::BeforeMessage(QEvent* event) {
    switch (event->type()) {
        case QEvent::Paint:
            if (!canPaint()) return false;
            {
                QPainter painter(m_widget);
                PaintTo(painter, m_widget->rect());
            }
            m_painted = true;
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            // The press is let through: Qt's button does the clicking (release inside the
            // button only, auto-repeat, the clicked signal).
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                m_state |= kPressed;
                Repaint();
            }
            return false;
        default:
            return false;
    }
}

void TSkinButton::AfterMessage(QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Space && !key->isAutoRepeat()) {
                if (event->type() == QEvent::KeyPress)
                    m_state |= kPressed;
                else
                    m_state &= ~kPressed;
                Repaint();
            }
            break;
        }
        case QEvent::MouseButtonRelease:
            m_state &= ~kPressed;
            Repaint();
            break;
        case QEvent::EnabledChange:
            if (m_widget && !m_widget->isEnabled()) m_state &= ~(kHot | kPressed);
            break;
        default:
            break;
    }
    TSkinControl::AfterMessage(event);
}

int TSkinButton::frame() const {
    if (isDown()) return 2;
    if (m_focused || (m_state & kHot)) return 4;
    if (m_enabled) return 1;
    return 3;
}

QColor TSkinButton::textColour(int frame) const {
    if (!m_enabled) return systemColour(SystemColour::buttonShadow);
    const TDataSkinButton& b = m_skin->Buttons;
    switch (frame) {
        case 1:
            return b.NormalColour2.colour();
        case 2:
            return b.PressedColour2.colour();
        case 4:
            return b.MouseOverColour2.colour();
        default:
            return m_skin->Colours.ButtonText.colour();
    }
}

void TSkinButton::paintContent(QPainter& painter, const QRect& rect, int frame) {
    painter.setFont(plainFont(m_widget->font()));
    painter.setPen(textColour(frame));
    painter.drawText(rect, Qt::AlignCenter | Qt::TextShowMnemonic, m_text);
}

void TSkinButton::PaintTo(QPainter& painter, const QRect& rect) {
    if (!canPaint() || !m_widget || rect.isEmpty()) return;
    readState();
    const int f = frame();
    const TDataSkinButton& b = m_skin->Buttons;
    const QSize size = rect.size();
    QImage& scratch = SkinScratch(size);
    {
        QPainter sp(&scratch);
        sp.fillRect(QRect(QPoint(0, 0), size), buttonFace());
        const QImage face =
            DrawNineSlice(size, b.Image, {b.LeftWidth, b.TopHeight, b.RightWidth, b.BottomHeight},
                          false, b.Tile != 0, pushButtonFrames(b), f);
        DrawSkinBitmap(sp, QPoint(0, 0), face, b.Trans == 1);
        paintContent(sp, QRect(QPoint(0, 0), size), f);
    }
    painter.drawImage(rect.topLeft(), scratch, QRect(QPoint(0, 0), size));
    m_screenRect = QRect(m_widget->mapToGlobal(QPoint(0, 0)), m_widget->size());
}

// ---------------------------------------------------------------------------------------------
// Glyph buttons

void TSkinBitButton::paintContent(QPainter& painter, const QRect& rect, int frame) {
    const QAbstractButton* b = button();
    QPixmap glyph;
    if (b && !b->icon().isNull())
        glyph = b->icon().pixmap(b->iconSize(), 1.0, m_enabled ? QIcon::Normal : QIcon::Disabled);
    painter.setFont(plainFont(m_widget->font()));
    painter.setPen(textColour(frame));
    drawGlyphAndCaption(painter, rect, glyph, m_text, false);
}

// ---------------------------------------------------------------------------------------------
// Tool buttons

int TSkinSpeedButton::frame() const {
    if (!m_enabled) return 3;
    const QAbstractButton* b = button();
    if (isDown() || (b && b->isChecked())) return 2;
    if (m_state & kHot) return 4;
    return 1;
}

QColor TSkinSpeedButton::textColour(int frame) const {
    if (!m_enabled) return systemColour(SystemColour::buttonShadow);
    const TDataSkinButton& b = m_skin->Buttons;
    const int index = frame == 2   ? b.PressedColour
                      : frame == 4 ? b.MouseOverColour
                                   : b.NormalColour;
    QColor colour;
    if (m_skin->GetColour(index, colour)) return colour;
    return m_skin->Colours.ButtonText.colour();
}

void TSkinSpeedButton::paintContent(QPainter& painter, const QRect& rect, int frame) {
    const auto* tool = qobject_cast<const QToolButton*>(m_widget.data());
    QPixmap glyph;
    if (tool && !tool->icon().isNull())
        glyph =
            tool->icon().pixmap(tool->iconSize(), 1.0, m_enabled ? QIcon::Normal : QIcon::Disabled);
    Qt::ToolButtonStyle style = tool ? tool->toolButtonStyle() : Qt::ToolButtonTextOnly;
    if (style == Qt::ToolButtonFollowStyle)
        style = glyph.isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly;
    if (glyph.isNull()) style = Qt::ToolButtonTextOnly;
    const QString caption = style == Qt::ToolButtonIconOnly ? QString() : m_text;
    if (style == Qt::ToolButtonTextOnly) glyph = QPixmap();
    painter.setFont(plainFont(m_widget->font()));
    painter.setPen(textColour(frame));
    drawGlyphAndCaption(painter, rect, glyph, caption, style == Qt::ToolButtonTextUnderIcon);
}

// ---------------------------------------------------------------------------------------------
// Check boxes and radio buttons

namespace {

class IndicatorStyle : public QProxyStyle {
  public:
    IndicatorStyle(QStyle* base, TSkinCheckBox* control) : QProxyStyle(base), m_c(control) {}

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        const bool width =
            metric == (m_c->radio() ? PM_ExclusiveIndicatorWidth : PM_IndicatorWidth);
        const bool height =
            metric == (m_c->radio() ? PM_ExclusiveIndicatorHeight : PM_IndicatorHeight);
        if ((width || height) && usable()) {
            const QSize g = glyphSize();
            // Narrow glyphs sit in a 14-pixel box; wider ones at the edge with one pixel spare.
            if (width) return g.width() < 15 ? 14 : g.width() + 1;
            return g.height();
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element != (m_c->radio() ? PE_IndicatorRadioButton : PE_IndicatorCheckBox) ||
            !usable()) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        const QSize g = glyphSize();
        const QRect& r = option->rect;
        const int inset = g.width() < 15 ? (14 - g.width()) / 2 : 0;
        const int x = option->direction == Qt::RightToLeft
                          ? r.right() + 1 - (g.width() < 15 ? inset : 1) - g.width()
                          : r.left() + inset;
        const QRect glyphRect(x, r.top() + (r.height() - g.height()) / 2, g.width(), g.height());
        const bool checked = option->state & (State_On | State_NoChange);
        const bool enabled = option->state & State_Enabled;
        const QImage& image = m_c->glyphImage();
        const QRect source =
            SkinFrameRect(image, m_c->glyphFrames(), m_c->frameFor(checked, enabled), false);
        painter->fillRect(glyphRect, m_c->skin()->Colours.ButtonFace.colour());
        painter->drawImage(glyphRect.topLeft(), KeyedImage(image.copy(source)));
    }

  private:
    bool usable() const {
        return m_c->skin() && !m_c->glyphImage().isNull() && m_c->glyphFrames() > 0;
    }
    QSize glyphSize() const {
        const QImage& image = m_c->glyphImage();
        return {image.width() / m_c->glyphFrames(), image.height()};
    }

    TSkinCheckBox* m_c;
};

}  // namespace

const QImage& TSkinCheckBox::glyphImage() const {
    static const QImage none;
    if (!m_skin) return none;
    return radio() ? m_skin->Buttons.RadioImage : m_skin->Buttons.CheckImage;
}

int TSkinCheckBox::glyphFrames() const {
    if (!m_skin) return 0;
    const int stored =
        radio() ? m_skin->Buttons.RadioButtonFrame : m_skin->Buttons.CheckButtonFrame;
    if (stored > 0) return stored;
    // A skin that does not say: guess from the image's proportions, at least 4 frames.
    const QImage& image = glyphImage();
    if (image.isNull()) return 0;
    return std::max(4, image.width() / (image.height() < 16 ? 13 : 16));
}

int TSkinCheckBox::frameFor(bool checked, bool enabled) const {
    if (radio()) return enabled ? (checked ? 2 : 1) : (checked ? 4 : 3);
    if (!enabled) return 3;
    return checked ? 2 : 1;
}

void TSkinCheckBox::attached() {
    installStyle(m_widget, new IndicatorStyle(NewBaseStyle(m_widget), this));
}
