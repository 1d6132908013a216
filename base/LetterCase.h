#pragma once
// Lower- and upper-casing of text: the editor's words matched against Shortcut names, and a
// field's value written again in another case.
#include <string>
#include <string_view>

namespace text {

// Each UTF-16 unit mapped to its lower-case unit; the result has the length of the input.
std::u16string lowerCaseText(std::u16string_view text);

// Each UTF-16 unit mapped to its upper-case unit; the result has the length of the input.
std::u16string upperCaseText(std::u16string_view text);

} // namespace text
