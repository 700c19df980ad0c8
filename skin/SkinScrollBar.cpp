// The scroll bars of scrollable controls: arrows, track and thumb from the skin. The proxy
// style also answers the scroll bar's geometry, so Qt's own dragging and paging act on the
// thumb exactly where it is drawn.
#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyleOption>
#include <QTextEdit>
#include <algorithm>

#include "SkinCtrls.h"
#include "SkinPainters.h"

SkinThumb SkinThumbGeometry(int trackLength, int minimum, int maximum, int page, int position,
                            int systemThumb) {
    SkinThumb thumb;
    if (trackLength <= 0 || maximum < minimum) return thumb;
    page = std::max(page, 0);
    // Qt's maximum is the last position; the range counts every value a page can cover.
    const qint64 span = qint64(maximum) - minimum;
    const qint64 range = page > 0 ? span + page : span + 1;
    qint64 length =
        page == 0 ? systemThumb : std::max<qint64>(8, qint64(page) * trackLength / range);
    length = std::clamp<qint64>(length, 0, trackLength);
    qint64 start = 0;
    if (page > 0 && span == 0) {
        length = std::max<qint64>(length - 1, 0);  // the page covers everything
    } else {
        const qint64 offset = std::clamp<qint64>(qint64(position) - minimum, 0, span);
        start = offset * (trackLength - length) / (range - page);
    }
    thumb.visible = true;
    thumb.start = int(std::clamp<qint64>(start, 0, trackLength - length));
    thumb.length = int(length);
    return thumb;
}

namespace {

// The parts of a bar along its axis.
struct BarLayout {
    bool horizontal = true;
    int length = 0;  // along the axis
    int thickness = 0;
    int end = 0;  // size of each arrow square along the axis
    int track = 0;
    SkinThumb thumb;

    QRect span(const QRect& bar, int from, int size) const {
        if (size <= 0) return QRect();
        return horizontal ? QRect(bar.left() + from, bar.top(), size, thickness)
                          : QRect(bar.left(), bar.top() + from, thickness, size);
    }
};

BarLayout layoutOf(const QStyleOptionSlider& option) {
    BarLayout l;
    l.horizontal = option.orientation == Qt::Horizontal;
    l.length = l.horizontal ? option.rect.width() : option.rect.height();
    l.thickness = l.horizontal ? option.rect.height() : option.rect.width();
    // A bar shorter than two arrows gives each arrow half of it.
    l.end = l.length < 2 * l.thickness ? l.length / 2 : l.thickness;
    l.track = l.length - 2 * l.end;
    l.thumb = SkinThumbGeometry(l.track, option.minimum, option.maximum, option.pageStep,
                                option.sliderPosition, l.thickness);
    return l;
}

// One frame of the arrow image (23 side by side).
QSize arrowFrameSize(const TDataSkinObject& arrows) {
    return {arrows.Image.width() / std::max(1, arrows.FrameCount), arrows.Image.height()};
}

// An arrow button drawn into r. Art squeezed into fewer pixels than it was drawn for loses
// whole rows and columns when picked pixel by pixel (a 4-row arrow head became a 2-pixel
// dash). Arrow art is centred in its frame, so a smaller square shows the middle of the frame
// pixel for pixel, down to half the art's size; below that the art is averaged down.
void drawArrow(QPainter& p, const TDataSkinObject& arrows, const QRect& r, int frame) {
    if (r.isEmpty()) return;
    const QSize art = arrowFrameSize(arrows);
    const bool trans = arrows.Trans == 1;
    if (r.width() >= art.width() && r.height() >= art.height()) {
        DrawSkinBitmap(p, r.topLeft(), DrawNineSlice(r.size(), arrows, frame), trans);
        return;
    }
    const QRect cell(QPoint(art.width() * (frame - 1), 0), art);
    if (2 * r.width() >= art.width() && 2 * r.height() >= art.height()) {
        const QSize size = r.size().boundedTo(art);
        const QPoint inset((art.width() - size.width()) / 2, (art.height() - size.height()) / 2);
        const QImage middle = arrows.Image.copy(QRect(cell.topLeft() + inset, size));
        DrawSkinBitmap(p, r.topLeft(), DrawNineSlice(r.size(), middle, {}, false, false, 1, 1),
                       trans);
        return;
    }
    const QImage small = arrows.Image.copy(cell).scaled(
        r.size(), Qt::IgnoreAspectRatio, trans ? Qt::FastTransformation : Qt::SmoothTransformation);
    DrawSkinBitmap(p, r.topLeft(), small, trans);
}

// The bars are as thick as the arrow art (within reason): its arrows then show at the size
// they were drawn for.
constexpr int kMinBarThickness = 8;
constexpr int kMaxBarThickness = 64;

class ScrollBarStyle : public QProxyStyle {
  public:
    ScrollBarStyle(QStyle* base, TSkinScrollBar* control) : QProxyStyle(base), m_c(control) {}

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_ScrollBarSliderMin) return 8;
        if (metric == PM_ScrollBarExtent) {
            const TSkinData* skin = m_c->skin();
            if (skin && skin->Scrollbar && skin->Scrollbar->hasImage()) {
                const QSize art = arrowFrameSize(*skin->Scrollbar);
                return std::clamp(std::max(art.width(), art.height()), kMinBarThickness,
                                  kMaxBarThickness);
            }
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget) const override {
        const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
        if (control != CC_ScrollBar || !slider || !usable(slider->orientation))
            return QProxyStyle::subControlRect(control, option, sub, widget);
        const BarLayout l = layoutOf(*slider);
        const QRect& r = option->rect;
        const int thumbAt = l.end + l.thumb.start;
        const int thumbEnd = thumbAt + l.thumb.length;
        switch (sub) {
            case SC_ScrollBarSubLine:
                return l.span(r, 0, l.end);
            case SC_ScrollBarAddLine:
                return l.span(r, l.length - l.end, l.end);
            case SC_ScrollBarGroove:
                return l.span(r, l.end, l.track);
            case SC_ScrollBarSlider:
                return l.thumb.visible ? l.span(r, thumbAt, l.thumb.length) : QRect();
            case SC_ScrollBarSubPage:
                return l.thumb.visible ? l.span(r, l.end, l.thumb.start) : QRect();
            case SC_ScrollBarAddPage:
                return l.thumb.visible ? l.span(r, thumbEnd, l.length - l.end - thumbEnd) : QRect();
            default:
                return QRect();
        }
    }

    SubControl hitTestComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                     const QPoint& pos, const QWidget* widget) const override {
        const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
        if (control != CC_ScrollBar || !slider || !usable(slider->orientation))
            return QProxyStyle::hitTestComplexControl(control, option, pos, widget);
        for (SubControl sub : {SC_ScrollBarSlider, SC_ScrollBarSubLine, SC_ScrollBarAddLine,
                               SC_ScrollBarSubPage, SC_ScrollBarAddPage, SC_ScrollBarGroove})
            if (subControlRect(control, option, sub, widget).contains(pos)) return sub;
        return SC_None;
    }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override {
        const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
        if (control != CC_ScrollBar || !slider || !usable(slider->orientation) ||
            option->rect.isEmpty()) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        const TSkinData& skin = *m_c->skin();
        const BarLayout l = layoutOf(*slider);
        const TDataSkinObject& track = l.horizontal ? *skin.HorzScroll : *skin.VertScroll;
        const TDataSkinObject& thumb = l.horizontal ? *skin.HorzScrollThumb : *skin.VertScrollThumb;
        const TDataSkinObject& arrows = *skin.Scrollbar;
        const bool sunken = option->state & State_Sunken;
        auto pressed = [&](SubControl sub) { return sunken && (option->activeSubControls & sub); };

        // The bar is composed in a bitmap of its own and copied in one go.
        const QRect local(QPoint(0, 0), option->rect.size());
        QImage bar(local.size(), QImage::Format_ARGB32_Premultiplied);
        bar.fill(skin.Colours.Scrollbar.colour());
        {
            QPainter p(&bar);
            auto draw = [&](const TDataSkinObject& object, const QRect& r, int frame) {
                if (r.isEmpty()) return;
                DrawSkinBitmap(p, r.topLeft(), DrawNineSlice(r.size(), object, frame),
                               object.Trans == 1);
            };
            draw(track, l.span(local, l.end, l.track), 1);
            const int sub = l.horizontal ? 1 : 9;
            const int add = l.horizontal ? 5 : 13;
            drawArrow(p, arrows, l.span(local, 0, l.end),
                      pressed(SC_ScrollBarSubLine) ? sub + 1 : sub);
            drawArrow(p, arrows, l.span(local, l.length - l.end, l.end),
                      pressed(SC_ScrollBarAddLine) ? add + 1 : add);
            if (l.thumb.visible && (option->state & State_Enabled))
                draw(thumb, l.span(local, l.end + l.thumb.start, l.thumb.length),
                     pressed(SC_ScrollBarSlider) ? 2 : 1);
        }
        painter->drawImage(option->rect.topLeft(), bar);
    }

  private:
    bool usable(Qt::Orientation orientation) const {
        const TSkinData* skin = m_c->skin();
        if (!skin || !skin->Scrollbar || !skin->Scrollbar->hasImage()) return false;
        const auto& track = orientation == Qt::Horizontal ? skin->HorzScroll : skin->VertScroll;
        const auto& thumb =
            orientation == Qt::Horizontal ? skin->HorzScrollThumb : skin->VertScrollThumb;
        return track && track->hasImage() && thumb && thumb->hasImage();
    }

    TSkinScrollBar* m_c;
};

}  // namespace

void TSkinScrollBar::attached() {
    m_bars.clear();
    if (auto* area = qobject_cast<QAbstractScrollArea*>(m_widget.data())) {
        m_bars.emplace_back(area->horizontalScrollBar());
        m_bars.emplace_back(area->verticalScrollBar());
    } else if (auto* bar = qobject_cast<QScrollBar*>(m_widget.data())) {
        m_bars.emplace_back(bar);
    }
    for (const QPointer<QWidget>& bar : m_bars)
        if (bar) installStyle(bar, new ScrollBarStyle(NewBaseStyle(bar), this));
    relayout();
}

void TSkinScrollBar::detaching() {
    relayout();  // posted: it runs once the bars have their own styles back
}

void TSkinScrollBar::relayout() {
    // The bars' thickness follows the style; the scroll area places them only when asked.
    for (const QPointer<QWidget>& bar : m_bars)
        if (bar) bar->updateGeometry();
    if (auto* area = qobject_cast<QAbstractScrollArea*>(m_widget.data()))
        QCoreApplication::postEvent(area, new QEvent(QEvent::LayoutRequest));
}

bool TSkinScrollBar::covers(const QWidget* widget) const {
    if (widget == m_widget) return true;
    return std::any_of(m_bars.begin(), m_bars.end(),
                       [widget](const QPointer<QWidget>& bar) { return bar == widget; });
}

bool TSkinScrollBar::paintsAfter() const {
    return qobject_cast<const QAbstractScrollArea*>(m_widget.data()) != nullptr;
}

void TSkinScrollBar::PaintTo(QPainter& painter, const QRect& rect) {
    auto* area = qobject_cast<QAbstractScrollArea*>(m_widget.data());
    if (!area || !m_skin) return;
    QScrollBar* h = area->horizontalScrollBar();
    QScrollBar* v = area->verticalScrollBar();
    if (h && v && h->isVisible() && v->isVisible()) {
        const QPoint hAt = h->mapTo(area, QPoint(0, 0));
        const QPoint vAt = v->mapTo(area, QPoint(0, 0));
        painter.fillRect(QRect(vAt.x(), hAt.y(), v->width(), h->height()), buttonFace());
    }
    if (qobject_cast<QTextEdit*>(area) || qobject_cast<QPlainTextEdit*>(area)) {
        painter.setPen(m_skin->Colours.ButtonShadow.colour());
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
    }
}
