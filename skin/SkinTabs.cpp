// Tab widgets and tab bars: tabs from the Tabs image, the page frame from its border image.
// Everything is composed as for tabs on top and then mirrored or turned for the other sides.
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>
#include <QTransform>

#include "SkinCtrls.h"
#include "SkinPainters.h"

namespace {

enum class Side { top, bottom, left, right };

Side sideOf(QTabBar::Shape shape) {
    switch (shape) {
        case QTabBar::RoundedSouth:
        case QTabBar::TriangularSouth:
            return Side::bottom;
        case QTabBar::RoundedWest:
        case QTabBar::TriangularWest:
            return Side::left;
        case QTabBar::RoundedEast:
        case QTabBar::TriangularEast:
            return Side::right;
        default:
            return Side::top;
    }
}

// Artwork made for top tabs turned to face the page on the given side: mirrored top to bottom
// for bottom tabs, a quarter turn so that its top edge points away from the page for the sides.
QImage turned(const QImage& top, Side side) {
    switch (side) {
        case Side::bottom:
            return top.mirrored(false, true);
        case Side::left:
            return top.transformed(QTransform().rotate(-90));
        case Side::right:
            return top.transformed(QTransform().rotate(90));
        case Side::top:
            break;
    }
    return top;
}

QSize topSize(const QSize& size, Side side) {
    return (side == Side::left || side == Side::right) ? size.transposed() : size;
}

class TabStyle : public QProxyStyle {
  public:
    TabStyle(QStyle* base, TSkinTab* control) : QProxyStyle(base), m_c(control) {}

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option);
        if (!tab || !usable() || (element != CE_TabBarTabShape && element != CE_TabBarTabLabel)) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        const TDataSkinBorder& tabs = *m_c->skin()->Tabs;
        const bool current = tab->state & State_Selected;
        if (element == CE_TabBarTabLabel) {
            QStyleOptionTab label = *tab;
            const QColor text =
                current ? tabs.MouseOverColour2.colour() : tabs.NormalColour2.colour();
            label.palette.setColor(QPalette::WindowText, text);
            label.palette.setColor(QPalette::ButtonText, text);
            QProxyStyle::drawControl(element, &label, painter, widget);
            return;
        }
        const Side side = sideOf(tab->shape);
        const QRect& r = option->rect;
        if (r.isEmpty()) return;
        const QImage picture =
            turned(DrawNineSlice(topSize(r.size(), side), tabs, current ? 2 : 1), side);
        painter->fillRect(r, m_c->skin()->Colours.ButtonFace.colour());
        DrawSkinBitmap(*painter, r.topLeft(), picture, tabs.Trans == 1);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element == PE_FrameTabBarBase && usable()) return;  // the tabs carry the look
        const auto* frame = qstyleoption_cast<const QStyleOptionTabWidgetFrame*>(option);
        if (element != PE_FrameTabWidget || !frame || !usable() ||
            m_c->skin()->Tabs->BorderImage.isNull() || option->rect.isEmpty()) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        const TDataSkinBorder& tabs = *m_c->skin()->Tabs;
        const Side side = sideOf(frame->shape);
        const QImage picture =
            turned(DrawNineSlice(topSize(option->rect.size(), side), tabs.BorderImage, {4, 5, 4, 4},
                                 false, tabs.Tile != 0, 1, 1),
                   side);
        DrawSkinBitmap(*painter, option->rect.topLeft(), picture, tabs.Trans == 1);
    }

  private:
    bool usable() const {
        return m_c->skin() && m_c->skin()->Tabs && m_c->skin()->Tabs->hasImage();
    }

    TSkinTab* m_c;
};

}  // namespace

void TSkinTab::attached() {
    installStyle(m_widget, new TabStyle(NewBaseStyle(m_widget), this));
    if (auto* tabWidget = qobject_cast<QTabWidget*>(m_widget.data())) {
        m_tabBar = tabWidget->findChild<QTabBar*>(QString(), Qt::FindDirectChildrenOnly);
        if (m_tabBar) installStyle(m_tabBar, new TabStyle(NewBaseStyle(m_tabBar), this));
    }
}

bool TSkinTab::covers(const QWidget* widget) const {
    return widget == m_widget || (m_tabBar && widget == m_tabBar);
}
