#include "base/LetterCase.h"

#include "base/TextConvert.h"

#include <windows.h>

namespace text {

// Windows' own mapping, the one the user's other programs apply; CharLowerBuffW and
// CharUpperBuffW work unit by unit in place, so the length is kept.
std::u16string lowerCaseText(std::u16string_view text) {
    std::wstring buffer = text::toWide(text);
    if (!buffer.empty())
        CharLowerBuffW(buffer.data(), static_cast<DWORD>(buffer.size()));
    return text::fromWide(buffer);
}

std::u16string upperCaseText(std::u16string_view text) {
    std::wstring buffer = text::toWide(text);
    if (!buffer.empty())
        CharUpperBuffW(buffer.data(), static_cast<DWORD>(buffer.size()));
    return text::fromWide(buffer);
}

} // namespace text
