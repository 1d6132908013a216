// The service's tables, shared by its source files and by nothing else.
#pragma once

#include "base/TextConvert.h"
#include "ui/OwnedGdiObjects.h"
#include "ui/SplitterLayout.h"
#include "ui/TypedRowSearch.h"
#include "ui/WindowService.h"

#include <commctrl.h>

#include <deque>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace ui::detail {

enum class ControlKind { TextField, StaticText, RowList, Editor, ImageButton, Splitter };

struct SplitterState {
    int first = -1; // control numbers of the panes
    int second = -1;
    bool vertical = false; // panes side by side
    int firstMinimum = 0;
    int secondMinimum = 0;
    SplitterRatio ratio;
    bool hasRatio = false;
    int position = 0; // the first pane's size after the last layout
    bool dragging = false;
    int grabOffset = 0;
};

struct ControlRecord {
    int number = -1;
    ControlKind kind = ControlKind::StaticText;
    HWND handle = nullptr;
    int window = -1;
    unsigned long long order = 0; // creation order, for Tab
    COLORREF textColor = kDefaultColor;
    COLORREF backColor = kDefaultColor;
    OwnedBrush backBrush;
    HBITMAP image = nullptr; // not owned
    OwnedBitmap greyImage;   // the disabled look of image
    SplitterState splitter;
    std::function<std::u16string(int row)> rowText; // a row list's rows
    COLORREF selectionTextColor = kDefaultColor;
    COLORREF selectionBackColor = kDefaultColor;
    TypedRowSearch typedSearch; // a row list's letters typed so far
};

struct KeyboardShortcut {
    int shortcut = 0;
    int command = 0;
};

struct WindowRecord {
    int number = -1;
    HWND handle = nullptr;
    std::wstring className;
    bool opened = false; // openWindow has returned: size changes count from here
    COLORREF background = kDefaultColor;
    OwnedBrush backBrush;
    int minWidth = base::kNoLimit;
    int minHeight = base::kNoLimit;
    int maxWidth = base::kNoLimit;
    int maxHeight = base::kNoLimit;
    int lastClientWidth = -1;
    int lastClientHeight = -1;
    std::vector<KeyboardShortcut> shortcuts;
    OwnedAccelerators accelerators;
};

struct QueuedEvent {
    Event event;
    bool posted = false; // its handlers run when it is delivered, not when it is queued
};

struct Binding {
    EventKind kind = EventKind::None;
    int window = kAny;
    int control = kAny;
    int type = kAny;
    EventHandler handler;
};

struct ServiceState {
    bool started = false;
    int logPixelsY = 96;
    bool logPixelsYRead = false; // logPixelsY holds the screen's value
    std::map<int, WindowRecord> windows;
    std::map<int, ControlRecord> controls;
    std::unordered_map<HWND, int> windowByHandle;
    std::unordered_map<HWND, int> controlByHandle;
    std::vector<std::wstring> registeredClasses;
    std::map<int, OwnedFont> fonts;
    std::vector<OwnedBitmap> images;
    HFONT defaultFont = nullptr;
    int lastOpenedWindow = -1;
    unsigned long long nextOrder = 0;
    std::deque<QueuedEvent> queue;
    Event current;
    std::vector<Binding> bindings;
    HWND tooltip = nullptr;
    OwnedLibrary richEdit;
    int quiet = 0; // > 0 while the program itself changes a control
};

ServiceState& service();

constexpr int kFirstChosenNumber = 0x10000;
template <typename Table> int chooseNumber(const Table& table) {
    int number = kFirstChosenNumber;
    while (table.count(number) != 0) {
        ++number;
    }
    return number;
}

WindowRecord* findWindow(int number);
WindowRecord* findWindowByHandle(HWND handle);
ControlRecord* findControl(int number);
ControlRecord* findControlByHandle(HWND handle);

// While alive, notifications caused by the program's own changes raise no events.
struct QuietChanges {
    QuietChanges() { ++service().quiet; }
    ~QuietChanges() { --service().quiet; }
    QuietChanges(const QuietChanges&) = delete;
    QuietChanges& operator=(const QuietChanges&) = delete;
};

// Events: queue one and call the handlers bound to it.
void raiseEvent(const Event& event);
void callBoundHandlers(const Event& event);
void raiseControlEvent(const ControlRecord& control, int type);

// Messages that controls send to their parent; both a top-level window and a splitter pass
// them here. Returns true when handled, with the result in result.
bool handleControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// Keyboard shortcuts of the active window first, whatever control has the focus, then the
// built-in Tab and Shift+Tab. True when the key message was used up.
bool translateKeyboard(MSG& message);

// Tab and Shift+Tab among the window's controls.
void moveFocus(WindowRecord& window, bool forward);
std::vector<ControlRecord*> controlsInCreationOrder(int window);

// Keyboard shortcuts: the accelerator table of a window, rebuilt after every change.
void rebuildAccelerators(WindowRecord& window);

// Parts with their own window classes or subclasses.
bool registerSplitterClass();
void unregisterSplitterClass();
HWND createSplitterWindow(HWND parent, int number, int x, int y, int width, int height);
void attachSplitterPanes(ControlRecord& splitter);
void layoutSplitter(ControlRecord& splitter);
void setSplitterPosition(ControlRecord& splitter, int position);

void attachControlSubclass(ControlRecord& control);
// The image button's part of the control subclass; true when it answered the message itself.
bool imageButtonMessage(ControlRecord& button, HWND handle, UINT message, WPARAM wParam,
                        LPARAM lParam, LRESULT& result);
OwnedBitmap makeGreyImage(HBITMAP image);
// Frees an image that decodePng made, at once rather than at the common end; any other bitmap
// is left to its owner.
void releaseDecodedImage(HBITMAP image);

// Draws one row of a row list.
void drawListRow(const ControlRecord& list, const DRAWITEMSTRUCT& item);
// The row list's part of the control subclass: typed letters and the row text query. True when
// it answered the message itself.
bool rowListMessage(ControlRecord& list, UINT message, WPARAM wParam, LPARAM lParam,
                    LRESULT& result);

// The brush and colours of a control's WM_CTLCOLOR* answer; false for a control in system colours.
bool colourControl(UINT message, HDC dc, HWND handle, LRESULT& result);

HWND topLevelOf(HWND control);

} // namespace ui::detail
