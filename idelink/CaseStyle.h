#pragma once
// A field's value written again in another case, as "%(upper:Name)" and its kin ask for it.
#include <optional>
#include <string>
#include <string_view>

namespace idelink {

enum class CaseStyle {
    Upper,  // upper:  every letter in upper case
    Lower,  // lower:  every letter in lower case
    Cap,    // cap:    the first character in upper case, the rest as typed
    Pascal, // pascal: MyWindow
    Camel,  // camel:  myWindow
    Snake,  // snake:  my_window
    Const,  // const:  MY_WINDOW
};

// The style a directive's word names ("upper", "pascal", ...), or nothing.
std::optional<CaseStyle> caseStyleNamed(std::u16string_view word);

// The value in the style. Pascal, Camel, Snake and Const split it into words first: at spaces,
// tabs, "_" and "-", and where a lower-case letter or a digit is followed by an upper-case one.
std::u16string inCaseStyle(CaseStyle style, std::u16string_view value);

} // namespace idelink
