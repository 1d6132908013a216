#pragma once
// What template expansion hands to the placeholder popup and what it gets back.
#include <functional>
#include <string>
#include <vector>

namespace idelink {

struct ScreenPoint {
    int x = 0, y = 0;
};

struct PopupField {
    std::u16string label;       // the placeholder's name followed by one space
    std::u16string initialText; // its default value
    // The values Up and Down step through, in order; empty for a field without choices.
    std::vector<std::u16string> choices;
};

struct PopupRequest {
    std::vector<PopupField> fields; // at least one
    std::u16string previewText;     // line breaks already CR LF
    // The preview for the fields' values as they stand, one per field; unset when the preview
    // does not change with them.
    std::function<std::u16string(const std::vector<std::u16string>& values)> previewWith;
    ScreenPoint anchor;      // the caret's top-left point in screen pixels
    bool afterParen = false; // the word before the caret ends with "("
};

struct PopupResult {
    bool accepted = false;
    std::vector<std::u16string> values; // one per field, untrimmed; meaningful when accepted
    bool lostActivation = false;        // cancelled because another window was activated
};

} // namespace idelink
