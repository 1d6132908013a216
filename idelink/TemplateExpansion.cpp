#include "idelink/TemplateExpansion.h"

#include "base/LetterCase.h"
#include "base/TextConvert.h"
#include "idelink/ScintillaMessages.h"

#include <algorithm>
#include <memory>
#include <limits>
#include <unordered_map>
#include <unordered_set>

namespace idelink {

namespace {

bool endsSpec(char16_t c) {
    switch (c) {
    case u' ':
    case u',':
    case kLineSeparator:
    case u'(':
    case u')':
    case u'.':
    case u'%':
        return true;
    default:
        return false;
    }
}

// The spec of the placeholder whose "%" stands at percent.
std::u16string_view specAt(std::u16string_view text, size_t percent) {
    size_t end = percent + 1;
    while (end < text.size() && !endsSpec(text[end]))
        ++end;
    return text.substr(percent + 1, end - percent - 1);
}

Placeholder placeholderFromSpec(std::u16string_view spec) {
    Placeholder placeholder;
    placeholder.spec = std::u16string(spec);
    const size_t firstEquals = spec.find(u'=');
    placeholder.name = std::u16string(spec.substr(0, firstEquals));
    if (firstEquals == spec.npos)
        return placeholder;
    const std::u16string_view rest = spec.substr(firstEquals + 1);
    placeholder.defaultText = std::u16string(rest.substr(0, rest.find(u'=')));
    // An older version shows the first choice and drops the rest, so the first is the default.
    if (rest.find(u'=') != rest.npos) {
        size_t from = 0;
        for (size_t equals = rest.find(u'=');; equals = rest.find(u'=', from)) {
            placeholder.choices.emplace_back(rest.substr(from, equals - from));
            if (equals == rest.npos)
                break;
            from = equals + 1;
        }
    }
    return placeholder;
}

// Calls onPercent(at) for every "%" of the template outside its directives and
// onDirective(index) for each directive, in the order they stand.
template <typename OnPercent, typename OnDirective>
void walkTemplate(std::u16string_view templateText, const std::vector<Directive>& directives,
                  OnPercent onPercent, OnDirective onDirective) {
    size_t next = 0; // the next directive
    for (size_t at = templateText.find(u'%'); at != templateText.npos;) {
        if (next < directives.size() && directives[next].at == at) {
            onDirective(next);
            at = templateText.find(u'%', at + directives[next].length);
            ++next;
            continue;
        }
        onPercent(at);
        at = templateText.find(u'%', at + 1);
    }
}

// A stretch of a template as it is read, with the templates it uses read into it.
struct TemplatePart {
    enum class Kind { Text, Literal, Placeholder, Directive };
    Kind kind = Kind::Text;
    std::u16string_view text; // Text, Literal: the text; Placeholder: its spec; Directive: as
                              // written
    Directive directive = {}; // Directive
    int field = -1;           // a FieldCase directive: the placeholder it copies
};

// Everything a template reads into: the templates it uses are kept here, and the parts point
// into them.
struct ReadTemplate {
    std::vector<std::unique_ptr<const std::u16string>> used; // allocated only when used
    std::vector<TemplatePart> parts;
    std::vector<Placeholder> placeholders;
};

bool isLiteral(std::u16string_view text, const std::vector<Directive>& directives) {
    bool literal = false;
    walkTemplate(
        text, directives,
        [&](size_t percent) { literal = literal || percentMakesLiteral(text, percent); },
        [](size_t) {});
    return literal;
}

struct TemplateReader {
    const DirectiveSources& sources;
    ReadTemplate& read;
    std::vector<std::u16string_view> inserting; // the Shortcuts being inserted, outermost first
    size_t unitsRead = 0;

    void addText(std::u16string_view text, bool literal) {
        if (!text.empty())
            read.parts.push_back(
                {literal ? TemplatePart::Kind::Literal : TemplatePart::Kind::Text, text});
    }

    // Each template decides for itself whether it is literal: one used inside another goes in
    // as written when it would on its own.
    void readText(std::u16string_view text, int depth) {
        std::vector<Directive> directives = scanDirectives(text);
        const bool literal = isLiteral(text, directives);
        size_t from = 0;
        walkTemplate(
            text, directives,
            [&](size_t percent) {
                if (literal)
                    return;
                addText(text.substr(from, percent - from), false);
                const std::u16string_view spec = specAt(text, percent);
                read.parts.push_back({TemplatePart::Kind::Placeholder, spec});
                from = percent + 1 + spec.size();
            },
            [&](size_t index) {
                Directive& directive = directives[index];
                addText(text.substr(from, directive.at - from), literal);
                from = directive.at + directive.length;
                const std::u16string_view written = text.substr(directive.at, directive.length);
                if (directive.kind != DirectiveKind::Use)
                    read.parts.push_back(
                        {TemplatePart::Kind::Directive, written, std::move(directive)});
                else if (!use(directive.argument, depth))
                    addText(written, true);
            });
        addText(text.substr(from), literal);
    }

    // Reads the template of the Shortcut name in place of a "%(use:name)" at depth; false when it
    // stays text.
    bool use(std::u16string_view name, int depth) {
        if (depth >= kMaxUseDepth || !sources.shortcutTemplate ||
            std::find(inserting.begin(), inserting.end(), name) != inserting.end())
            return false;
        std::optional<std::u16string> found = sources.shortcutTemplate(name);
        if (!found || found->size() > kMaxTemplateUnits - unitsRead)
            return false;
        unitsRead += found->size();
        read.used.push_back(std::make_unique<const std::u16string>(std::move(*found)));
        inserting.push_back(name);
        readText(*read.used.back(), depth + 1);
        inserting.pop_back();
        return true;
    }
};

// The template's parts and its placeholders; a field copy that names no placeholder is text.
ReadTemplate readTemplate(std::u16string_view templateText, const DirectiveSources& sources) {
    ReadTemplate read;
    // A part for about every "%" and one for the text after each.
    read.parts.reserve(2 * size_t(std::count(templateText.begin(), templateText.end(), u'%')) + 1);
    TemplateReader reader{sources, read, {}, std::min(templateText.size(), kMaxTemplateUnits)};
    if (!sources.shortcutName.empty())
        reader.inserting.push_back(sources.shortcutName);
    reader.readText(templateText, 0);

    std::unordered_set<std::u16string_view> seen; // views into the templates
    for (const TemplatePart& part : read.parts)
        if (part.kind == TemplatePart::Kind::Placeholder && seen.insert(part.text).second)
            read.placeholders.push_back(placeholderFromSpec(part.text));
    for (TemplatePart& part : read.parts) {
        if (part.kind != TemplatePart::Kind::Directive ||
            part.directive.kind != DirectiveKind::FieldCase)
            continue;
        const auto named = std::find_if(read.placeholders.begin(), read.placeholders.end(),
                                        [&](const Placeholder& placeholder) {
                                            return placeholder.name == part.directive.argument;
                                        });
        if (named == read.placeholders.end())
            part.kind = TemplatePart::Kind::Literal;
        else
            part.field = int(named - read.placeholders.begin());
    }
    return read;
}

std::u16string_view trimmedValue(const std::vector<Placeholder>& placeholders,
                                 const std::vector<std::u16string>& values, size_t field) {
    // A field the popup did not report is taken as left at its default.
    return text::trimSpaces(field < values.size() ? values[field]
                                                  : placeholders[field].defaultText);
}

} // namespace

// A "%" followed at once by a space, a bracket or the like is the code's own operator, so the
// template goes in as written. So does one followed by "=": a nameless placeholder leaves
// nothing in the working text to put its value into, and the user's value would silently vanish.
bool percentMakesLiteral(std::u16string_view templateText, size_t percent) {
    const std::u16string_view spec = specAt(templateText, percent);
    return spec.empty() || spec.front() == u'=';
}

std::optional<std::vector<Placeholder>> scanPlaceholders(std::u16string_view templateText,
                                                         const DirectiveSources& sources) {
    if (templateText.find(u'%') == templateText.npos)
        return std::nullopt;
    ReadTemplate read = readTemplate(templateText, sources);
    if (read.placeholders.empty())
        return std::nullopt;
    return std::move(read.placeholders);
}

std::u16string WorkingText::joined() const {
    std::u16string text;
    for (const TextPiece& piece : pieces)
        text += piece.text;
    return text;
}

// Each "%" is matched with its whole spec, up to the character that ends it. Matching the
// text "%" + spec wherever it occurs would let the spec "a" eat the start of "%a=1" in
// "%a %a=1" and leave a stray "=1" behind in the inserted code.
PreparedTemplate prepareTemplate(std::u16string_view templateText,
                                 const DirectiveSources& sources) {
    ReadTemplate read = readTemplate(templateText, sources);
    PreparedTemplate prepared;
    std::unordered_map<std::u16string_view, const std::u16string*> nameOfSpec;
    for (const Placeholder& placeholder : read.placeholders)
        nameOfSpec.try_emplace(placeholder.spec, &placeholder.name);
    DirectiveReading reading(sources);

    std::vector<TextPiece>& pieces = prepared.working.pieces;
    std::u16string own; // the template's text since the last piece of another kind
    own.reserve(templateText.size());
    const auto endOwn = [&] {
        if (!own.empty())
            pieces.push_back({TextPiece::Kind::Template, std::move(own)});
        own.clear();
    };
    for (const TemplatePart& part : read.parts) {
        switch (part.kind) {
        case TemplatePart::Kind::Text:
            own.append(part.text);
            break;
        case TemplatePart::Kind::Placeholder:
            own.append(*nameOfSpec.at(part.text));
            break;
        case TemplatePart::Kind::Literal:
            endOwn();
            if (!pieces.empty() && pieces.back().kind == TextPiece::Kind::Literal)
                pieces.back().text.append(part.text);
            else
                pieces.push_back({TextPiece::Kind::Literal, std::u16string(part.text)});
            break;
        case TemplatePart::Kind::Directive: {
            endOwn();
            const DirectiveKind kind = part.directive.kind;
            if (kind == DirectiveKind::Caret) {
                pieces.push_back({TextPiece::Kind::CaretMark, {}});
            } else if (kind == DirectiveKind::FieldCase) {
                TextPiece copy;
                copy.kind = TextPiece::Kind::FieldCopy;
                copy.field = part.field;
                copy.caseStyle = part.directive.caseStyle;
                copy.text = inCaseStyle(
                    copy.caseStyle,
                    text::trimSpaces(read.placeholders[size_t(part.field)].defaultText));
                pieces.push_back(std::move(copy));
            } else {
                prepared.readsSelection =
                    prepared.readsSelection || kind == DirectiveKind::Selection;
                std::u16string value = reading.valueOf(part.directive);
                if (!value.empty())
                    pieces.push_back({TextPiece::Kind::DirectiveValue, std::move(value),
                                      kind == DirectiveKind::Selection
                                          ? sources.selectionIndentation
                                          : std::u16string()});
            }
            break;
        }
        }
    }
    endOwn();
    prepared.placeholders = std::move(read.placeholders);
    return prepared;
}

namespace {
// The finished text as the editor would get it, in UTF-16, and the caret's place in it.
std::u16string finishedText(const WorkingText& working, const InsertPlace& place, size_t& caret);
} // namespace

// The text as it goes in, at the start of a line and with CR LF; a caret mark shows nothing.
std::u16string makePreviewText(const WorkingText& working, std::u16string_view caretWord) {
    size_t caret = 0;
    std::u16string preview = finishedText(working, {}, caret);
    // The popup opens at the caret, just after the call's "(", so the preview starts there
    // too; the template may spell the call's name in any case.
    if (endsWithParen(caretWord)) {
        const size_t at = text::lowerCaseText(preview).find(text::lowerCaseText(caretWord));
        if (at != preview.npos)
            preview.erase(at, caretWord.size());
    }
    return preview;
}

PopupRequest makePopupRequest(const std::vector<Placeholder>& placeholders,
                              const WorkingText& working, std::u16string_view caretWord,
                              ScreenPoint anchor) {
    PopupRequest request;
    request.fields.reserve(placeholders.size());
    for (const Placeholder& placeholder : placeholders)
        request.fields.push_back(
            {placeholder.name + u" ", placeholder.defaultText, placeholder.choices});
    request.previewText = makePreviewText(working, caretWord);
    const bool copiesFields =
        std::any_of(working.pieces.begin(), working.pieces.end(), [](const TextPiece& piece) {
            return piece.kind == TextPiece::Kind::FieldCopy;
        });
    if (copiesFields)
        request.previewWith = [working, placeholders, caretWord = std::u16string(caretWord)](
                                  const std::vector<std::u16string>& values) {
            return makePreviewText(withFieldCopies(working, placeholders, values), caretWord);
        };
    request.anchor = anchor;
    request.afterParen = endsWithParen(caretWord);
    return request;
}

namespace {

// Which of 64 classes of units a text holds (a unit's class: its value modulo 64). A text can
// hold a pattern only if it holds every class the pattern does; most pieces of a template with
// many placeholders are told apart from most names this way without a search.
uint64_t unitClasses(std::u16string_view text) {
    uint64_t classes = 0;
    for (const char16_t unit : text)
        classes |= uint64_t(1) << (unit & 63);
    return classes;
}

// The template's pieces with the unit classes of each (0 for the pieces never searched).
struct SearchedPieces {
    std::vector<TextPiece>& pieces;
    std::vector<uint64_t> classes;

    explicit SearchedPieces(std::vector<TextPiece>& all) : pieces(all) {
        classes.reserve(all.size());
        for (const TextPiece& piece : all)
            classes.push_back(classesOf(piece));
    }
    static uint64_t classesOf(const TextPiece& piece) {
        return piece.kind == TextPiece::Kind::Template ? unitClasses(piece.text) : 0;
    }
    bool holds(size_t index, std::u16string_view pattern, uint64_t patternClasses) const {
        return (classes[index] & patternClasses) == patternClasses &&
               pieces[index].kind == TextPiece::Kind::Template &&
               pieces[index].text.find(pattern) != std::u16string::npos;
    }
};

// Replaces every occurrence of pattern in the template's own pieces by a value piece, or drops
// it when the value is empty. Values already in place are never searched again. The pieces
// before the first one that holds the pattern stay where they are.
void replaceInTemplateText(SearchedPieces& searched, std::u16string_view pattern,
                           std::u16string_view value) {
    std::vector<TextPiece>& pieces = searched.pieces;
    const uint64_t patternClasses = unitClasses(pattern);
    size_t first = 0;
    while (first < pieces.size() && !searched.holds(first, pattern, patternClasses))
        ++first;
    if (first == pieces.size())
        return;
    std::vector<TextPiece> out;
    out.reserve(pieces.size() - first + 2);
    for (size_t at = first; at < pieces.size(); ++at) {
        TextPiece& piece = pieces[at];
        if (at != first && !searched.holds(at, pattern, patternClasses)) {
            out.push_back(std::move(piece));
            continue;
        }
        const std::u16string_view text = piece.text;
        std::u16string own; // template text gathered since the last value
        size_t from = 0;
        for (size_t hit = text.find(pattern); hit != text.npos; hit = text.find(pattern, from)) {
            own.append(text.substr(from, hit - from));
            from = hit + pattern.size();
            if (value.empty())
                continue;
            if (!own.empty())
                out.push_back({TextPiece::Kind::Template, std::move(own)});
            own.clear();
            out.push_back({TextPiece::Kind::FieldValue, std::u16string(value)});
        }
        own.append(text.substr(from));
        if (!own.empty())
            out.push_back({TextPiece::Kind::Template, std::move(own)});
    }
    pieces.erase(pieces.begin() + std::ptrdiff_t(first), pieces.end());
    searched.classes.resize(first);
    for (TextPiece& piece : out) {
        searched.classes.push_back(SearchedPieces::classesOf(piece));
        pieces.push_back(std::move(piece));
    }
}

} // namespace

WorkingText withFieldCopies(const WorkingText& working,
                            const std::vector<Placeholder>& placeholders,
                            const std::vector<std::u16string>& values) {
    WorkingText copied = working;
    for (TextPiece& piece : copied.pieces)
        if (piece.kind == TextPiece::Kind::FieldCopy && size_t(piece.field) < placeholders.size())
            piece.text = inCaseStyle(piece.caseStyle,
                                     trimmedValue(placeholders, values, size_t(piece.field)));
    return copied;
}

// Names are replaced as plain text, wherever they occur in the template's own text and in
// list order, which is what lets one value fill every place a name stands. What the user typed
// is never searched by a later entry: "X1" typed for WinID stays "X1" though X comes later, and
// a value holding a later name cannot multiply the text. An emptied field drops ", name" so
// that optional trailing arguments disappear from a call.
WorkingText applyValues(const WorkingText& working, const std::vector<Placeholder>& placeholders,
                        const std::vector<std::u16string>& values) {
    WorkingText applied = withFieldCopies(working, placeholders, values);
    SearchedPieces searched(applied.pieces);
    for (size_t i = 0; i < placeholders.size(); ++i) {
        const std::u16string& name = placeholders[i].name;
        if (name.empty())
            continue; // the empty text "occurs" everywhere; there is nothing to replace
        const std::u16string_view value = trimmedValue(placeholders, values, i);
        if (!value.empty())
            replaceInTemplateText(searched, name, value);
        else
            replaceInTemplateText(searched, u", " + name, u"");
    }
    return applied;
}

std::u16string_view lineBreakOfMode(int64_t mode) {
    switch (mode) {
    case SC_EOL_CR:
        return u"\r";
    case SC_EOL_LF:
        return u"\n";
    default:
        return u"\r\n";
    }
}

namespace {

// The finished text as it grows, with what the line being written holds as indentation.
struct TextWriter {
    const InsertPlace& place;
    std::u16string text;
    std::u16string line; // the current line up to here, as indentation; the first line's
                         // text before the word included
    size_t firstBreak = std::u16string::npos;
    size_t caretMark = std::u16string::npos;

    void write(std::u16string_view part) {
        text.append(part);
        line.append(indentationOf(part));
    }
    void breakLine(std::u16string_view indentation) {
        if (firstBreak == std::u16string::npos)
            firstBreak = text.size();
        text.append(place.lineBreak);
        line.assign(indentation);
        text.append(indentation);
    }
    // Template text and typed values: every line separator breaks the line under the word.
    void writeSeparated(std::u16string_view part) {
        for (size_t cut = part.find(kLineSeparator); cut != part.npos;
             cut = part.find(kLineSeparator)) {
            write(part.substr(0, cut));
            breakLine(place.indentation);
            part.remove_prefix(cut + 1);
        }
        write(part);
    }
    // A directive's value keeps its shape: its further lines start under its first character.
    void writeShaped(const TextPiece& piece) {
        const std::vector<std::u16string> lines = shapedLines(piece.text, piece.firstIndentation);
        const std::u16string under = line;
        write(lines.front());
        for (size_t i = 1; i < lines.size(); ++i) {
            breakLine(lines[i].empty() ? std::u16string_view() : under);
            write(lines[i]);
        }
    }
};

std::u16string finishedText(const WorkingText& working, const InsertPlace& place, size_t& caret) {
    TextWriter writer{place, {}, place.indentation};
    for (const TextPiece& piece : working.pieces) {
        switch (piece.kind) {
        case TextPiece::Kind::Template:
        case TextPiece::Kind::Literal:
        case TextPiece::Kind::FieldValue:
        case TextPiece::Kind::FieldCopy:
            writer.writeSeparated(piece.text);
            break;
        case TextPiece::Kind::DirectiveValue:
            writer.writeShaped(piece);
            break;
        case TextPiece::Kind::CaretMark:
            if (writer.caretMark == std::u16string::npos)
                writer.caretMark = writer.text.size();
            break;
        }
    }
    caret =
        std::min(writer.caretMark != std::u16string::npos ? writer.caretMark : writer.firstBreak,
                 writer.text.size());
    return std::move(writer.text);
}

} // namespace

// The two sides of the caret are encoded apart, so that the caret's byte offset is exact in any
// code page (none of a document's code pages carries a shift state across characters).
FinishedText finishText(const WorkingText& working, const InsertPlace& place) {
    size_t caret = 0;
    const std::u16string text = finishedText(working, place, caret);
    const std::u16string_view whole = text;
    FinishedText finished;
    text::CodePageBytes before = text::utf16ToCodePage(place.codePage, whole.substr(0, caret));
    text::CodePageBytes after = before.cannotHold
                                    ? text::CodePageBytes{}
                                    : text::utf16ToCodePage(place.codePage, whole.substr(caret));
    finished.cannotHold = before.cannotHold ? before.cannotHold : after.cannotHold;
    if (finished.cannotHold)
        return finished;
    finished.caretBytes = static_cast<int64_t>(before.bytes.size());
    finished.bytes = std::move(before.bytes) + after.bytes;
    return finished;
}

namespace {

// The caret after the insertion, or nullopt when the text would reach beyond the largest
// position the editor can have: a caret that far out is no place in any real document.
std::optional<int64_t> caretAfterInsert(int64_t start, const FinishedText& finished) {
    const auto textBytes = static_cast<int64_t>(finished.bytes.size());
    if (start < 0 || textBytes > std::numeric_limits<int64_t>::max() - start)
        return std::nullopt;
    return start + finished.caretBytes; // caretBytes <= textBytes
}

bool breaksLines(const WorkingText& working) {
    for (const TextPiece& piece : working.pieces) {
        const bool breaks = piece.kind == TextPiece::Kind::DirectiveValue
                                ? piece.text.find_first_of(u"\r\n") != piece.text.npos
                                : piece.text.find(kLineSeparator) != piece.text.npos;
        if (breaks)
            return true;
    }
    return false;
}

// Whether the word, or the selection, still stands in the editor as it was read: the same bytes,
// with the caret (or the selection's ends) where they were.
bool stillStands(const EditorOps& editor, const CaretWord& word,
                 const WrappedSelection* selection) {
    if (selection) {
        if (!editor.currentSelection)
            return true;
        const std::optional<WrappedSelection> now = editor.currentSelection();
        return now && now->anchor == selection->anchor && now->caret == selection->caret &&
               now->bytes == selection->bytes && now->text == selection->text &&
               now->codePage == selection->codePage;
    }
    if (!editor.lineBeforeCaret || !word.line)
        return true;
    const std::optional<LineAtCaret> now = editor.lineBeforeCaret();
    return now && now->caret == word.line->caret && now->bytes == word.line->bytes;
}

ExpansionOutcome ended(ExpansionOutcome::End end, int codePage, char32_t character = 0) {
    return {end, character, codePage};
}

} // namespace

// The click that took a window at the caret away may have moved the IDE's caret.
void giveCaretBack(const EditorOps& editor, int64_t caretPos) {
    editor.returnForegroundToIde();
    if (editor.ideIsForeground())
        editor.placeCaret(caretPos);
}

void giveSelectionBack(const EditorOps& editor, const WrappedSelection& selection) {
    if (!editor.placeSelection) {
        giveCaretBack(editor, selection.caret);
        return;
    }
    editor.returnForegroundToIde();
    if (editor.ideIsForeground())
        editor.placeSelection(selection.anchor, selection.caret);
}

// The click that took the window away may have moved the IDE's caret. After a cancel by key the
// editor is not touched, nor after a window that never became active: the user is typing in the
// IDE then, and the caret is theirs.
void giveBackAfterCancel(const EditorOps& editor, bool lostActivation,
                         const WrappedSelection* selection, int64_t caretPos) {
    if (!lostActivation)
        return;
    if (selection)
        giveSelectionBack(editor, *selection);
    else
        giveCaretBack(editor, caretPos);
}

std::u16string templatePreview(std::u16string_view templateText, const DirectiveSources& sources) {
    return makePreviewText(prepareTemplate(templateText, sources).working, u"");
}

ExpansionOutcome expandShortcut(std::u16string_view templateText, const CaretWord& word,
                                const EditorOps& editor, const PopupFunction& popup,
                                const DirectiveSources& sources,
                                const WrappedSelection* selection) {
    using End = ExpansionOutcome::End;
    const int codePage = selection ? selection->codePage : word.codePage();
    // The editor ends its text at a zero byte: a word holding one names nothing, and
    // replacing it would cut the user's line short.
    if (word.caretWord.empty() || word.caretWord.find(u'\0') != word.caretWord.npos ||
        word.wordBytes < 0)
        return ended(End::LeftAlone, codePage);
    const auto stillAnswering = [&] { return !editor.editorAnswers || editor.editorAnswers(); };

    // What is replaced: the word before the caret, or the selection being wrapped.
    int64_t start = 0;
    int64_t end = 0;
    InsertPlace place;
    place.codePage = codePage;
    DirectiveSources read = sources;
    if (selection) {
        start = std::min(selection->anchor, selection->caret);
        end = std::max(selection->anchor, selection->caret);
        place.indentation = selection->indentation;
        read.selection = selection->text;
        read.selectionIndentation = selection->indentation;
        if (start < 0)
            return ended(End::LeftAlone, codePage);
    } else {
        // The caret where the word was read; without such a reading, where it stands now.
        end = word.line ? word.line->caret : editor.caretPosition();
        // A caret closer to the start of the text than the word is long means the editor changed
        // meanwhile, and replacing would eat other text.
        if (!stillAnswering() || end < word.wordBytes)
            return ended(End::LeftAlone, codePage);
        start = end - word.wordBytes;
        place.indentation = word.indentation;
        read.selection.clear(); // a plain start replaces the word, whatever is selected
    }
    const int64_t caretPos = selection ? selection->caret : end;

    // Every directive is read now, once, so that the popup's preview shows what goes in.
    PreparedTemplate prepared = prepareTemplate(templateText, read);
    // Bytes that are no text of the document's code page would come back changed.
    if (selection && prepared.readsSelection && !text::decodesExactly(codePage, selection->bytes))
        return ended(End::SelectionNotText, codePage);
    const std::vector<Placeholder>& placeholders = prepared.placeholders;
    WorkingText& text = prepared.working;
    if (!placeholders.empty()) {
        const ScreenPoint anchor = editor.caretScreenPoint(caretPos);
        if (!stillAnswering())
            return ended(End::LeftAlone, codePage);
        const PopupResult result =
            popup(makePopupRequest(placeholders, text, word.caretWord, anchor));
        if (!result.accepted) {
            giveBackAfterCancel(editor, result.lostActivation, selection, caretPos);
            return ended(End::LeftAlone, codePage);
        }
        text = applyValues(text, placeholders, result.values);
    }

    if (breaksLines(text) && editor.lineBreakMode) {
        place.lineBreak = lineBreakOfMode(editor.lineBreakMode());
        if (!stillAnswering())
            return ended(End::LeftAlone, codePage);
    }
    const FinishedText finished = finishText(text, place);
    if (finished.cannotHold)
        return ended(End::CannotHold, codePage, *finished.cannotHold);
    if (finished.bytes.find('\0') != std::string::npos)
        return ended(End::ZeroCharacter, codePage);
    const std::optional<int64_t> caretAfter = caretAfterInsert(start, finished);
    if (!caretAfter)
        return ended(End::LeftAlone, codePage);
    // Keys typed into the editor since the word was read (while the library was read, the popup
    // opened or the picker was up) reached it: what stands there now is the user's, and it is
    // left alone.
    if (!stillStands(editor, word, selection) || !stillAnswering())
        return ended(End::LeftAlone, codePage);
    // The word's bytes as they stand in the editor, which lower-casing may have changed in
    // number (U+023A takes two bytes, its lower case three).
    editor.replaceWord(end - start, end, finished.bytes);
    editor.placeCaret(*caretAfter);
    return ended(End::Inserted, codePage);
}

} // namespace idelink
