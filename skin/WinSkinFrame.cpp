// Drawing the frame of a skinned window: the strips, the caption row (text and buttons), the
// menu row, and the region that cuts away the strips' transparent pixels.
#include <QFontMetrics>
#include <QPainter>
#include <QWidget>
#include <algorithm>

#include "SkinMenuBar.h"
#include "SkinPainters.h"
#include "WinSkinForm.h"

namespace {

int frameCountOf(const TDataSkinObject& object) {
    return std::max(1, object.FrameCount);
}

// The window title as the window shows it: the "[*]" placeholder becomes "*" while the
// window is modified.
QString displayedTitle(const QWidget& window) {
    QString title = window.windowTitle();
    title.replace(QStringLiteral("[*]"), window.isWindowModified() ? QStringLiteral("*") : "");
    return title;
}

}  // namespace

bool TWinSkinForm::CaptionButtonVisible(const TDataSkinSysButton& button) const {
    const bool maximised = m_windowState == wsMaximized;
    const int styles = m_captionStyles;
    const bool maxBox = styles & csMaximize;
    const bool minBox = styles & csMinimize;
    const bool sysMenu = styles & csSysMenu;
    const bool mdiMaximised = false;  // this program has no MDI windows
    auto holds = [&](int value, bool first) {
        switch (value) {
            case 0:
                return first ? (button.Action != 0 || sysMenu) : true;
            case 1:
                return maximised;
            case 2:
                return !maximised;
            case 3:
                return m_active;
            case 4:
                return !m_active;
            case 6:
                return first ? maxBox && sysMenu : maxBox;
            case 7:
                return !maxBox;
            case 8:
                return first ? minBox && sysMenu : minBox;
            case 9:
                return !minBox;
            case 100:
                return mdiMaximised;
            default:
                return value >= 200 && value <= 2000;
        }
    };
    bool visible = holds(button.Visibility, true) && holds(button.Visibility1, false);
    if (button.Action == 1 && !maxBox) visible = false;
    if (button.Action == 2 && !minBox) visible = false;
    return visible;
}

void TWinSkinForm::layoutCaption() {
    if (!m_window) return;
    const int width = m_window->width();
    const TDataSkinTitle& title = m_skin->Title;

    // The caption text, widened by its background's ends, placed in the caption area.
    const QFontMetrics metrics(m_captionFont);
    const QString text = displayedTitle(*m_window) + QStringLiteral("   ");
    const QRect area(m_left, 0, width - m_left - m_right, m_top);
    const int textWidth =
        metrics.horizontalAdvance(text) + title.TextBackLeft + title.TextBackRight;
    const int textHeight = metrics.height();
    int x = area.left();
    switch (title.TextAlignment) {
        case 0:
            x += title.TextShift();
            break;
        case 1:
            x += (area.width() - textWidth) / 2;
            break;
        case 2:
            x += area.width() + title.TextRightClip() - textWidth;
            break;
        default:
            break;
    }
    const int y = (m_top - textHeight) / 2 + title.TextShiftVert() / 2;
    const int right = std::min(x + textWidth, area.left() + area.width() - title.TextRightClip());
    m_textRect = QRect(x, y, std::max(0, right - x), textHeight);
    const int textRight = m_textRect.x() + m_textRect.width();

    for (auto& object : m_buttons) {
        const TDataSkinSysButton& button = object->button;
        object->visible = CaptionButtonVisible(button);
        if (!object->visible || button.Image.isNull()) continue;
        const int w = button.Image.width() / frameCountOf(button);
        const int h = button.Image.height();
        QPoint at;
        switch (button.Align) {
            case 0:
                at = {button.Xcoord, button.Ycoord};
                break;
            case 1:
                at = {width - button.Xcoord, button.Ycoord};
                break;
            case 2:
            case 8:
                at = {m_textRect.x() - w - button.Xcoord, button.Ycoord};
                break;
            case 3:
            case 9:
                at = {button.Xcoord + textRight, button.Ycoord};
                break;
            case 100: {
                const int menuLeft = m_skin->MenuBar ? m_skin->MenuBar->LeftWidth : 0;
                at = {width - button.Xcoord - m_right - menuLeft, m_top + (m_menuHeight - h) / 2};
                break;
            }
            default:
                break;
        }
        object->rect = QRect(at, QSize(w, h));
    }
    if (m_menu) m_menu->layout(QRect(m_left, m_top, width - m_left - m_right, m_menuHeight));
}

namespace {

// One frame strip drawn to its place's size: frame 1 when active or single-framed, else 2.
QImage stripImage(const TDataSkinBorder& strip, QSize size, bool vertical, bool active) {
    if (strip.Image.isNull() || size.isEmpty()) return {};
    const int frame = active || frameCountOf(strip) <= 1 ? 1 : 2;
    const SkinMargins margins{strip.LeftWidth, strip.TopHeight, strip.RightWidth,
                              strip.BottomHeight};
    return DrawNineSlice(size, strip.Image, margins, vertical, strip.Tile != 1, frameCountOf(strip),
                         frame);
}

}  // namespace

QImage TWinSkinForm::composeCaption(int width) {
    if (width <= 0 || m_top <= 0) return {};
    const int height = m_window ? m_window->height() : m_top;
    QImage row(width, m_top, QImage::Format_RGB32);
    row.fill(kSkinKeyColour);
    QPainter painter(&row);
    const auto& borders = m_skin->Borders;

    // The top ends of the side strips, as the row sits on them.
    const QImage left = stripImage(borders[TSkinData::bdLeft], {m_left, height}, false, m_active);
    const QImage right =
        stripImage(borders[TSkinData::bdRight], {m_right, height}, false, m_active);
    if (!left.isNull()) painter.drawImage(0, 0, left);
    if (!right.isNull()) painter.drawImage(width - m_right, 0, right);
    const QImage top =
        stripImage(borders[TSkinData::bdTop], {width - m_left - m_right, m_top}, true, m_active);
    if (!top.isNull()) painter.drawImage(m_left, 0, top);

    // The text, on its background when the skin has one.
    const TDataSkinTitle& title = m_skin->Title;
    if (!title.Image.isNull() && m_textRect.width() > 0)
        DrawThreePart(painter, QRect(m_textRect.x(), 0, m_textRect.width(), m_top), title.Image,
                      true, true, 2, m_active ? 1 : 2, title.TextBackLeft, title.TextBackRight);
    const QRect textRect = m_textRect.adjusted(title.TextBackLeft, 0, -title.TextBackRight, 0);
    if (m_window && textRect.width() > 0) {
        // The three blanks the layout measured are room after the text, not text to keep:
        // eliding them too would cut a title that fits.
        const QString text = displayedTitle(*m_window);
        const QFontMetrics metrics(m_captionFont);
        painter.setFont(m_captionFont);
        const SkinColour& colour =
            m_active ? m_skin->Colours.TitleTextActive : m_skin->Colours.TitleTextNoActive;
        painter.setPen(colour.colour());
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         metrics.elidedText(text, Qt::ElideRight, textRect.width()));
    }

    // The caption buttons; a pressed or hot button shows its state's frame.
    for (const auto& object : m_buttons) {
        const TDataSkinSysButton& button = object->button;
        if (!object->visible || button.Image.isNull() || button.Visibility == 100) continue;
        const bool icon = button.Action == 3 || button.Action == 11;
        if (icon && !m_icon.isNull()) {
            DrawFrameTransparent(painter, object->rect, m_icon, 1);
            continue;
        }
        int frame = m_active || frameCountOf(button) < 4 ? 1 : 4;
        if (object->state != 1) frame = std::min(object->state, frameCountOf(button));
        DrawFrameTransparent(painter, object->rect, button.Image, frame);
    }
    return row;
}

void TWinSkinForm::paintFrame(QPainter& painter) {
    if (!m_window || m_frameKind == 2) return;
    try {
        layoutCaption();
        const int w = m_window->width();
        const int h = m_window->height();
        const auto& borders = m_skin->Borders;
        const TDataSkinBorder& leftStrip = borders[TSkinData::bdLeft];
        const TDataSkinBorder& rightStrip = borders[TSkinData::bdRight];
        const TDataSkinBorder& bottomStrip = borders[TSkinData::bdBottom];
        DrawSkinBitmap(painter, {0, 0}, stripImage(leftStrip, {m_left, h}, false, m_active),
                       leftStrip.Trans == 1);
        DrawSkinBitmap(painter, {w - m_right, 0},
                       stripImage(rightStrip, {m_right, h}, false, m_active),
                       rightStrip.Trans == 1);
        DrawSkinBitmap(painter, {m_left, h - m_bottom},
                       stripImage(bottomStrip, {w - m_left - m_right, m_bottom}, true, m_active),
                       bottomStrip.Trans == 1);
        const QImage caption = composeCaption(w);
        if (!caption.isNull()) DrawSkinBitmap(painter, {0, 0}, caption, true);
        if (m_menu) m_menu->paint(painter, m_active);
    } catch (...) {
        // A failed frame paint leaves the frame as it was; the next paint starts afresh.
    }
}

QRegion TWinSkinForm::frameRegion() {
    if (!m_window) return {};
    const int w = m_window->width();
    const int h = m_window->height();
    const auto& borders = m_skin->Borders;
    const TDataSkinBorder& leftStrip = borders[TSkinData::bdLeft];
    const TDataSkinBorder& rightStrip = borders[TSkinData::bdRight];
    const TDataSkinBorder& topStrip = borders[TSkinData::bdTop];
    const TDataSkinBorder& bottomStrip = borders[TSkinData::bdBottom];
    const QRect whole(0, 0, w, h);
    if (leftStrip.Trans != 1 && topStrip.Trans != 1 && rightStrip.Trans != 1) return whole;

    // The inside of the frame (the menu row included: it is drawn opaque) and each strip,
    // by its pixels where it is transparent.
    QRegion region(m_left, m_top, w - m_left - m_right, h - m_top - m_bottom);
    auto add = [&](bool pixels, const QImage& painted, QPoint at, const QRect& plain) {
        if (pixels && !painted.isNull())
            region += RegionFromBitmap(painted, at.x(), at.y());
        else
            region += plain;
    };
    layoutCaption();
    add(leftStrip.Trans == 1 && h > 1, stripImage(leftStrip, {m_left, h}, false, true), {0, 0},
        QRect(0, 0, m_left, h));
    add(rightStrip.Trans == 1 && h > 1, stripImage(rightStrip, {m_right, h}, false, true),
        {w - m_right, 0}, QRect(w - m_right, 0, m_right, h));
    add(topStrip.Trans == 1 && m_top > 1, composeCaption(w), {0, 0},
        QRect(m_left, 0, w - m_left - m_right, m_top));
    add(bottomStrip.Trans == 1 && m_bottom >= 2,
        stripImage(bottomStrip, {w - m_left - m_right, m_bottom}, true, true),
        {m_left, h - m_bottom}, QRect(m_left, h - m_bottom, w - m_left - m_right, m_bottom));
    return region & whole;
}
