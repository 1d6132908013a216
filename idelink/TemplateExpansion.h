#pragma once
// Expansion of a Shortcut's template in place of the word before the IDE editor's caret.
// Template text is one line in which kLineSeparator separates the lines and "%" opens a
// placeholder.
#include "idelink/CaretWord.h"
#include "idelink/PopupContract.h"
#include "store/ShortcutStore.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace idelink {

using store::kLineSeparator;

struct Placeholder {
    std::u16string spec;        // the text after "%", e.g. "Width=800"
    std::u16string name;        // spec up to its first "="
    std::u16string defaultText; // between the first "=" and a second "=" or the end
};

// The placeholders in order of first appearance, one per distinct spec; nullopt when the
// template is to be inserted literally.
std::optional<std::vector<Placeholder>> scanPlaceholders(std::u16string_view templateText);

// The working text: every placeholder of the template turned into its bare name.
std::u16string prepareTemplate(std::u16string_view templateText,
                               const std::vector<Placeholder>& placeholders);

// The popup's preview of the working text, with CR LF line breaks.
std::u16string makePreviewText(std::u16string_view workingText, std::u16string_view caretWord);

PopupRequest makePopupRequest(const std::vector<Placeholder>& placeholders,
                              std::u16string_view workingText, std::u16string_view caretWord,
                              ScreenPoint anchor);

// values[i] belongs to placeholders[i], as the popup returned it (untrimmed).
std::u16string applyValues(std::u16string_view workingText,
                           const std::vector<Placeholder>& placeholders,
                           const std::vector<std::u16string>& values);

struct FinishedText {
    std::string utf8;           // what the editor receives
    int64_t firstLineBytes = 0; // UTF-8 bytes of the text's first line
};

// Line separators become CR LF followed by wordIndent spaces.
FinishedText finishText(std::u16string_view text, int wordIndent);

// The IDE editor as expansion uses it. Positions and lengths are UTF-8 byte offsets.
struct EditorOps {
    std::function<int64_t()> caretPosition;
    std::function<ScreenPoint(int64_t position)> caretScreenPoint;
    // Replaces the bytes from caretPos - wordBytes up to caretPos by the text.
    std::function<void(int64_t wordBytes, int64_t caretPos, const std::string& utf8Text)>
        replaceWord;
    std::function<void(int64_t position)> placeCaret; // an empty selection at the position
    std::function<void()> returnForegroundToIde;
    std::function<bool()> ideIsForeground;
    // False once the editor has failed to answer in time; then nothing more is asked of it.
    // Unset: an editor that always answers.
    std::function<bool()> editorAnswers;
};

// After a window at the caret lost the foreground to a click: the IDE in front again, its caret
// back at caretPos.
void giveCaretBack(const EditorOps& editor, int64_t caretPos);

// A template as the popup previews it: placeholders by name, line separators as CR LF.
std::u16string templatePreview(std::u16string_view templateText);

using PopupFunction = std::function<PopupResult(const PopupRequest&)>;

// Replaces the word that ends at the editor's caret (its wordBytes bytes, 0 to insert at the
// caret) by the expanded template and leaves the caret at the end of the first inserted line; asks
// the popup for the placeholders' values first when there are any. A cancelled popup, an editor
// that stopped answering or a caret that cannot hold the word leaves the editor's text untouched.
void expandShortcut(std::u16string_view templateText, const CaretWord& word,
                    const EditorOps& editor, const PopupFunction& popup);

} // namespace idelink
