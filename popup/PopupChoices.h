#pragma once
// Where Up and Down take a placeholder field that offers choices. No Win32 here, so the rule is
// checked natively.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace popup {

// The text the field shows after a step through its choices (+1 Down, -1 Up); nullopt when the
// field stays as it is.
std::optional<std::u16string> steppedChoice(const std::vector<std::u16string>& choices,
                                            std::u16string_view fieldText, int step);

} // namespace popup
