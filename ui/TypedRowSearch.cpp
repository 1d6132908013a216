#include "ui/TypedRowSearch.h"

#include "base/LetterCase.h"

#include <algorithm>

namespace ui {

// A text of one letter, or of one letter typed again and again, goes on from the row after the
// current one: each press visits the next row with that letter. A longer text begins at the
// current row itself, which its first letters found. Either way the search goes round past the
// last row to the first, and letter case does not count.
int rowForTypedCharacter(TypedRowSearch& search, char16_t character, std::uint32_t time,
                         int current, int count,
                         const std::function<std::u16string(int row)>& rowText) {
    if (character < u' ' || count <= 0 || !rowText)
        return -1;
    // Unsigned, so that the tick count going round past zero still gives the pause.
    if (search.typed.empty() || time - search.lastKeyTime > kTypingPauseMilliseconds)
        search.typed.clear();
    search.lastKeyTime = time;
    search.typed += text::lowerCaseText(std::u16string(1, character));
    const bool oneLetter = std::all_of(search.typed.begin(), search.typed.end(),
                                       [&](char16_t unit) { return unit == search.typed.front(); });
    const std::u16string wanted = oneLetter ? search.typed.substr(0, 1) : search.typed;
    const int first = current < 0 ? 0 : (oneLetter ? current + 1 : current);
    for (int step = 0; step < count; ++step) {
        const int row = (first + step) % count;
        const std::u16string text = rowText(row);
        if (text.size() >= wanted.size() &&
            text::lowerCaseText(std::u16string_view(text).substr(0, wanted.size())) == wanted)
            return row;
    }
    return -1;
}

} // namespace ui
