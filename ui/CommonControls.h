#pragma once
// The common controls and theme libraries, and the subclassing every window of the service gets.
// Only the manager shows controls that the visual styles of comctl32 6 change; the popup and
// the picker draw theirs in the IDE's colours. The program's own manifest therefore asks for
// no comctl32 6, and the manager's VisualStyles brings it in: a start that expands a template
// or shows a window at the caret loads no comctl32 at all.
#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

namespace ui {

// While one lives, on this thread, the windows made get the visual styles of comctl32 6: the
// program's second manifest (IDR_VISUAL_STYLES_MANIFEST) is the active activation context. It
// must outlive whatever it shows, message boxes and the dialogs of the shell included.
class VisualStyles {
  public:
    VisualStyles();
    ~VisualStyles();
    VisualStyles(const VisualStyles&) = delete;
    VisualStyles& operator=(const VisualStyles&) = delete;

  private:
    ULONG_PTR cookie_ = 0;
    bool active_ = false;
};

// Registers the splitter's class; under VisualStyles also loads comctl32 and the theme library
// and registers the common control classes. Safe to call often; true once the classes are there.
bool prepareControlClasses();
void releaseControlClasses();

// Subclassing as comctl32's SetWindowSubclass does it (the last installed runs first, and
// defSubclassProc passes a message to the one installed before it), without the library.
bool subclassingAvailable();
BOOL setWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data);
BOOL removeWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id);
LRESULT defSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

bool windowIsThemed(HWND window);
// SetWindowTheme of uxtheme, when the library is in the process.
bool setWindowTheme(HWND window, const wchar_t* subApplication, const wchar_t* subIdList);

} // namespace ui
