// Skinned controls: one object per control, sitting in front of the control as an event filter.
// It decides which events it consumes (BeforeMessage), reacts to the ones it lets through
// (AfterMessage) and paints the control, or the parts that carry the look, from the skin.
// Where Qt draws a control through its style, the object gives the control a proxy style for
// the skinned parts instead and leaves the rest (layout, hit testing, text) to Qt.
#pragma once

#include <QFrame>
#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStyle>
#include <memory>
#include <vector>

#include "WinSkinData.h"

class QEvent;
class QPainter;
class QProxyStyle;
class QAbstractButton;
class SkinControlSet;

class TSkinControl : public QObject {
  public:
    enum StateBit : int { kHot = 1, kPressed = 2 };

    explicit TSkinControl(SkinControlSet* owner = nullptr);
    ~TSkinControl() override;

    // A control of one of the program's windows; recolour gives it the skin's button face.
    virtual void AttachControl(QWidget* control, TSkinData& skin, bool recolour);
    // A control of a foreign window (message box, file dialog).
    virtual void AttachWindow(QWidget* window, TSkinData& skin);
    // Undoes the attachment: event filter, palette, style; repaints when asked.
    virtual void Detach(bool repaint = true);
    // True consumes the event; the control never sees it.
    virtual bool BeforeMessage(QEvent* event);
    // Runs for events that were let through. Qt paints later, so state set here and an
    // update() have the effect of reacting after the control's own handling.
    virtual void AfterMessage(QEvent* event);
    virtual void Repaint();
    // Paints the whole control into rect (widget coordinates) when the object draws it.
    virtual void PaintTo(QPainter& painter, const QRect& rect);
    // The skin changed: colours again, then repaint.
    virtual void Reapply();
    // Whether this object looks after the widget (itself or a part such as a tab bar).
    virtual bool covers(const QWidget* widget) const { return widget == m_widget; }

    QWidget* widget() const { return m_widget; }
    bool isForeign() const { return m_foreign; }
    int state() const;
    bool isHot() const { return m_state & kHot; }
    bool isFocused() const { return m_focused; }
    bool isEnabled() const { return m_enabled; }
    const QString& text() const { return m_text; }
    TSkinData* skin() const { return m_skin; }
    // The screen rectangle at the last repaint.
    const QRect& screenRect() const { return m_screenRect; }

    // Called by the owner when another control became hot, or the cursor left this one.
    void mouseLeave();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Objects that take part in the one-hot-control rule (buttons, combo boxes).
    virtual bool tracksHover() const { return false; }
    // Objects that draw over the control's own painting (edit rings).
    virtual bool paintsAfter() const { return false; }
    // The palette roles set when recolouring; the base sets the button face.
    virtual void recolourPalette(QPalette& palette) const;
    virtual void readState();
    virtual void attached() {}
    virtual void detaching() {}

    // Gives the widget a style while skinned; the object owns it.
    void installStyle(QWidget* target, QProxyStyle* style);
    void makeHot();
    QColor buttonFace() const;
    void applyPalette();

    QPointer<TSkinData> m_skin;
    int m_state = 0;
    bool m_painted = false;
    bool m_enabled = true;
    bool m_focused = false;
    QString m_text;
    QPointer<QWidget> m_widget;
    bool m_foreign = false;
    QRect m_screenRect;
    bool m_recolour = false;
    QPalette m_savedPalette;
    bool m_hadOwnPalette = false;
    bool m_savedAutoFill = false;
    SkinControlSet* m_owner;

  private:
    void attachCommon(QWidget* widget, TSkinData& skin);
    struct StyleSlot {
        QPointer<QWidget> target;
        QPointer<QStyle> saved;  // the widget's own style, or null when it used the app's
        std::unique_ptr<QProxyStyle> style;
    };
    std::vector<StyleSlot> m_styles;
};

// A fresh instance of the style the widget uses, for a proxy style to own.
QStyle* NewBaseStyle(const QWidget* widget);

// Push buttons: the push-button image in 5 frames, caption centred.
class TSkinButton : public TSkinControl {
  public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(QEvent* event) override;
    void AfterMessage(QEvent* event) override;
    void PaintTo(QPainter& painter, const QRect& rect) override;
    // 2 pressed, 4 focused or hot, 1 enabled, 3 disabled.
    virtual int frame() const;

  protected:
    bool tracksHover() const override { return true; }
    virtual bool canPaint() const;
    virtual QColor textColour(int frame) const;
    // Draws the caption (and glyph) over the face.
    virtual void paintContent(QPainter& painter, const QRect& rect, int frame);
    QAbstractButton* button() const;
    bool isDown() const;
};

// Push buttons with an icon: glyph and caption centred together.
class TSkinBitButton : public TSkinButton {
  public:
    using TSkinButton::TSkinButton;

  protected:
    void paintContent(QPainter& painter, const QRect& rect, int frame) override;
};

// Tool buttons: 2 down or checked, 4 hot, 1 enabled, 3 disabled; text colours from the colour
// table.
class TSkinSpeedButton : public TSkinButton {
  public:
    using TSkinButton::TSkinButton;
    int frame() const override;

  protected:
    QColor textColour(int frame) const override;
    void paintContent(QPainter& painter, const QRect& rect, int frame) override;
};

// Check boxes and radio buttons: Qt lays out and draws the text; the indicator comes from the
// skin's check or radio image through a proxy style.
class TSkinCheckBox : public TSkinControl {
  public:
    using TSkinControl::TSkinControl;
    virtual bool radio() const { return false; }
    // The frame for a state: check box 1 unchecked, 2 checked, 3 disabled; radio button
    // 1 unchecked, 2 checked, 3 disabled unchecked, 4 disabled checked.
    int frameFor(bool checked, bool enabled) const;
    const QImage& glyphImage() const;
    int glyphFrames() const;

  protected:
    void attached() override;
};

class TSkinRadioButton : public TSkinCheckBox {
  public:
    using TSkinCheckBox::TSkinCheckBox;
    bool radio() const override { return true; }
};

// Combo boxes: the drop-down button from ComboButton and ExtraImages, edges from SunkEdge.
class TSkinComBox : public TSkinControl {
  public:
    using TSkinControl::TSkinControl;

  protected:
    bool tracksHover() const override { return true; }
    void attached() override;
};

// Edit fields: a 1-pixel ring in the button-shadow colour over the control's own frame.
class TSkinEdit : public TSkinControl {
  public:
    using TSkinControl::TSkinControl;
    void PaintTo(QPainter& painter, const QRect& rect) override;

  protected:
    bool paintsAfter() const override { return true; }
};

// Progress bars: frame 1 over the bar, frame 2 over the done part.
class TSkinProgress : public TSkinControl {
  public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(QEvent* event) override;
    void PaintTo(QPainter& painter, const QRect& rect) override;
};

// Status bars: one panel in frame 1 for a message or no panels; otherwise each panel (child
// widget) in frame 2 raised, 1 sunken, 3 plain.
class TSkinStatusBar : public TSkinControl {
  public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(QEvent* event) override;
    void PaintTo(QPainter& painter, const QRect& rect) override;
    // The frame of a panel widget.
    int panelFrame(const QWidget* panel) const;

  protected:
    void recolourPalette(QPalette& palette) const override;
    void attached() override;
    void detaching() override;

  private:
    void takePanel(QWidget* panel);
    struct Panel {
        QPointer<QFrame> frame;
        QFrame::Shape shape;
        QFrame::Shadow shadow;
    };
    std::vector<Panel> m_panels;
    bool m_hadSizeGrip = false;
};

// Panels and group boxes: the button face, and the group box title in the button-text colour.
class TSkinBox : public TSkinControl {
  public:
    using TSkinControl::TSkinControl;

  protected:
    void attached() override;
    void detaching() override;
};

// Size grips of foreign windows: not drawn.
class TSkinSizer : public TSkinControl {
  public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(QEvent* event) override;
};

// Tab widgets and tab bars: each tab from the Tabs image (frame 2 current, 1 others), the page
// frame from its border image.
class TSkinTab : public TSkinControl {
  public:
    using TSkinControl::TSkinControl;
    bool covers(const QWidget* widget) const override;

  protected:
    void attached() override;

  private:
    QPointer<QWidget> m_tabBar;
};

// The scroll bars of a scrollable control (or a scroll bar itself): arrows, track and thumb
// from the skin, with hit testing that matches the drawn thumb.
class TSkinScrollBar : public TSkinControl {
  public:
    using TSkinControl::TSkinControl;
    bool covers(const QWidget* widget) const override;
    // Over the scroll area's own painting: the corner between the two bars in the button
    // face, and for text fields the edit ring.
    void PaintTo(QPainter& painter, const QRect& rect) override;

  protected:
    void attached() override;
    void detaching() override;
    bool paintsAfter() const override;

  private:
    void relayout();

    std::vector<QPointer<QWidget>> m_bars;
};

// The thumb of a bar along its track: start offset from the track's start, and length.
struct SkinThumb {
    bool visible = false;
    int start = 0;
    int length = 0;
};
// trackLength = bar length - 2b; minimum/maximum/page/position as a QScrollBar holds them
// (maximum is the last position, page the page step); systemThumb is the thumb length used
// when the page is 0.
SkinThumb SkinThumbGeometry(int trackLength, int minimum, int maximum, int page, int position,
                            int systemThumb);
