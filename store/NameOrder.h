#pragma once
// How names compare: the fold of ASCII letters, by which group and key names ignore case, and
// the three orders Shortcut names are listed and written in. Plain C++, no Win32.
#include <algorithm>
#include <compare>
#include <string_view>
#include <type_traits>

namespace store {

// "A".."Z" as "a".."z" and every other unit as it is, for UTF-8 bytes and UTF-16 units alike:
// no other unit of either encoding is an ASCII letter.
template <typename Unit> constexpr Unit foldAsciiLetter(Unit unit) {
    return unit >= Unit('A') && unit <= Unit('Z') ? Unit(unit - Unit('A') + Unit('a')) : unit;
}

// Unit by unit with ASCII letters folded, every unit taken as unsigned: a UTF-8 byte above 0x7F
// comes after every ASCII one, as its character does.
template <typename Unit>
std::strong_ordering compareFoldingAscii(std::basic_string_view<Unit> a,
                                         std::basic_string_view<Unit> b) {
    using Unsigned = std::make_unsigned_t<Unit>;
    return std::lexicographical_compare_three_way(
        a.begin(), a.end(), b.begin(), b.end(), [](Unit x, Unit y) {
            return Unsigned(foldAsciiLetter(x)) <=> Unsigned(foldAsciiLetter(y));
        });
}

// The three orders put "If" beside "if" and "_" before every letter. Each sorts the form of the
// names its reader holds, and where they part it is for that reader:
// - The manager's list sorts the names it shows (UTF-16) with only ASCII letters folded, so the
//   order needs no case mapping of the system's and is the same natively and on Windows. Names
//   equal that way ("If", "if") keep the order they came in: its callers sort stably.
// - The library file sorts the UTF-8 it writes, and the exact bytes decide between names equal
//   that way, so one library always gives the same file whatever order the store hands its
//   names out in. UTF-8 bytes order by code point and UTF-16 units do not: a name beyond U+FFFF
//   stands after one of U+E000..U+FFFF in the file and before it in the list.
// - The picker sorts by the lower case it matches its filter in (text::lowerCaseText, which
//   folds "É" with "é" too), then by the names as written, so each group of matches it lists is
//   in this order without a sort of its own.
inline bool inManagerOrder(std::u16string_view a, std::u16string_view b) {
    return compareFoldingAscii(a, b) < 0;
}

inline bool inFileOrder(std::string_view utf8A, std::string_view utf8B) {
    const std::strong_ordering order = compareFoldingAscii(utf8A, utf8B);
    return order != 0 ? order < 0 : utf8A < utf8B;
}

inline bool inPickerOrder(std::u16string_view lowerA, std::u16string_view nameA,
                          std::u16string_view lowerB, std::u16string_view nameB) {
    const int byLower = lowerA.compare(lowerB);
    return byLower != 0 ? byLower < 0 : nameA < nameB;
}

} // namespace store
