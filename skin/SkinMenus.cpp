// Popup menus drawn from the skin: a proxy style on each menu paints the background from the
// MenuBackground image and each entry from the MenuItem image, and sizes the entries.
#include "SkinMenus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOption>
#include <map>
#include <memory>
#include <vector>

#include "SkinCtrls.h"
#include "SkinPainters.h"
#include "WinSkinData.h"

namespace {

constexpr int kPlainActionTag = 999;
constexpr int kGlyphBox = 16;

// The caption (mnemonic marker kept) and the shortcut text of an entry.
std::pair<QString, QString> splitEntryText(const QString& text) {
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    QString caption = tab < 0 ? text : text.left(tab);
    const QString shortcut = tab < 0 ? QString() : text.mid(tab + 1);
    // An empty caption, or one of only the marker, still takes the room of a space.
    if (caption.isEmpty() || caption == QLatin1String("&")) caption = QStringLiteral(" ");
    return {caption, shortcut};
}

class MenuStyle : public QProxyStyle {
  public:
    MenuStyle(QStyle* base, TSkinData& skin, bool entries)
        : QProxyStyle(base), m_skin(&skin), m_entries(entries) {}

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (m_skin) {
            // The entries sit 3 pixels inside the painted background.
            if (metric == PM_MenuPanelWidth) return 3;
            if (metric == PM_MenuHMargin || metric == PM_MenuVMargin) return 0;
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (!m_skin || (element != PE_PanelMenu && element != PE_FrameMenu)) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        if (element == PE_FrameMenu) return;  // the background image carries the border
        painter->fillRect(option->rect, m_skin->Colours.Menu.colour());
        const TDataSkinObject* background = m_skin->MenuBackground.get();
        if (background && background->hasImage() && !option->rect.isEmpty())
            DrawSkinBitmap(*painter, option->rect.topLeft(),
                           DrawNineSlice(option->rect.size(), *background, 1),
                           background->Trans == 1);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (m_skin && element == CE_MenuEmptyArea) return;  // keep the painted background
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (!m_skin || !m_entries || element != CE_MenuItem || !item || isPlain(item, widget)) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        painter->save();
        drawEntry(*item, *painter);
        painter->restore();
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        const QSize base = QProxyStyle::sizeFromContents(type, option, size, widget);
        if (!m_skin || !m_entries || type != CT_MenuItem || !item) return base;
        if (item->menuItemType == QStyleOptionMenuItem::Separator) return QSize(26, 8);
        QFont font = item->font;
        if (item->menuItemType == QStyleOptionMenuItem::DefaultItem) font.setBold(true);
        const QFontMetrics fm(font);
        const auto [caption, shortcut] = splitEntryText(item->text);
        // A menu of its own (not opened from a menu bar or another menu) is 2 pixels wider.
        const bool firstLevel = widget && !qobject_cast<QMenu*>(widget->parentWidget()) &&
                                !qobject_cast<QMenuBar*>(widget->parentWidget());
        int width = fm.size(Qt::TextShowMnemonic, caption).width() + (firstLevel ? 28 : 26);
        if (!shortcut.isEmpty()) width += fm.horizontalAdvance(shortcut) + 10 + kGlyphBox;
        if (item->menuItemType == QStyleOptionMenuItem::SubMenu) width += 12;
        return QSize(width, base.height() + 4);
    }

  private:
    // Entries tagged for the plain look (and menus the style meets without an action).
    static bool isPlain(const QStyleOptionMenuItem* item, const QWidget* widget) {
        const auto* menu = qobject_cast<const QMenu*>(widget);
        if (!menu) return false;
        for (QAction* action : menu->actions())
            if (menu->actionGeometry(action) == item->rect)
                return action->property("tag").toInt() == kPlainActionTag;
        return false;
    }

    QColor captionColour(bool selected, bool enabled) const {
        const TSkinColours& c = m_skin->Colours;
        if (!enabled) {
            // A disabled caption must differ from an enabled one.
            const QColor shadow = c.ButtonShadow.colour();
            return shadow == c.MenuText.colour() ? systemColour(SystemColour::buttonShadow)
                                                 : shadow;
        }
        return selected ? c.HilightText.colour() : c.MenuText.colour();
    }

    void drawEntry(const QStyleOptionMenuItem& item, QPainter& p) const {
        const QRect& r = item.rect;
        if (r.isEmpty()) return;
        const bool selected = item.state & State_Selected;
        const bool enabled = item.state & State_Enabled;
        const bool separator = item.menuItemType == QStyleOptionMenuItem::Separator;
        const TDataSkinObject* skinItem = m_skin->MenuItem.get();

        if (skinItem && skinItem->hasImage()) {
            if (separator) {
                // The bottom rows of the second frame, its side margins kept, middle stretched.
                const QImage& image = skinItem->Image;
                const int rows = std::min(r.height(), image.height());
                const QImage strip = image.copy(0, image.height() - rows, image.width(), rows);
                DrawThreePart(p, r, strip, false, true, skinItem->FrameCount, 2,
                              skinItem->LeftWidth, skinItem->RightWidth);
                return;
            }
            DrawSkinBitmap(p, r.topLeft(), DrawNineSlice(r.size(), *skinItem, selected ? 4 : 1),
                           skinItem->Trans == 1);
        } else {
            const TSkinColours& c = m_skin->Colours;
            p.fillRect(r, selected && !separator ? c.Hilight.colour() : c.ButtonFace.colour());
            if (separator) {
                const int y = r.top() + 4;
                p.setPen(c.ButtonShadow.colour());
                p.drawLine(r.left() + 1, y, r.right() - 1, y);
                p.setPen(c.ButtonHilight.colour());
                p.drawLine(r.left() + 1, y + 1, r.right() - 1, y + 1);
                return;
            }
        }
        if (separator) return;

        const QRect glyph(r.left() + 1, r.top() + 1, kGlyphBox, kGlyphBox);
        if (!item.icon.isNull()) {
            p.drawPixmap(
                glyph.topLeft(),
                item.icon.pixmap(glyph.size(), 1.0, enabled ? QIcon::Normal : QIcon::Disabled));
        } else if (item.checkType != QStyleOptionMenuItem::NotCheckable && item.checked) {
            drawCheckMark(p, glyph, item.checkType == QStyleOptionMenuItem::Exclusive);
        }

        const QColor colour = captionColour(selected, enabled);
        QFont font = item.font;
        if (item.menuItemType == QStyleOptionMenuItem::DefaultItem) font.setBold(true);
        p.setFont(font);
        p.setPen(colour);
        const QRect caption(glyph.right() + 1 + 3, r.top(), r.right() - 1 - (glyph.right() + 3),
                            r.height());
        const auto [text, shortcut] = splitEntryText(item.text);
        const Qt::Alignment horizontal =
            item.direction == Qt::RightToLeft ? Qt::AlignRight : Qt::AlignLeft;
        p.drawText(caption, horizontal | Qt::AlignVCenter | Qt::TextShowMnemonic, text);
        if (!shortcut.isEmpty())
            p.drawText(caption.adjusted(0, 0, -10, 0), Qt::AlignRight | Qt::AlignVCenter, shortcut);
        if (item.menuItemType == QStyleOptionMenuItem::SubMenu) {
            QStyleOption arrow;
            arrow.rect = QRect(r.right() - 10, r.top(), 8, r.height());
            arrow.state = item.state;
            arrow.palette = item.palette;
            arrow.palette.setColor(QPalette::ButtonText, colour);
            arrow.palette.setColor(QPalette::WindowText, colour);
            arrow.palette.setColor(QPalette::Text, colour);
            QProxyStyle::drawPrimitive(
                item.direction == Qt::RightToLeft ? PE_IndicatorArrowLeft : PE_IndicatorArrowRight,
                &arrow, &p, nullptr);
        }
    }

    static void drawCheckMark(QPainter& p, const QRect& box, bool exclusive) {
        p.save();
        p.setRenderHint(QPainter::Antialiasing, true);
        const QColor ink = systemColour(SystemColour::buttonText);
        const QPointF c = QRectF(box).center();
        if (exclusive) {
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawEllipse(c, 3.0, 3.0);
        } else {
            QPainterPath mark;
            mark.moveTo(c + QPointF(-4, 0));
            mark.lineTo(c + QPointF(-1.5, 3));
            mark.lineTo(c + QPointF(4, -3.5));
            p.setPen(QPen(ink, 2.0));
            p.setBrush(Qt::NoBrush);
            p.drawPath(mark);
        }
        p.restore();
    }

    QPointer<TSkinData> m_skin;
    bool m_entries;
};

struct MenuRecord {
    QPointer<QMenu> menu;
    QPointer<QStyle> saved;
    std::unique_ptr<MenuStyle> style;
    std::vector<QPointer<QMenu>> submenus;
    QMetaObject::Connection gone;
};

// Never destroyed: menus still skinned at exit keep their styles until Qt deletes the menus.
std::map<const QMenu*, MenuRecord>& registry() {
    static auto* records = new std::map<const QMenu*, MenuRecord>;
    return *records;
}

void skinMenu(QMenu* menu, TSkinData& skin, bool entries, bool deeperEntries) {
    auto& records = registry();
    if (!menu || records.count(menu)) return;
    MenuRecord& record = records[menu];
    record.menu = menu;
    record.saved = menu->testAttribute(Qt::WA_SetStyle) ? menu->style() : nullptr;
    record.style = std::make_unique<MenuStyle>(NewBaseStyle(menu), skin, entries);
    record.gone = QObject::connect(menu, &QObject::destroyed, [menu] { registry().erase(menu); });
    menu->setStyle(record.style.get());
    for (QAction* action : menu->actions()) {
        QMenu* sub = action->menu();
        if (!sub || records.count(sub)) continue;
        if (sub->property("tag").toInt() % 100 == skin.DisableTag()) continue;
        record.submenus.emplace_back(sub);
        skinMenu(sub, skin, deeperEntries, deeperEntries);
    }
}

}  // namespace

void SkinPopupMenu(QMenu* menu, TSkinData& skin) {
    if (!menu || IsPopupMenuSkinned(menu)) return;
    if (menu->property("tag").toInt() % 100 == skin.DisableTag()) return;
    const bool entries = skin.skinsControl(xcPopupMenu);
    skinMenu(menu, skin, entries, entries && skin.skinsControl(xcMainMenu));
}

void UnskinPopupMenu(QMenu* menu) {
    auto& records = registry();
    const auto it = records.find(menu);
    if (it == records.end()) return;
    MenuRecord record = std::move(it->second);
    records.erase(it);
    QObject::disconnect(record.gone);
    if (record.menu) record.menu->setStyle(record.saved);
    for (const QPointer<QMenu>& sub : record.submenus)
        if (sub) UnskinPopupMenu(sub);
}

bool IsPopupMenuSkinned(const QMenu* menu) {
    return registry().count(menu) != 0;
}
