#include "ui/CommonControls.h"

#include <new>
#include <string>
#include <vector>

#include "base/OwnedHandles_win.h"
#include "resources/ResourceIds.h"
#include "ui/ServiceState.h"

namespace ui {

namespace {

using InitCommonControlsExFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
using GetWindowThemeFunction = HTHEME(WINAPI*)(HWND);
using SetWindowThemeFunction = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);

void releaseActivationContext(HANDLE context) {
    ReleaseActCtx(context);
}
using OwnedActivationContext = base::Owned<HANDLE, releaseActivationContext>;

struct Libraries {
    bool splitterRegistered = false;
    bool contextTried = false;
    bool controlsLoaded = false;
    int stylesActive = 0; // VisualStyles alive
    OwnedActivationContext visualStyles;
    // Both stay loaded for the rest of the run: the control classes live in them.
    base::OwnedLibrary comctl32;
    base::OwnedLibrary uxtheme;
};

Libraries& libraries() {
    static Libraries loaded;
    return loaded;
}

// The context of the program's second manifest, made at the first VisualStyles and kept.
HANDLE visualStylesContext() {
    Libraries& loaded = libraries();
    if (!loaded.contextTried) {
        loaded.contextTried = true;
        // Windows XP wants the module's path beside the module.
        std::wstring path(MAX_PATH, L'\0');
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        ACTCTXW request{};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID | ACTCTX_FLAG_HMODULE_VALID;
        request.lpSource = length > 0 && length < path.size() ? path.c_str() : nullptr;
        request.hModule = GetModuleHandleW(nullptr);
        request.lpResourceName = MAKEINTRESOURCEW(IDR_VISUAL_STYLES_MANIFEST);
        const HANDLE context = CreateActCtxW(&request);
        if (context != INVALID_HANDLE_VALUE)
            loaded.visualStyles.reset(context);
    }
    return loaded.visualStyles.get();
}

// The theme library's function, when the library is in the process. Windows puts it into every
// program with windows while visual styles are on, and comctl32 6 brings it; where it is not
// there, no window is themed and there is nothing to ask or to change.
template <typename Function> Function themeFunction(const char* name) {
    return base::moduleFunction<Function>(GetModuleHandleW(L"uxtheme.dll"), name);
}

// Subclassing. A window's subclasses hang on the window as a property; its procedure is
// replaced by chainProcedure, which calls the last installed, whose defSubclassProc calls the
// one before it, down to the window's own procedure.
constexpr wchar_t kSubclassProperty[] = L"ZendrikSubclasses";

struct Subclass {
    SUBCLASSPROC procedure; // nullptr once removed while a message was on its way through
    UINT_PTR id;
    DWORD_PTR data;
};

struct SubclassChain {
    WNDPROC original = nullptr;
    std::vector<Subclass> subclasses; // in the order installed
    size_t next = 0;                  // during a message: the subclasses not yet called
    int calls = 0;                    // messages on their way through
    bool destroyed = false;           // WM_NCDESTROY has gone through
};

SubclassChain* chainOf(HWND window) {
    return static_cast<SubclassChain*>(GetPropW(window, kSubclassProperty));
}

LRESULT callNext(HWND window, SubclassChain& chain, UINT message, WPARAM wParam, LPARAM lParam) {
    while (chain.next > 0) {
        const Subclass subclass = chain.subclasses[--chain.next];
        if (subclass.procedure)
            return subclass.procedure(window, message, wParam, lParam, subclass.id, subclass.data);
    }
    return CallWindowProcW(chain.original, window, message, wParam, lParam);
}

LRESULT CALLBACK chainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Drops the removed subclasses once no message is on its way, and gives the window its own
// procedure back when none is left (or when it is being destroyed), unless someone subclassed
// it after us: then the chain stays, empty, and passes every message on.
void tidyChain(HWND window, SubclassChain* chain) {
    if (chain->calls > 0)
        return;
    std::erase_if(chain->subclasses, [](const Subclass& s) { return s.procedure == nullptr; });
    if (!chain->destroyed &&
        (!chain->subclasses.empty() ||
         reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) != chainProcedure))
        return;
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chain->original));
    RemovePropW(window, kSubclassProperty);
    delete chain;
}

LRESULT CALLBACK chainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SubclassChain* chain = chainOf(window);
    if (!chain)
        return DefWindowProcW(window, message, wParam, lParam);
    const size_t outer = chain->next;
    chain->next = chain->subclasses.size();
    ++chain->calls;
    const LRESULT result = callNext(window, *chain, message, wParam, lParam);
    --chain->calls;
    chain->next = outer;
    if (message == WM_NCDESTROY)
        chain->destroyed = true;
    tidyChain(window, chain);
    return result;
}

} // namespace

VisualStyles::VisualStyles() {
    if (HANDLE context = visualStylesContext())
        active_ = ActivateActCtx(context, &cookie_) != FALSE;
    if (active_)
        ++libraries().stylesActive;
}

VisualStyles::~VisualStyles() {
    if (!active_)
        return;
    --libraries().stylesActive;
    DeactivateActCtx(0, cookie_);
}

bool prepareControlClasses() {
    Libraries& loaded = libraries();
    // comctl32 loaded under the second manifest is version 6, and the classes it registers
    // then are the versioned ones the manager's windows are made of.
    if (!loaded.controlsLoaded && loaded.stylesActive > 0) {
        loaded.controlsLoaded = true;
        loaded.comctl32.reset(LoadLibraryW(L"comctl32.dll"));
        if (auto init = base::moduleFunction<InitCommonControlsExFunction>(
                loaded.comctl32.get(), "InitCommonControlsEx")) {
            INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
            init(&classes);
        }
        loaded.uxtheme.reset(LoadLibraryW(L"uxtheme.dll"));
    }
    if (!loaded.splitterRegistered)
        loaded.splitterRegistered = detail::registerSplitterClass();
    return loaded.splitterRegistered;
}

void releaseControlClasses() {
    Libraries& loaded = libraries();
    if (loaded.splitterRegistered)
        detail::unregisterSplitterClass();
    loaded.splitterRegistered = false;
}

bool subclassingAvailable() {
    return true;
}

BOOL setWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) {
    if (!window || !procedure || !IsWindow(window))
        return FALSE;
    SubclassChain* chain = chainOf(window);
    if (chain) {
        for (Subclass& subclass : chain->subclasses) {
            if (subclass.procedure == procedure && subclass.id == id) {
                subclass.data = data;
                return TRUE;
            }
        }
    } else {
        chain = new (std::nothrow) SubclassChain;
        if (!chain)
            return FALSE;
        if (!SetPropW(window, kSubclassProperty, chain)) {
            delete chain;
            return FALSE;
        }
        chain->original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chainProcedure)));
        if (!chain->original) {
            RemovePropW(window, kSubclassProperty);
            delete chain;
            return FALSE;
        }
    }
    try {
        chain->subclasses.push_back({procedure, id, data});
    } catch (...) {
        tidyChain(window, chain);
        return FALSE;
    }
    return TRUE;
}

BOOL removeWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id) {
    SubclassChain* chain = window ? chainOf(window) : nullptr;
    if (!chain)
        return FALSE;
    for (Subclass& subclass : chain->subclasses) {
        if (subclass.procedure == procedure && subclass.id == id) {
            subclass.procedure = nullptr;
            tidyChain(window, chain);
            return TRUE;
        }
    }
    return FALSE;
}

LRESULT defSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SubclassChain* chain = chainOf(window);
    if (!chain || chain->calls == 0)
        return chain ? CallWindowProcW(chain->original, window, message, wParam, lParam)
                     : DefWindowProcW(window, message, wParam, lParam);
    // A subclass may pass more than one message on while it handles one (a button painting
    // itself twice): each starts from below the caller.
    const size_t caller = chain->next;
    const LRESULT result = callNext(window, *chain, message, wParam, lParam);
    chain->next = caller;
    return result;
}

bool windowIsThemed(HWND window) {
    const auto getWindowTheme = themeFunction<GetWindowThemeFunction>("GetWindowTheme");
    return getWindowTheme && getWindowTheme(window) != nullptr;
}

bool setWindowTheme(HWND window, const wchar_t* subApplication, const wchar_t* subIdList) {
    const auto setTheme = themeFunction<SetWindowThemeFunction>("SetWindowTheme");
    return setTheme && SUCCEEDED(setTheme(window, subApplication, subIdList));
}

} // namespace ui
