#pragma once
// The Shortcut picker: a caption-less window at the IDE's caret with a filter field, the names
// that match it and a preview of the selected name's template. Typing filters, Up, Down, Page
// Up and Page Down move the selection, Return or a double-click picks; every other ending
// cancels, as the popup's do (Win32 only).
#include "idelink/PopupContract.h"
#include "popup/CaretWindow.h"

#include <functional>
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
    std::function<std::u16string(int name)> previewOf; // the preview of names[name]
    idelink::ScreenPoint anchor; // the caret's top-left point in screen pixels
    bool afterParen = false;     // the word ends with "("
};

struct PickerResult {
    int chosen = -1;             // index into the request's names; -1: cancelled
    bool lostActivation = false; // cancelled because another window was activated
};

// Shows the picker at the anchor until a name is picked or the picker is cancelled, then
// closes it.
PickerResult showPicker(const PickerRequest& request, const PopupLook& look);

} // namespace popup
