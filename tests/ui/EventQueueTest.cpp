// The one event queue: order, events as values that name their window and control, silence of
// the program's own changes, keyboard shortcuts whatever control has the focus, the built-in
// Tab order, close requests, size changes, the handlers of controls and windows, and the events
// that go with a freed control or a dropped window.
#include "ServiceFixture.h"

#include <algorithm>
#include <string>

namespace uitest {
namespace {

using ui::EventKind;

class EventQueueTest : public ServiceTest {};

bool hasEvent(const std::vector<ui::Event>& events, const ui::Control* control, int type) {
    return std::any_of(events.begin(), events.end(), [&](const ui::Event& event) {
        return event.control == control && event.type == type;
    });
}

void typeInto(const ui::Control& control, wchar_t character) {
    SendMessageW(ui::controlHandle(control), WM_CHAR, character, 1);
}

TEST_F(EventQueueTest, PostedEventComesAfterThoseAlreadyQueued) {
    ui::OwnedWindow window = openTestWindow();
    ui::Control* field = ui::createTextField(*window, 5, 5, 100, 20, u"", 0);
    ui::Control* button = ui::createImageButton(*window, 5, 30, 35, 26, nullptr, 0);
    ASSERT_TRUE(field && button);
    drainEvents(50);

    // A typed character and the window's close box queue their events synchronously...
    typeInto(*field, 'x');
    SendMessageW(ui::windowHandle(*window), WM_CLOSE, 0, 0);
    // ...and the program's posted events go behind them, in the order posted.
    ui::postControlEvent(*button, ui::kEventLeftClick);
    ui::postCloseRequest(*window);

    const std::vector<ui::Event> events = drainEvents();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].kind, EventKind::Control);
    EXPECT_EQ(events[0].control, field);
    EXPECT_EQ(events[0].window, window.get()) << "a control event names the control's window";
    EXPECT_EQ(events[0].type, ui::kEventChange);
    EXPECT_EQ(events[1].kind, EventKind::CloseRequest);
    EXPECT_EQ(events[1].window, window.get());
    EXPECT_EQ(events[1].control, nullptr);
    EXPECT_EQ(events[2].kind, EventKind::Control);
    EXPECT_EQ(events[2].control, button);
    EXPECT_EQ(events[2].window, window.get());
    EXPECT_EQ(events[2].type, ui::kEventLeftClick);
    EXPECT_EQ(events[3].kind, EventKind::CloseRequest);
    EXPECT_EQ(events[3].window, window.get());
    EXPECT_EQ(IsWindow(ui::windowHandle(*window)), TRUE)
        << "a close request is an event, not a close";
}

TEST_F(EventQueueTest, ProgramChangesRaiseNoEventsWhileUserChangesDo) {
    ui::OwnedWindow window = openTestWindow();
    ui::Control* field = ui::createTextField(*window, 5, 5, 100, 20, u"start", 0);
    ui::Control* editor = ui::createEditor(*window, 5, 30, 200, 80, 0);
    ui::Control* list = ui::createRowList(*window, 210, 5, 120, 120, 0);
    ui::Control* toggle =
        ui::createImageButton(*window, 5, 120, 35, 26, nullptr, ui::kButtonToggle);
    ASSERT_TRUE(field && editor && list && toggle);
    drainEvents(50);

    ui::setControlText(*field, u"set by the program");
    ui::setControlText(*editor, u"line one\r\nline two");
    ui::setRowListRows(*list, 3, [](int row) { return u"row " + std::u16string(1, u'0' + row); });
    ui::setControlState(*list, 1);
    ui::setRowListRows(*list, 1, [](int) { return std::u16string(u"only"); });
    ui::setControlState(*list, -1);
    ui::setControlState(*toggle, 1);
    EXPECT_TRUE(drainEvents(100).empty());

    // The same controls do report what a user does to them.
    typeInto(*field, 'a');
    typeInto(*editor, 'b');
    const std::vector<ui::Event> events = drainEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].control, field);
    EXPECT_EQ(events[0].type, ui::kEventChange);
    EXPECT_EQ(events[1].control, editor);
    EXPECT_EQ(events[1].type, ui::kEventChange);
}

TEST_F(EventQueueTest, ListReportsTheUsersRowChange) {
    ui::OwnedWindow window = openTestWindow(400, 300, true);
    ui::Control* list = ui::createRowList(*window, 5, 5, 150, 150, 0);
    ASSERT_TRUE(list);
    ui::setRowListRows(*list, 2, [](int row) { return row ? u"beta" : u"alpha"; });
    ui::focusControl(*list);
    ui::setControlState(*list, 0);
    drainEvents(50);

    pressKey(ui::controlHandle(*list), VK_DOWN);
    EXPECT_TRUE(hasEvent(drainEvents(), list, ui::kEventRowSelected));
    EXPECT_EQ(ui::controlState(*list), 1);
}

// The cases share one window: a key that reached a control instead would leave its trace.
TEST_F(EventQueueTest, ShortcutReachesTheWindowWhateverControlHasTheFocus) {
    enum Focus { Field, Editor, List, Button };
    struct Case {
        const char* name;
        Focus focus; // the control that has the focus when the key arrives
        UINT key;
        bool shift;
        bool ctrl;
        int expectedCommand; // 0: no shortcut event
    };
    const Case cases[] = {
        {"CtrlSInField", Field, 'S', false, true, 13},
        {"CtrlSInEditor", Editor, 'S', false, true, 13},
        {"EscapeInList", List, VK_ESCAPE, false, false, 14},
        {"EscapeOnButton", Button, VK_ESCAPE, false, false, 14},
        {"ShiftReturnInEditor", Editor, VK_RETURN, true, false, 15},
        {"CommandBeyond16Bits", Field, 'N', false, true, 0x12345},
        {"ReturnAloneIsNoShortcut", Field, VK_RETURN, false, false, 0},
        {"SWithoutCtrlIsNoShortcut", List, 'S', false, false, 0},
    };
    ui::OwnedWindow window = openTestWindow(400, 300, true);
    ui::Control* field = ui::createTextField(*window, 5, 5, 100, 20, u"text", 0);
    ui::Control* editor = ui::createEditor(*window, 5, 30, 200, 80, 0);
    ui::Control* list = ui::createRowList(*window, 210, 5, 120, 120, 0);
    ui::Control* button = ui::createImageButton(*window, 5, 120, 35, 26, nullptr, 0);
    ASSERT_TRUE(field && editor && list && button);
    ui::Control* const controls[] = {field, editor, list, button};
    ui::addKeyboardShortcut(*window, 'S' | ui::kShortcutCtrl, 13);
    ui::addKeyboardShortcut(*window, VK_ESCAPE, 14);
    ui::addKeyboardShortcut(*window, VK_RETURN | ui::kShortcutShift, 15);
    ui::addKeyboardShortcut(*window, 'N' | ui::kShortcutCtrl, 0x12345); // beyond 16 bits
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui::focusControl(*controls[c.focus]);
        ASSERT_EQ(ui::focusedControl(), controls[c.focus]);
        drainEvents(50);
        pressKey(GetFocus(), c.key, c.shift, c.ctrl);
        int command = 0;
        for (const ui::Event& event : drainEvents()) {
            if (event.kind == EventKind::Shortcut) {
                EXPECT_EQ(event.window, window.get());
                EXPECT_EQ(event.control, nullptr);
                command = event.command;
            }
        }
        EXPECT_EQ(command, c.expectedCommand);
        // A shortcut's key goes to the window instead of the control: no line break in the editor.
        EXPECT_EQ(ui::controlText(*editor), u"");
        EXPECT_EQ(ui::controlText(*field), u"text");
    }
}

TEST_F(EventQueueTest, TabAndShiftTabVisitTabStopControlsInCreationOrderAndWrap) {
    ui::OwnedWindow window = openTestWindow(400, 300, true);
    ui::Control* first = ui::createTextField(*window, 5, 5, 100, 20, u"first", 0);
    ui::createStaticText(*window, 5, 30, 100, 20, u"no tab stop", 0);
    ui::Control* disabled = ui::createTextField(*window, 5, 55, 100, 20, u"disabled", 0);
    ui::enableControl(*disabled, false);
    // A row list is in the Tab order only when asked, as the manager's list is.
    ui::Control* list = ui::createRowList(*window, 120, 5, 100, 100, WS_TABSTOP);
    ui::createRowList(*window, 120, 110, 100, 50, 0);
    ui::Control* hidden = ui::createTextField(*window, 5, 80, 100, 20, u"hidden", 0);
    ShowWindow(ui::controlHandle(*hidden), SW_HIDE);
    ui::Control* noStop = ui::createTextField(*window, 5, 105, 100, 20, u"tab stop removed", 0);
    SetWindowLongW(ui::controlHandle(*noStop), GWL_STYLE,
                   GetWindowLongW(ui::controlHandle(*noStop), GWL_STYLE) & ~WS_TABSTOP);
    ui::Control* editor = ui::createEditor(*window, 5, 130, 200, 60, 0);
    ui::Control* button = ui::createImageButton(*window, 230, 5, 35, 26, nullptr, 0);
    ASSERT_TRUE(first && list && editor && button);
    ui::focusControl(*first);

    std::vector<ui::Control*> forward;
    for (int i = 0; i < 5; ++i) {
        pressKey(GetFocus(), VK_TAB);
        drainEvents(30);
        forward.push_back(ui::focusedControl());
    }
    EXPECT_EQ(forward, (std::vector<ui::Control*>{list, editor, button, first, list}));

    std::vector<ui::Control*> backward;
    for (int i = 0; i < 5; ++i) {
        pressKey(GetFocus(), VK_TAB, true);
        drainEvents(30);
        backward.push_back(ui::focusedControl());
    }
    EXPECT_EQ(backward, (std::vector<ui::Control*>{first, button, editor, list, first}));
    EXPECT_EQ(ui::controlText(*editor), u"") << "Tab moves the focus instead of typing a tab";
}

TEST_F(EventQueueTest, FocusEventsComeAlsoFromTheProgramsFocusMoves) {
    ui::OwnedWindow window = openTestWindow();
    ui::Control* first = ui::createTextField(*window, 5, 5, 100, 20, u"", 0);
    ui::Control* second = ui::createTextField(*window, 5, 30, 100, 20, u"", 0);
    ASSERT_TRUE(first && second);
    ui::focusControl(*first);
    drainEvents(50);

    ui::focusControl(*second);
    EXPECT_TRUE(hasEvent(drainEvents(), second, ui::kEventFocus));
}

TEST_F(EventQueueTest, SizeChangesButNotWhileMinimised) {
    // A framed window, as the manager's, shown: minimising is about what the user does to it.
    ui::OwnedWindow window =
        ui::openWindow(40, 40, 300, 200, u"Sized", WS_OVERLAPPEDWINDOW, nullptr);
    ASSERT_TRUE(window);
    HWND handle = ui::windowHandle(*window);
    drainEvents(50);

    ui::resizeWindow(*window, base::keepValue, base::keepValue, 350, 220);
    std::vector<ui::Event> events = drainEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, EventKind::SizeChange);
    EXPECT_EQ(events[0].window, window.get());

    ShowWindow(handle, SW_MINIMIZE);
    ShowWindow(handle, SW_RESTORE);
    for (const ui::Event& event : drainEvents()) {
        EXPECT_NE(event.kind, EventKind::SizeChange);
    }
    ui::resizeWindow(*window, 10, 10, base::keepValue, base::keepValue); // a move only
    for (const ui::Event& event : drainEvents()) {
        EXPECT_NE(event.kind, EventKind::SizeChange);
    }
}

// A handler runs while the event is raised, before any wait returns it: the manager's name
// field rewrites its text in its handler, and the rewrite raises nothing more. A posted event's
// handlers run when it is delivered.
TEST_F(EventQueueTest, HandlersRunWhenTheirEventIsRaised) {
    ui::OwnedWindow window = openTestWindow();
    ui::OwnedWindow other = openTestWindow();
    ui::Control* name = ui::createTextField(*window, 5, 5, 100, 20, u"", 0);
    ui::Control* notes = ui::createTextField(*window, 5, 30, 100, 20, u"", 0);
    ASSERT_TRUE(name && notes);
    std::vector<ui::Event> nameChanges;
    std::vector<int> notesTypes;
    int sizeCalls = 0;
    int otherSizeCalls = 0;
    ui::onControlEvent(*name, ui::kEventChange, [&](const ui::Event& event) {
        nameChanges.push_back(event);
        ui::setControlText(*name, u"rewritten");
    });
    ui::onControlEvent(*notes, ui::kAny,
                       [&](const ui::Event& event) { notesTypes.push_back(event.type); });
    ui::onWindowEvent(*window, EventKind::SizeChange, [&](const ui::Event&) { ++sizeCalls; });
    ui::onWindowEvent(*window, EventKind::CloseRequest, [&](const ui::Event&) {
        ADD_FAILURE() << "a close handler ran for a size change";
    });
    ui::onWindowEvent(*other, EventKind::SizeChange, [&](const ui::Event&) { ++otherSizeCalls; });
    drainEvents(50);

    typeInto(*name, 'a');
    ASSERT_EQ(nameChanges.size(), 1u) << "ran before any wait";
    EXPECT_EQ(nameChanges[0].control, name);
    EXPECT_EQ(nameChanges[0].window, window.get());
    EXPECT_EQ(ui::controlText(*name), u"rewritten");
    ui::setControlText(*name, u"program");
    ui::focusControl(*notes);
    typeInto(*notes, 'b');
    ui::resizeWindow(*window, base::keepValue, base::keepValue, 420, 320);
    EXPECT_EQ(nameChanges.size(), 1u) << "the program's own changes raise nothing";
    EXPECT_EQ(notesTypes, (std::vector<int>{ui::kEventFocus, ui::kEventChange}));
    EXPECT_EQ(sizeCalls, 1);
    EXPECT_EQ(otherSizeCalls, 0) << "another window's handler";
    drainEvents();
    EXPECT_EQ(nameChanges.size(), 1u) << "delivering an event runs no handler twice";
    EXPECT_EQ(sizeCalls, 1);

    ui::postControlEvent(*name, ui::kEventChange); // as if the user had changed it
    EXPECT_EQ(nameChanges.size(), 1u) << "a posted event's handlers wait for its delivery";
    const std::vector<ui::Event> delivered = drainEvents();
    ASSERT_EQ(nameChanges.size(), 2u);
    EXPECT_EQ(nameChanges[1].control, name);
    EXPECT_TRUE(hasEvent(delivered, name, ui::kEventChange));
}

// A quit posted by anyone ends the loop that waits for its window's close request, once, and
// is used up: left in the queue it would make every later wait return at once.
TEST_F(EventQueueTest, QuitMessageBecomesTheWaitingWindowsCloseRequest) {
    ui::OwnedWindow first = openTestWindow();
    ui::OwnedWindow last = openTestWindow();
    int closeCalls = 0;
    ui::onWindowEvent(*last, EventKind::CloseRequest, [&](const ui::Event&) { ++closeCalls; });
    drainEvents(50);

    // As another program would: straight into the thread's queue.
    PostThreadMessageW(GetCurrentThreadId(), WM_QUIT, 3, 0);
    int waits = 0;
    ui::Event event;
    while ((event = ui::waitEvent()).kind != EventKind::CloseRequest && ++waits < 100) {
    }
    EXPECT_EQ(waits, 0) << "the loop spun instead of ending";
    EXPECT_EQ(event.window, last.get()) << "the window opened last is the one whose loop runs";
    EXPECT_EQ(closeCalls, 1);
    MSG left;
    EXPECT_FALSE(PeekMessageW(&left, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    EXPECT_EQ(ui::waitEventFor(30).kind, EventKind::None);

    PostQuitMessage(0); // the timed wait too
    event = ui::waitEventFor(1000);
    EXPECT_EQ(event.kind, EventKind::CloseRequest);
    EXPECT_EQ(event.window, last.get());
    EXPECT_EQ(closeCalls, 2);

    // With no window left there is nothing to close: the quit is used up all the same.
    last.reset();
    first.reset();
    PostQuitMessage(0);
    EXPECT_EQ(ui::waitEventFor(30).kind, EventKind::None);
    EXPECT_FALSE(PeekMessageW(&left, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

// An event names its window and control, which must be alive when it is delivered: what goes
// takes its queued events, raised and posted, along; what stays keeps its own.
TEST_F(EventQueueTest, FreedControlsAndDroppedWindowsTakeTheirEventsAlong) {
    ui::OwnedWindow kept = openTestWindow();
    ui::OwnedWindow dropped = openTestWindow();
    ui::Control* freed = ui::createTextField(*kept, 5, 5, 100, 20, u"", 0);
    ui::Control* staying = ui::createTextField(*kept, 5, 30, 100, 20, u"", 0);
    ui::Control* inDropped = ui::createTextField(*dropped, 5, 5, 100, 20, u"", 0);
    ASSERT_TRUE(freed && staying && inDropped);
    int freedHandlerCalls = 0;
    ui::onControlEvent(*freed, ui::kAny, [&](const ui::Event&) { ++freedHandlerCalls; });
    drainEvents(50);

    typeInto(*freed, 'a'); // raised: queued, its handler has run
    ui::postControlEvent(*freed, ui::kEventLeftClick);
    typeInto(*staying, 'b');
    typeInto(*inDropped, 'c');
    ui::postControlEvent(*inDropped, ui::kEventChange);
    ui::postCloseRequest(*dropped);
    ui::postCloseRequest(*kept);
    ASSERT_EQ(freedHandlerCalls, 1);

    ui::freeControl(*freed);
    dropped.reset();
    const std::vector<ui::Event> events = drainEvents();
    EXPECT_EQ(freedHandlerCalls, 1) << "the freed control's posted event ran its handler";
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].control, staying);
    EXPECT_EQ(events[0].type, ui::kEventChange);
    EXPECT_EQ(events[1].kind, EventKind::CloseRequest);
    EXPECT_EQ(events[1].window, kept.get());
    EXPECT_EQ(ui::waitEventFor(0).kind, EventKind::None);
}

} // namespace
} // namespace uitest
