#include "ui/CommonControls.h"

#include "base/OwnedHandles_win.h"
#include "ui/ServiceState.h"

namespace ui {

namespace {

using InitCommonControlsExFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
using SetWindowSubclassFunction = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR);
using RemoveWindowSubclassFunction = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR);
using DefSubclassProcFunction = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
using GetWindowThemeFunction = HTHEME(WINAPI*)(HWND);
using SetWindowThemeFunction = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);

struct Libraries {
    bool tried = false;
    bool splitterRegistered = false;
    // Both stay loaded for the rest of the run: the control classes and subclass entry
    // points live in them.
    base::OwnedLibrary comctl32;
    base::OwnedLibrary uxtheme;
    SetWindowSubclassFunction setWindowSubclass = nullptr;
    RemoveWindowSubclassFunction removeWindowSubclass = nullptr;
    DefSubclassProcFunction defSubclassProc = nullptr;
    GetWindowThemeFunction getWindowTheme = nullptr;
    SetWindowThemeFunction setWindowTheme = nullptr;
};

Libraries& libraries() {
    static Libraries loaded;
    return loaded;
}

} // namespace

bool prepareControlClasses() {
    Libraries& loaded = libraries();
    if (!loaded.tried) {
        loaded.tried = true;
        loaded.comctl32.reset(LoadLibraryW(L"comctl32.dll"));
        if (auto init = base::moduleFunction<InitCommonControlsExFunction>(
                loaded.comctl32.get(), "InitCommonControlsEx")) {
            INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
            init(&classes);
        }
        loaded.setWindowSubclass = base::moduleFunction<SetWindowSubclassFunction>(
            loaded.comctl32.get(), "SetWindowSubclass");
        loaded.removeWindowSubclass = base::moduleFunction<RemoveWindowSubclassFunction>(
            loaded.comctl32.get(), "RemoveWindowSubclass");
        loaded.defSubclassProc =
            base::moduleFunction<DefSubclassProcFunction>(loaded.comctl32.get(), "DefSubclassProc");
        loaded.uxtheme.reset(LoadLibraryW(L"uxtheme.dll"));
        loaded.getWindowTheme =
            base::moduleFunction<GetWindowThemeFunction>(loaded.uxtheme.get(), "GetWindowTheme");
        loaded.setWindowTheme =
            base::moduleFunction<SetWindowThemeFunction>(loaded.uxtheme.get(), "SetWindowTheme");
    }
    if (!loaded.splitterRegistered)
        loaded.splitterRegistered = detail::registerSplitterClass();
    return static_cast<bool>(loaded.comctl32);
}

void releaseControlClasses() {
    Libraries& loaded = libraries();
    if (loaded.splitterRegistered)
        detail::unregisterSplitterClass();
    loaded.splitterRegistered = false;
}

bool subclassingAvailable() {
    const Libraries& loaded = libraries();
    return loaded.setWindowSubclass && loaded.removeWindowSubclass && loaded.defSubclassProc;
}

BOOL setWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) {
    const Libraries& loaded = libraries();
    return loaded.setWindowSubclass ? loaded.setWindowSubclass(window, procedure, id, data) : FALSE;
}

BOOL removeWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id) {
    const Libraries& loaded = libraries();
    return loaded.removeWindowSubclass ? loaded.removeWindowSubclass(window, procedure, id) : FALSE;
}

LRESULT defSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Without the library no subclass was ever installed and this is never reached from one.
    const Libraries& loaded = libraries();
    return loaded.defSubclassProc ? loaded.defSubclassProc(window, message, wParam, lParam)
                                  : DefWindowProcW(window, message, wParam, lParam);
}

bool windowIsThemed(HWND window) {
    const Libraries& loaded = libraries();
    return loaded.getWindowTheme && loaded.getWindowTheme(window) != nullptr;
}

bool setWindowTheme(HWND window, const wchar_t* subApplication, const wchar_t* subIdList) {
    const Libraries& loaded = libraries();
    return loaded.setWindowTheme &&
           SUCCEEDED(loaded.setWindowTheme(window, subApplication, subIdList));
}

} // namespace ui
