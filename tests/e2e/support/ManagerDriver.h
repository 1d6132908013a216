// Drives the real manager window of another process the way a user does: typed keys and mouse
// clicks through SendInput, and reads back what the window shows (rows of its list, texts,
// the focus) and the message boxes it opens.
#pragma once

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "manager/ManagerWindow.h"
#include "resources/Version.h"
#include "base/TextConvert.h"
#include "e2e/support/Input.h"
#include "e2e/support/Processes.h"
#include "e2e/support/RemoteMemory.h"
#include "e2e/support/Wait.h"
#include "ui/WindowClassName.h"
#include "ui/WindowService.h"

namespace endtoend {

constexpr wchar_t kAppTitle[] = L"" ZENDRIK_TITLE;

// The manager's controls as the driver finds them: the buttons by their order on screen (the
// order they are made in, which is their order here), every other control by its class, and the
// two fields by their order among the window's fields (the name field first).
enum ManagerPart {
    kNewButton,
    kDeleteButton,
    kRenameButton,
    kSaveButton,
    kImportButton,
    kOpenButton,
    kDonateButton,
    kNameField,
    kFilterField,
    kShortcutList,
    kTemplateEditor,
    kSplitter,
};

using endtoend::clickAt;
using endtoend::clickWindow;
using endtoend::pause;
using endtoend::typeText;
using endtoend::waitUntil;

inline std::wstring className(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// WM_GETTEXT is carried across processes by the system.
inline std::string windowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
        return {};
    std::wstring text(size_t(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    text.resize(size_t(copied));
    return text::utf16ToUtf8(text::fromWide(text));
}

using endtoend::processOf;

// The top-level windows of any process with the class and title, shown or hidden.
inline std::vector<HWND> topWindows(const wchar_t* windowClass, const wchar_t* title = nullptr) {
    std::vector<HWND> found;
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, windowClass, title));)
        found.push_back(window);
    return found;
}

inline std::vector<HWND> managerWindows() {
    // The manager is the one window of its run: the first class number.
    return topWindows(ui::windowClassName(0).c_str(), kAppTitle);
}

// The one visible manager window, or nullptr.
inline HWND findManagerWindow() {
    std::vector<HWND> shown = managerWindows();
    std::erase_if(shown, [](HWND window) { return !IsWindowVisible(window); });
    return shown.size() == 1 ? shown.front() : nullptr;
}

// A key or chord, {VK_CONTROL, 'N'}, with time for the window to take it.
inline void pressKey(const std::vector<WORD>& keys) {
    endtoend::press(keys);
    pause(60);
}

struct Manager {
    HWND window = nullptr;
    HANDLE process = nullptr; // for reading the list's rows
    DWORD processId = 0;

    HWND control(ManagerPart part) const {
        switch (part) {
        case kNameField:
            return FindWindowExW(window, nullptr, L"Edit", nullptr);
        case kFilterField:
            return FindWindowExW(window, control(kNameField), L"Edit", nullptr);
        case kSplitter:
            return FindWindowExW(window, nullptr, L"ZendrikSplitter", nullptr);
        case kShortcutList:
            return FindWindowExW(control(kSplitter), nullptr, L"ListBox", nullptr);
        case kTemplateEditor:
            return FindWindowExW(control(kSplitter), nullptr, L"RichEdit20W", nullptr);
        default: {
            // The buttons come first in ManagerPart, in the order they are made in.
            static_assert(kDonateButton < kNameField);
            HWND button = nullptr;
            for (int i = 0; i <= int(part); ++i)
                button = FindWindowExW(window, button, L"Button", nullptr);
            return button;
        }
        }
    }

    // The row's text: the list box keeps none, so the list answers the program's own query
    // (ui::kRowTextMessageName), writing the text into room made in the manager's memory.
    std::string rowText(int row) const {
        const UINT query = RegisterWindowMessageW(ui::kRowTextMessageName);
        HWND list = control(kShortcutList);
        const LRESULT length = SendMessageW(list, query, WPARAM(row), 0);
        if (length < 0)
            return "?";
        endtoend::RemoteBuffer memory(process, (size_t(length) + 1) * sizeof(wchar_t));
        if (!memory.address() || SendMessageW(list, query, WPARAM(row),
                                              reinterpret_cast<LPARAM>(memory.address())) != length)
            return "?";
        std::wstring text(size_t(length), L'\0');
        endtoend::readRemote(process, memory.address(), text.data(), text.size() * sizeof(wchar_t));
        return text::utf16ToUtf8(text::fromWide(text));
    }

    int rowCount() const {
        const LRESULT count = SendMessageW(control(kShortcutList), LB_GETCOUNT, 0, 0);
        return count == LB_ERR ? 0 : int(count);
    }

    // The list's rows from the top.
    std::vector<std::string> rows() const {
        std::vector<std::string> all;
        for (int row = 0, count = rowCount(); row < count; ++row)
            all.push_back(rowText(row));
        return all;
    }

    std::string currentRow() const {
        const LRESULT row = SendMessageW(control(kShortcutList), LB_GETCURSEL, 0, 0);
        return row == LB_ERR ? "-" : rowText(int(row));
    }

    // Clicks the middle of the row, counted from the top, scrolled into view first as a user
    // would. The rows' places follow from the top row and their height, which the list tells
    // without any memory of its own.
    void clickRow(int row) const {
        HWND list = control(kShortcutList);
        if (row < 0 || row >= rowCount())
            return;
        const auto top = int(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
        const auto height = int(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
        RECT client{};
        GetClientRect(list, &client);
        if (row < top || (row - top + 1) * height > client.bottom) {
            SendMessageW(list, LB_SETTOPINDEX, WPARAM(row), 0);
            pause(100);
        }
        const auto shownTop = int(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
        POINT point{client.right / 2, (row - shownTop) * height + height / 2};
        ClientToScreen(list, &point);
        clickAt(point);
    }

    std::string focus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) || !info.hwndFocus)
            return "none";
        if (info.hwndFocus == window)
            return "window";
        static const std::pair<ManagerPart, const char*> names[] = {
            {kNewButton, "new"},       {kDeleteButton, "delete"}, {kSaveButton, "save"},
            {kOpenButton, "open"},     {kDonateButton, "donate"}, {kShortcutList, "list"},
            {kNameField, "name"},      {kSplitter, "splitter"},   {kTemplateEditor, "editor"},
            {kRenameButton, "rename"}, {kImportButton, "import"}, {kFilterField, "filter"}};
        for (const auto& [part, name] : names)
            if (control(part) == info.hwndFocus)
                return name;
        return "other";
    }

    // The caret (or selection) of the name field.
    std::pair<int, int> nameSelection() const {
        const auto packed = DWORD(SendMessageW(control(kNameField), EM_GETSEL, 0, 0));
        return {int(LOWORD(packed)), int(HIWORD(packed))};
    }

    // One line that says what the window shows, and where the focus is when asked; which
    // controls each mode enables is the native tests' part.
    std::string view(bool withFocus = true) const {
        std::string out = "rows=";
        const char* separator = "";
        for (const std::string& row : rows()) {
            out += separator + row;
            separator = ",";
        }
        out += " current=" + currentRow();
        out += " name='" + windowText(control(kNameField)) + "'";
        out += " editor='" + windowText(control(kTemplateEditor)) + "'";
        return withFocus ? out + " focus=" + focus() : out;
    }

    // Waits until the window shows exactly that (with the focus only when the expected view
    // names it); returns what it shows at the end.
    std::string waitForView(const std::string& expected) const {
        const bool withFocus = expected.find(" focus=") != std::string::npos;
        std::string seen;
        waitUntil([&] { return (seen = view(withFocus)) == expected; }, 4000);
        return seen;
    }
};

inline std::optional<Manager> waitForManager(int milliseconds = 15000) {
    HWND window = nullptr;
    if (!waitUntil(
            [&] { return (window = findManagerWindow()) && GetForegroundWindow() == window; },
            milliseconds))
        return std::nullopt;
    Manager manager;
    manager.window = window;
    manager.processId = processOf(window);
    manager.process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                      PROCESS_QUERY_INFORMATION | SYNCHRONIZE | PROCESS_TERMINATE,
                                  FALSE, manager.processId);
    return manager;
}

struct MessageBoxView {
    HWND box = nullptr;
    std::string caption;
    std::string text;
    std::string buttons; // "ok", "yes no"
    std::string icon;    // "none", "exclamation", "information", "other"
};

// The look of a standard icon as this process draws it over the given background.
inline std::vector<COLORREF> drawnIcon(LPCWSTR icon, int size, COLORREF background) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ old = SelectObject(memory, bitmap);
    HBRUSH brush = CreateSolidBrush(background);
    RECT all{0, 0, size, size};
    FillRect(memory, &all, brush);
    DrawIconEx(memory, 0, 0, LoadIconW(nullptr, icon), size, size, 0, nullptr, DI_NORMAL);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            pixels.push_back(GetPixel(memory, x, y));
    SelectObject(memory, old);
    DeleteObject(brush);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// Which standard icon the box shows, by comparing its pixels on the screen with the icons
// drawn here: the icon handles of another process cannot be compared.
inline std::string iconOf(HWND iconControl) {
    RECT bounds{};
    GetWindowRect(iconControl, &bounds);
    const int size = std::min(bounds.right - bounds.left, bounds.bottom - bounds.top);
    if (size <= 0)
        return "none";
    HDC screen = GetDC(nullptr);
    std::vector<COLORREF> shown;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            shown.push_back(GetPixel(screen, bounds.left + x, bounds.top + y));
    ReleaseDC(nullptr, screen);
    const COLORREF background = shown.front();
    if (std::all_of(shown.begin(), shown.end(), [&](COLORREF c) { return c == background; }))
        return "none";
    std::string best = "other";
    size_t bestSame = shown.size() / 2; // at least half of the pixels must agree
    const std::pair<const char*, LPCWSTR> candidates[] = {{"exclamation", IDI_EXCLAMATION},
                                                          {"information", IDI_INFORMATION},
                                                          {"hand", IDI_HAND},
                                                          {"question", IDI_QUESTION}};
    for (const auto& [name, icon] : candidates) {
        const std::vector<COLORREF> drawn = drawnIcon(icon, size, background);
        size_t same = 0;
        for (size_t i = 0; i < shown.size(); ++i)
            same += shown[i] == drawn[i];
        if (same > bestSame) {
            bestSame = same;
            best = name;
        }
    }
    return best;
}

inline HWND findMessageBox(DWORD process) {
    for (HWND box : topWindows(L"#32770"))
        if (IsWindowVisible(box) && processOf(box) == process)
            return box;
    return nullptr;
}

inline std::optional<MessageBoxView> waitForMessageBox(DWORD process, int milliseconds = 4000) {
    HWND box = nullptr;
    if (!waitUntil([&] { return (box = findMessageBox(process)) != nullptr; }, milliseconds))
        return std::nullopt;
    pause(300); // drawn, for the icon
    MessageBoxView view;
    view.box = box;
    view.caption = windowText(box);
    view.icon = "none";
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        if (!IsWindowVisible(child))
            continue;
        if (className(child) == L"Button") {
            const char* name = id == IDOK       ? "ok"
                               : id == IDCANCEL ? "cancel"
                               : id == IDYES    ? "yes"
                               : id == IDNO     ? "no"
                                                : "other";
            view.buttons += (view.buttons.empty() ? "" : " ") + std::string(name);
        } else if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            // The handle tells whether there is an icon; only the pixels tell which.
            if (SendMessageW(child, STM_GETICON, 0, 0))
                view.icon = iconOf(child);
        } else if (className(child) == L"Static") {
            // Windows numbers the message 0xFFFF, Wine otherwise: the one static with text.
            const std::string text = windowText(child);
            if (text.size() > view.text.size())
                view.text = text;
        }
    }
    return view;
}

// Clicks a button of the box and waits until it is gone.
inline bool answer(const MessageBoxView& view, int button) {
    HWND target = GetDlgItem(view.box, button);
    if (!target)
        return false;
    clickWindow(target);
    return waitUntil([&] { return !IsWindow(view.box) || !IsWindowVisible(view.box); });
}

} // namespace endtoend
