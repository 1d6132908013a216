// The one event queue: order, silence of the program's own changes, keyboard shortcuts
// whatever control has the focus, the built-in Tab order, close requests, size changes and
// bound handlers.
#include "ServiceFixture.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace uitest {
namespace {

using ui::EventKind;

class EventQueueTest : public ServiceTest {};

bool hasEvent(const std::vector<ui::Event>& events, int control, int type) {
    return std::any_of(events.begin(), events.end(), [&](const ui::Event& event) {
        return event.control == control && event.type == type;
    });
}

TEST_F(EventQueueTest, PostedEventComesAfterThoseAlreadyQueued) {
    HWND window = openTestWindow(0);
    ui::createTextField(1, 5, 5, 100, 20, u"", 0);
    ui::createImageButton(2, 5, 30, 35, 26, nullptr, 0);
    drainEvents(50);

    // A typed character and the window's close box queue their events synchronously...
    SendMessageW(ui::controlHandle(1), WM_CHAR, 'x', 1);
    SendMessageW(window, WM_CLOSE, 0, 0);
    // ...and the program's posted events go behind them, in the order posted.
    ui::postControlEvent(2, ui::kEventLeftClick);
    ui::postCloseRequest(0);

    const std::vector<ui::Event> events = drainEvents();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].kind, EventKind::Control);
    EXPECT_EQ(events[0].control, 1);
    EXPECT_EQ(events[0].type, ui::kEventChange);
    EXPECT_EQ(events[1].kind, EventKind::CloseRequest);
    EXPECT_EQ(events[1].window, 0);
    EXPECT_EQ(events[2].kind, EventKind::Control);
    EXPECT_EQ(events[2].control, 2);
    EXPECT_EQ(events[2].window, 0);
    EXPECT_EQ(events[3].kind, EventKind::CloseRequest);
    EXPECT_EQ(IsWindow(window), TRUE) << "a close request is an event, not a close";
}

TEST_F(EventQueueTest, ProgramChangesRaiseNoEventsWhileUserChangesDo) {
    openTestWindow(0);
    ui::createTextField(1, 5, 5, 100, 20, u"start", 0);
    ui::createEditor(2, 5, 30, 200, 80, 0);
    ui::createRowList(3, 210, 5, 120, 120, 0);
    ui::createImageButton(4, 5, 120, 35, 26, nullptr, ui::kButtonToggle);
    drainEvents(50);

    ui::setControlText(1, u"set by the program");
    ui::setControlText(2, u"line one\r\nline two");
    ui::setRowListRows(3, 3, [](int) { return std::u16string(u"row"); });
    ui::setControlState(3, 1);
    ui::setRowListRows(3, 2, [](int) { return std::u16string(u"row"); });
    ui::setControlState(3, -1);
    ui::setControlState(4, 1);
    EXPECT_TRUE(drainEvents(100).empty());

    // The same controls do report what a user does to them.
    SendMessageW(ui::controlHandle(1), WM_CHAR, 'a', 1);
    SendMessageW(ui::controlHandle(2), WM_CHAR, 'b', 1);
    const std::vector<ui::Event> events = drainEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].control, 1);
    EXPECT_EQ(events[0].type, ui::kEventChange);
    EXPECT_EQ(events[1].control, 2);
    EXPECT_EQ(events[1].type, ui::kEventChange);
}

TEST_F(EventQueueTest, ListReportsTheUsersRowChange) {
    openTestWindow(0, 400, 300, true);
    ui::createRowList(3, 5, 5, 150, 150, 0);
    ui::setRowListRows(3, 2, [](int row) { return std::u16string(row ? u"beta" : u"alpha"); });
    ui::focusControl(3);
    ui::setControlState(3, 0);
    drainEvents(50);

    pressKey(ui::controlHandle(3), VK_DOWN);
    EXPECT_TRUE(hasEvent(drainEvents(), 3, ui::kEventRowSelected));
    EXPECT_EQ(ui::controlState(3), 1);
}

// The cases share one window: a key that reached a control instead would leave its trace.
TEST_F(EventQueueTest, ShortcutReachesTheWindowWhateverControlHasTheFocus) {
    struct Case {
        const char* name;
        int focus; // the control that has the focus when the key arrives
        UINT key;
        bool shift;
        bool ctrl;
        int expectedCommand; // 0: no shortcut event
    };
    const Case cases[] = {
        {"CtrlSInField", 1, 'S', false, true, 13},
        {"CtrlSInEditor", 2, 'S', false, true, 13},
        {"EscapeInList", 3, VK_ESCAPE, false, false, 14},
        {"EscapeOnButton", 4, VK_ESCAPE, false, false, 14},
        {"ShiftReturnInEditor", 2, VK_RETURN, true, false, 15},
        {"CommandBeyond16Bits", 1, 'N', false, true, 0x12345},
        {"ReturnAloneIsNoShortcut", 1, VK_RETURN, false, false, 0},
        {"SWithoutCtrlIsNoShortcut", 3, 'S', false, false, 0},
    };
    openTestWindow(0, 400, 300, true);
    ui::createTextField(1, 5, 5, 100, 20, u"text", 0);
    ui::createEditor(2, 5, 30, 200, 80, 0);
    ui::createRowList(3, 210, 5, 120, 120, 0);
    ui::createImageButton(4, 5, 120, 35, 26, nullptr, 0);
    ui::addKeyboardShortcut(0, 'S' | ui::kShortcutCtrl, 13);
    ui::addKeyboardShortcut(0, VK_ESCAPE, 14);
    ui::addKeyboardShortcut(0, VK_RETURN | ui::kShortcutShift, 15);
    ui::addKeyboardShortcut(0, 'N' | ui::kShortcutCtrl, 0x12345); // beyond 16 bits
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui::focusControl(c.focus);
        ASSERT_EQ(ui::focusedControl(), c.focus);
        drainEvents(50);
        pressKey(GetFocus(), c.key, c.shift, c.ctrl);
        int command = 0;
        for (const ui::Event& event : drainEvents()) {
            if (event.kind == EventKind::Shortcut) {
                EXPECT_EQ(event.window, 0);
                command = event.command;
            }
        }
        EXPECT_EQ(command, c.expectedCommand);
        // A shortcut's key goes to the window instead of the control: no line break in the editor.
        EXPECT_EQ(ui::controlText(2), u"");
        EXPECT_EQ(ui::controlText(1), u"text");
    }
}

TEST_F(EventQueueTest, TabAndShiftTabVisitTabStopControlsInCreationOrderAndWrap) {
    openTestWindow(0, 400, 300, true);
    ui::createTextField(10, 5, 5, 100, 20, u"first", 0);
    ui::createStaticText(11, 5, 30, 100, 20, u"no tab stop", 0);
    ui::createTextField(12, 5, 55, 100, 20, u"disabled", 0);
    ui::enableControl(12, false);
    ui::createRowList(13, 120, 5, 100, 100, WS_TABSTOP);
    ui::createTextField(14, 5, 80, 100, 20, u"hidden", 0);
    ShowWindow(ui::controlHandle(14), SW_HIDE);
    ui::createTextField(15, 5, 105, 100, 20, u"tab stop removed", 0);
    SetWindowLongW(ui::controlHandle(15), GWL_STYLE,
                   GetWindowLongW(ui::controlHandle(15), GWL_STYLE) & ~WS_TABSTOP);
    ui::createEditor(16, 5, 130, 200, 60, 0);
    ui::createImageButton(17, 230, 5, 35, 26, nullptr, 0);
    ui::focusControl(10);

    std::vector<int> forward;
    for (int i = 0; i < 5; ++i) {
        pressKey(GetFocus(), VK_TAB);
        drainEvents(30);
        forward.push_back(ui::focusedControl());
    }
    EXPECT_EQ(forward, (std::vector<int>{13, 16, 17, 10, 13}));

    std::vector<int> backward;
    for (int i = 0; i < 5; ++i) {
        pressKey(GetFocus(), VK_TAB, true);
        drainEvents(30);
        backward.push_back(ui::focusedControl());
    }
    EXPECT_EQ(backward, (std::vector<int>{10, 17, 16, 13, 10}));
    EXPECT_EQ(ui::controlText(16), u"") << "Tab moves the focus instead of typing a tab";
}

TEST_F(EventQueueTest, FocusEventsComeAlsoFromTheProgramsFocusMoves) {
    openTestWindow(0);
    ui::createTextField(1, 5, 5, 100, 20, u"", 0);
    ui::createTextField(2, 5, 30, 100, 20, u"", 0);
    ui::focusControl(1);
    drainEvents(50);

    ui::focusControl(2);
    EXPECT_TRUE(hasEvent(drainEvents(), 2, ui::kEventFocus));
}

TEST_F(EventQueueTest, SizeChangesButNotWhileMinimised) {
    // A framed window, as the manager's, shown: minimising is about what the user does to it.
    ui::openWindow(0, 40, 40, 300, 200, u"Sized", WS_OVERLAPPEDWINDOW, nullptr);
    HWND window = ui::windowHandle(0);
    drainEvents(50);

    ui::resizeWindow(0, base::keepValue, base::keepValue, 350, 220);
    std::vector<ui::Event> events = drainEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, EventKind::SizeChange);
    EXPECT_EQ(events[0].window, 0);

    ShowWindow(window, SW_MINIMIZE);
    ShowWindow(window, SW_RESTORE);
    for (const ui::Event& event : drainEvents()) {
        EXPECT_NE(event.kind, EventKind::SizeChange);
    }
    ui::resizeWindow(0, 10, 10, base::keepValue, base::keepValue); // a move only
    for (const ui::Event& event : drainEvents()) {
        EXPECT_NE(event.kind, EventKind::SizeChange);
    }
}

TEST_F(EventQueueTest, BoundHandlersRunForTheirKeyOnly) {
    openTestWindow(0);
    ui::createTextField(6, 5, 5, 100, 20, u"", 0);
    ui::createTextField(7, 5, 30, 100, 20, u"", 0);
    int sizeCalls = 0;
    int changeCalls = 0;
    ui::bindEvent(EventKind::SizeChange, 0, ui::kAny, ui::kAny,
                  [&](const ui::Event&) { ++sizeCalls; });
    // Like the manager's name field: the handler rewrites the text, which raises nothing more.
    ui::bindEvent(EventKind::Control, ui::kAny, 6, ui::kEventChange, [&](const ui::Event&) {
        ++changeCalls;
        ui::setControlText(6, u"rewritten");
    });
    drainEvents(50);

    SendMessageW(ui::controlHandle(6), WM_CHAR, 'a', 1);
    SendMessageW(ui::controlHandle(7), WM_CHAR, 'b', 1);
    ui::setControlText(6, u"program");
    ui::resizeWindow(0, base::keepValue, base::keepValue, 420, 320);
    EXPECT_EQ(changeCalls, 1);
    EXPECT_EQ(sizeCalls, 1);
    EXPECT_EQ(ui::controlText(6), u"program");

    ui::postControlEvent(6, ui::kEventChange); // as if the user had changed it
    drainEvents();
    EXPECT_EQ(changeCalls, 2);

    ui::unbindEvent(EventKind::SizeChange, 0, ui::kAny, ui::kAny);
    ui::resizeWindow(0, base::keepValue, base::keepValue, 430, 330);
    drainEvents();
    EXPECT_EQ(sizeCalls, 1);
}

// A quit posted by anyone ends the loop that waits for its window's close request, once, and
// is used up: left in the queue it would make every later wait return at once.
TEST_F(EventQueueTest, QuitMessageBecomesTheWaitingWindowsCloseRequest) {
    openTestWindow(0);
    openTestWindow(1);
    int closeCalls = 0;
    ui::bindEvent(EventKind::CloseRequest, 1, ui::kAny, ui::kAny,
                  [&](const ui::Event&) { ++closeCalls; });
    drainEvents(50);

    // As another program would: straight into the thread's queue.
    PostThreadMessageW(GetCurrentThreadId(), WM_QUIT, 3, 0);
    int waits = 0;
    while (ui::waitEvent() != EventKind::CloseRequest && ++waits < 100) {
    }
    EXPECT_EQ(waits, 0) << "the loop spun instead of ending";
    EXPECT_EQ(ui::eventWindow(), 1) << "the window opened last is the one whose loop runs";
    EXPECT_EQ(closeCalls, 1);
    MSG left;
    EXPECT_FALSE(PeekMessageW(&left, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    EXPECT_EQ(ui::waitEventFor(30), EventKind::None);

    PostQuitMessage(0); // the timed wait too
    EXPECT_EQ(ui::waitEventFor(1000), EventKind::CloseRequest);
    EXPECT_EQ(ui::eventWindow(), 1);
    EXPECT_EQ(closeCalls, 2);

    // With no window left there is nothing to close: the quit is used up all the same.
    ui::closeWindow(1);
    ui::closeWindow(0);
    PostQuitMessage(0);
    EXPECT_EQ(ui::waitEventFor(30), EventKind::None);
    EXPECT_FALSE(PeekMessageW(&left, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST_F(EventQueueTest, EventsOfUnknownNumbersAreNotPosted) {
    openTestWindow(0);
    ui::postControlEvent(99, ui::kEventLeftClick);
    ui::postCloseRequest(42);
    EXPECT_TRUE(drainEvents(30).empty());
    EXPECT_EQ(ui::waitEventFor(0), EventKind::None);
}

} // namespace
} // namespace uitest
