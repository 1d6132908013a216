// Controls: creation with their fixed classes and styles, their operations, and the
// notifications that become control events.
#include "ui/ServiceState.h"
#include "ui/CommonControls.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>

namespace ui::detail {
namespace {

constexpr wchar_t kRichEditLibrary[] = L"riched20.dll";

HTREEITEM rowItem(const ControlRecord& list, int row) {
    if (row < 0 || row >= static_cast<int>(list.rows.size())) {
        return nullptr;
    }
    return static_cast<HTREEITEM>(list.rows[static_cast<std::size_t>(row)]);
}

int currentRow(const ControlRecord& list) {
    const auto item =
        reinterpret_cast<HTREEITEM>(SendMessageW(list.handle, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item) {
        return -1;
    }
    const auto found = std::find(list.rows.begin(), list.rows.end(), static_cast<void*>(item));
    return found == list.rows.end() ? -1 : static_cast<int>(found - list.rows.begin());
}

void selectRow(const ControlRecord& list, int row) {
    QuietChanges quiet;
    SendMessageW(list.handle, TVM_SELECTITEM, TVGN_CARET,
                 reinterpret_cast<LPARAM>(rowItem(list, row)));
}

std::u16string itemText(const ControlRecord& list, HTREEITEM item) {
    if (!item) {
        return {};
    }
    // The tree gives no text length; grow the buffer until the text fits.
    for (int capacity = 256; capacity <= (1 << 20); capacity *= 4) {
        std::u16string buffer(static_cast<std::size_t>(capacity), u'\0');
        TVITEMW query{};
        query.mask = TVIF_TEXT | TVIF_HANDLE;
        query.hItem = item;
        query.pszText = reinterpret_cast<wchar_t*>(buffer.data());
        query.cchTextMax = capacity;
        if (!SendMessageW(list.handle, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query))) {
            return {};
        }
        const std::size_t length = std::char_traits<char16_t>::length(buffer.c_str());
        if (static_cast<int>(length) < capacity - 1) {
            buffer.resize(length);
            return buffer;
        }
    }
    return {};
}

void setItemText(const ControlRecord& list, HTREEITEM item, std::u16string_view text) {
    if (!item) {
        return;
    }
    std::wstring wide = text::toWide(text);
    TVITEMW change{};
    change.mask = TVIF_TEXT | TVIF_HANDLE;
    change.hItem = item;
    change.pszText = wide.data();
    QuietChanges quiet;
    SendMessageW(list.handle, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&change));
}

std::u16string windowText(HWND handle) {
    const int length = GetWindowTextLengthW(handle);
    if (length <= 0) {
        return {};
    }
    std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
    const int copied = GetWindowTextW(handle, reinterpret_cast<wchar_t*>(text.data()), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

// Line ends read back as CR LF, the form the program's templates are shown in.
std::u16string editorText(HWND handle) {
    GETTEXTLENGTHEX lengthQuery{GTL_USECRLF | GTL_PRECISE | GTL_NUMCHARS, 1200};
    const LRESULT length =
        SendMessageW(handle, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthQuery), 0);
    if (length <= 0) {
        return {};
    }
    std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
    GETTEXTEX query{};
    query.cb = static_cast<DWORD>(text.size() * sizeof(char16_t));
    query.flags = GT_USECRLF;
    query.codepage = 1200;
    const LRESULT copied = SendMessageW(handle, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&query),
                                        reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(std::clamp<LRESULT>(copied, 0, length)));
    return text;
}

void forgetControl(HWND handle) {
    ServiceState& state = service();
    const auto found = state.controlByHandle.find(handle);
    if (found == state.controlByHandle.end()) {
        return;
    }
    const int number = found->second;
    state.controlByHandle.erase(found);
    if (ControlRecord* control = findControl(number)) {
        if (control->backBrush) {
            DeleteObject(control->backBrush);
        }
        if (control->greyImage) {
            DeleteObject(control->greyImage);
        }
        state.controls.erase(number);
    }
}

LRESULT CALLBACK controlSubclassProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR, DWORD_PTR) {
    try {
        if (message == WM_NCDESTROY) {
            forgetControl(handle);
            removeWindowSubclass(handle, controlSubclassProc, 0);
            return defSubclassProc(handle, message, wParam, lParam);
        }
        ControlRecord* control = findControlByHandle(handle);
        if (control && control->kind == ControlKind::ImageButton) {
            LRESULT result = 0;
            if (imageButtonMessage(*control, handle, message, wParam, lParam, result)) {
                return result;
            }
        }
    } catch (...) {
    }
    return defSubclassProc(handle, message, wParam, lParam);
}

struct NewControl {
    ControlKind kind;
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

std::intptr_t createControl(int number, const NewControl& spec, int x, int y, int width, int height,
                            std::u16string_view text) {
    ServiceState& state = service();
    WindowRecord* window = findWindow(state.lastOpenedWindow);
    if (!window || !window->handle) {
        return 0;
    }
    const bool chosen = number == kChooseNumber;
    if (chosen) {
        number = chooseNumber(state.controls);
    } else if (number < 0) {
        return 0;
    } else if (findControl(number)) {
        freeControl(number);
    }
    const std::wstring caption = text::toWide(text);
    HWND handle = nullptr;
    {
        QuietChanges quiet; // the initial text is the program's, not the user's
        if (spec.kind == ControlKind::Splitter) {
            handle = createSplitterWindow(window->handle, number, x, y, width, height);
        } else {
            handle = CreateWindowExW(spec.exStyle, spec.className, caption.c_str(),
                                     WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | spec.style, x, y,
                                     std::max(width, 0), std::max(height, 0), window->handle,
                                     reinterpret_cast<HMENU>(static_cast<std::intptr_t>(number)),
                                     GetModuleHandleW(nullptr), nullptr);
        }
    }
    if (!handle) {
        return 0;
    }
    ControlRecord record;
    record.number = number;
    record.kind = spec.kind;
    record.handle = handle;
    record.window = window->number;
    record.order = state.nextOrder++;
    state.controls[number] = record;
    state.controlByHandle[handle] = number;
    if (state.defaultFont) {
        SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(state.defaultFont), FALSE);
    }
    attachControlSubclass(*findControl(number));
    return chosen ? number : reinterpret_cast<std::intptr_t>(handle);
}

HWND ensureTooltip(HWND owner) {
    ServiceState& state = service();
    if (state.tooltip && IsWindow(state.tooltip)) {
        return state.tooltip;
    }
    state.tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                    WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
    if (state.tooltip) {
        SetWindowPos(state.tooltip, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    return state.tooltip;
}

// The brush and colours of a control's WM_CTLCOLOR* answer.
bool colourControl(UINT message, HDC dc, HWND handle, LRESULT& result) {
    ControlRecord* control = findControlByHandle(handle);
    if (!control || (control->textColor == kDefaultColor && control->backColor == kDefaultColor)) {
        return false;
    }
    if (control->textColor != kDefaultColor) {
        SetTextColor(dc, control->textColor);
    } else {
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    }
    if (control->backColor != kDefaultColor && control->backBrush) {
        SetBkColor(dc, control->backColor);
        result = reinterpret_cast<LRESULT>(control->backBrush);
    } else {
        const int index = message == WM_CTLCOLOREDIT ? COLOR_WINDOW : COLOR_3DFACE;
        SetBkColor(dc, GetSysColor(index));
        result = reinterpret_cast<LRESULT>(GetSysColorBrush(index));
    }
    return true;
}

bool onCommandFromControl(WPARAM wParam, HWND handle) {
    ControlRecord* control = findControlByHandle(handle);
    if (!control) {
        return false;
    }
    const bool quiet = service().quiet > 0;
    const int code = HIWORD(wParam);
    switch (control->kind) {
    case ControlKind::TextField:
    case ControlKind::Editor:
        if (code == EN_CHANGE && !quiet) {
            raiseControlEvent(*control, kEventChange);
        } else if (code == EN_SETFOCUS) {
            raiseControlEvent(*control, kEventFocus);
        } else if (code == EN_KILLFOCUS) {
            raiseControlEvent(*control, kEventLostFocus);
        }
        return true;
    case ControlKind::ImageButton:
        if (code == BN_CLICKED && !quiet) {
            raiseControlEvent(*control, kEventLeftClick);
        } else if (code == BN_DOUBLECLICKED && !quiet) {
            raiseControlEvent(*control, kEventLeftDoubleClick);
        } else if (code == BN_SETFOCUS) {
            raiseControlEvent(*control, kEventFocus);
        } else if (code == BN_KILLFOCUS) {
            raiseControlEvent(*control, kEventLostFocus);
        }
        return true;
    default:
        return true;
    }
}

bool onNotifyFromControl(const NMHDR& header, LRESULT& result) {
    ControlRecord* control = findControlByHandle(header.hwndFrom);
    if (!control || control->kind != ControlKind::TreeList) {
        return false;
    }
    result = 0;
    const bool quiet = service().quiet > 0;
    switch (header.code) {
    case NM_CLICK:
        raiseControlEvent(*control, kEventLeftClick);
        break;
    case NM_DBLCLK:
        raiseControlEvent(*control, kEventLeftDoubleClick);
        break;
    case NM_RCLICK:
        raiseControlEvent(*control, kEventRightClick);
        break;
    case NM_RDBLCLK:
        raiseControlEvent(*control, kEventRightDoubleClick);
        break;
    case NM_SETFOCUS:
        raiseControlEvent(*control, kEventFocus);
        break;
    case NM_KILLFOCUS:
        raiseControlEvent(*control, kEventLostFocus);
        break;
    case TVN_SELCHANGEDW:
    case TVN_SELCHANGEDA:
        if (!quiet) {
            raiseControlEvent(*control, kEventRowSelected);
        }
        break;
    default:
        return false;
    }
    return true;
}

} // namespace

bool handleControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_COMMAND:
        if (lParam != 0 && onCommandFromControl(wParam, reinterpret_cast<HWND>(lParam))) {
            result = 0;
            return true;
        }
        return false;
    case WM_NOTIFY:
        return lParam != 0 && onNotifyFromControl(*reinterpret_cast<const NMHDR*>(lParam), result);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        return colourControl(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                             result);
    default:
        return false;
    }
}

void attachControlSubclass(ControlRecord& control) {
    setWindowSubclass(control.handle, controlSubclassProc, 0, 0);
}

} // namespace ui::detail

namespace ui {

using namespace detail;

std::intptr_t createTextField(int number, int x, int y, int width, int height,
                              std::u16string_view text, std::uint32_t flags) {
    const DWORD exStyle = (flags & kTextFieldNoBorder) ? 0 : WS_EX_CLIENTEDGE;
    const DWORD style = (flags & ~kTextFieldNoBorder) | WS_TABSTOP | ES_AUTOHSCROLL;
    return createControl(number, {ControlKind::TextField, L"Edit", style, exStyle}, x, y, width,
                         height, text);
}

std::intptr_t createStaticText(int number, int x, int y, int width, int height,
                               std::u16string_view text, std::uint32_t flags) {
    return createControl(number, {ControlKind::StaticText, L"Static", flags | SS_NOPREFIX, 0}, x, y,
                         width, height, text);
}

std::intptr_t createTreeList(int number, int x, int y, int width, int height, std::uint32_t flags) {
    const DWORD style =
        flags | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    const std::intptr_t result =
        createControl(number, {ControlKind::TreeList, WC_TREEVIEWW, style, WS_EX_CLIENTEDGE}, x, y,
                      width, height, {});
    if (result) {
        HWND handle = number == kChooseNumber ? controlHandle(static_cast<int>(result))
                                              : reinterpret_cast<HWND>(result);
        SendMessageW(handle, TVM_SETEXTENDEDSTYLE, TVS_EX_DOUBLEBUFFER, TVS_EX_DOUBLEBUFFER);
    }
    return result;
}

std::intptr_t createEditor(int number, int x, int y, int width, int height, std::uint32_t flags) {
    ServiceState& state = service();
    if (!state.richEdit) {
        state.richEdit = LoadLibraryW(kRichEditLibrary);
        if (!state.richEdit) {
            return 0;
        }
    }
    const DWORD style = flags | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                        ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | ES_NOHIDESEL;
    const std::intptr_t result =
        createControl(number, {ControlKind::Editor, RICHEDIT_CLASSW, style, WS_EX_CLIENTEDGE}, x, y,
                      width, height, {});
    if (result) {
        HWND handle = number == kChooseNumber ? controlHandle(static_cast<int>(result))
                                              : reinterpret_cast<HWND>(result);
        // Plain text: templates carry no formatting, and pasted text must not bring any.
        SendMessageW(handle, EM_SETTEXTMODE, TM_PLAINTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE,
                     0);
        SendMessageW(handle, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
        SendMessageW(handle, EM_SETTARGETDEVICE, 0, 1); // no word wrap
        SendMessageW(handle, EM_SETEVENTMASK, 0, ENM_CHANGE);
    }
    return result;
}

std::intptr_t createImageButton(int number, int x, int y, int width, int height, HBITMAP image,
                                std::uint32_t flags) {
    const DWORD style = flags | WS_TABSTOP | BS_NOTIFY;
    const std::intptr_t result = createControl(
        number, {ControlKind::ImageButton, L"Button", style, 0}, x, y, width, height, {});
    if (result) {
        const int created = number == kChooseNumber ? static_cast<int>(result) : number;
        if (ControlRecord* button = findControl(created)) {
            button->image = image;
            button->greyImage = makeGreyImage(image);
            InvalidateRect(button->handle, nullptr, FALSE);
        }
    }
    return result;
}

std::intptr_t createSplitter(int number, int x, int y, int width, int height, int firstControl,
                             int secondControl, std::uint32_t flags) {
    ControlRecord* first = findControl(firstControl);
    ControlRecord* second = findControl(secondControl);
    if (!first || !second || firstControl == secondControl) {
        return 0;
    }
    const std::intptr_t result =
        createControl(number, {ControlKind::Splitter, nullptr, 0, 0}, x, y, width, height, {});
    if (result) {
        const int created = number == kChooseNumber ? static_cast<int>(result) : number;
        if (ControlRecord* splitter = findControl(created)) {
            splitter->splitter.first = firstControl;
            splitter->splitter.second = secondControl;
            splitter->splitter.vertical = (flags & kSplitterVertical) != 0;
            attachSplitterPanes(*splitter);
        }
    }
    return result;
}

void freeControl(int number) {
    ControlRecord* control = findControl(number);
    if (!control) {
        return;
    }
    HWND handle = control->handle;
    if (handle && IsWindow(handle)) {
        DestroyWindow(handle); // the subclass drops the record
    }
    if (findControl(number)) {
        forgetControl(handle);
        service().controls.erase(number);
    }
}

HWND controlHandle(int number) {
    const ControlRecord* control = findControl(number);
    return control ? control->handle : nullptr;
}

bool isControl(int number) {
    return findControl(number) != nullptr;
}

int controlWindow(int number) {
    const ControlRecord* control = findControl(number);
    return control ? control->window : -1;
}

void resizeControl(int number, int x, int y, int width, int height) {
    HWND handle = controlHandle(number);
    if (!handle) {
        return;
    }
    RECT bounds;
    GetWindowRect(handle, &bounds);
    MapWindowPoints(nullptr, GetParent(handle), reinterpret_cast<POINT*>(&bounds), 2);
    const int left = x == kKeepValue ? bounds.left : x;
    const int top = y == kKeepValue ? bounds.top : y;
    const int newWidth = width == kKeepValue ? bounds.right - bounds.left : std::max(width, 0);
    const int newHeight = height == kKeepValue ? bounds.bottom - bounds.top : std::max(height, 0);
    SetWindowPos(handle, nullptr, left, top, newWidth, newHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    // A splitter's pane keeps the place its splitter gives it.
    for (auto& [splitterNumber, splitter] : service().controls) {
        if (splitter.kind == ControlKind::Splitter &&
            (splitter.splitter.first == number || splitter.splitter.second == number)) {
            layoutSplitter(splitter);
            break;
        }
    }
}

int controlWidth(int number) {
    RECT bounds{};
    if (HWND handle = controlHandle(number)) {
        GetWindowRect(handle, &bounds);
    }
    return bounds.right - bounds.left;
}

int controlHeight(int number) {
    RECT bounds{};
    if (HWND handle = controlHandle(number)) {
        GetWindowRect(handle, &bounds);
    }
    return bounds.bottom - bounds.top;
}

void enableControl(int number, bool enabled) {
    if (HWND handle = controlHandle(number)) {
        EnableWindow(handle, enabled ? TRUE : FALSE);
    }
}

bool controlEnabled(int number) {
    HWND handle = controlHandle(number);
    return handle && IsWindowEnabled(handle);
}

std::u16string controlText(int number) {
    const ControlRecord* control = findControl(number);
    if (!control) {
        return {};
    }
    switch (control->kind) {
    case ControlKind::Editor:
        return editorText(control->handle);
    case ControlKind::TreeList:
        return itemText(*control, rowItem(*control, currentRow(*control)));
    default:
        return windowText(control->handle);
    }
}

void setControlText(int number, std::u16string_view text) {
    const ControlRecord* control = findControl(number);
    if (!control) {
        return;
    }
    if (control->kind == ControlKind::TreeList) {
        setItemText(*control, rowItem(*control, currentRow(*control)), text);
        return;
    }
    const std::wstring wide = text::toWide(text);
    QuietChanges quiet;
    SendMessageW(control->handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

int controlState(int number) {
    const ControlRecord* control = findControl(number);
    if (!control) {
        return 0;
    }
    switch (control->kind) {
    case ControlKind::TreeList:
        return currentRow(*control);
    case ControlKind::ImageButton:
        return SendMessageW(control->handle, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    case ControlKind::Splitter:
        return control->splitter.position;
    default:
        return 0;
    }
}

void setControlState(int number, int state) {
    ControlRecord* control = findControl(number);
    if (!control) {
        return;
    }
    switch (control->kind) {
    case ControlKind::TreeList:
        selectRow(*control, state);
        break;
    case ControlKind::ImageButton: {
        QuietChanges quiet;
        SendMessageW(control->handle, BM_SETCHECK, state ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    }
    case ControlKind::Splitter:
        setSplitterPosition(*control, state);
        break;
    default:
        break;
    }
}

int controlAttribute(int number, int attribute) {
    const ControlRecord* control = findControl(number);
    if (!control || control->kind != ControlKind::Splitter) {
        return 0;
    }
    if (attribute == kSplitterFirstMinimum) {
        return control->splitter.firstMinimum;
    }
    if (attribute == kSplitterSecondMinimum) {
        return control->splitter.secondMinimum;
    }
    return 0;
}

void setControlAttribute(int number, int attribute, int value) {
    ControlRecord* control = findControl(number);
    if (!control || control->kind != ControlKind::Splitter) {
        return;
    }
    if (attribute == kSplitterFirstMinimum) {
        control->splitter.firstMinimum = std::max(value, 0);
    } else if (attribute == kSplitterSecondMinimum) {
        control->splitter.secondMinimum = std::max(value, 0);
    } else {
        return;
    }
    layoutSplitter(*control);
}

void setControlTooltip(int number, std::u16string_view text) {
    const ControlRecord* control = findControl(number);
    if (!control) {
        return;
    }
    HWND tooltip = ensureTooltip(topLevelOf(control->handle));
    if (!tooltip) {
        return;
    }
    std::wstring wide = text::toWide(text);
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE; // understood by every comctl32 version
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(control->handle);
    tool.uId = reinterpret_cast<UINT_PTR>(control->handle);
    SendMessageW(tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    if (!wide.empty()) {
        tool.lpszText = wide.data();
        SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void setControlTextColor(int number, COLORREF color) {
    ControlRecord* control = findControl(number);
    if (!control) {
        return;
    }
    control->textColor = color;
    if (control->kind == ControlKind::TreeList) {
        SendMessageW(control->handle, TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(color));
    } else if (control->kind == ControlKind::Editor) {
        CHARFORMAT2W format{};
        format.cbSize = sizeof(format);
        format.dwMask = CFM_COLOR;
        format.dwEffects = color == kDefaultColor ? CFE_AUTOCOLOR : 0;
        format.crTextColor = color == kDefaultColor ? 0 : color;
        QuietChanges quiet;
        SendMessageW(control->handle, EM_SETCHARFORMAT, SCF_DEFAULT,
                     reinterpret_cast<LPARAM>(&format));
        SendMessageW(control->handle, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    }
    InvalidateRect(control->handle, nullptr, TRUE);
}

void setControlBackColor(int number, COLORREF color) {
    ControlRecord* control = findControl(number);
    if (!control) {
        return;
    }
    control->backColor = color;
    if (control->backBrush) {
        DeleteObject(control->backBrush);
        control->backBrush = nullptr;
    }
    if (color != kDefaultColor) {
        control->backBrush = CreateSolidBrush(color);
    }
    if (control->kind == ControlKind::TreeList) {
        SendMessageW(control->handle, TVM_SETBKCOLOR, 0, static_cast<LPARAM>(color));
    } else if (control->kind == ControlKind::Editor) {
        SendMessageW(control->handle, EM_SETBKGNDCOLOR, color == kDefaultColor ? 1 : 0,
                     static_cast<LPARAM>(color == kDefaultColor ? 0 : color));
    }
    InvalidateRect(control->handle, nullptr, TRUE);
}

int focusedControl() {
    for (HWND handle = GetFocus(); handle; handle = GetParent(handle)) {
        if (const ControlRecord* control = findControlByHandle(handle)) {
            return control->number;
        }
        if (findWindowByHandle(handle)) {
            break;
        }
    }
    return -1;
}

void focusControl(int number) {
    if (HWND handle = controlHandle(number)) {
        SetFocus(handle);
    }
}

int addListRow(int number, std::u16string_view text) {
    ControlRecord* list = findControl(number);
    if (!list || list->kind != ControlKind::TreeList) {
        return -1;
    }
    std::wstring wide = text::toWide(text);
    TVINSERTSTRUCTW insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = wide.data();
    QuietChanges quiet;
    const auto item = reinterpret_cast<HTREEITEM>(
        SendMessageW(list->handle, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!item) {
        return -1;
    }
    list->rows.push_back(item);
    return static_cast<int>(list->rows.size()) - 1;
}

void removeListRow(int number, int row) {
    ControlRecord* list = findControl(number);
    if (!list || list->kind != ControlKind::TreeList) {
        return;
    }
    HTREEITEM item = rowItem(*list, row);
    if (!item) {
        return;
    }
    // The next row becomes current, or the previous one when the last row goes; chosen here
    // rather than left to the tree, whose choice differs between versions.
    if (currentRow(*list) == row) {
        const int count = static_cast<int>(list->rows.size());
        selectRow(*list, row + 1 < count ? row + 1 : row - 1);
    }
    QuietChanges quiet;
    list->rows.erase(list->rows.begin() + row);
    SendMessageW(list->handle, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
}

int listRowCount(int number) {
    const ControlRecord* list = findControl(number);
    return list ? static_cast<int>(list->rows.size()) : 0;
}

std::u16string listRowText(int number, int row) {
    const ControlRecord* list = findControl(number);
    return list ? itemText(*list, rowItem(*list, row)) : std::u16string{};
}

void setListRowText(int number, int row, std::u16string_view text) {
    if (const ControlRecord* list = findControl(number)) {
        setItemText(*list, rowItem(*list, row), text);
    }
}

std::intptr_t loadFont(int number, std::u16string_view face, int points, std::uint32_t flags) {
    ServiceState& state = service();
    const bool chosen = number == kChooseNumber;
    if (chosen) {
        number = chooseNumber(state.fonts);
    } else if (number < 0) {
        return 0;
    }
    LOGFONTW description{};
    description.lfHeight = -MulDiv(points, state.logPixelsY, 72);
    description.lfWeight = (flags & kFontBold) ? FW_BOLD : FW_NORMAL;
    description.lfItalic = (flags & kFontItalic) ? TRUE : FALSE;
    description.lfUnderline = (flags & kFontUnderline) ? TRUE : FALSE;
    description.lfStrikeOut = (flags & kFontStrikeOut) ? TRUE : FALSE;
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfOutPrecision = OUT_DEFAULT_PRECIS;
    description.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    description.lfQuality = (flags & kFontProofQuality) ? PROOF_QUALITY : DEFAULT_QUALITY;
    description.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    const std::size_t faceLength = std::min<std::size_t>(face.size(), LF_FACESIZE - 1);
    std::copy_n(reinterpret_cast<const wchar_t*>(face.data()), faceLength, description.lfFaceName);
    HFONT font = CreateFontIndirectW(&description);
    if (!font) {
        return 0;
    }
    const auto previous = state.fonts.find(number);
    if (previous != state.fonts.end()) {
        if (state.defaultFont == previous->second) {
            state.defaultFont = font;
        }
        DeleteObject(previous->second);
    }
    state.fonts[number] = font;
    return chosen ? number : reinterpret_cast<std::intptr_t>(font);
}

HFONT fontHandle(int number) {
    const auto& fonts = service().fonts;
    const auto found = fonts.find(number);
    return found == fonts.end() ? nullptr : found->second;
}

void setControlFont(int control, HFONT font) {
    if (control == -1) {
        service().defaultFont = font;
        return;
    }
    if (HWND handle = controlHandle(control)) {
        SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

} // namespace ui
