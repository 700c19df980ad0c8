// The program's windows on a real X server, made as start-up makes them: their frames are the
// skin's, the server cuts them where the skin is transparent, and they move, maximise, close
// and open their menus. The server (Xvfb) runs without a window manager: nothing decorates,
// moves or maximises a window but the program itself. A picture of the whole screen is left
// in the `screens` folder beside this program.
#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>

#include "DiscImages.h"
#include "DriveList.h"
#include "MainUnit.h"
#include "MemoryWaveDevices.h"
#include "ProgramUnderTest.h"
#include "SkinManage.h"
#include "SkinMenuBar.h"
#include "TestFiles.h"
#include "WinSkinForm.h"
#include "Windows.h"

inline void PrintTo(const QPoint& p, std::ostream* os) {
    *os << "QPoint(" << p.x() << "," << p.y() << ")";
}
inline void PrintTo(const QSize& s, std::ostream* os) {
    *os << "QSize(" << s.width() << "x" << s.height() << ")";
}
inline void PrintTo(const QMargins& m, std::ostream* os) {
    *os << "QMargins(" << m.left() << "," << m.top() << "," << m.right() << "," << m.bottom()
        << ")";
}

namespace {

constexpr int kTimeout = 10000;  // ms; a loaded machine may be slow to map and paint

// ---- What the X server itself says about a window ----

xcb_connection_t* xConnection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t xWindow(const QWidget& window) {
    return xcb_window_t(window.winId());
}

bool xMapped(const QWidget& window) {
    xcb_connection_t* c = xConnection();
    std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> reply(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, xWindow(window)), nullptr),
        &std::free);
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

// Where the server has the window's top-left pixel, in root coordinates.
std::optional<QPoint> xPosition(const QWidget& window) {
    xcb_connection_t* c = xConnection();
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> reply(
        xcb_translate_coordinates_reply(
            c, xcb_translate_coordinates(c, xWindow(window), screen->root, 0, 0), nullptr),
        &std::free);
    if (!reply) return std::nullopt;
    return QPoint(reply->dst_x, reply->dst_y);
}

// The decorations a window manager is asked to draw (the Motif hints' third field), or none
// when the window sets no such hint.
std::optional<uint32_t> xDecorations(const QWidget& window) {
    xcb_connection_t* c = xConnection();
    const char name[] = "_MOTIF_WM_HINTS";
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof name - 1, name), nullptr),
        &std::free);
    if (!atom || atom->atom == XCB_ATOM_NONE) return std::nullopt;
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(
            c, xcb_get_property(c, 0, xWindow(window), atom->atom, XCB_ATOM_ANY, 0, 5), nullptr),
        &std::free);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 12)
        return std::nullopt;
    const auto* fields = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    constexpr uint32_t kDecorationsField = 2;  // MWM_HINTS_DECORATIONS
    if (!(fields[0] & kDecorationsField)) return std::nullopt;
    return fields[2];
}

// ---- Keys pressed at the server, as from a keyboard ----

// The keycode the server's keyboard map gives the keysym, or 0.
xcb_keycode_t keycodeOf(xcb_keysym_t keysym) {
    xcb_connection_t* c = xConnection();
    const xcb_setup_t* setup = xcb_get_setup(c);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&std::free)> map(
        xcb_get_keyboard_mapping_reply(
            c, xcb_get_keyboard_mapping(c, setup->min_keycode, uint8_t(count)), nullptr),
        &std::free);
    if (!map) return 0;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map.get());
    const int perCode = map->keysyms_per_keycode;
    for (int code = 0; code < count; ++code)
        for (int i = 0; i < perCode; ++i)
            if (syms[code * perCode + i] == keysym) return xcb_keycode_t(setup->min_keycode + code);
    return 0;
}

// Presses and releases the keys in order (modifiers first) and releases them in reverse.
bool pressKeys(const std::vector<xcb_keysym_t>& keysyms) {
    xcb_connection_t* c = xConnection();
    std::vector<xcb_keycode_t> codes;
    for (xcb_keysym_t keysym : keysyms) {
        const xcb_keycode_t code = keycodeOf(keysym);
        if (code == 0) return false;
        codes.push_back(code);
    }
    for (xcb_keycode_t code : codes)
        xcb_test_fake_input(c, XCB_KEY_PRESS, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    for (auto code = codes.rbegin(); code != codes.rend(); ++code)
        xcb_test_fake_input(c, XCB_KEY_RELEASE, *code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(c);
    return true;
}

// The keysyms of a shortcut of one modifier-and-letter or modifier-and-digit kind, or none.
std::vector<xcb_keysym_t> keysymsOf(const QKeySequence& sequence) {
    if (sequence.count() != 1) return {};
    const QKeyCombination combination = sequence[0];
    std::vector<xcb_keysym_t> syms;
    const Qt::KeyboardModifiers mods = combination.keyboardModifiers();
    if (mods & Qt::ControlModifier) syms.push_back(0xFFE3);  // Control_L
    if (mods & Qt::ShiftModifier) syms.push_back(0xFFE1);    // Shift_L
    if (mods & Qt::AltModifier) syms.push_back(0xFFE9);      // Alt_L
    const int key = combination.key();
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        syms.push_back(xcb_keysym_t('a' + (key - Qt::Key_A)));
    else if (key >= Qt::Key_0 && key <= Qt::Key_9)
        syms.push_back(xcb_keysym_t(key));
    else if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        syms.push_back(xcb_keysym_t(0xFFBE + (key - Qt::Key_F1)));
    else
        return {};
    return syms;
}

// Takes the shortcut events of actions for itself, so that a test sees which action a key
// reached without running what the action does (most open a modal window).
class ShortcutSpy : public QObject {
  public:
    std::vector<QAction*> reached;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Shortcut) return false;
        reached.push_back(static_cast<QAction*>(watched));
        return true;
    }
};

// Every action of the window's menus (at any depth) that has a shortcut.
std::vector<QAction*> menuShortcuts(const QMenuBar& bar) {
    std::vector<QAction*> found;
    const QList<QAction*> top = bar.actions();
    std::vector<QAction*> pending(top.begin(), top.end());
    for (std::size_t i = 0; i < pending.size() && i < 1000; ++i) {
        if (!pending[i]->shortcut().isEmpty()) found.push_back(pending[i]);
        if (QMenu* menu = pending[i]->menu())
            for (QAction* action : menu->actions())
                pending.push_back(action);
    }
    return found;
}

// ---- The screen as the server composes it ----

// The desktop behind the windows: the root window, painted one colour no window has, so that
// a cut corner is known by its colour.
constexpr QRgb kDesktop = qRgb(0x3a, 0x6e, 0xa5);

void paintDesktop() {
    xcb_connection_t* c = xConnection();
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const uint32_t pixel = kDesktop & 0xFFFFFF;  // the server's 24-bit true colour
    xcb_change_window_attributes(c, screen->root, XCB_CW_BACK_PIXEL, &pixel);
    xcb_clear_area(c, 0, screen->root, 0, 0, 0, 0);
    xcb_flush(c);
}

QImage grabScreen() {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(
        QImage::Format_RGB32);
}

// ---- The program ----

// One program for all tests, as making every window takes a while.
using Program = ProgramUnderTest;

class XvfbTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_NE(xConnection(), nullptr) << "not on an X server";
        // The desktop before any window covers it: what a cut corner must show.
        paintDesktop();
        ASSERT_TRUE(QTest::qWaitFor(
            [] {
                desktop = grabScreen();
                return desktop.pixel(0, 0) == kDesktop;
            },
            kTimeout));
        program = new Program();
    }
    static void TearDownTestSuite() {
        delete program;
        program = nullptr;
    }
    void SetUp() override { ASSERT_NE(program, nullptr); }
    void TearDown() override {
        if (!program) return;
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
        tool().hide();
        if (main().windowState() != Qt::WindowNoState) main().showNormal();
        QCoreApplication::processEvents();
    }

    static TMainForm& main() { return *program->main; }
    // The tool window the tests use: the Ogg player.
    static QDialog& tool() { return *program->main->window(WindowKey::oggPlayer); }
    static TWinSkinForm* formOf(const QWidget& window) {
        return TSkinManage::instance().formFor(&window);
    }

    // Shows the window at a place of the screen, activates it and waits until its frame is
    // ready and active. Without a window manager, a window hidden while it had the focus stays
    // Qt's focus window, and the focus the server gives it when it is shown again activates
    // nothing; so the application is told the active window as well.
    static TWinSkinForm* showSkinned(QWidget& window, QPoint at) {
        window.move(at);
        window.show();
        window.raise();
        window.activateWindow();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window, kTimeout));
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window, kTimeout));
        TWinSkinForm* form = formOf(window);
        if (!form) return nullptr;
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return form->lifeState() == TWinSkinForm::lsReady; }, kTimeout));
        EXPECT_TRUE(QTest::qWaitFor([&] { return form->active(); }, kTimeout));
        return form;
    }

    // A point of the caption row away from its text and buttons, in window coordinates.
    static QPoint plainCaptionPoint(const TWinSkinForm& form) {
        int right = form.window()->width() - form.rightWidth();
        for (const auto& button : form.captionButtons())
            if (button->visible && button->rect.left() > form.captionTextRect().right())
                right = std::min(right, button->rect.left());
        return {(form.captionTextRect().right() + right) / 2, form.topHeight() / 2};
    }

    static TWinSysButton* button(const TWinSkinForm& form, int action) {
        for (const auto& b : form.captionButtons())
            if (b->visible && b->button.Action == action) return b.get();
        return nullptr;
    }

    static inline QImage desktop;
    static inline Program* program = nullptr;
};

TEST_F(XvfbTest, TheMainWindowAndAToolWindowComeUpFramelessWithTheSkinsMargins) {
    TWinSkinForm* mainForm = showSkinned(main(), {20, 20});
    ASSERT_NE(mainForm, nullptr);
    TWinSkinForm* toolForm = showSkinned(tool(), {main().geometry().right() + 30, 40});
    ASSERT_NE(toolForm, nullptr);

    // The menu bar moved into the frame: its row is in the top margin.
    ASSERT_NE(mainForm->skinMenu(), nullptr);
    const int menuRow = mainForm->menuHeight();
    EXPECT_GT(menuRow, 0);
    EXPECT_FALSE(main().menuBar()->isVisible());
    EXPECT_EQ(main().contentsMargins(), QMargins(7, 25 + menuRow, 7, 7));
    EXPECT_EQ(tool().contentsMargins(), QMargins(7, 25, 7, 7));

    for (QWidget* window : {static_cast<QWidget*>(&main()), static_cast<QWidget*>(&tool())}) {
        SCOPED_TRACE(window->metaObject()->className());
        EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
        ASSERT_NE(window->windowHandle(), nullptr);
        EXPECT_TRUE(window->windowHandle()->flags() & Qt::FramelessWindowHint);
        // The server has it mapped, asking any window manager for no decorations, where the
        // program put it.
        EXPECT_TRUE(xMapped(*window));
        EXPECT_EQ(xDecorations(*window), std::optional<uint32_t>(0));
        EXPECT_EQ(xPosition(*window), std::optional<QPoint>(window->pos()));
    }

    // Shown again after being hidden, a window keeps its skinned frame on the server.
    tool().hide();
    ASSERT_TRUE(QTest::qWaitFor([] { return !xMapped(tool()); }, kTimeout));
    ASSERT_EQ(showSkinned(tool(), tool().pos()), toolForm);
    EXPECT_TRUE(xMapped(tool()));
    EXPECT_EQ(xDecorations(tool()), std::optional<uint32_t>(0));
    EXPECT_EQ(tool().contentsMargins(), QMargins(7, 25, 7, 7));
    EXPECT_FALSE(tool().mask().isEmpty());
}

TEST_F(XvfbTest, TheScreenShowsTheSkinsCaptionAndTheDesktopAtTheCutCorners) {
    TWinSkinForm* mainForm = showSkinned(main(), {20, 20});
    ASSERT_NE(mainForm, nullptr);
    TWinSkinForm* toolForm = showSkinned(tool(), {main().geometry().right() + 30, 40});
    ASSERT_NE(toolForm, nullptr);
    // Both windows fit on the screen side by side.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    ASSERT_TRUE(screen.contains(main().geometry()));
    ASSERT_TRUE(screen.contains(tool().geometry()));
    ASSERT_EQ(QGuiApplication::primaryScreen()->devicePixelRatio(), 1.0);

    for (TWinSkinForm* form : {toolForm, mainForm}) {
        QWidget& window = *form->window();
        SCOPED_TRACE(window.metaObject()->className());
        const QRegion mask = window.mask();
        const int w = window.width();
        const int h = window.height();
        ASSERT_FALSE(mask.isEmpty());
        EXPECT_FALSE(mask.contains(QPoint(0, 0)));
        EXPECT_FALSE(mask.contains(QPoint(w - 1, 0)));
        EXPECT_TRUE(mask.contains(window.contentsRect()));
        EXPECT_TRUE(mask.contains(QPoint(w / 2, 0)));

        // The caption's colour where it has neither text nor buttons.
        const QPoint caption = plainCaptionPoint(*form);
        const QRgb captionColour = form->composeCaption(w).pixel(caption);
        const QPoint at = window.mapToGlobal(caption);
        ASSERT_NE(captionColour, desktop.pixel(at));
        QImage shot;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                shot = grabScreen();
                return shot.pixel(at) == captionColour;
            },
            kTimeout))
            << std::hex << shot.pixel(at) << " instead of " << captionColour;

        // Every pixel the mask leaves out shows the desktop; what it keeps is the window.
        const QPoint origin = window.mapToGlobal(QPoint(0, 0));
        int outside = 0;
        int cutButShown = 0;
        int desktopInside = 0;
        int inside = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const QPoint global = origin + QPoint(x, y);
                const bool same = shot.pixel(global) == desktop.pixel(global);
                if (!mask.contains(QPoint(x, y))) {
                    ++outside;
                    cutButShown += !same;
                } else {
                    ++inside;
                    desktopInside += same;
                }
            }
        EXPECT_GT(outside, 4);  // both top corners are rounded
        EXPECT_EQ(cutButShown, 0) << "of " << outside << " pixels the mask leaves out";
        // A window pixel may have the desktop's colour by chance, never in large numbers.
        EXPECT_LT(desktopInside, inside / 100);
    }

    // A picture of the whole screen for a person to look at.
    const QString folder = QCoreApplication::applicationDirPath() + "/screens";
    QDir().mkpath(folder);
    EXPECT_TRUE(grabScreen().save(folder + "/desktop.png"));
}

TEST_F(XvfbTest, DraggingTheCaptionMovesTheWindowWithThePointer) {
    TWinSkinForm* form = showSkinned(tool(), {300, 200});
    ASSERT_NE(form, nullptr);
    const QPoint start = tool().pos();
    const QPoint grip = plainCaptionPoint(*form);
    const QPoint pressAt = tool().mapToGlobal(grip);
    QTest::mousePress(&tool(), Qt::LeftButton, {}, grip);
    // No window manager takes the move over (startSystemMove fails): the program moves the
    // window itself. Each step is where the pointer is on the screen now, in the window's
    // coordinates of the moment: the window follows the pointer, not its own earlier place.
    QPoint total;
    for (const QPoint step : {QPoint(15, 10), QPoint(60, 40), QPoint(-25, 90)}) {
        total += step;
        QTest::mouseMove(&tool(), tool().mapFromGlobal(pressAt + total));
        EXPECT_TRUE(QTest::qWaitFor([&] { return tool().pos() == start + total; }, kTimeout))
            << "after " << total.x() << "," << total.y();
    }
    QTest::mouseRelease(&tool(), Qt::LeftButton, {}, tool().mapFromGlobal(pressAt + total));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return xPosition(tool()) == std::optional<QPoint>(start + total); }, kTimeout));

    // Moving the pointer after the release, or dragging from the client area, moves nothing.
    const QPoint after = tool().pos();
    QTest::mouseMove(&tool(), grip + QPoint(40, 40));
    const QPoint inside = tool().contentsRect().center();
    QTest::mousePress(&tool(), Qt::LeftButton, {}, inside);
    QTest::mouseMove(&tool(), inside + QPoint(50, 30));
    QTest::mouseRelease(&tool(), Qt::LeftButton, {}, inside + QPoint(50, 30));
    QCoreApplication::processEvents();
    EXPECT_EQ(tool().pos(), after);
    EXPECT_EQ(xPosition(tool()), std::optional<QPoint>(after));
}

TEST_F(XvfbTest, TheCaptionButtonsMaximiseRestoreMinimiseAndClose) {
    TWinSkinForm* form = showSkinned(main(), {20, 20});
    ASSERT_NE(form, nullptr);
    const QSize client = main().contentsRect().size();
    const QSize whole = main().size();

    TWinSysButton* maximise = button(*form, 1);
    ASSERT_NE(maximise, nullptr);
    QTest::mouseClick(&main(), Qt::LeftButton, {}, maximise->rect.center());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return main().isMaximized() && form->WindowState() == TWinSkinForm::wsMaximized; },
        kTimeout));
    // The restore button took the maximise button's place.
    TWinSysButton* restore = button(*form, 1);
    ASSERT_NE(restore, nullptr);
    EXPECT_NE(restore, maximise);
    QTest::mouseClick(&main(), Qt::LeftButton, {}, restore->rect.center());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !main().isMaximized() && form->WindowState() == TWinSkinForm::wsNormal; },
        kTimeout));
    EXPECT_EQ(main().size(), whole);
    EXPECT_EQ(main().contentsRect().size(), client);
    EXPECT_FALSE(main().mask().isEmpty());

    TWinSysButton* minimise = button(*form, 2);
    ASSERT_NE(minimise, nullptr);
    QTest::mouseClick(&main(), Qt::LeftButton, {}, minimise->rect.center());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return main().isMinimized() && form->WindowState() == TWinSkinForm::wsMinimized; },
        kTimeout));
    main().showNormal();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return form->WindowState() == TWinSkinForm::wsNormal; }, kTimeout));
    EXPECT_TRUE(QTest::qWaitFor([&] { return xMapped(main()); }, kTimeout));
    EXPECT_EQ(main().contentsRect().size(), client);

    // A tool window has only the close button; it hides the window, on the server too.
    TWinSkinForm* toolForm = showSkinned(tool(), {main().geometry().right() + 30, 40});
    ASSERT_NE(toolForm, nullptr);
    EXPECT_EQ(button(*toolForm, 1), nullptr);
    EXPECT_EQ(button(*toolForm, 2), nullptr);
    TWinSysButton* close = button(*toolForm, 0);
    ASSERT_NE(close, nullptr);
    QTest::mouseClick(&tool(), Qt::LeftButton, {}, close->rect.center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !tool().isVisible(); }, kTimeout));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !xMapped(tool()); }, kTimeout));
    EXPECT_TRUE(main().isVisible());
}

TEST_F(XvfbTest, TheMenuBarOpensFileOnAltFAndAMenuOnAClick) {
    TWinSkinForm* form = showSkinned(main(), {20, 20});
    ASSERT_NE(form, nullptr);
    TWinSkinMenu* bar = form->skinMenu();
    ASSERT_NE(bar, nullptr);
    auto itemNamed = [&](const QString& name) -> TMenuBtn* {
        for (const auto& item : bar->items())
            if (QString(item->caption).remove('&') == name) return item.get();
        return nullptr;
    };
    auto* fileMenu = main().findChild<QMenu*>(QStringLiteral("menuFile"));
    auto* toolsMenu = main().findChild<QMenu*>(QStringLiteral("menuTools"));
    TMenuBtn* fileItem = itemNamed(QStringLiteral("File"));
    TMenuBtn* toolsItem = itemNamed(QStringLiteral("Tools"));
    ASSERT_TRUE(fileMenu && toolsMenu && fileItem && toolsItem);

    QTest::keyClick(&main(), Qt::Key_F, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fileMenu->isVisible(); }, kTimeout));
    EXPECT_EQ(bar->openMenu(), fileMenu);
    // The menu hangs below its item, where the server shows it.
    const QPoint below = main().mapToGlobal(fileItem->rect.bottomLeft() + QPoint(0, 1));
    EXPECT_EQ(fileMenu->pos(), below);
    EXPECT_TRUE(QTest::qWaitFor([&] { return xMapped(*fileMenu); }, kTimeout));
    EXPECT_EQ(xPosition(*fileMenu), std::optional<QPoint>(below));
    QTest::keyClick(fileMenu, Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fileMenu->isVisible(); }, kTimeout));
    EXPECT_EQ(bar->openMenu(), nullptr);

    QTest::mouseClick(&main(), Qt::LeftButton, {}, toolsItem->rect.center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return toolsMenu->isVisible(); }, kTimeout));
    EXPECT_EQ(bar->openMenu(), toolsMenu);
    EXPECT_EQ(toolsMenu->pos(), main().mapToGlobal(toolsItem->rect.bottomLeft() + QPoint(0, 1)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return xMapped(*toolsMenu); }, kTimeout));
    // The server shows the menu as the program draws it, where it hangs.
    const QImage drawn = toolsMenu->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect hangs = toolsMenu->geometry();
    ASSERT_EQ(drawn.size(), hangs.size());
    auto sameOnScreen = [&] {
        const QImage shot = grabScreen();
        int same = 0;
        for (int y = 0; y < hangs.height(); ++y)
            for (int x = 0; x < hangs.width(); ++x)
                same += shot.pixel(hangs.topLeft() + QPoint(x, y)) == drawn.pixel(x, y);
        return same;
    };
    int same = 0;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return (same = sameOnScreen()) > hangs.width() * hangs.height() * 95 / 100; },
        kTimeout))
        << same << " of " << hangs.width() * hangs.height() << " pixels";
    const QString folder = QCoreApplication::applicationDirPath() + "/screens";
    QDir().mkpath(folder);
    EXPECT_TRUE(grabScreen().save(folder + "/menu.png"));
    QTest::keyClick(toolsMenu, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !toolsMenu->isVisible(); }, kTimeout));
    EXPECT_FALSE(form->menuMode());
}

TEST_F(XvfbTest, EveryMenuShortcutOfEveryWindowWorksWithKeysFromTheServer) {
    // The windows whose menu bar the frame draws.
    std::vector<QWidget*> windows;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* bar = window->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly);
        if (bar && !qobject_cast<QMenu*>(window)) windows.push_back(window);
    }
    ASSERT_FALSE(windows.empty());
    int checked = 0;
    for (QWidget* window : windows) {
        SCOPED_TRACE(window->objectName().toStdString());
        TWinSkinForm* form = showSkinned(*window, {40, 40});
        ASSERT_NE(form, nullptr);
        ASSERT_NE(form->skinMenu(), nullptr) << "the frame does not draw the bar";
        auto* bar = window->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly);
        EXPECT_FALSE(bar->isVisible());
        // The keyboard's focus, as a window manager gives it to the window it activates.
        xcb_set_input_focus(xConnection(), XCB_INPUT_FOCUS_POINTER_ROOT, xWindow(*window),
                            XCB_CURRENT_TIME);

        ShortcutSpy spy;
        for (QAction* action : menuShortcuts(*bar)) {
            SCOPED_TRACE(action->text().toStdString() + " " +
                         action->shortcut().toString().toStdString());
            const std::vector<xcb_keysym_t> keys = keysymsOf(action->shortcut());
            ASSERT_FALSE(keys.empty()) << "a shortcut this test cannot type";
            if (!action->isEnabled()) continue;  // a disabled entry's shortcut does nothing
            action->installEventFilter(&spy);
            spy.reached.clear();
            ASSERT_TRUE(pressKeys(keys));
            EXPECT_TRUE(QTest::qWaitFor([&] { return !spy.reached.empty(); }, kTimeout));
            if (!spy.reached.empty()) {
                EXPECT_EQ(spy.reached.front(), action);
            }
            action->removeEventFilter(&spy);
            ++checked;
        }
        if (window != &main()) window->hide();
    }
    // The main window has a dozen of them (Ctrl+Z, Ctrl+P, Ctrl+M, Ctrl+Y, Ctrl+I ...).
    EXPECT_GE(checked, 10);

    // Alt and a letter still opens the bar's menu (Alt+F: File).
    auto* fileMenu = main().findChild<QMenu*>(QStringLiteral("menuFile"));
    ASSERT_NE(fileMenu, nullptr);
    ASSERT_TRUE(pressKeys({0xFFE9, 'f'}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return fileMenu->isVisible(); }, kTimeout));
    fileMenu->hide();
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "skin_xvfb_tests needs an X server: run it under xvfb-run\n");
        return 1;
    }
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    // No session bus: on X, Qt would otherwise look for one (for accessibility) and reach the
    // developer's desktop, or try to start one.
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
