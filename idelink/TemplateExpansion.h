#pragma once
// Expansion of a Shortcut's template in place of the word before the IDE editor's caret.
// Template text is one line in which kLineSeparator separates the lines and "%" opens a
// placeholder.
#include "idelink/CaretWord.h"
#include "idelink/PopupContract.h"
#include "idelink/TemplateDirectives.h"
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
    // With more than one "=": the texts between them and after the last, defaultText first.
    std::vector<std::u16string> choices;
};

// Whether the "%" at percent, outside a directive, makes its whole template literal: one that
// no placeholder's spec follows, or whose spec begins with "=".
bool percentMakesLiteral(std::u16string_view templateText, size_t percent);

// The placeholders in order of first appearance, one per distinct spec, directives left out,
// those of the templates it uses (through sources.shortcutTemplate) included; nullopt when there
// are none, as in a template that is to be inserted without any.
std::optional<std::vector<Placeholder>> scanPlaceholders(std::u16string_view templateText,
                                                         const DirectiveSources& sources = {});

// A stretch of the text being expanded. Only the template's own text is searched for names and
// has its line separators broken; what the user typed is never searched again, and what a
// directive put in is neither searched nor broken at a kLineSeparator.
struct TextPiece {
    enum class Kind {
        Template,       // the text of a template with placeholders, names where they stood
        Literal,        // text that goes in as written: that of a template without placeholders,
                        // or a directive that names nothing; its line separators break lines
        FieldValue,     // what the user typed
        FieldCopy,      // a field's value again in another case (its current one in text)
        DirectiveValue, // what a directive read
        CaretMark,
    };
    Kind kind = Kind::Template;
    std::u16string text;
    // DirectiveValue: what stood before its first line where it was read, as indentation.
    std::u16string firstIndentation = {};
    int field = -1; // FieldCopy: the placeholder whose value it is
    CaseStyle caseStyle = CaseStyle::Upper;
};

struct WorkingText {
    std::vector<TextPiece> pieces;
    std::u16string joined() const; // every piece's text, in order
};

// A template read for its expansion, with the templates it uses in place of their "%(use:...)".
struct PreparedTemplate {
    std::vector<Placeholder> placeholders; // the popup's fields; none: no popup
    // Every placeholder turned into its bare name, every directive into its value, and every
    // field copy into the field's default in its style.
    WorkingText working;
    bool readsSelection = false; // a "%(sel)" put the selection in
};

PreparedTemplate prepareTemplate(std::u16string_view templateText,
                                 const DirectiveSources& sources = {});

// The popup's preview of the working text, with CR LF line breaks and no caret mark.
std::u16string makePreviewText(const WorkingText& working, std::u16string_view caretWord);

PopupRequest makePopupRequest(const std::vector<Placeholder>& placeholders,
                              const WorkingText& working, std::u16string_view caretWord,
                              ScreenPoint anchor);

// The working text with each field copy showing its field's value: values[i] belongs to
// placeholders[i], untrimmed, and a field without a value shows its default.
WorkingText withFieldCopies(const WorkingText& working,
                            const std::vector<Placeholder>& placeholders,
                            const std::vector<std::u16string>& values);

// values[i] belongs to placeholders[i], as the popup returned it (untrimmed).
WorkingText applyValues(const WorkingText& working, const std::vector<Placeholder>& placeholders,
                        const std::vector<std::u16string>& values);

// Where the text goes in: what stands before it on its line, the document's line break and its
// code page.
struct InsertPlace {
    // The line's text before the word (or the selection), every unit but a tab turned into a
    // space: the indentation of the further lines.
    std::u16string indentation;
    std::u16string_view lineBreak = u"\r\n";
    int codePage = text::kUtf8CodePage;
};

struct FinishedText {
    std::string bytes;      // what the editor receives, in the document's code page
    int64_t caretBytes = 0; // bytes before the caret's place in it
    // The first character the document's code page cannot hold; bytes is empty then.
    std::optional<char32_t> cannotHold;
};

// Line separators become line breaks followed by the indentation; the caret goes to the first
// caret mark, or else to the first line break, or else to the end.
FinishedText finishText(const WorkingText& text, const InsertPlace& place);

// The line break of a document in the editor's line-break mode: 0 CR LF, 1 CR, 2 LF; any other
// mode CR LF.
std::u16string_view lineBreakOfMode(int64_t mode);

// The IDE editor as expansion uses it. Positions and lengths count the document's bytes.
struct EditorOps {
    std::function<int64_t()> caretPosition;
    std::function<ScreenPoint(int64_t position)> caretScreenPoint;
    // Replaces the bytes from caretPos - wordBytes up to caretPos by the text's bytes.
    std::function<void(int64_t wordBytes, int64_t caretPos, const std::string& bytes)> replaceWord;
    std::function<void(int64_t position)> placeCaret; // an empty selection at the position
    // The selection from anchor to caret; unset: only the caret is placed.
    std::function<void(int64_t anchor, int64_t caret)> placeSelection;
    // The document's line-break mode (see lineBreakOfMode); unset: CR LF.
    std::function<int64_t()> lineBreakMode;
    // The caret's line up to the caret and the selection as they stand now, read again just
    // before the text goes in to tell whether the user changed them meanwhile; unset: not
    // checked. Nullopt when the editor could not be read. Only the bytes and the caret are
    // compared: the code page need not be asked again.
    std::function<std::optional<LineAtCaret>()> lineBeforeCaret;
    std::function<std::optional<struct WrappedSelection>()> currentSelection;
    // The caret's line up to the caret with the document's code page, from which the word before
    // the caret is read as it stands now; nullopt when the editor could not be read.
    std::function<std::optional<LineAtCaret>()> lineAtCaret;
    std::function<void()> returnForegroundToIde;
    std::function<bool()> ideIsForeground;
    // False once the editor has failed to answer in time; then nothing more is asked of it.
    // Unset: an editor that always answers.
    std::function<bool()> editorAnswers;
};

// After a window at the caret lost the foreground to a click: the IDE in front again, its caret
// back at caretPos.
void giveCaretBack(const EditorOps& editor, int64_t caretPos);

// A template as the popup and the picker preview it: placeholders by name, directives by their
// values, line separators as CR LF.
std::u16string templatePreview(std::u16string_view templateText,
                               const DirectiveSources& sources = {});

using PopupFunction = std::function<PopupResult(const PopupRequest&)>;

// A selection that the expansion replaces in place of the word before the caret.
struct WrappedSelection {
    int64_t anchor = 0; // the selection as the editor had it
    int64_t caret = 0;
    std::u16string text;        // the selected text, which %(sel) puts in
    std::u16string indentation; // the line's text before the selection's start, as indentation
    std::string bytes = {};     // the selected text as the editor holds it
    int codePage = text::kUtf8CodePage;
};

// The same for a selection being wrapped: its anchor and caret back as they were (only the caret
// where the editor cannot place a selection).
void giveSelectionBack(const EditorOps& editor, const WrappedSelection& selection);

// After a window at the caret was cancelled: when it lost the foreground to another window, the
// selection being wrapped (nullptr: none) given back, or else the caret at caretPos.
void giveBackAfterCancel(const EditorOps& editor, bool lostActivation,
                         const WrappedSelection* selection, int64_t caretPos);

// How an expansion ended. Every end but Inserted left the editor's text as it was; the last
// three are for the user to be told.
struct ExpansionOutcome {
    enum class End {
        Inserted,
        // Cancelled, the editor stopped answering, or the word or the selection no longer stands
        // as it was read: the user went on typing.
        LeftAlone,
        CannotHold,       // a character of the text has no bytes in the document's code page
        SelectionNotText, // the selection's bytes are no text of that code page: wrapping would
                          // change them
        ZeroCharacter,    // the text holds U+0000, at which the editor would cut it short
    };
    End end = End::LeftAlone;
    char32_t character = 0; // CannotHold: the first character that cannot go in
    int codePage = text::kUtf8CodePage;
};

// Replaces the word that ends at the editor's caret (its wordBytes bytes, 0 to insert at the
// caret), or the selection when one is given, by the expanded template and leaves the caret at
// its caret mark or the end of the first inserted line; asks the popup for the placeholders'
// values first when there are any. The text goes in in the document's code page, and only where
// the word (or the selection) still stands as it was read.
ExpansionOutcome expandShortcut(std::u16string_view templateText, const CaretWord& word,
                                const EditorOps& editor, const PopupFunction& popup,
                                const DirectiveSources& sources = {},
                                const WrappedSelection* selection = nullptr);

} // namespace idelink
