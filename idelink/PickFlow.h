#pragma once
// The picker's run: the Shortcut picker opened at the IDE editor's caret on the word before it
// (or on the editor's selection), and the name picked expanded as if it had been typed there.
// The editor, the picker, the popup and the library are passed in, so that the whole run is
// tested natively with a recorded editor.
#include "idelink/CaretWord.h"
#include "idelink/PopupContract.h"
#include "idelink/TemplateDirectives.h"
#include "idelink/TemplateExpansion.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace idelink {

// What the picker opens with.
struct PickerOpening {
    std::u16string filter;   // the word before the caret; empty on a selection
    bool afterParen = false; // the word ends with "("
    ScreenPoint anchor;      // the caret's top-left point in screen pixels
    // The preview of the Shortcut of that name; empty when the library holds none.
    std::function<std::u16string(std::u16string_view name)> previewOf;
    // The filter as the editor stands once the picker is active; nothing when the editor no
    // longer answers.
    std::function<std::optional<std::u16string>()> filterNow;
};

struct PickerAnswer {
    std::optional<std::u16string> name; // the name picked; nothing: cancelled
    bool lostActivation = false;        // cancelled because another window was activated
};

using PickerFunction = std::function<PickerAnswer(const PickerOpening&)>;

// The library as the picker's run reads it.
struct PickLibrary {
    // Returns once the library is read; false when it could not be read whole.
    std::function<bool()> ready;
    // The template of the Shortcut of exactly that name; nothing when there is none.
    std::function<std::optional<std::u16string>(std::u16string_view name)> templateOf;
};

// Opens the picker on the word that was read before the caret (word), or on the editor's
// selection, and expands the name picked in place of the word or the selection that stands in
// the editor then. Every directive of the previews and of the insert is read from sources.
ExpansionOutcome pickShortcut(const CaretWord& word, const EditorOps& editor,
                              const PickLibrary& library, const PickerFunction& picker,
                              const PopupFunction& popup, DirectiveSources sources);

} // namespace idelink
