#include "popup/PopupText.h"

#include "base/TextConvert.h"
#include "popup/PopupPlacement.h"

namespace popup {

std::u16string tooManyPlaceholdersMessage(int count) {
    return u"This template has " + text::utf8ToUtf16(std::to_string(count)) +
           u" placeholders; the popup takes at most " +
           text::utf8ToUtf16(std::to_string(kMaxFields)) + u". Nothing was inserted.";
}

std::u16string noMatchingNameText(std::u16string_view filter) {
    return u"No Shortcut name holds \u201C" + std::u16string(filter) + u"\u201D";
}

} // namespace popup
