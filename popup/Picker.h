#pragma once
// The Shortcut picker: a caption-less window at the IDE's caret with a filter field, the names
// that match it and a preview of the selected name's template. Typing filters, Up, Down, Page
// Up and Page Down move the selection, Return or a double-click picks; every other ending
// cancels, as the popup's do (Win32 only).
#include "idelink/PopupContract.h"
#include "popup/CaretWindow.h"
#include "popup/PickerMatch.h"
#include "popup/PickerState.h"
#include "ui/WindowService.h"

#include <functional>
#include <optional>
#include <string>

namespace popup {

struct PickerRequest {
    std::u16string filter; // the word before the caret
    // Every Shortcut's name. The picker puts them in name order once it is on screen, unless
    // lowerNames holds their lower case already (then they are in name order).
    NameList names;
    NameList lowerNames; // their lower case, for matching
    // Set when the names may still be on their way when the picker is opened: returns once they
    // are there, false when they could not all be gathered (the picker then ends cancelled).
    std::function<bool()> namesReady;
    std::function<std::u16string(int name)> previewOf; // the preview of names[name]
    // The filter as the editor stands once the picker is active (keys typed before it took the
    // keyboard went to the editor); unset or nothing: the filter stays.
    std::function<std::optional<std::u16string>()> filterNow;
    idelink::ScreenPoint anchor; // the caret's top-left point in screen pixels
    bool afterParen = false;     // the word ends with "("
};

struct PickerResult {
    int chosen = -1;             // index into the request's names; -1: cancelled
    bool lostActivation = false; // cancelled because another window was activated
};

// What the picker's window drives: the filter, the names that match it and the preview. The
// request must outlive it.
struct PickerList {
    explicit PickerList(PickerRequest& request)
        : request(request), state(request.names, request.lowerNames,
                                  [&request](int name) { return request.previewOf(name); }) {}
    ~PickerList(); // the pending ordering goes with it
    PickerList(const PickerList&) = delete;
    PickerList& operator=(const PickerList&) = delete;

    PickerRequest& request;
    PickerState state;
    // The window's controls once built.
    ui::Window* window = nullptr;
    ui::Control* filterField = nullptr;
    ui::Control* nameList = nullptr;
    ui::Control* preview = nullptr;
    HWND timerWindow = nullptr; // where the ordering's timer waits
};

// Builds the picker in the window and shows it active at the anchor; false when no window
// could be made.
bool buildPicker(CaretWindow& window, PickerList& list, const PopupLook& look);

// The event loop of the built picker, until a name is picked or the picker is cancelled.
PickerResult runPicker(CaretWindow& window, PickerList& list);

// Both of the above, then closes the picker.
PickerResult showPicker(PickerRequest& request, const PopupLook& look);

} // namespace popup
