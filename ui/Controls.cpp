// Controls: creation with their fixed classes and styles, the subclass every control gets, and
// their end. What is read and set on them afterwards is in ControlProperties.cpp.
#include "ui/CommonControls.h"
#include "ui/ControlMessages.h"
#include "ui/ServiceState.h"

#include <algorithm>

namespace ui::detail {
namespace {

constexpr wchar_t kRichEditLibrary[] = L"riched20.dll";

LRESULT CALLBACK controlSubclassProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR, DWORD_PTR) {
    try {
        if (message == WM_NCDESTROY) {
            if (Control* control = findControlByHandle(handle)) {
                forgetControlHandle(*control);
            }
            removeWindowSubclass(handle, controlSubclassProc, 0);
            return defSubclassProc(handle, message, wParam, lParam);
        }
        Control* control = findControlByHandle(handle);
        LRESULT result = 0;
        if (control && control->kind == ControlKind::ImageButton &&
            imageButtonMessage(*control, handle, message, wParam, lParam, result)) {
            return result;
        }
        if (control && control->kind == ControlKind::RowList &&
            rowListMessage(*control, message, wParam, lParam, result)) {
            return result;
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

Control* createControl(Window& window, const NewControl& spec, int x, int y, int width, int height,
                       std::u16string_view text) {
    ServiceState& state = service();
    if (!window.handle) {
        return nullptr;
    }
    const std::wstring caption = text::toWide(text);
    HWND handle = nullptr;
    {
        QuietChanges quiet; // the initial text is the program's, not the user's
        if (spec.kind == ControlKind::Splitter) {
            handle = createSplitterWindow(window.handle, x, y, width, height);
        } else {
            // The control's ID is its place in the window, which nothing reads: the service
            // knows its controls by their handles.
            const auto id = static_cast<std::intptr_t>(window.controls.size() + 1);
            handle =
                CreateWindowExW(spec.exStyle, spec.className, caption.c_str(),
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | spec.style, x, y,
                                std::max(width, 0), std::max(height, 0), window.handle,
                                reinterpret_cast<HMENU>(id), GetModuleHandleW(nullptr), nullptr);
        }
    }
    if (!handle) {
        return nullptr;
    }
    auto control = std::make_unique<Control>();
    control->kind = spec.kind;
    control->handle = handle;
    control->window = &window;
    Control* made = control.get();
    window.controls.push_back(std::move(control));
    state.controlByHandle[handle] = made;
    if (window.font) {
        controlSetFont(handle, window.font, false);
    }
    attachControlSubclass(*made);
    return made;
}

} // namespace

void attachControlSubclass(Control& control) {
    setWindowSubclass(control.handle, controlSubclassProc, 0, 0);
}

void forgetControlHandle(Control& control) {
    service().controlByHandle.erase(control.handle);
    control.handle = nullptr;
}

} // namespace ui::detail

namespace ui {

using namespace detail;

Control* createTextField(Window& window, int x, int y, int width, int height,
                         std::u16string_view text, std::uint32_t flags) {
    const DWORD exStyle = (flags & kTextFieldNoBorder) ? 0 : WS_EX_CLIENTEDGE;
    const DWORD style = (flags & ~kTextFieldNoBorder) | WS_TABSTOP | ES_AUTOHSCROLL;
    return createControl(window, {ControlKind::TextField, L"Edit", style, exStyle}, x, y, width,
                         height, text);
}

Control* createStaticText(Window& window, int x, int y, int width, int height,
                          std::u16string_view text, std::uint32_t flags) {
    return createControl(window, {ControlKind::StaticText, L"Static", flags | SS_NOPREFIX, 0}, x, y,
                         width, height, text);
}

Control* createRowList(Window& window, int x, int y, int width, int height, std::uint32_t flags) {
    const DWORD exStyle = (flags & kRowListEdge) ? WS_EX_CLIENTEDGE : 0;
    const DWORD style = (flags & ~kRowListEdge) | WS_VSCROLL | LBS_NODATA | LBS_OWNERDRAWFIXED |
                        LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    Control* list = createControl(window, {ControlKind::RowList, L"ListBox", style, exStyle}, x, y,
                                  width, height, {});
    if (list && window.font) {
        // Rows as tall as the font's own line, whatever face the window uses.
        ScreenDc screen;
        const HGDIOBJ before = SelectObject(screen.get(), window.font);
        TEXTMETRICW metrics{};
        if (GetTextMetricsW(screen.get(), &metrics))
            listBoxSetRowHeight(list->handle, std::max<int>(metrics.tmHeight, 1));
        SelectObject(screen.get(), before);
    }
    return list;
}

Control* createEditor(Window& window, int x, int y, int width, int height, std::uint32_t flags) {
    ServiceState& state = service();
    if (!state.richEdit) {
        state.richEdit.reset(LoadLibraryW(kRichEditLibrary));
        if (!state.richEdit) {
            return nullptr;
        }
    }
    const DWORD style = flags | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                        ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | ES_NOHIDESEL;
    Control* editor =
        createControl(window, {ControlKind::Editor, RICHEDIT_CLASSW, style, WS_EX_CLIENTEDGE}, x, y,
                      width, height, {});
    if (editor) {
        // Plain text: templates carry no formatting, and pasted text must not bring any.
        richEditMakePlainTextEditor(editor->handle);
    }
    return editor;
}

Control* createImageButton(Window& window, int x, int y, int width, int height, HBITMAP image,
                           std::uint32_t flags) {
    const DWORD style = flags | WS_TABSTOP | BS_NOTIFY;
    Control* button = createControl(window, {ControlKind::ImageButton, L"Button", style, 0}, x, y,
                                    width, height, {});
    if (button) {
        button->image = image;
        button->greyImage = makeGreyImage(image);
        InvalidateRect(button->handle, nullptr, FALSE);
    } else {
        // No button shows it: a decoded image would otherwise be held until the common end.
        releaseDecodedImage(image);
    }
    return button;
}

Control* createSplitter(Window& window, int x, int y, int width, int height, Control& first,
                        Control& second, std::uint32_t flags) {
    if (&first == &second || first.window != &window || second.window != &window) {
        return nullptr;
    }
    Control* splitter =
        createControl(window, {ControlKind::Splitter, nullptr, 0, 0}, x, y, width, height, {});
    if (splitter) {
        splitter->splitter.first = &first;
        splitter->splitter.second = &second;
        splitter->splitter.vertical = (flags & kSplitterVertical) != 0;
        attachSplitterPanes(*splitter);
    }
    return splitter;
}

void freeControl(Control& control) {
    Window& window = *control.window;
    if (control.handle && IsWindow(control.handle)) {
        DestroyWindow(control.handle); // the subclass forgets the handle
    }
    if (control.handle) {
        forgetControlHandle(control);
    }
    // A splitter whose pane goes lays out only the pane that stays.
    for (const auto& other : window.controls) {
        if (other->splitter.first == &control) {
            other->splitter.first = nullptr;
        }
        if (other->splitter.second == &control) {
            other->splitter.second = nullptr;
        }
    }
    dropQueuedEvents(nullptr, &control);
    auto& controls = window.controls;
    controls.erase(std::remove_if(controls.begin(), controls.end(),
                                  [&control](const std::unique_ptr<Control>& owned) {
                                      return owned.get() == &control;
                                  }),
                   controls.end());
}

} // namespace ui
