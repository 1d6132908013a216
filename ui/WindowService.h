// The window and control service over Win32: windows that own their controls, controls that
// carry their handlers, one event queue whose events come back as values, per-window keyboard
// shortcuts, colours, fonts, tooltips and images, all freed by endService. A window is the
// caller's (OwnedWindow); a control is its window's and goes with it. Sizes and positions here
// are pixels; the dpi/ layer converts 96-DPI units on top of it with the window's own scale.
#pragma once

#include "base/LayoutValues.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

struct Window;  // a top-level window of the service; its fields are the service's own
struct Control; // a control inside a window

constexpr int kAny = -1;                       // as an event type of a handler: every type
constexpr COLORREF kDefaultColor = 0xFFFFFFFF; // resets a window or control colour

// Window flags of openWindow; every other bit is a Win32 window style (WS_POPUP, ...).
constexpr std::uint32_t kWindowCentreOnScreen = 1;
constexpr std::uint32_t kWindowCentreOnOwner = 2;
constexpr std::uint32_t kWindowLayered = 4; // WS_EX_LAYERED from the start
constexpr std::uint32_t kWindowHidden = 0x10000000;

// Control flags beyond Win32 styles.
constexpr std::uint32_t kTextFieldNoBorder = 0x20000; // createTextField: no WS_EX_CLIENTEDGE
constexpr std::uint32_t kButtonToggle = 0x1003; // createImageButton: BS_PUSHLIKE|BS_AUTOCHECKBOX
constexpr std::uint32_t kSplitterVertical = 1;  // createSplitter: panes side by side, vertical bar
constexpr std::uint32_t kRowListEdge =
    0x20000; // createRowList: the sunken edge of a window's lists

// RedrawWindow's flags that draw a window whole at once, its controls with it, rather than
// control by control.
constexpr UINT kRedrawEverything =
    RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW;

// Splitter attributes (setControlAttribute), in pixels.
constexpr int kSplitterFirstMinimum = 1;
constexpr int kSplitterSecondMinimum = 2;
constexpr int kSplitterBarWidth = 4;

// Font flags of loadFont.
constexpr std::uint32_t kFontUnderline = 4;
constexpr std::uint32_t kFontStrikeOut = 8;
constexpr std::uint32_t kFontProofQuality = 0x10;
constexpr std::uint32_t kFontBold = 0x100;
constexpr std::uint32_t kFontItalic = 0x200;

// Keyboard shortcut = virtual key code | modifier bits.
constexpr int kShortcutShift = 0x10000;
constexpr int kShortcutCtrl = 0x20000;
constexpr int kShortcutAlt = 0x40000;

// Activation: the window became the active one, coming from another program.
enum class EventKind { None, Control, Shortcut, CloseRequest, SizeChange, Activation };

// Event types of control events.
constexpr int kEventLeftClick = 0; // a button was clicked, a list row was clicked
constexpr int kEventFocus = 1;     // the control received the keyboard focus
constexpr int kEventLostFocus = 2;
constexpr int kEventChange = 3;      // the user changed the text of a field or editor
constexpr int kEventRowSelected = 4; // the user made another list row current
constexpr int kEventLeftDoubleClick = 5;
constexpr int kEventRightClick = 6;
constexpr int kEventRightDoubleClick = 7;

// An event as a value. The window and the control are alive while the event is delivered: the
// events of a window or control that goes are dropped from the queue with it.
struct Event {
    EventKind kind = EventKind::None;
    Window* window = nullptr;   // the window of the event (of the control, for control events)
    Control* control = nullptr; // control events
    int type = -1;              // control events: kEvent...
    int command = 0;            // shortcut events: the command given with the shortcut
};

using EventHandler = std::function<void(const Event&)>;

// Service lifetime.
void startService();
void endService();      // destroys every window left; the objects stay with their owners, emptied
int screenLogPixelsY(); // LOGPIXELSY as first read, before any DPI set-up
int screenLogPixels(int index); // LOGPIXELSX or LOGPIXELSY now; 96 when the screen cannot tell

// Windows. Closing is dropping the owner: the window, its controls, its class and its queued
// events go.
struct WindowCloser {
    void operator()(Window* window) const;
};
using OwnedWindow = std::unique_ptr<Window, WindowCloser>;

// Each window has a class of its own (windowClassName). Empty on failure.
OwnedWindow openWindow(int x, int y, int clientWidth, int clientHeight, std::u16string_view title,
                       std::uint32_t flags, HWND owner);
HWND windowHandle(const Window& window); // nullptr once Windows destroyed it
void showWindow(Window& window, bool visible);
void setWindowColor(Window& window, COLORREF color);
void resizeWindow(Window& window, int x, int y, int clientWidth, int clientHeight);
void setWindowBounds(Window& window, int minWidth, int minHeight, int maxWidth, int maxHeight);
int windowClientWidth(const Window& window);
int windowClientHeight(const Window& window);
int windowOuterWidth(const Window& window);
int windowOuterHeight(const Window& window);
// The font of the controls created in the window from now on; nullptr: the system's.
void setWindowFont(Window& window, HFONT font);

// The scale a window is laid out at: its pixels per 96-DPI unit, and the DPI it stands for.
// Set by the dpi/ layer when it opens the window, followed when the window's DPI changes.
struct WindowScale {
    float x = 1.0f;
    float y = 1.0f;
    int dpi = 96;
};
const WindowScale& windowScale(const Window& window);
void setWindowScale(Window& window, const WindowScale& scale);

// Handlers of a window's own events (size change, close request, shortcut, activation). They run
// when the event is raised, before the event loop returns it.
void onWindowEvent(Window& window, EventKind kind, EventHandler handler);

// Controls, created inside the given window. Each returns the control, owned by the window;
// nullptr on failure.
Control* createTextField(Window& window, int x, int y, int width, int height,
                         std::u16string_view text, std::uint32_t flags);
Control* createStaticText(Window& window, int x, int y, int width, int height,
                          std::u16string_view text, std::uint32_t flags);
Control* createEditor(Window& window, int x, int y, int width, int height, std::uint32_t flags);
Control* createImageButton(Window& window, int x, int y, int width, int height, HBITMAP image,
                           std::uint32_t flags);
// The panes must be controls of the same window.
Control* createSplitter(Window& window, int x, int y, int width, int height, Control& first,
                        Control& second, std::uint32_t flags);
void freeControl(Control& control); // the control and its queued events go; the reference dies
Window& controlWindow(const Control& control);
HWND controlHandle(const Control& control);
void resizeControl(Control& control, int x, int y, int width, int height);
int controlWidth(const Control& control);
int controlHeight(const Control& control);
void enableControl(Control& control, bool enabled);
std::u16string controlText(const Control& control);
void setControlText(Control& control, std::u16string_view text);
int controlState(const Control& control);
void setControlState(Control& control, int state);
void setControlAttribute(Control& control, int attribute, int value);
void setControlTooltip(Control& control, std::u16string_view text);
void setControlTextColor(Control& control, COLORREF color);
void setControlBackColor(Control& control, COLORREF color);
void setControlFont(Control& control, HFONT font);
Control* focusedControl(); // nullptr when no control of the service has the focus
void focusControl(Control& control);
// The control whose window handle this is; nullptr for any other window.
Control* controlOfHandle(HWND handle);

// Handlers of a control's events of one type (kAny: of every type). They run when the event is
// raised, before the event loop returns it.
void onControlEvent(Control& control, int type, EventHandler handler);

// Row lists: the rows hold no text of their own, each row's text is asked for as it is drawn,
// so a list of any length is refilled in one call. The current row is the control's state
// (-1 for none); a click on a row raises kEventRowSelected, a double-click kEventLeftDoubleClick.
// A typed letter makes the next row current whose text begins with the letters typed so far.
// Drawn in system colours, it looks like the system's own lists.
Control* createRowList(Window& window, int x, int y, int width, int height, std::uint32_t flags);
void setRowListRows(Control& list, int count, std::function<std::u16string(int row)> rowText);
void setRowListSelectionColors(Control& list, COLORREF text, COLORREF back);
// The registered message (RegisterWindowMessageW) by which another process reads a row list's
// rows, since the list box itself keeps no text: wParam the row; lParam 0 asks for the row's
// length in UTF-16 units, otherwise it is the address, in the list's process, of room for that
// many units and a terminating zero, which the answer fills. The answer is the length, -1 for
// no such row or no room at that address.
constexpr wchar_t kRowTextMessageName[] = L"Zendrik.RowListText";

// Fonts, kept until endService; nullptr on failure.
HFONT loadFont(std::u16string_view face, int points, std::uint32_t flags);

// Keyboard shortcuts of a window: the key raises a Shortcut event carrying the command.
void addKeyboardShortcut(Window& window, int shortcut, int command);

// The event queue. EventKind::None: the wait failed, or nothing arrived in time.
Event waitEvent();
Event waitEventFor(int milliseconds);
// Queued behind what is there; the handlers run when the event is delivered.
void postControlEvent(Control& control, int type);
void postCloseRequest(Window& window);

// Other services.
int messageBox(std::u16string_view caption, std::u16string_view text, unsigned type);
HBITMAP decodePng(const unsigned char* data, std::size_t size); // 32-bit premultiplied BGRA
HBITMAP loadPngResource(int id); // RCDATA of the program's own module
bool startProgram(std::u16string_view commandText);
std::u16string programCommandLine(std::u16string_view commandText);

} // namespace ui
