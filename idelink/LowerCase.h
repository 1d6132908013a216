#pragma once
// Lower-casing of text as the editor's words are matched against Shortcut names.
#include <string>
#include <string_view>

namespace idelink {

// Each UTF-16 unit mapped to its lower-case unit; the result has the length of the input.
std::u16string lowerCaseText(std::u16string_view text);

} // namespace idelink
