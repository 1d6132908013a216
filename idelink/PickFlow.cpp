#include "idelink/PickFlow.h"

#include "base/LetterCase.h"

namespace idelink {

namespace {

bool answers(const EditorOps& editor) {
    return !editor.editorAnswers || editor.editorAnswers();
}

std::optional<WrappedSelection> selectionNow(const EditorOps& editor) {
    return editor.currentSelection ? editor.currentSelection() : std::nullopt;
}

// The word before the caret as the editor holds it now; no word when it cannot be read.
CaretWord caretWordNow(const EditorOps& editor) {
    const std::optional<LineAtCaret> line =
        editor.lineAtCaret ? editor.lineAtCaret() : std::nullopt;
    return line ? findCaretWord(*line) : CaretWord{};
}

ExpansionOutcome leftAlone() {
    return {ExpansionOutcome::End::LeftAlone};
}

} // namespace

// Started on a selection, the pick wraps the selection in the template picked, whatever word
// stands before the caret. The caret's screen point is read while the library is still being
// read; the library is waited for only then.
ExpansionOutcome pickShortcut(const CaretWord& word, const EditorOps& editor,
                              const PickLibrary& library, const PickerFunction& picker,
                              const PopupFunction& popup, DirectiveSources sources) {
    const std::optional<WrappedSelection> selection = selectionNow(editor);
    const int64_t caretPos = editor.caretPosition();
    // A caret closer to the start of the text than the word is long: the editor changed since the
    // word was read.
    if (!answers(editor) || caretPos < (selection ? 0 : word.wordBytes))
        return leftAlone();
    PickerOpening opening;
    opening.anchor = editor.caretScreenPoint(caretPos);
    // Out of memory while the library was read: no picker rather than a part of the library.
    if (!library.ready() || !answers(editor))
        return leftAlone();
    if (selection) {
        sources.selection = selection->text;
        sources.selectionIndentation = selection->indentation;
    } else {
        opening.filter = word.caretWord;
        opening.afterParen = endsWithParen(word.caretWord);
    }
    // One set of sources for the previews and the insert: the clock and the clipboard are read
    // once, and what the preview showed goes in.
    opening.previewOf = [&library, &sources](std::u16string_view name) {
        const std::optional<std::u16string> templateText = library.templateOf(name);
        if (!templateText)
            return std::u16string();
        sources.shortcutName = name;
        return templatePreview(*templateText, sources);
    };
    // Keys typed between the start and the picker taking the keyboard reached the editor: the
    // filter shows the word as it stands once the picker is active.
    opening.filterNow = [&editor]() -> std::optional<std::u16string> {
        if (selectionNow(editor))
            return std::u16string();
        const CaretWord now = caretWordNow(editor);
        return answers(editor) ? std::optional(now.caretWord) : std::nullopt;
    };
    const PickerAnswer picked = picker(opening);
    if (!picked.name) {
        giveBackAfterCancel(editor, picked.lostActivation, selection ? &*selection : nullptr,
                            caretPos);
        return leftAlone();
    }
    const std::optional<std::u16string> templateText = library.templateOf(*picked.name);
    if (!templateText)
        return leftAlone();
    sources.shortcutName = *picked.name;
    // As if the name had been typed in place of the word, or at the selection's start: the ones
    // that stand there now, for the same keys may have reached the editor meanwhile.
    if (const std::optional<WrappedSelection> selected = selectionNow(editor)) {
        CaretWord typed;
        typed.caretWord = text::lowerCaseText(*picked.name);
        typed.wordIndent = int(selected->indentation.size());
        typed.indentation = selected->indentation;
        return expandShortcut(*templateText, typed, editor, popup, sources, &*selected);
    }
    if (!answers(editor))
        return leftAlone();
    CaretWord typed = caretWordNow(editor);
    if (!typed.line)
        return leftAlone();
    typed.caretWord = text::lowerCaseText(*picked.name);
    return expandShortcut(*templateText, typed, editor, popup, sources);
}

} // namespace idelink
