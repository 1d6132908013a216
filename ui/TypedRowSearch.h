// Typing in a list makes the row current whose text begins with the typed letters, as the
// system's lists do. Plain C++, no Win32.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace ui {

// Letters typed within this many milliseconds of each other are one search text.
constexpr std::uint32_t kTypingPauseMilliseconds = 1000;

// What a list remembers between two typed letters.
struct TypedRowSearch {
    std::u16string typed; // lower case
    std::uint32_t lastKeyTime = 0;
};

// The row that the typed character makes current, or -1 when the current row stays: no row
// begins with the text typed so far, or the character is a control character. time is the
// key's time in milliseconds; current is -1 for none.
int rowForTypedCharacter(TypedRowSearch& search, char16_t character, std::uint32_t time,
                         int current, int count,
                         const std::function<std::u16string(int row)>& rowText);

} // namespace ui
