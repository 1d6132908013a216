#pragma once
// The placeholder popup's translucency, drop shadow, slide-in and fade-out, as the settings of
// the group "Popup" ask for them (Win32 only).
#include "store/ShortcutStore.h"

#include <windows.h>

#include <functional>

namespace popup {

// Layered with alpha Opacity; a drop shadow on the popup's own window class unless Shadow is 0.
// Called while the window is still hidden, before its controls exist.
void applyPopupLook(HWND window, const store::PopupSettings& settings);

// Shows and activates the hidden window, revealed from its top edge over SlideIn milliseconds.
void slideInPopup(HWND window, const store::PopupSettings& settings);

// How an alpha reaches the layered window; tests put a recorder in its place.
using AlphaSetter = std::function<void(HWND window, BYTE alpha)>;
void setLayeredAlpha(HWND window, BYTE alpha);

// Opacity, then 6 less each step down to Opacity mod 6, one millisecond apart.
void fadeOutPopup(HWND window, const store::PopupSettings& settings,
                  const AlphaSetter& setAlpha = setLayeredAlpha);

} // namespace popup
