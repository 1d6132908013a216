#include "idelink/TemplateExpansion.h"

#include "base/TextConvert.h"
#include "idelink/LowerCase.h"

#include <algorithm>
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
    if (firstEquals != spec.npos) {
        const std::u16string_view rest = spec.substr(firstEquals + 1);
        placeholder.defaultText = std::u16string(rest.substr(0, rest.find(u'=')));
    }
    return placeholder;
}

// Only spaces: a tab at a value's end is something the user typed on purpose.

bool endsWithParen(std::u16string_view caretWord) {
    return !caretWord.empty() && caretWord.back() == u'(';
}

} // namespace

std::optional<std::vector<Placeholder>> scanPlaceholders(std::u16string_view templateText) {
    size_t percent = templateText.find(u'%');
    if (percent == templateText.npos)
        return std::nullopt;
    std::vector<Placeholder> placeholders;
    std::unordered_set<std::u16string_view> seen; // views into templateText
    for (; percent != templateText.npos; percent = templateText.find(u'%', percent + 1)) {
        const std::u16string_view spec = specAt(templateText, percent);
        // A "%" followed at once by a space, a bracket or the like is the code's own
        // operator, so the template goes in as written. So does one followed by "=": a
        // nameless placeholder leaves nothing in the working text to put its value into,
        // and the user's value would silently vanish.
        if (spec.empty() || spec.front() == u'=')
            return std::nullopt;
        if (seen.insert(spec).second)
            placeholders.push_back(placeholderFromSpec(spec));
    }
    return placeholders;
}

// Each "%" is matched with its whole spec, up to the character that ends it. Matching the
// text "%" + spec wherever it occurs would let the spec "a" eat the start of "%a=1" in
// "%a %a=1" and leave a stray "=1" behind in the inserted code.
std::u16string prepareTemplate(std::u16string_view templateText,
                               const std::vector<Placeholder>& placeholders) {
    std::unordered_map<std::u16string_view, const std::u16string*> nameOfSpec;
    for (const Placeholder& placeholder : placeholders)
        nameOfSpec.try_emplace(placeholder.spec, &placeholder.name);
    std::u16string working;
    working.reserve(templateText.size());
    size_t from = 0;
    for (size_t percent = templateText.find(u'%'); percent != templateText.npos;
         percent = templateText.find(u'%', from)) {
        working.append(templateText.substr(from, percent - from));
        const std::u16string_view spec = specAt(templateText, percent);
        const auto entry = nameOfSpec.find(spec);
        if (entry != nameOfSpec.end() && !spec.empty())
            working.append(*entry->second);
        else
            working.append(templateText.substr(percent, spec.size() + 1));
        from = percent + spec.size() + 1;
    }
    working.append(templateText.substr(from));
    return working;
}

std::u16string makePreviewText(std::u16string_view workingText, std::u16string_view caretWord) {
    std::u16string preview(workingText);
    // The popup opens at the caret, just after the call's "(", so the preview starts there
    // too; the template may spell the call's name in any case.
    if (endsWithParen(caretWord)) {
        const size_t at = lowerCaseText(preview).find(lowerCaseText(caretWord));
        if (at != preview.npos)
            preview.erase(at, caretWord.size());
    }
    return text::replaceAll(preview, std::u16string_view(&kLineSeparator, 1), u"\r\n");
}

PopupRequest makePopupRequest(const std::vector<Placeholder>& placeholders,
                              std::u16string_view workingText, std::u16string_view caretWord,
                              ScreenPoint anchor) {
    PopupRequest request;
    request.fields.reserve(placeholders.size());
    for (const Placeholder& placeholder : placeholders)
        request.fields.push_back({placeholder.name + u" ", placeholder.defaultText});
    request.previewText = makePreviewText(workingText, caretWord);
    request.anchor = anchor;
    request.afterParen = endsWithParen(caretWord);
    return request;
}

namespace {

// A stretch of the working text: the template's own text, or a value the user put in.
struct Piece {
    std::u16string text;
    bool isValue = false;
};

// Replaces every occurrence of pattern in the template's own pieces by a value piece, or drops
// it when the value is empty. Values already in place are never searched again.
void replaceInTemplateText(std::vector<Piece>& pieces, std::u16string_view pattern,
                           std::u16string_view value) {
    std::vector<Piece> out;
    out.reserve(pieces.size());
    for (Piece& piece : pieces) {
        if (piece.isValue || piece.text.find(pattern) == piece.text.npos) {
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
                out.push_back({std::move(own), false});
            own.clear();
            out.push_back({std::u16string(value), true});
        }
        own.append(text.substr(from));
        if (!own.empty())
            out.push_back({std::move(own), false});
    }
    pieces = std::move(out);
}

} // namespace

// Names are replaced as plain text, wherever they occur in the template's own text and in
// list order, which is what lets one value fill every place a name stands. What the user typed
// is never searched by a later entry: "X1" typed for WinID stays "X1" though X comes later, and
// a value holding a later name cannot multiply the text. An emptied field drops ", name" so
// that optional trailing arguments disappear from a call.
std::u16string applyValues(std::u16string_view workingText,
                           const std::vector<Placeholder>& placeholders,
                           const std::vector<std::u16string>& values) {
    std::vector<Piece> pieces{{std::u16string(workingText), false}};
    for (size_t i = 0; i < placeholders.size(); ++i) {
        const std::u16string& name = placeholders[i].name;
        if (name.empty())
            continue; // the empty text "occurs" everywhere; there is nothing to replace
        // A field the popup did not report is taken as left at its default.
        const std::u16string_view value =
            text::trimSpaces(i < values.size() ? values[i] : placeholders[i].defaultText);
        if (!value.empty())
            replaceInTemplateText(pieces, name, value);
        else
            replaceInTemplateText(pieces, u", " + name, u"");
    }
    size_t size = 0;
    for (const Piece& piece : pieces)
        size += piece.text.size();
    std::u16string text;
    text.reserve(size);
    for (const Piece& piece : pieces)
        text += piece.text;
    return text;
}

FinishedText finishText(std::u16string_view text, int wordIndent) {
    FinishedText finished;
    finished.firstLineBytes =
        static_cast<int64_t>(text::utf8Length(text.substr(0, text.find(kLineSeparator))));
    const std::u16string lineBreak =
        u"\r\n" + std::u16string(static_cast<size_t>(std::max(wordIndent, 0)), u' ');
    finished.utf8 = text::utf16ToUtf8(
        text::replaceAll(text, std::u16string_view(&kLineSeparator, 1), lineBreak));
    return finished;
}

namespace {

// The caret after the insertion, or nullopt when the text would reach beyond the largest
// position the editor can have: a caret that far out is no place in any real document.
std::optional<int64_t> caretAfterInsert(int64_t caretPos, int64_t wordBytes,
                                        const FinishedText& finished) {
    const int64_t start = caretPos - wordBytes; // caretPos >= wordBytes >= 0
    const auto textBytes = static_cast<int64_t>(finished.utf8.size());
    if (textBytes > std::numeric_limits<int64_t>::max() - start)
        return std::nullopt;
    return start + finished.firstLineBytes; // firstLineBytes <= textBytes
}

} // namespace

// The click that took a window at the caret away may have moved the IDE's caret.
void giveCaretBack(const EditorOps& editor, int64_t caretPos) {
    editor.returnForegroundToIde();
    if (editor.ideIsForeground())
        editor.placeCaret(caretPos);
}

std::u16string templatePreview(std::u16string_view templateText) {
    const auto placeholders = scanPlaceholders(templateText);
    if (!placeholders)
        return makePreviewText(templateText, u"");
    return makePreviewText(prepareTemplate(templateText, *placeholders), u"");
}

void expandShortcut(std::u16string_view templateText, const CaretWord& word,
                    const EditorOps& editor, const PopupFunction& popup) {
    // The editor ends its text at a zero byte: a word holding one names nothing, and
    // replacing it would cut the user's line short.
    if (word.caretWord.empty() || word.caretWord.find(u'\0') != word.caretWord.npos ||
        word.wordBytes < 0)
        return;
    const auto stillAnswering = [&] { return !editor.editorAnswers || editor.editorAnswers(); };
    const int64_t caretPos = editor.caretPosition();
    // The word was read before the caret; a caret closer to the start of the text than the
    // word is long means the editor changed meanwhile, and replacing would eat other text.
    if (!stillAnswering() || caretPos < word.wordBytes)
        return;

    std::u16string text(templateText);
    if (const auto placeholders = scanPlaceholders(templateText)) {
        const ScreenPoint anchor = editor.caretScreenPoint(caretPos);
        if (!stillAnswering())
            return;
        const std::u16string working = prepareTemplate(templateText, *placeholders);
        const PopupResult result =
            popup(makePopupRequest(*placeholders, working, word.caretWord, anchor));
        if (!result.accepted) {
            // The click that took the popup away may have moved the IDE's caret. After a cancel
            // by key the editor is not touched, nor after a popup that never became active: the
            // user is typing in the IDE then, and the caret is theirs.
            if (result.lostActivation)
                giveCaretBack(editor, caretPos);
            return;
        }
        text = applyValues(working, *placeholders, result.values);
    }

    const FinishedText finished = finishText(text, word.wordIndent);
    const std::optional<int64_t> caretAfter = caretAfterInsert(caretPos, word.wordBytes, finished);
    if (!caretAfter)
        return;
    // The word's bytes as they stand in the editor, which lower-casing may have changed in
    // number (U+023A takes two bytes, its lower case three).
    editor.replaceWord(word.wordBytes, caretPos, finished.utf8);
    editor.placeCaret(*caretAfter);
}

} // namespace idelink
