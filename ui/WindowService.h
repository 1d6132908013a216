// The window and control service: numbered windows and controls over Win32, one event queue,
// per-window keyboard shortcuts, colours, fonts, tooltips and images, all freed by endService.
// Sizes and positions here are pixels; the dpi/ layer converts 96-DPI units on top of it.
#pragma once

#include "base/LayoutValues.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

constexpr int kChooseNumber = -1; // as a window, control or font number: let the service choose
constexpr int kAny = -1;          // in a binding: any window, control or event type
constexpr int kDefaultFontControl = -1;        // in setControlFont: the default of later controls
constexpr COLORREF kDefaultColor = 0xFFFFFFFF; // resets a window or control colour

// Window flags of openWindow; every other bit is a Win32 window style (WS_POPUP, ...).
constexpr std::uint32_t kWindowCentreOnScreen = 1;
constexpr std::uint32_t kWindowCentreOnOwner = 2;
constexpr std::uint32_t kWindowHidden = 0x10000000;

// Control flags beyond Win32 styles.
constexpr std::uint32_t kTextFieldNoBorder = 0x20000; // createTextField: no WS_EX_CLIENTEDGE
constexpr std::uint32_t kButtonToggle = 0x1003; // createImageButton: BS_PUSHLIKE|BS_AUTOCHECKBOX
constexpr std::uint32_t kSplitterVertical = 1;  // createSplitter: panes side by side, vertical bar
constexpr std::uint32_t kRowListEdge =
    0x20000; // createRowList: the sunken edge of a window's lists

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

struct Event {
    EventKind kind = EventKind::None;
    int window = -1;  // the window of the event (of the control, for control events)
    int control = -1; // control events
    int type = -1;    // control events: kEvent...
    int command = 0;  // shortcut events
};

using EventHandler = std::function<void(const Event&)>;

// Service lifetime.
void startService();
void endService();
int screenLogPixelsY();         // LOGPIXELSY as first read, before any DPI set-up
int screenLogPixels(int index); // LOGPIXELSX or LOGPIXELSY now; 96 when the screen cannot tell

// Windows. A window's class is windowClassName(number). Returns the window handle, or the chosen
// number when number is kChooseNumber; 0 on failure.
std::intptr_t openWindow(int number, int x, int y, int clientWidth, int clientHeight,
                         std::u16string_view title, std::uint32_t flags, HWND owner);
void closeWindow(int number);
HWND windowHandle(int number);
void showWindow(int number, bool visible);
void setWindowColor(int number, COLORREF color);
void resizeWindow(int number, int x, int y, int clientWidth, int clientHeight);
void setWindowBounds(int number, int minWidth, int minHeight, int maxWidth, int maxHeight);
int windowClientWidth(int number);
int windowClientHeight(int number);
int windowOuterWidth(int number);
int windowOuterHeight(int number);

// Controls, created inside the window opened last. Each returns the control's handle, or the
// chosen number when number is kChooseNumber; 0 on failure. A control's window ID
// (GetDlgCtrlID) is its number.
std::intptr_t createTextField(int number, int x, int y, int width, int height,
                              std::u16string_view text, std::uint32_t flags);
std::intptr_t createStaticText(int number, int x, int y, int width, int height,
                               std::u16string_view text, std::uint32_t flags);
std::intptr_t createEditor(int number, int x, int y, int width, int height, std::uint32_t flags);
std::intptr_t createImageButton(int number, int x, int y, int width, int height, HBITMAP image,
                                std::uint32_t flags);
std::intptr_t createSplitter(int number, int x, int y, int width, int height, int firstControl,
                             int secondControl, std::uint32_t flags);
void freeControl(int number);
HWND controlHandle(int number);
bool isControl(int number);
void resizeControl(int number, int x, int y, int width, int height);
int controlWidth(int number);
int controlHeight(int number);
void enableControl(int number, bool enabled);
std::u16string controlText(int number);
void setControlText(int number, std::u16string_view text);
int controlState(int number);
void setControlState(int number, int state);
void setControlAttribute(int number, int attribute, int value);
void setControlTooltip(int number, std::u16string_view text);
void setControlTextColor(int number, COLORREF color);
void setControlBackColor(int number, COLORREF color);
int focusedControl(); // -1 when no control of the service has the focus
void focusControl(int number);

// Row lists: the rows hold no text of their own, each row's text is asked for as it is drawn,
// so a list of any length is refilled in one call. The current row is the control's state
// (-1 for none); a click on a row raises kEventRowSelected, a double-click kEventLeftDoubleClick.
// A typed letter makes the next row current whose text begins with the letters typed so far.
// Drawn in system colours, it looks like the system's own lists.
std::intptr_t createRowList(int number, int x, int y, int width, int height, std::uint32_t flags);
void setRowListRows(int number, int count, std::function<std::u16string(int row)> rowText);
void setRowListSelectionColors(int number, COLORREF text, COLORREF back);
// The registered message (RegisterWindowMessageW) by which another process reads a row list's
// rows, since the list box itself keeps no text: wParam the row; lParam 0 asks for the row's
// length in UTF-16 units, otherwise it is the address, in the list's process, of room for that
// many units and a terminating zero, which the answer fills. The answer is the length, -1 for
// no such row.
constexpr wchar_t kRowTextMessageName[] = L"Zendrik.RowListText";

// Fonts. Returns the font handle, or the chosen number when number is kChooseNumber; 0 on failure.
std::intptr_t loadFont(int number, std::u16string_view face, int points, std::uint32_t flags);
HFONT fontHandle(int number);
void setControlFont(int control, HFONT font); // kDefaultFontControl: the default of later ones

// Keyboard shortcuts of a window.
void addKeyboardShortcut(int window, int shortcut, int command);

// The event queue.
EventKind waitEvent();
EventKind waitEventFor(int milliseconds); // EventKind::None when nothing arrived in time
int eventWindow();
int eventControl();
int eventType();
int eventCommand();
void postControlEvent(int control, int type);
void postCloseRequest(int window);
void bindEvent(EventKind kind, int window, int control, int type, EventHandler handler);
void unbindEvent(EventKind kind, int window, int control, int type);

// Other services.
int messageBox(std::u16string_view caption, std::u16string_view text, unsigned type);
HBITMAP decodePng(const unsigned char* data, std::size_t size); // 32-bit premultiplied BGRA
HBITMAP loadPngResource(int id); // RCDATA of the program's own module
bool startProgram(std::u16string_view commandText);
std::u16string programCommandLine(std::u16string_view commandText);

} // namespace ui
