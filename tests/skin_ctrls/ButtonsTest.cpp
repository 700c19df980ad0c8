// Push buttons and the discovery of a window's controls.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include "SkinControlSet.h"
#include "SkinCtrls.h"
#include "TestControlSkin.h"

using namespace skintest;

namespace {

QPushButton* addButton(QWidget* window, const QString& text, int tag = 0) {
    auto* button = new QPushButton(text, window);
    if (tag) button->setProperty("tag", tag);
    QFont font = button->font();
    font.setStyleStrategy(QFont::NoAntialias);  // exact text colours in grabs
    button->setFont(font);
    window->layout()->addWidget(button);
    return button;
}

struct Window {
    QWidget widget;
    Window() { new QVBoxLayout(&widget); }
    void showActive() {
        widget.show();
        QApplication::setActiveWindow(&widget);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&widget));
    }
};

// A corner pixel of a button: inside the face, away from the caption.
QPoint faceSpot(QWidget* w) {
    return QPoint(w->width() - 2, w->height() - 2);
}

}  // namespace

TEST(SkinButton, DisableTagLeavesTheButtonAlone) {
    auto skin = makeSkin();
    Window window;
    QPushButton* disabled = addButton(&window.widget, "Skip", 199);  // 199 mod 100 = 99
    QPushButton* skinned = addButton(&window.widget, "Skin", 100);
    window.widget.resize(200, 100);
    window.widget.show();
    SkinControlSet set;
    set.attach(&window.widget, *skin, true);

    EXPECT_EQ(set.controlFor(disabled), nullptr);
    ASSERT_NE(set.controlFor(skinned), nullptr);
    EXPECT_EQ(pixelOf(skinned, faceSpot(skinned)), frameColour(kButton, 1));
    EXPECT_NE(pixelOf(disabled, faceSpot(disabled)), frameColour(kButton, 1));
}

TEST(SkinButton, SpaceShowsPressedWhileDownThenFocused) {
    auto skin = makeSkin();
    Window window;
    QPushButton* button = addButton(&window.widget, "Go");
    addButton(&window.widget, "Other");
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    SkinControlSet set;
    set.attach(&window.widget, *skin, true);
    window.showActive();
    button->setFocus();
    ASSERT_TRUE(button->hasFocus());
    EXPECT_EQ(pixelOf(button, faceSpot(button)), frameColour(kButton, 4));

    QTest::keyPress(button, Qt::Key_Space);
    EXPECT_EQ(pixelOf(button, faceSpot(button)), frameColour(kButton, 2));
    QTest::keyRelease(button, Qt::Key_Space);
    EXPECT_EQ(pixelOf(button, faceSpot(button)), frameColour(kButton, 4));
    EXPECT_EQ(clicks, 1);
}

TEST(SkinButton, DisabledShowsFrame3AndShadowCaption) {
    auto skin = makeSkin();
    Window window;
    QPushButton* button = addButton(&window.widget, "&Disabled");
    button->setEnabled(false);
    window.widget.show();
    SkinControlSet set;
    set.attach(&window.widget, *skin, true);

    EXPECT_EQ(pixelOf(button, faceSpot(button)), frameColour(kButton, 3));
    EXPECT_GT(countColour(button, systemColour(SystemColour::buttonShadow)), 0);
    EXPECT_EQ(countColour(button, kNormalText), 0);

    button->setEnabled(true);
    EXPECT_EQ(pixelOf(button, faceSpot(button)), frameColour(kButton, 1));
    EXPECT_GT(countColour(button, kNormalText), 0);
}

TEST(SkinButton, OnlyOneControlIsHot) {
    auto skin = makeSkin();
    Window window;
    QPushButton* a = addButton(&window.widget, "A");
    QPushButton* b = addButton(&window.widget, "B");
    window.widget.resize(200, 120);
    SkinControlSet set;
    set.attach(&window.widget, *skin, true);
    window.showActive();
    window.widget.setFocus();  // neither button focused: frame 4 means hot

    QTest::mouseMove(a, a->rect().center());
    EXPECT_EQ(set.hotControl(), set.controlFor(a));
    EXPECT_EQ(pixelOf(a, faceSpot(a)), frameColour(kButton, 4));

    QTest::mouseMove(b, b->rect().center());
    EXPECT_EQ(set.hotControl(), set.controlFor(b));
    EXPECT_FALSE(set.controlFor(a)->isHot());
    EXPECT_EQ(pixelOf(a, faceSpot(a)), frameColour(kButton, 1));
    EXPECT_EQ(pixelOf(b, faceSpot(b)), frameColour(kButton, 4));

    set.setHotControl(set.controlFor(a));  // the owner switching hot gives b its leave
    EXPECT_FALSE(set.controlFor(b)->isHot());
}

TEST(SkinControlSet, ProgramFormLadder) {
    auto skin = makeSkin();
    Window window;
    QWidget* w = &window.widget;
    auto* check = new QCheckBox("check", w);
    auto* group = new QGroupBox("group", w);
    auto* radio = new QRadioButton("radio", group);
    radio->setProperty("tag", 99);  // a radio group's buttons go with the group
    auto* panel = new QFrame(w);
    auto* inner = new QPushButton("inside the panel", panel);
    auto* combo = new QComboBox(w);
    combo->setEditable(true);
    auto* glyph = new QPushButton(QIcon(QPixmap(16, 16)), "glyph", w);
    auto* tool = new QToolButton(w);
    auto* list = new QListWidget(w);
    auto* edit = new QLineEdit(w);
    auto* spin = new QSpinBox(w);
    auto* tabs = new QTabWidget(w);
    auto* page = new QWidget;
    auto* onPage = new QPushButton("on a page", page);
    tabs->addTab(page, "page");
    auto* progress = new QProgressBar(w);
    auto* status = new QStatusBar(w);
    auto* tagged = new QLineEdit(w);
    tagged->setProperty("tag", 56);  // skinned as a combo box

    SkinControlSet set;
    set.attach(w, *skin, true);
    auto kindOf = [&](QWidget* widget) { return set.controlFor(widget); };
    EXPECT_TRUE(dynamic_cast<TSkinCheckBox*>(kindOf(check)));
    EXPECT_TRUE(dynamic_cast<TSkinBox*>(kindOf(group)));
    EXPECT_TRUE(dynamic_cast<TSkinRadioButton*>(kindOf(radio)));
    EXPECT_TRUE(dynamic_cast<TSkinBox*>(kindOf(panel)));
    EXPECT_TRUE(dynamic_cast<TSkinButton*>(kindOf(inner)));
    EXPECT_TRUE(dynamic_cast<TSkinComBox*>(kindOf(combo)));
    EXPECT_EQ(kindOf(combo->lineEdit()), nullptr);  // a part of the combo box
    EXPECT_TRUE(dynamic_cast<TSkinBitButton*>(kindOf(glyph)));
    EXPECT_TRUE(dynamic_cast<TSkinSpeedButton*>(kindOf(tool)));
    EXPECT_TRUE(dynamic_cast<TSkinScrollBar*>(kindOf(list)));
    EXPECT_EQ(kindOf(list->verticalScrollBar()), kindOf(list));
    EXPECT_TRUE(dynamic_cast<TSkinEdit*>(kindOf(edit)));
    EXPECT_TRUE(dynamic_cast<TSkinEdit*>(kindOf(spin)));
    EXPECT_TRUE(dynamic_cast<TSkinTab*>(kindOf(tabs)));
    EXPECT_TRUE(dynamic_cast<TSkinButton*>(kindOf(onPage)));
    EXPECT_TRUE(dynamic_cast<TSkinProgress*>(kindOf(progress)));
    EXPECT_TRUE(dynamic_cast<TSkinStatusBar*>(kindOf(status)));
    EXPECT_TRUE(dynamic_cast<TSkinComBox*>(kindOf(tagged)));

    // Kinds left out of SkinControls are not skinned.
    set.detach(false);
    EXPECT_TRUE(set.controls().empty());
    skin->SetSkinControls(kAllSkinControls & ~(1u << xcButton) & ~(1u << xcCheckBox));
    set.attach(w, *skin, true);
    EXPECT_EQ(kindOf(inner), nullptr);
    EXPECT_EQ(kindOf(check), nullptr);
    EXPECT_NE(kindOf(glyph), nullptr);

    // A control made after the window was skinned is picked up.
    QPushButton* later = addButton(w, "later");
    skin->SetSkinControls(kAllSkinControls);
    set.reapply();
    EXPECT_NE(kindOf(later), nullptr);
}

TEST(SkinControlSet, ForeignWindowsByClass) {
    auto skin = makeSkin();
    Window window;
    QWidget* w = &window.widget;
    auto* simple = new QComboBox(w);
    simple->setEditable(true);
    auto* dropDown = new QComboBox(w);
    QPushButton* button = addButton(w, "OK", 199);  // tags are not consulted here
    auto* group = new QGroupBox(w);
    auto* check = new QCheckBox("c", group);

    SkinControlSet set;
    set.attach(w, *skin, false);
    EXPECT_EQ(set.controlFor(simple), nullptr);
    ASSERT_NE(set.controlFor(dropDown), nullptr);
    EXPECT_TRUE(set.controlFor(dropDown)->isForeign());
    EXPECT_NE(set.controlFor(button), nullptr);
    EXPECT_EQ(set.controlFor(group), nullptr);
    EXPECT_NE(set.controlFor(check), nullptr);

    // The drop-down button is drawn from ComboButton at the right.
    dropDown->resize(120, 24);
    EXPECT_EQ(pixelOf(dropDown, QPoint(117, 4)), frameColour(kCombo, 1));
}

TEST(SkinControlSet, DetachRestoresTheOriginalLook) {
    auto skin = makeSkin();
    Window window;
    QWidget* w = &window.widget;
    auto* check = new QCheckBox("check", w);
    auto* group = new QGroupBox("group", w);
    QPalette own = group->palette();
    own.setColor(QPalette::Window, Qt::darkGreen);
    group->setPalette(own);
    QPushButton* button = addButton(w, "button");
    auto* status = new QStatusBar(w);
    auto* panel = new QLabel("panel");
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    status->addWidget(panel);
    const QImage before = button->grab().toImage();

    SkinControlSet set;
    set.attach(w, *skin, true);
    EXPECT_NE(check->style(), QApplication::style());
    EXPECT_EQ(check->palette().color(QPalette::Window), kFace);
    EXPECT_EQ(group->palette().color(QPalette::Window), kFace);
    EXPECT_FALSE(status->isSizeGripEnabled());
    EXPECT_EQ(panel->frameShape(), QFrame::NoFrame);
    EXPECT_NE(button->grab().toImage(), before);

    set.detach(true);
    EXPECT_EQ(check->style(), QApplication::style());
    EXPECT_FALSE(check->testAttribute(Qt::WA_SetPalette));
    EXPECT_NE(check->palette().color(QPalette::Window), kFace);
    EXPECT_TRUE(group->testAttribute(Qt::WA_SetPalette));
    EXPECT_EQ(group->palette().color(QPalette::Window), QColor(Qt::darkGreen));
    EXPECT_EQ(group->style(), QApplication::style());
    EXPECT_TRUE(status->isSizeGripEnabled());
    EXPECT_EQ(panel->frameShape(), QFrame::Panel);
    EXPECT_EQ(panel->frameShadow(), QFrame::Raised);
    EXPECT_EQ(button->grab().toImage(), before);
}

TEST(SkinControlSet, ControlDestroyedWhileSkinned) {
    auto skin = makeSkin();
    Window window;
    QPushButton* a = addButton(&window.widget, "A");
    addButton(&window.widget, "B");
    SkinControlSet set;
    set.attach(&window.widget, *skin, true);
    window.showActive();
    QTest::mouseMove(a, a->rect().center());
    ASSERT_EQ(set.hotControl(), set.controlFor(a));
    delete a;
    set.reapply();
    EXPECT_EQ(set.hotControl(), nullptr);
    EXPECT_EQ(set.controls().size(), 1u);
    set.checkHover();
    set.detach(true);
}

TEST(SkinControlSet, FileDialogAndMessageBoxAsForeignWindows) {
    auto skin = makeSkin();
    QFileDialog dialog(nullptr, "Select a directory", QDir::tempPath());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    SkinControlSet set;
    set.attach(&dialog, *skin, false);
    QCoreApplication::processEvents();
    const auto buttons = dialog.findChildren<QPushButton*>();
    ASSERT_FALSE(buttons.empty());
    for (QPushButton* button : buttons)
        EXPECT_NE(set.controlFor(button), nullptr);
    const auto views = dialog.findChildren<QAbstractItemView*>();
    ASSERT_FALSE(views.empty());
    for (QAbstractItemView* view : views) {
        if (qobject_cast<QHeaderView*>(view) || view->window() != &dialog) continue;
        EXPECT_NE(set.controlFor(view->verticalScrollBar()), nullptr)
            << view->metaObject()->className() << " " << view->objectName().toStdString();
    }
    EXPECT_FALSE(dialog.grab().isNull());
    set.detach(true);
    for (QWidget* w : dialog.findChildren<QWidget*>())
        EXPECT_FALSE(w->testAttribute(Qt::WA_SetStyle));

    QMessageBox box(QMessageBox::Warning, "Quillon", "Text", QMessageBox::Ok | QMessageBox::Cancel);
    box.show();
    set.attach(&box, *skin, false);
    auto* ok = qobject_cast<QPushButton*>(box.button(QMessageBox::Ok));
    ASSERT_NE(set.controlFor(ok), nullptr);
    EXPECT_EQ(pixelOf(ok, faceSpot(ok)), frameColour(kButton, ok->hasFocus() ? 4 : 1));
    set.detach(false);
}
