#include "idelink/LowerCase.h"

#include "base/TextConvert.h"

#include <windows.h>

namespace idelink {

// The word typed in the IDE is matched with Windows' own mapping, the one the user's other
// programs apply; CharLowerBuffW works unit by unit in place, so the length is kept.
std::u16string lowerCaseText(std::u16string_view text) {
    std::wstring buffer = text::toWide(text);
    if (!buffer.empty())
        CharLowerBuffW(buffer.data(), static_cast<DWORD>(buffer.size()));
    return text::fromWide(buffer);
}

} // namespace idelink
