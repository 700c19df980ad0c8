// The caption: which buttons show, where, and what clicking them and the caption does.
#include <QPainter>
#include <QTest>

#include "TestSkin.h"

namespace {

using CaptionTest = SkinnedWindowTest;

TWinSysButton* buttonWithAction(TWinSkinForm& form, int action, int visibility = -1) {
    for (const auto& button : form.captionButtons())
        if (button->button.Action == action &&
            (visibility < 0 || button->button.Visibility == visibility))
            return button.get();
    return nullptr;
}

QPoint centre(const TWinSysButton* button) {
    return button->rect.center();
}

// Catches the private message of caption buttons without a built-in action.
class CaptionActionCatcher : public QObject {
  public:
    std::vector<qintptr> codes;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Type(kSkinCaptionAction))
            codes.push_back(static_cast<TSkinMessageEvent*>(event)->wParam);
        return false;
    }
};

TEST_F(CaptionTest, EachVisibilityCodeFollowsTheWindowState) {
    // Columns: main window active and normal, maximised, inactive; a dialog (system menu
    // only); a window with minimise and maximise boxes but no system menu.
    TTestMainForm main;
    TTestDialog dialog;
    TTestDialog boxes;
    boxes.overrideWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowMinMaxButtonsHint);
    TWinSkinForm* mainForm = showSkinned(main);
    ASSERT_NE(mainForm, nullptr);
    auto visible = [](TWinSkinForm* form, int v1, int v2, int action) {
        TDataSkinSysButton button;
        button.Action = action;
        button.Visibility = v1;
        button.Visibility1 = v2;
        return form->CaptionButtonVisible(button);
    };
    struct Row {
        int value;
        const char* first;   // as Visibility: one character per column
        const char* second;  // as Visibility1
    };
    const Row rows[] = {{0, "11111", "11111"},   {1, "01000", "01000"},   {2, "10111", "10111"},
                        {3, "11011", "11011"},   {4, "00100", "00100"},   {5, "00000", "00000"},
                        {6, "11100", "11101"},   {7, "00010", "00010"},   {8, "11100", "11101"},
                        {9, "00010", "00010"},   {10, "00000", "00000"},  {11, "00000", "00000"},
                        {100, "00000", "00000"}, {200, "11111", "11111"}, {2000, "11111", "11111"},
                        {2001, "00000", "00000"}};
    std::string actual[16][2];
    auto record = [&](int column, TWinSkinForm* form) {
        for (std::size_t r = 0; r < std::size(rows); ++r) {
            actual[r][0].resize(5, '?');
            actual[r][1].resize(5, '?');
            actual[r][0][column] = visible(form, rows[r].value, 200, 5) ? '1' : '0';
            actual[r][1][column] = visible(form, 200, rows[r].value, 5) ? '1' : '0';
        }
    };
    record(0, mainForm);
    main.showMaximized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return mainForm->WindowState() == 1; }));
    record(1, mainForm);
    main.showNormal();
    ASSERT_TRUE(QTest::qWaitFor([&] { return mainForm->WindowState() == 0; }));
    TWinSkinForm* dialogForm = showSkinned(dialog);
    ASSERT_NE(dialogForm, nullptr);
    record(2, mainForm);
    record(3, dialogForm);
    TWinSkinForm* boxesForm = showSkinned(boxes);
    ASSERT_NE(boxesForm, nullptr);
    ASSERT_EQ(boxesForm->savedCaptionStyles(), 3);
    record(4, boxesForm);
    for (std::size_t r = 0; r < std::size(rows); ++r) {
        EXPECT_EQ(actual[r][0], rows[r].first) << "Visibility " << rows[r].value;
        EXPECT_EQ(actual[r][1], rows[r].second) << "Visibility1 " << rows[r].value;
    }
    // The close button (action 0) with Visibility 0 needs the system menu.
    EXPECT_TRUE(visible(dialogForm, 0, 0, 0));
    EXPECT_FALSE(visible(boxesForm, 0, 0, 0));
}

TEST_F(CaptionTest, ButtonsSitWhereTheSkinPutsThemAndFollowTheWindowsBoxes) {
    TTestMainForm main;
    QPixmap icon(32, 32);
    icon.fill(Qt::red);
    main.setWindowIcon(icon);
    TWinSkinForm* form = showSkinned(main);
    ASSERT_NE(form, nullptr);
    const int width = main.width();
    TWinSysButton* close = buttonWithAction(*form, 0);
    TWinSysButton* maximise = buttonWithAction(*form, 1, 2);
    TWinSysButton* restore = buttonWithAction(*form, 1, 1);
    TWinSysButton* minimise = buttonWithAction(*form, 2);
    TWinSysButton* iconButton = buttonWithAction(*form, 3);
    ASSERT_TRUE(close && maximise && restore && minimise && iconButton);
    EXPECT_EQ(close->rect, QRect(width - 17, 0, 15, 19));
    EXPECT_EQ(minimise->rect, QRect(width - 47, 0, 15, 19));
    EXPECT_TRUE(close->visible && maximise->visible && minimise->visible);
    EXPECT_FALSE(restore->visible);
    EXPECT_TRUE(iconButton->visible);
    EXPECT_EQ(iconButton->rect, QRect(19, 3, 16, 16));
    EXPECT_EQ(main.grab().toImage().pixel(iconButton->rect.center()), qRgb(255, 0, 0));

    main.showMaximized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->WindowState() == 1; }));
    form->layoutCaption();
    EXPECT_TRUE(restore->visible);
    EXPECT_FALSE(maximise->visible);

    // A dialog has neither box: neither maximise nor restore shows, whatever the skin lists.
    TTestDialog dialog;
    TWinSkinForm* dialogForm = showSkinned(dialog);
    ASSERT_NE(dialogForm, nullptr);
    for (const auto& button : dialogForm->captionButtons()) {
        if (button->button.Action == 1 || button->button.Action == 2) {
            EXPECT_FALSE(button->visible) << "action " << button->button.Action;
        }
    }
    EXPECT_TRUE(buttonWithAction(*dialogForm, 0)->visible);
}

TEST_F(CaptionTest, AWindowIconsSoftEdgeShowsNoKeyColour) {
    TTestMainForm main;
    QPixmap icon(32, 32);
    icon.fill(Qt::transparent);
    {
        QPainter painter(&icon);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 255));
        painter.drawEllipse(QRectF(2.5, 2.5, 27, 27));
    }
    main.setWindowIcon(icon);
    main.setWindowTitle(QString());  // no text across the icon's place
    TWinSkinForm* form = showSkinned(main);
    ASSERT_NE(form, nullptr);
    const QRect place = buttonWithAction(*form, 3)->rect;
    // Every pixel of the icon's place is the icon's blue or the caption behind it, never a
    // blend of the icon with the key colour.
    const QImage caption = form->composeCaption(main.width());
    int blue = 0;
    int behind = 0;
    for (int y = place.top(); y <= place.bottom(); ++y)
        for (int x = place.left(); x <= place.right(); ++x) {
            const QRgb pixel = caption.pixel(x, y);
            if (pixel == qRgb(0, 0, 255))
                ++blue;
            else if (pixel == caption.pixel(place.left() - 1, y))
                ++behind;
            else
                ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << pixel;
        }
    EXPECT_GT(blue, 100);
    EXPECT_GT(behind, 0);
}

TEST_F(CaptionTest, OnlyAReleaseOnThePressedButtonRunsItsAction) {
    TTestDialog dialog;
    TWinSkinForm* form = showSkinned(dialog);
    ASSERT_NE(form, nullptr);
    TWinSysButton* close = buttonWithAction(*form, 0);
    TWinSysButton* help = buttonWithAction(*form, 5);
    CaptionActionCatcher catcher;
    dialog.installEventFilter(&catcher);

    QTest::mousePress(&dialog, Qt::LeftButton, {}, centre(close));
    EXPECT_EQ(close->state, 2);
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, dialog.contentsRect().center());
    QTest::mousePress(&dialog, Qt::LeftButton, {}, centre(close));
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, centre(help));
    QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(100, 10));
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, centre(close));
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(catcher.codes.empty());
    EXPECT_EQ(close->state, 1);

    QTest::mouseClick(&dialog, Qt::LeftButton, {}, centre(close));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }));
}

TEST_F(CaptionTest, ButtonsRebuiltWithTheSkinWhileTheButtonIsDownRunNothingOnRelease) {
    TTestDialog dialog;
    TWinSkinForm* form = showSkinned(dialog);
    ASSERT_NE(form, nullptr);
    const QPoint at = centre(buttonWithAction(*form, 0));
    QTest::mousePress(&dialog, Qt::LeftButton, {}, at);
    ASSERT_NE(form->pressedObject(), nullptr);
    // The skin is applied again (as when it is replaced): every caption button is made anew.
    form->reloadSkin();
    EXPECT_EQ(form->pressedObject(), nullptr);
    EXPECT_EQ(form->hotObject(), nullptr);
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, at);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(buttonWithAction(*form, 0)->state, 1);
}

TEST_F(CaptionTest, AButtonWithoutBuiltInActionPostsItsCode) {
    TTestDialog dialog;
    TWinSkinForm* form = showSkinned(dialog);
    ASSERT_NE(form, nullptr);
    CaptionActionCatcher catcher;
    dialog.installEventFilter(&catcher);
    QTest::mouseClick(&dialog, Qt::LeftButton, {}, centre(buttonWithAction(*form, 5)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !catcher.codes.empty(); }));
    EXPECT_EQ(catcher.codes, std::vector<qintptr>{5});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(form->WindowState(), 0);
}

TEST_F(CaptionTest, DoubleClickOnTheCaptionMaximisesAndRestores) {
    TTestMainForm main;
    TWinSkinForm* form = showSkinned(main);
    ASSERT_NE(form, nullptr);
    const QPoint caption(100, 10);
    QTest::mouseDClick(&main, Qt::LeftButton, {}, caption);
    EXPECT_TRUE(QTest::qWaitFor([&] { return main.isMaximized(); }));
    QTest::mouseDClick(&main, Qt::LeftButton, {}, caption);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !main.isMaximized(); }));

    TTestDialog dialog;  // no maximise box: nothing happens
    ASSERT_NE(showSkinned(dialog), nullptr);
    QTest::mouseDClick(&dialog, Qt::LeftButton, {}, caption);
    QCoreApplication::processEvents();
    EXPECT_FALSE(dialog.isMaximized());
}

TEST_F(CaptionTest, DraggingTheCaptionMovesTheWindow) {
    TTestDialog dialog;
    dialog.move(50, 60);
    ASSERT_NE(showSkinned(dialog), nullptr);
    const QPoint start = dialog.pos();
    QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(100, 10));
    QTest::mouseMove(&dialog, QPoint(130, 30));
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(130, 30));
    // Where the platform moves the window itself the position follows later; offscreen the
    // window moves by hand.
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.pos() == start + QPoint(30, 20); }));
}

}  // namespace
