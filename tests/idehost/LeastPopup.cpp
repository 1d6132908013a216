// LeastPopup: the least a tool can do to ask for a placeholder's value, the yardstick of the
// popup benchmark. It reads the caret's line and the caret's screen point through the same
// remote editor calls as Zendrik, opens a caption-less window there with a static text and
// one edit field, shows and activates it, and ends on Escape. Nothing else: no preference
// file, no DPI set-up, no locks, no effects.
#include <windows.h>

#include <string>

#include "LeastToolWindows.h"
#include "base/TextConvert.h"
#include "idelink/RemoteEditor.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const idelink::IdeWindows windows = leastToolWindows();
    const std::u16string line = text::utf8ToUtf16(
        idelink::readLineBeforeCaret(windows).value_or(idelink::LineAtCaret{}).bytes);
    const idelink::ScreenPoint caret =
        idelink::caretScreenPoint(windows.editor, idelink::editorCaretPosition(windows.editor));

    registerLeastClass(instance, L"LeastPopup", COLOR_WINDOW);
    HWND window =
        CreateWindowExW(0, L"LeastPopup", L"", WS_POPUP | WS_BORDER, caret.x + 4, caret.y - 1, 632,
                        82, reinterpret_cast<HWND>(windows.main), nullptr, instance, nullptr);
    const std::wstring preview(line.begin(), line.end());
    CreateWindowExW(0, L"Static", preview.c_str(), WS_CHILD | WS_VISIBLE, 0, 0, 630, 62, window,
                    nullptr, instance, nullptr);
    HWND field = CreateWindowExW(0, L"Edit", L"i", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 120, 63,
                                 511, 16, window, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(field);
    return runUntilClosed(window, true);
}
