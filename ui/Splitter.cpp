// The splitter: a child window that holds two controls as its panes and a separator bar
// between them that the user drags.
#include "ui/ServiceState.h"

#include <windowsx.h>

#include <algorithm>

namespace ui::detail {
namespace {

constexpr wchar_t kSplitterClass[] = L"ZendrikSplitter";

int extentAlongSplit(const Control& splitter) {
    RECT client;
    GetClientRect(splitter.handle, &client);
    return splitter.splitter.vertical ? client.right : client.bottom;
}

LRESULT onSetCursor(const Control& splitter, HWND handle, HWND over, LPARAM lParam) {
    if (over == handle && LOWORD(lParam) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, splitter.splitter.vertical ? IDC_SIZEWE : IDC_SIZENS));
        return TRUE;
    }
    return DefWindowProcW(handle, WM_SETCURSOR, reinterpret_cast<WPARAM>(over), lParam);
}

int pointerAlongSplit(const Control& splitter, LPARAM lParam) {
    return splitter.splitter.vertical ? GET_X_LPARAM(lParam) : GET_Y_LPARAM(lParam);
}

// Dragging keeps the separator where the layout would put it, so the ratio it stores is the
// one the user sees.
void dragTo(Control& splitter, int pointer) {
    const SplitterState& state = splitter.splitter;
    const int space = splitterSpace(extentAlongSplit(splitter), kSplitterBarWidth);
    int position = pointer - state.grabOffset;
    position = std::min(position, space - state.secondMinimum);
    position = std::max(position, state.firstMinimum);
    if (position != state.position) {
        setSplitterPosition(splitter, position);
    }
}

LRESULT dispatchSplitterMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (handleControlMessage(message, wParam, lParam, result)) {
        return result;
    }
    Control* splitter = findControlByHandle(handle);
    if (!splitter) {
        return DefWindowProcW(handle, message, wParam, lParam);
    }
    switch (message) {
    case WM_SIZE:
        layoutSplitter(*splitter);
        return 0;
    case WM_SETCURSOR:
        return onSetCursor(*splitter, handle, reinterpret_cast<HWND>(wParam), lParam);
    case WM_LBUTTONDOWN:
        splitter->splitter.dragging = true;
        splitter->splitter.grabOffset =
            pointerAlongSplit(*splitter, lParam) - splitter->splitter.position;
        SetCapture(handle);
        return 0;
    case WM_MOUSEMOVE:
        if (splitter->splitter.dragging) {
            dragTo(*splitter, pointerAlongSplit(*splitter, lParam));
        }
        return 0;
    case WM_LBUTTONUP:
        if (splitter->splitter.dragging) {
            ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED:
        splitter->splitter.dragging = false;
        return 0;
    default:
        return DefWindowProcW(handle, message, wParam, lParam);
    }
}

LRESULT CALLBACK splitterWindowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return dispatchSplitterMessage(handle, message, wParam, lParam);
    } catch (...) {
        return DefWindowProcW(handle, message, wParam, lParam);
    }
}

} // namespace

bool registerSplitterClass() {
    WNDCLASSEXW splitterClass{};
    splitterClass.cbSize = sizeof(splitterClass);
    splitterClass.lpfnWndProc = splitterWindowProc;
    splitterClass.hInstance = GetModuleHandleW(nullptr);
    splitterClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    splitterClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    splitterClass.lpszClassName = kSplitterClass;
    return RegisterClassExW(&splitterClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void unregisterSplitterClass() {
    UnregisterClassW(kSplitterClass, GetModuleHandleW(nullptr));
}

HWND createSplitterWindow(HWND parent, int x, int y, int width, int height) {
    return CreateWindowExW(0, kSplitterClass, L"",
                           WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, x, y,
                           std::max(width, 0), std::max(height, 0), parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// The panes become children of the splitter, which places them from now on; until the
// program sets a position, the separator stands in the middle.
void attachSplitterPanes(Control& splitter) {
    for (const Control* pane : {splitter.splitter.first, splitter.splitter.second}) {
        if (pane && pane->handle) {
            SetParent(pane->handle, splitter.handle);
        }
    }
    const int space = splitterSpace(extentAlongSplit(splitter), kSplitterBarWidth);
    setSplitterPosition(splitter, space / 2);
}

void setSplitterPosition(Control& splitter, int position) {
    const int space = splitterSpace(extentAlongSplit(splitter), kSplitterBarWidth);
    splitter.splitter.ratio = splitterRatioFor(space, position);
    splitter.splitter.hasRatio = true;
    layoutSplitter(splitter);
}

void layoutSplitter(Control& splitter) {
    SplitterState& state = splitter.splitter;
    RECT client;
    GetClientRect(splitter.handle, &client);
    const int extent = state.vertical ? client.right : client.bottom;
    const int across = state.vertical ? client.bottom : client.right;
    const int space = splitterSpace(extent, kSplitterBarWidth);
    if (!state.hasRatio) {
        state.ratio = splitterRatioFor(space, space / 2);
        state.hasRatio = true;
    }
    const SplitterPanes panes =
        layoutSplitterPanes(space, state.ratio, state.firstMinimum, state.secondMinimum);
    state.position = panes.first;
    const Control* first = state.first && state.first->handle ? state.first : nullptr;
    const Control* second = state.second && state.second->handle ? state.second : nullptr;
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (state.vertical) {
        if (first) {
            SetWindowPos(first->handle, nullptr, 0, 0, panes.first, across, flags);
        }
        if (second) {
            SetWindowPos(second->handle, nullptr, panes.first + kSplitterBarWidth, 0, panes.second,
                         across, flags);
        }
    } else {
        if (first) {
            SetWindowPos(first->handle, nullptr, 0, 0, across, panes.first, flags);
        }
        if (second) {
            SetWindowPos(second->handle, nullptr, 0, panes.first + kSplitterBarWidth, across,
                         panes.second, flags);
        }
    }
}

} // namespace ui::detail
