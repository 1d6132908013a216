#include "popup/PopupChoices.h"

#include <algorithm>

namespace popup {

std::optional<std::u16string> steppedChoice(const std::vector<std::u16string>& choices,
                                            std::u16string_view fieldText, int step) {
    if (choices.empty() || step == 0)
        return std::nullopt;
    // A value listed twice stands at its first place, so stepping on from it is the same each time.
    const auto found = std::find(choices.begin(), choices.end(), fieldText);
    // Typed text stands before the list: Up from it also shows the first choice, back in the list.
    if (found == choices.end())
        return choices.front();
    const auto index = (found - choices.begin()) + (step > 0 ? 1 : -1);
    if (index < 0 || index >= std::ssize(choices))
        return std::nullopt;
    return choices[size_t(index)];
}

} // namespace popup
