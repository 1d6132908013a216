#pragma once
// The Shortcut picker: a caption-less window at the IDE's caret with a filter field, the names
// that match it and a preview of the selected name's template. Typing filters, Up, Down, Page
// Up and Page Down move the selection, Return or a double-click picks; every other ending
// cancels, as the popup's do (Win32 only).
#include "idelink/PopupContract.h"
#include "popup/CaretWindow.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace popup {

inline constexpr int kPickerWindow = 1;
inline constexpr int kFilterControl = 1;
inline constexpr int kNameListControl = 2;
inline constexpr int kPickerPreviewControl = 3;

struct PickerRequest {
    std::u16string filter;                             // the word before the caret
    std::vector<std::u16string> names;                 // every Shortcut's name, in name order
    std::vector<std::u16string> lowerNames;            // their lower case, for matching
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

// Builds the picker and shows it active at the anchor; false when no window could be made.
// The request must outlive the picker.
bool buildPicker(const PickerRequest& request, const PopupLook& look);

// The event loop of the built picker, until a name is picked or the picker is cancelled.
PickerResult runPicker();

// Both of the above, then closes the picker.
PickerResult showPicker(const PickerRequest& request, const PopupLook& look);

} // namespace popup
