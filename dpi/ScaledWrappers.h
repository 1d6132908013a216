#pragma once
// Windows and controls placed, sized and measured in 96-DPI units over the window and control
// service, fonts loaded by the font size rule, and the re-layout of a window whose DPI changes
// (Win32 only). Numbers, flags and results are those of ui/WindowService.h.

#include "dpi/DpiSetup.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace dpi {

// Window number as decimal text -> the horizontal DPI the window is laid out for.
using WindowDpiTable = std::unordered_map<std::string, int>;

// Creates the table empty (start-up); it exists for the whole run either way.
void createWindowDpiTable();
WindowDpiTable& windowDpiTable();

// Creation: x, y, width and height are always converted.
std::intptr_t createScaledTextField(int number, int x, int y, int width, int height,
                                    std::u16string_view text, std::uint32_t flags);
std::intptr_t createScaledStaticText(int number, int x, int y, int width, int height,
                                     std::u16string_view text, std::uint32_t flags);
std::intptr_t createScaledRowList(int number, int x, int y, int width, int height,
                                  std::uint32_t flags);
std::intptr_t createScaledEditor(int number, int x, int y, int width, int height,
                                 std::uint32_t flags);
std::intptr_t createScaledImageButton(int number, int x, int y, int width, int height,
                                      HBITMAP image, std::uint32_t flags);
std::intptr_t createScaledSplitter(int number, int x, int y, int width, int height,
                                   int firstControl, int secondControl, std::uint32_t flags);

// x and y are screen pixels (or ignored when the flags centre the window); only the client
// width and height are converted. On Windows 8.1 and later the window follows DPI changes.
std::intptr_t openScaledWindow(int number, int x, int y, int width, int height,
                               std::u16string_view title, std::uint32_t flags, HWND owner);

// keepValue passes through; setScaledWindowBounds also passes kNoLimit (-1) through.
void resizeScaledWindow(int number, int x, int y, int width, int height);
void setScaledWindowBounds(int number, int minWidth, int minHeight, int maxWidth, int maxHeight);
void resizeScaledControl(int number, int x, int y, int width, int height);

// Getter modes: negative modes answer in 96-DPI units, the others in pixels.
constexpr int kControlSizeUnits = -2;
constexpr int kControlSizePixels = 0;
int scaledControlWidth(int number, int mode);
int scaledControlHeight(int number, int mode);

constexpr int kWindowClientUnits = -1;
constexpr int kWindowClientUnitsWithFrame = -2; // client in units plus the frame in pixels
constexpr int kWindowOuterPixels = 0;
constexpr int kWindowClientPixels = 1;
int scaledWindowWidth(int number, int mode);
int scaledWindowHeight(int number, int mode);

constexpr int kPositionInParentUnits = -3;
constexpr int kPositionOnScreenUnits = -2;
constexpr int kPositionInTopWindowUnits = -1;
constexpr int kPositionInParentPixels = 0;
constexpr int kPositionOnScreenPixels = 1;
constexpr int kPositionInTopWindowPixels = 2;
int scaledControlX(int number, int mode);
int scaledControlY(int number, int mode);

// Loads the font at fontSizeRule(points); returns what ui::loadFont returns.
std::intptr_t loadScaledFont(int number, std::u16string_view face, int points, std::uint32_t flags);

// Stands for the default control font made by computeScale.
inline const HFONT kUiFont = reinterpret_cast<HFONT>(static_cast<std::intptr_t>(-1));

// ui::kDefaultFontControl (-1) makes the font the default of controls created afterwards.
void setControlFont(int control, HFONT font);

// Flips WS_TABSTOP; used on controls that have it.
void removeTabStop(HWND control);

// The subclass procedure that openScaledWindow installs, and its per-control step.
LRESULT CALLBACK onDpiChanged(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                              DWORD_PTR referenceData);
BOOL CALLBACK rescaleControl(HWND control, LPARAM percent);

} // namespace dpi
