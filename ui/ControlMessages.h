// Typed wrappers for the messages the program sends to its own controls: edit selections,
// list boxes, the rich edit control's text and set-up, buttons, tooltips and fonts.
// Every message number is named here once; call sites send through these functions.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <string>
#include <string_view>

namespace ui {

// --- Edit and rich edit selections ---------------------------------------------------------------

struct TextSelection {
    int start = 0; // UTF-16 units; start == end is a caret
    int end = 0;
};

// The offset that stands for the end of a one-line field's text in a selection: the program's
// fields hold far fewer characters, and the control clamps it to the text's length.
constexpr int kFieldTextEnd = 999;

// end -1 selects to the end of the text; start -1 removes the selection.
inline void editSetSelection(HWND edit, int start, int end) {
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
}

inline TextSelection editSelection(HWND edit) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {static_cast<int>(start), static_cast<int>(end)};
}

inline void editReplaceSelection(HWND edit, std::u16string_view text, bool undoable) {
    const std::u16string zeroEnded(text);
    SendMessageW(edit, EM_REPLACESEL, undoable ? TRUE : FALSE,
                 reinterpret_cast<LPARAM>(zeroEnded.c_str()));
}

inline void editScrollCaret(HWND edit) {
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

// The grey text an empty field shows until it takes the focus (Common Controls 6 only).
inline void editSetCueBanner(HWND edit, std::u16string_view text) {
    const std::u16string zeroEnded(text);
    SendMessageW(edit, EM_SETCUEBANNER, FALSE, reinterpret_cast<LPARAM>(zeroEnded.c_str()));
}

// --- List boxes without data of their own (LBS_NODATA) ------------------------------------------

inline void listBoxSetCount(HWND list, int count) {
    SendMessageW(list, LB_SETCOUNT, static_cast<WPARAM>(count), 0);
}

inline int listBoxCount(HWND list) {
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    return count == LB_ERR ? 0 : static_cast<int>(count);
}

inline void listBoxSetRowHeight(HWND list, int height) {
    SendMessageW(list, LB_SETITEMHEIGHT, 0, MAKELPARAM(height, 0));
}

inline int listBoxRowHeight(HWND list) {
    const LRESULT height = SendMessageW(list, LB_GETITEMHEIGHT, 0, 0);
    return height == LB_ERR ? 0 : static_cast<int>(height);
}

// -1 for none.
inline int listBoxCurrent(HWND list) {
    const LRESULT row = SendMessageW(list, LB_GETCURSEL, 0, 0);
    return row == LB_ERR ? -1 : static_cast<int>(row);
}

// -1 removes the selection; the row is scrolled into view.
inline void listBoxSetCurrent(HWND list, int row) {
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
}

// --- Rich edit text and set-up -------------------------------------------------------------------

// Line ends read back as CR LF, the form the program's templates are shown in.
inline std::u16string richEditText(HWND editor) {
    constexpr UINT kUtf16CodePage = 1200;
    GETTEXTLENGTHEX lengthQuery{GTL_USECRLF | GTL_PRECISE | GTL_NUMCHARS, kUtf16CodePage};
    const LRESULT length =
        SendMessageW(editor, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthQuery), 0);
    if (length <= 0) {
        return {};
    }
    std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
    GETTEXTEX query{};
    query.cb = static_cast<DWORD>(text.size() * sizeof(char16_t));
    query.flags = GT_USECRLF;
    query.codepage = kUtf16CodePage;
    const LRESULT copied = SendMessageW(editor, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&query),
                                        reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(std::clamp<LRESULT>(copied, 0, length)));
    return text;
}

// Replaces the whole text; the undo history starts again from it.
inline void richEditSetText(HWND editor, std::u16string_view text) {
    const std::u16string zeroEnded(text);
    SendMessageW(editor, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(zeroEnded.c_str()));
}

// Plain text with multi-level undo, no length limit below 2 GB, no word wrap, change
// notifications on: the editor of templates.
inline void richEditMakePlainTextEditor(HWND editor) {
    SendMessageW(editor, EM_SETTEXTMODE, TM_PLAINTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
    SendMessageW(editor, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    SendMessageW(editor, EM_SETTARGETDEVICE, 0, 1);
    SendMessageW(editor, EM_SETEVENTMASK, 0, ENM_CHANGE);
}

// CLR_DEFAULT (the service's kDefaultColor) returns to the system's text colour.
inline void richEditSetTextColor(HWND editor, COLORREF color) {
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_COLOR;
    format.dwEffects = color == CLR_DEFAULT ? CFE_AUTOCOLOR : 0;
    format.crTextColor = color == CLR_DEFAULT ? 0 : color;
    SendMessageW(editor, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    SendMessageW(editor, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
}

inline void richEditSetBackColor(HWND editor, COLORREF color) {
    const bool system = color == CLR_DEFAULT;
    SendMessageW(editor, EM_SETBKGNDCOLOR, system ? 1 : 0, static_cast<LPARAM>(system ? 0 : color));
}

// --- Buttons, fonts, window text -----------------------------------------------------------------

inline bool buttonChecked(HWND button) {
    return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

inline void buttonSetChecked(HWND button, bool checked) {
    SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// Held down by the mouse or the space bar at this moment.
inline bool buttonPushed(HWND button) {
    return (SendMessageW(button, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
}

inline void controlSetFont(HWND control, HFONT font, bool redraw) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? TRUE : FALSE);
}

inline HFONT controlFont(HWND control) {
    return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
}

// While off, changes to the control are not drawn; turning it on draws nothing by itself.
inline void controlSetRedraw(HWND control, bool redraw) {
    SendMessageW(control, WM_SETREDRAW, redraw ? TRUE : FALSE, 0);
}

inline std::u16string windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) {
        return {};
    }
    std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
    const int copied = GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

inline void setWindowText(HWND window, std::u16string_view text) {
    const std::u16string zeroEnded(text);
    SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(zeroEnded.c_str()));
}

// --- Tooltips ------------------------------------------------------------------------------------

// The tool is the control itself, its tip shown while the mouse rests on it.
inline TTTOOLINFOW tooltipToolFor(HWND control) {
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE; // understood by every comctl32 version
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    return tool;
}

inline void tooltipRemoveTool(HWND tooltip, HWND control) {
    TTTOOLINFOW tool = tooltipToolFor(control);
    SendMessageW(tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

inline void tooltipAddTool(HWND tooltip, HWND control, std::u16string_view text) {
    std::u16string zeroEnded(text);
    TTTOOLINFOW tool = tooltipToolFor(control);
    tool.lpszText = reinterpret_cast<wchar_t*>(zeroEnded.data());
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

} // namespace ui
