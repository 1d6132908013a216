// Controls: creation with their fixed classes and styles, the subclass every control gets, and
// their end. What is read and set on them afterwards is in ControlProperties.cpp.
#include "ui/CommonControls.h"
#include "ui/ControlMessages.h"
#include "ui/ServiceState.h"

#include <algorithm>

namespace ui::detail {
namespace {

constexpr wchar_t kRichEditLibrary[] = L"riched20.dll";

void forgetControl(HWND handle) {
    ServiceState& state = service();
    const auto found = state.controlByHandle.find(handle);
    if (found == state.controlByHandle.end()) {
        return;
    }
    const int number = found->second;
    state.controlByHandle.erase(found);
    state.controls.erase(number); // the record frees what it owns
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
    state.controls[number] = std::move(record);
    state.controlByHandle[handle] = number;
    if (state.defaultFont) {
        controlSetFont(handle, state.defaultFont, false);
    }
    attachControlSubclass(*findControl(number));
    return chosen ? number : reinterpret_cast<std::intptr_t>(handle);
}

// The record of a control that createControl made: its answer is the chosen number or the handle.
ControlRecord* createdControl(int number, std::intptr_t result) {
    if (!result) {
        return nullptr;
    }
    return number == kChooseNumber ? findControl(static_cast<int>(result)) : findControl(number);
}

} // namespace

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

std::intptr_t createRowList(int number, int x, int y, int width, int height, std::uint32_t flags) {
    const DWORD exStyle = (flags & kRowListEdge) ? WS_EX_CLIENTEDGE : 0;
    const DWORD style = (flags & ~kRowListEdge) | WS_VSCROLL | LBS_NODATA | LBS_OWNERDRAWFIXED |
                        LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    const std::intptr_t result = createControl(
        number, {ControlKind::RowList, L"ListBox", style, exStyle}, x, y, width, height, {});
    const ControlRecord* list = createdControl(number, result);
    if (list && service().defaultFont) {
        // Rows as tall as the font's own line, whatever face the window uses.
        ScreenDc screen;
        const HGDIOBJ before = SelectObject(screen.get(), service().defaultFont);
        TEXTMETRICW metrics{};
        if (GetTextMetricsW(screen.get(), &metrics))
            listBoxSetRowHeight(list->handle, std::max<int>(metrics.tmHeight, 1));
        SelectObject(screen.get(), before);
    }
    return result;
}

std::intptr_t createEditor(int number, int x, int y, int width, int height, std::uint32_t flags) {
    ServiceState& state = service();
    if (!state.richEdit) {
        state.richEdit.reset(LoadLibraryW(kRichEditLibrary));
        if (!state.richEdit) {
            return 0;
        }
    }
    const DWORD style = flags | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                        ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | ES_NOHIDESEL;
    const std::intptr_t result =
        createControl(number, {ControlKind::Editor, RICHEDIT_CLASSW, style, WS_EX_CLIENTEDGE}, x, y,
                      width, height, {});
    if (ControlRecord* editor = createdControl(number, result)) {
        // Plain text: templates carry no formatting, and pasted text must not bring any.
        richEditMakePlainTextEditor(editor->handle);
    }
    return result;
}

std::intptr_t createImageButton(int number, int x, int y, int width, int height, HBITMAP image,
                                std::uint32_t flags) {
    const DWORD style = flags | WS_TABSTOP | BS_NOTIFY;
    const std::intptr_t result = createControl(
        number, {ControlKind::ImageButton, L"Button", style, 0}, x, y, width, height, {});
    if (ControlRecord* button = createdControl(number, result)) {
        button->image = image;
        button->greyImage = makeGreyImage(image);
        InvalidateRect(button->handle, nullptr, FALSE);
    } else {
        // No button shows it: a decoded image would otherwise be held until the common end.
        releaseDecodedImage(image);
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
    if (ControlRecord* splitter = createdControl(number, result)) {
        splitter->splitter.first = firstControl;
        splitter->splitter.second = secondControl;
        splitter->splitter.vertical = (flags & kSplitterVertical) != 0;
        attachSplitterPanes(*splitter);
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

} // namespace ui
