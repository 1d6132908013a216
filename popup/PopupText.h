#pragma once
// The placeholder popup's texts. Plain C++, no Win32.
#include <string>

namespace popup {

// Shown instead of a popup for a template with more than kMaxFields placeholders.
std::u16string tooManyPlaceholdersMessage(int count);

} // namespace popup
