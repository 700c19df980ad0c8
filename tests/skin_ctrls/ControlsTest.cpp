// Check boxes, radio buttons, progress bars, status bars, tabs and edit fields.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

#include "SkinControlSet.h"
#include "SkinCtrls.h"
#include "TestControlSkin.h"

using namespace skintest;

TEST(SkinCheckBox, GlyphFromTheCheckImageOnePixelIn) {
    auto skin = makeSkin();
    QWidget window;
    auto* check = new QCheckBox("check", &window);
    auto* radio = new QRadioButton("radio", &window);
    check->resize(100, 20);
    radio->resize(100, 20);
    SkinControlSet set;
    set.attach(&window, *skin, true);

    // A 12-pixel glyph sits (14 - 12) div 2 = 1 pixel in, on the button face, centred.
    const int mid = check->height() / 2;
    EXPECT_EQ(pixelOf(check, QPoint(0, mid)), kFace);
    EXPECT_EQ(pixelOf(check, QPoint(1, mid)), frameColour(kCheck, 1));
    EXPECT_EQ(pixelOf(check, QPoint(12, mid)), frameColour(kCheck, 1));
    EXPECT_EQ(pixelOf(check, QPoint(13, mid)), kFace);
    EXPECT_EQ(pixelOf(check, QPoint(5, (check->height() - 12) / 2 - 1)), kFace);
    check->setChecked(true);
    EXPECT_EQ(pixelOf(check, QPoint(6, mid)), frameColour(kCheck, 2));
    check->setEnabled(false);
    EXPECT_EQ(pixelOf(check, QPoint(6, mid)), frameColour(kCheck, 3));

    EXPECT_EQ(pixelOf(radio, QPoint(6, mid)), frameColour(kRadio, 1));
    radio->setChecked(true);
    EXPECT_EQ(pixelOf(radio, QPoint(6, mid)), frameColour(kRadio, 2));
    radio->setEnabled(false);
    EXPECT_EQ(pixelOf(radio, QPoint(6, mid)), frameColour(kRadio, 4));
    radio->setChecked(false);
    EXPECT_EQ(pixelOf(radio, QPoint(6, mid)), frameColour(kRadio, 3));
}

TEST(SkinProgress, DonePartInFrame2) {
    auto skin = makeSkin();
    QWidget window;
    auto* bar = new QProgressBar(&window);
    bar->resize(200, 16);
    bar->setRange(0, 100);
    bar->setValue(50);
    SkinControlSet set;
    set.attach(&window, *skin, true);

    EXPECT_EQ(pixelOf(bar, QPoint(0, 8)), frameColour(kProgress, 2));
    EXPECT_EQ(pixelOf(bar, QPoint(99, 8)), frameColour(kProgress, 2));
    EXPECT_EQ(pixelOf(bar, QPoint(100, 8)), frameColour(kProgress, 1));
    EXPECT_EQ(pixelOf(bar, QPoint(199, 8)), frameColour(kProgress, 1));

    // A range not starting at 0 counts from its minimum.
    bar->setRange(100, 300);
    bar->setValue(150);
    EXPECT_EQ(pixelOf(bar, QPoint(49, 8)), frameColour(kProgress, 2));
    EXPECT_EQ(pixelOf(bar, QPoint(50, 8)), frameColour(kProgress, 1));

    // An empty range (Qt's busy bar) has no done part and does not divide by zero.
    bar->setRange(0, 0);
    EXPECT_EQ(pixelOf(bar, QPoint(0, 8)), frameColour(kProgress, 1));
    bar->setRange(0, 100);
    bar->setValue(100);
    EXPECT_EQ(pixelOf(bar, QPoint(199, 8)), frameColour(kProgress, 2));
}

TEST(SkinStatusBar, PanelsByBevelAndMessageOverTheWholeBar) {
    auto skin = makeSkin();
    QWidget window;
    auto* status = new QStatusBar(&window);
    status->resize(300, 22);
    auto* raised = new QLabel;
    raised->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* sunken = new QLabel;
    sunken->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* plain = new QLabel;
    status->addWidget(raised, 1);
    status->addWidget(sunken, 1);
    status->addWidget(plain, 1);
    window.show();
    SkinControlSet set;
    set.attach(&window, *skin, true);

    auto inside = [&](QLabel* label) { return label->geometry().topLeft() + QPoint(1, 1); };
    EXPECT_EQ(pixelOf(status, inside(raised)), frameColour(kStatus, 2));
    EXPECT_EQ(pixelOf(status, inside(sunken)), frameColour(kStatus, 1));
    EXPECT_EQ(pixelOf(status, inside(plain)), frameColour(kStatus, 3));
    // The labels take the panels' text colour.
    EXPECT_EQ(raised->palette().color(QPalette::WindowText), kNormalText);

    status->showMessage("simple");
    EXPECT_EQ(pixelOf(status, QPoint(status->width() - 2, 2)), frameColour(kStatus, 1));
}

TEST(SkinTab, CurrentTabInFrame2AndThePageFrame) {
    auto skin = makeSkin();
    QWidget window;
    auto* tabs = new QTabWidget(&window);
    tabs->addTab(new QWidget, "one");
    tabs->addTab(new QWidget, "two");
    tabs->resize(240, 160);
    window.show();
    SkinControlSet set;
    set.attach(&window, *skin, true);

    auto* bar = tabs->findChild<QTabBar*>();
    ASSERT_NE(bar, nullptr);
    const QPoint first = bar->tabRect(0).topLeft() + QPoint(2, 2);
    const QPoint second = bar->tabRect(1).topLeft() + QPoint(2, 2);
    EXPECT_EQ(pixelOf(bar, first), frameColour(kTabs, 2));
    EXPECT_EQ(pixelOf(bar, second), frameColour(kTabs, 1));
    tabs->setCurrentIndex(1);
    EXPECT_EQ(pixelOf(bar, first), frameColour(kTabs, 1));
    EXPECT_EQ(pixelOf(bar, second), frameColour(kTabs, 2));

    const QPoint pageEdge(1, tabs->height() - 2);
    EXPECT_EQ(pixelOf(tabs, pageEdge), frameColour(kTabBorder, 1));

    // Tabs at the bottom use the same artwork.
    tabs->setTabPosition(QTabWidget::South);
    EXPECT_EQ(pixelOf(bar, bar->tabRect(1).topLeft() + QPoint(2, 2)), frameColour(kTabs, 2));
}

TEST(SkinEdit, RingInTheShadowColour) {
    auto skin = makeSkin();
    QWidget window;
    auto* edit = new QLineEdit("text", &window);
    edit->resize(100, 24);
    SkinControlSet set;
    set.attach(&window, *skin, true);
    EXPECT_EQ(pixelOf(edit, QPoint(0, 0)), kShadowColour);
    EXPECT_EQ(pixelOf(edit, QPoint(99, 23)), kShadowColour);
    EXPECT_EQ(pixelOf(edit, QPoint(50, 0)), kShadowColour);
    set.detach(true);
    EXPECT_NE(pixelOf(edit, QPoint(50, 0)), kShadowColour);
}

TEST(SkinEdit, TextFieldsRingAndScrollCorner) {
    auto skin = makeSkin();
    QWidget window;
    auto* memo = new QPlainTextEdit(&window);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    for (int i = 0; i < 60; ++i)
        memo->appendPlainText(QString(80, QLatin1Char('x')));
    memo->resize(150, 120);
    window.show();
    SkinControlSet set;
    set.attach(&window, *skin, true);
    EXPECT_EQ(pixelOf(memo, QPoint(0, 0)), kShadowColour);
    const QWidget* h = memo->horizontalScrollBar();
    const QWidget* v = memo->verticalScrollBar();
    ASSERT_TRUE(h->isVisible() && v->isVisible());
    const QPoint corner(v->mapTo(memo, QPoint(0, 0)).x() + 2, h->mapTo(memo, QPoint(0, 0)).y() + 2);
    EXPECT_EQ(pixelOf(memo, corner), kFace);
}

TEST(SkinBox, GroupTitleInButtonText) {
    auto skin = makeSkin();
    QWidget window;
    auto* group = new QGroupBox("Group title", &window);
    auto* label = new QLabel("inside", group);
    QFont font = group->font();
    font.setStyleStrategy(QFont::NoAntialias);
    group->setFont(font);
    group->resize(150, 80);
    SkinControlSet set;
    set.attach(&window, *skin, true);
    EXPECT_GT(countColour(group, kButtonText), 0);
    EXPECT_EQ(pixelOf(group, QPoint(group->width() - 2, 1)), kFace);
    // The children keep their own text colour.
    EXPECT_NE(label->palette().color(QPalette::WindowText), kButtonText);
}
