// The window and control objects and the service's tables, shared by its source files and by
// nothing else.
#pragma once

#include "base/TextConvert.h"
#include "ui/OwnedGdiObjects.h"
#include "ui/SplitterLayout.h"
#include "ui/TypedRowSearch.h"
#include "ui/WindowService.h"

#include <commctrl.h>

#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace ui::detail {

enum class ControlKind { TextField, StaticText, RowList, Editor, ImageButton, Splitter };

struct SplitterState {
    Control* first = nullptr; // the panes, controls of the splitter's window
    Control* second = nullptr;
    bool vertical = false; // panes side by side
    int firstMinimum = 0;
    int secondMinimum = 0;
    SplitterRatio ratio;
    bool hasRatio = false;
    int position = 0; // the first pane's size after the last layout
    bool dragging = false;
    int grabOffset = 0;
};

struct KeyboardShortcut {
    int shortcut = 0;
    int command = 0;
};

struct ControlHandler {
    int type = kAny;
    EventHandler handler;
};

struct WindowHandler {
    EventKind kind = EventKind::None;
    EventHandler handler;
};

} // namespace ui::detail

namespace ui {

struct Control {
    detail::ControlKind kind = detail::ControlKind::StaticText;
    HWND handle = nullptr; // nullptr once Windows destroyed it
    Window* window = nullptr;
    std::vector<detail::ControlHandler> handlers;
    COLORREF textColor = kDefaultColor;
    COLORREF backColor = kDefaultColor;
    OwnedBrush backBrush;
    HBITMAP image = nullptr; // not owned
    OwnedBitmap greyImage;   // the disabled look of image
    detail::SplitterState splitter;
    std::function<std::u16string(int row)> rowText; // a row list's rows
    COLORREF selectionTextColor = kDefaultColor;
    COLORREF selectionBackColor = kDefaultColor;
    TypedRowSearch typedSearch; // a row list's letters typed so far
};

struct Window {
    int number = -1;       // names the window's class: the lowest number free when it opened
    HWND handle = nullptr; // nullptr once Windows destroyed it
    std::wstring className;
    bool opened = false; // openWindow has returned: size changes count from here
    std::vector<std::unique_ptr<Control>> controls; // in creation order, which is the Tab order
    std::vector<detail::WindowHandler> handlers;
    HFONT font = nullptr; // of the controls created from now on; not owned
    WindowScale scale;
    COLORREF background = kDefaultColor;
    OwnedBrush backBrush;
    int minWidth = base::kNoLimit;
    int minHeight = base::kNoLimit;
    int maxWidth = base::kNoLimit;
    int maxHeight = base::kNoLimit;
    int lastClientWidth = -1;
    int lastClientHeight = -1;
    std::vector<detail::KeyboardShortcut> shortcuts;
    OwnedAccelerators accelerators;
};

} // namespace ui

namespace ui::detail {

struct QueuedEvent {
    Event event;
    bool posted = false; // its handlers run when it is delivered, not when it is queued
};

// The service's own tables: the open windows, windows and controls by handle, the fonts and
// images it keeps until the common end, and the one event queue. Windows and controls are
// their owners'; the tables only find them.
struct ServiceState {
    bool started = false;
    int logPixelsY = 96;
    bool logPixelsYRead = false;  // logPixelsY holds the screen's value
    std::vector<Window*> windows; // open, in opening order
    std::unordered_map<HWND, Window*> windowByHandle;
    std::unordered_map<HWND, Control*> controlByHandle;
    std::vector<std::wstring> registeredClasses;
    std::vector<OwnedFont> fonts;
    std::vector<OwnedBitmap> images;
    std::deque<QueuedEvent> queue;
    HWND tooltip = nullptr;
    OwnedLibrary richEdit;
    int quiet = 0; // > 0 while the program itself changes a control
};

ServiceState& service();

Window* findWindowByHandle(HWND handle);
Control* findControlByHandle(HWND handle);

// While alive, notifications caused by the program's own changes raise no events.
struct QuietChanges {
    QuietChanges() { ++service().quiet; }
    ~QuietChanges() { --service().quiet; }
    QuietChanges(const QuietChanges&) = delete;
    QuietChanges& operator=(const QuietChanges&) = delete;
};

// Events: queue one and run its control's and its window's handlers.
void raiseEvent(const Event& event);
void callHandlers(const Event& event);
void raiseControlEvent(Control& control, int type);
// Drops the queued events of a window and its controls (control nullptr), or of one control.
void dropQueuedEvents(const Window* window, const Control* control);

// Messages that controls send to their parent; both a top-level window and a splitter pass
// them here. Returns true when handled, with the result in result.
bool handleControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// Keyboard shortcuts of the active window first, whatever control has the focus, then the
// built-in Tab and Shift+Tab. True when the key message was used up.
bool translateKeyboard(MSG& message);

// Tab and Shift+Tab among the window's controls.
void moveFocus(Window& window, bool forward);

// Keyboard shortcuts: the accelerator table of a window, rebuilt after every change.
void rebuildAccelerators(Window& window);

// A control whose window Windows destroyed: out of the tables, its handle gone.
void forgetControlHandle(Control& control);

// Parts with their own window classes or subclasses.
bool registerSplitterClass();
void unregisterSplitterClass();
HWND createSplitterWindow(HWND parent, int x, int y, int width, int height);
void attachSplitterPanes(Control& splitter);
void layoutSplitter(Control& splitter);
void setSplitterPosition(Control& splitter, int position);

void attachControlSubclass(Control& control);
// The image button's part of the control subclass; true when it answered the message itself.
bool imageButtonMessage(Control& button, HWND handle, UINT message, WPARAM wParam, LPARAM lParam,
                        LRESULT& result);
OwnedBitmap makeGreyImage(HBITMAP image);
// Frees an image that decodePng made, at once rather than at the common end; any other bitmap
// is left to its owner.
void releaseDecodedImage(HBITMAP image);

// Draws one row of a row list.
void drawListRow(const Control& list, const DRAWITEMSTRUCT& item);
// The row list's part of the control subclass: typed letters and the row text query. True when
// it answered the message itself.
bool rowListMessage(Control& list, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// The brush and colours of a control's WM_CTLCOLOR* answer; false for a control in system colours.
bool colourControl(UINT message, HDC dc, HWND handle, LRESULT& result);

HWND topLevelOf(HWND control);

} // namespace ui::detail
