// Combo boxes: the drop-down button drawn from the skin over the control's own look.
#include <QComboBox>
#include <QEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>

#include "SkinCtrls.h"
#include "SkinPainters.h"

namespace {

class ComboStyle : public QProxyStyle {
  public:
    ComboStyle(QStyle* base, TSkinComBox* control) : QProxyStyle(base), m_c(control) {}

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget) const override {
        const QRect base = QProxyStyle::subControlRect(control, option, sub, widget);
        if (control != CC_ComboBox || !usable() || option->direction == Qt::RightToLeft)
            return base;
        // The drop-down button is as wide as a scroll arrow plus 2 and takes the full height;
        // the edit field must stop before it or the line edit would cover the skinned button.
        const QRect button = buttonRect(option);
        if (sub == SC_ComboBoxArrow) return button;
        if (sub == SC_ComboBoxEditField && base.right() >= button.left()) {
            QRect field = base;
            field.setRight(button.left() - 1);
            return field;
        }
        return base;
    }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        if (control != CC_ComboBox || !usable() || option->direction == Qt::RightToLeft) return;
        const TSkinData& skin = *m_c->skin();
        const QRect button = buttonRect(option);
        const int f = frame(option);

        painter->save();
        painter->fillRect(button, skin.Colours.ButtonFace.colour());
        DrawSkinBitmap(*painter, button.topLeft(),
                       DrawNineSlice(button.size(), *skin.ComboButton, f), true);
        if (skin.ExtraImages && skin.ExtraImages->hasImage()) {
            const QImage& image = skin.ExtraImages->Image;
            const QRect source = SkinFrameRect(image, skin.ExtraImages->FrameCount, f, false);
            const QPoint at(button.left() + (button.width() - source.width()) / 2,
                            button.top() + (button.height() - source.height()) / 2);
            painter->drawImage(at, KeyedImage(image.copy(source)));
        }
        if (skin.SunkEdge && skin.SunkEdge->hasImage()) {
            const TDataSkinObject& sunk = *skin.SunkEdge;
            const QRect& r = option->rect;
            const QImage edge = KeyedImage(DrawNineSlice(r.size(), sunk, 1));
            const int l = sunk.LeftWidth > 1 ? 2 : 1;
            const int t = sunk.TopHeight > 1 ? 2 : 1;
            const int b = sunk.BottomHeight > 1 ? 2 : 1;
            const int w = button.left() - r.left();
            painter->drawImage(r.topLeft(), edge, QRect(0, 0, l, r.height()));
            painter->drawImage(r.topLeft(), edge, QRect(0, 0, w, t));
            painter->drawImage(QPoint(r.left(), r.bottom() + 1 - b), edge,
                               QRect(0, r.height() - b, w, b));
        }
        painter->restore();
    }

  private:
    bool usable() const {
        return m_c->skin() && m_c->skin()->ComboButton && m_c->skin()->ComboButton->hasImage();
    }
    QRect buttonRect(const QStyleOptionComplex* option) const {
        const int width = baseStyle()->pixelMetric(PM_ScrollBarExtent, nullptr, nullptr) + 2;
        const QRect& r = option->rect;
        return QRect(r.right() + 1 - width, r.top(), width, r.height());
    }
    // 1 normal, 2 pressed (list open), 3 disabled, 4 focused or hot.
    int frame(const QStyleOptionComplex* option) const {
        if (!(option->state & State_Enabled)) return 3;
        // Qt's combo box opens its list on the press and marks the open list as On.
        if (option->state & (State_On | State_Sunken)) return 2;
        if ((option->state & State_HasFocus) || m_c->isHot()) return 4;
        return 1;
    }

    TSkinComBox* m_c;
};

}  // namespace

void TSkinComBox::attached() {
    if (qobject_cast<QComboBox*>(m_widget.data()))
        installStyle(m_widget, new ComboStyle(NewBaseStyle(m_widget), this));
}
