#pragma once
// Windows and controls placed, sized and measured in 96-DPI units over the window and control
// service, each at its window's own scale; fonts loaded by the font size rule; and the re-layout
// of a window whose DPI changes (Win32 only). Flags and results are those of ui/WindowService.h.

#include "dpi/DpiSetup.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace dpi {

// Creation: x, y, width and height are always converted at the window's scale.
ui::Control* createScaledTextField(ui::Window& window, int x, int y, int width, int height,
                                   std::u16string_view text, std::uint32_t flags);
ui::Control* createScaledStaticText(ui::Window& window, int x, int y, int width, int height,
                                    std::u16string_view text, std::uint32_t flags);
ui::Control* createScaledRowList(ui::Window& window, int x, int y, int width, int height,
                                 std::uint32_t flags);
ui::Control* createScaledEditor(ui::Window& window, int x, int y, int width, int height,
                                std::uint32_t flags);
ui::Control* createScaledImageButton(ui::Window& window, int x, int y, int width, int height,
                                     HBITMAP image, std::uint32_t flags);
ui::Control* createScaledSplitter(ui::Window& window, int x, int y, int width, int height,
                                  ui::Control& first, ui::Control& second, std::uint32_t flags);

// Opens a window laid out at the scale, its controls in the process's UI font. x and y are
// screen pixels (or ignored when the flags centre the window); only the client width and
// height are converted. On Windows 8.1 and later the window follows DPI changes.
ui::OwnedWindow openScaledWindow(int x, int y, int width, int height, std::u16string_view title,
                                 std::uint32_t flags, HWND owner,
                                 const ui::WindowScale& scale = processScale());

// keepValue passes through; setScaledWindowBounds also passes kNoLimit (-1) through.
void resizeScaledWindow(ui::Window& window, int x, int y, int width, int height);
void setScaledWindowBounds(ui::Window& window, int minWidth, int minHeight, int maxWidth,
                           int maxHeight);
void resizeScaledControl(ui::Control& control, int x, int y, int width, int height);

// Getter modes: negative modes answer in 96-DPI units, the others in pixels.
constexpr int kControlSizeUnits = -2;
constexpr int kControlSizePixels = 0;
int scaledControlWidth(const ui::Control& control, int mode);
int scaledControlHeight(const ui::Control& control, int mode);

constexpr int kWindowClientUnits = -1;
constexpr int kWindowClientUnitsWithFrame = -2; // client in units plus the frame in pixels
constexpr int kWindowOuterPixels = 0;
constexpr int kWindowClientPixels = 1;
int scaledWindowWidth(const ui::Window& window, int mode);
int scaledWindowHeight(const ui::Window& window, int mode);

constexpr int kPositionInParentUnits = -3;
constexpr int kPositionOnScreenUnits = -2;
constexpr int kPositionInTopWindowUnits = -1;
constexpr int kPositionInParentPixels = 0;
constexpr int kPositionOnScreenPixels = 1;
constexpr int kPositionInTopWindowPixels = 2;
int scaledControlX(const ui::Control& control, int mode);
int scaledControlY(const ui::Control& control, int mode);

// Loads the font at fontSizeRule(points, scale); nullptr on failure.
HFONT loadScaledFont(std::u16string_view face, int points, std::uint32_t flags,
                     const ui::WindowScale& scale);

// Takes the control out of the Tab order.
void removeTabStop(HWND control);

// The subclass procedure that openScaledWindow installs: its id is the DPI the window opened
// at, its reference data the window.
LRESULT CALLBACK onDpiChanged(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                              DWORD_PTR referenceData);

} // namespace dpi
