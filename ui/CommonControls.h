#pragma once
// The common controls and theme libraries, loaded when the first window is made rather than
// at start: most starts of the program only put a template into the IDE's editor and never
// show a window, and loading comctl32 is the largest part of what a start costs.
#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

namespace ui {

// Loads comctl32 (version 6, through the program's manifest), registers the control classes
// and the splitter's class. Safe to call often; true once the library is there.
bool prepareControlClasses();
void releaseControlClasses();

// True when comctl32's subclass functions were found by prepareControlClasses.
bool subclassingAvailable();
BOOL setWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data);
BOOL removeWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id);
LRESULT defSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool windowIsThemed(HWND window);
// SetWindowTheme of uxtheme, when the library is there.
bool setWindowTheme(HWND window, const wchar_t* subApplication, const wchar_t* subIdList);

} // namespace ui
