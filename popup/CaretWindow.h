#pragma once
// A window at the IDE's caret: caption-less, in the IDE's font and colours with the [Popup]
// look, placed by the popup's rules. The placeholder popup and the Shortcut picker are its
// contents: the window builds, places and shows them, runs the one event loop that drives them,
// and owns the endings. Only the content's acceptance accepts; everything else cancels: a key
// the content's plan cancels with, activating another window, closing the window, the end of
// the session, or a window that never became the active window (Win32 only).
#include "idelink/PopupContract.h"
#include "popup/CaretKeys.h"
#include "popup/PopupEffects.h"
#include "popup/PopupPlacement.h"
#include "store/IdeAppearance.h"
#include "store/ShortcutStore.h"
#include "ui/WindowService.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <span>

namespace popup {

// What a window at the caret takes besides its content: the IDE's look, the effects, the owner.
struct PopupLook {
    store::IdeAppearance appearance;
    store::PopupSettings settings;
    HWND owner = nullptr;                   // the IDE's main window; nullptr for none
    AlphaSetter setAlpha = setLayeredAlpha; // the fade's and the vanishing's alphas
    // The caret line's height in pixels, asked only when the window must stand below the line;
    // empty or 0: the height of one row.
    std::function<int()> caretLineHeight;
    // Shows and activates the built window; tests put one in its place that Windows refuses.
    std::function<void(HWND window, const store::PopupSettings& settings)> show = slideInPopup;
};

// A window that has not become the active window this long after it was shown cancels.
inline constexpr UINT kActivationWaitMs = 3000;
// The caret window's own timer, which waits for that; the contents' timers take other ids (the
// picker's is the address of its list).
inline constexpr UINT_PTR kActivationTimer = 1;

// Where and how big the window opens: the caret's point, and the size in 96-DPI units unless the
// content tells its height beforehand.
struct CaretWindowOpening {
    idelink::ScreenPoint anchor;
    bool afterParen = false; // the word before the caret ends with "("
    int width = 0;
    int height = 0;
};

// What the window drives. It asks openingHeight, where there is one, for the client height in
// 96-DPI units that the window opens with, given the caret monitor's work area, the window's
// frame height in pixels and the vertical scale. It calls buildControls once it is open, with
// its hidden window to build them in (the answer is the client height in 96-DPI units,
// negative when a control could not be made), focus once it is sized and placed, shown once
// it is on screen; then, from its event loop, planKey for each of the keys it takes and
// planEvent for each event of the controls. It carries out Accept and Cancel itself and hands
// every other plan to carryOut.
struct CaretContent {
    std::span<const CaretKey> keys; // taken before the focused control sees them
    std::function<int(const ScreenRect& workArea, int frameHeight, float scaleY)>
        openingHeight; // may be empty
    std::function<int(ui::Window& window)> buildControls;
    std::function<void()> focus;
    std::function<void()> shown; // may be empty
    std::function<CaretPlan(CaretKey key)> planKey;
    std::function<CaretPlan(const ui::Control& control, int type)> planEvent;
    std::function<void(const CaretPlan& plan)> carryOut;
};

class CaretWindow {
  public:
    CaretWindow() = default;
    ~CaretWindow(); // closes the window
    CaretWindow(const CaretWindow&) = delete;
    CaretWindow& operator=(const CaretWindow&) = delete;

    // Opens the hidden window, scaled for the caret's monitor with the IDE's editor font as the
    // default of its controls, has the content build its controls, sizes and places it and
    // shows it active. The content's functions must outlive the window's loop. False when no
    // window could be made.
    bool build(const CaretWindowOpening& opening, const PopupLook& look,
               const CaretContent& content);

    // The event loop of the built window until it is accepted or cancelled; true when
    // accepted. The window stays.
    bool run(const CaretContent& content);

    void accept();
    // From inside a sent message too (the deactivation handler's).
    void cancel();
    void close();

    HWND handle() const; // nullptr when no window is open
    // The work area of the caret's monitor.
    ScreenRect workArea() const { return workArea_; }
    bool lostActivation() const { return ending_.lostActivation; }

  private:
    static LRESULT CALLBACK endingHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR data);
    LRESULT onNcActivate(HWND window, WPARAM active);
    void onActivationWaitOver(HWND window);
    void placeAtCaret(HWND window);
    void carryOut(const CaretPlan& plan, const CaretContent& content);

    CaretWindowOpening opening_;
    PopupLook look_;
    ScreenRect workArea_;
    CaretWindowEnding ending_;
    ui::OwnedWindow window_;
};

int frameHeightOf(HWND window);
// The same for a window of that style.
int frameHeight(DWORD style, DWORD exStyle);

// A control in the IDE's colours; nothing for no control.
void colourControl(ui::Control* control, std::int32_t text, std::int32_t back);

} // namespace popup
