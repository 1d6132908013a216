#pragma once
// The texts of the placeholder popup and of the picker. Plain C++, no Win32.
#include <string>
#include <string_view>

namespace popup {

// Shown instead of a popup for a template with more than kMaxFields placeholders.
std::u16string tooManyPlaceholdersMessage(int count);

// The picker's only row when no name holds the filter.
std::u16string noMatchingNameText(std::u16string_view filter);

} // namespace popup
