// Every step of a template's expansion, with values typed into the popup and directives that
// read a clipboard, a selection, a clock, a file path, the environment and a library made of the
// input, against an editor that records what it is asked to do, in a UTF-8, a single-byte or a
// double-byte document (picked by the input's length, so that every input of the corpus keeps its
// meaning). The library holds the template itself ("t"), its second half ("h") and the first
// value ("v"), so that templates use one another, themselves included, in loops and to any depth.
#include "base/CodePageText.h"
#include "base/TextConvert.h"
#include "idelink/TemplateExpansion.h"

#include "FuzzSupport.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr int kCodePages[] = {text::kUtf8CodePage, 1252, 932};
    const int codePage = kCodePages[size % 3];
    FuzzedDataProvider input(data, size);
    const auto caretPos = input.ConsumeIntegral<std::int64_t>();
    const bool nearLimit = input.ConsumeBool();
    const bool accept = input.ConsumeBool();
    const bool wrap = input.ConsumeBool();
    const auto lineBreakMode = input.ConsumeIntegralInRange<std::int64_t>(-1, 3);
    const std::string line = input.ConsumeRandomLengthString(64);
    const std::u16string clipboard = text::utf8ToUtf16(input.ConsumeRandomLengthString(64));
    const std::string selectedBytes = input.ConsumeRandomLengthString(64);
    const std::u16string selected = text::codePageToUtf16(codePage, selectedBytes);
    const std::u16string clock = text::utf8ToUtf16(input.ConsumeRandomLengthString(16));
    std::vector<std::u16string> values(input.ConsumeIntegralInRange<size_t>(0, 12));
    for (std::u16string& value : values)
        value = text::utf8ToUtf16(input.ConsumeRandomLengthString(32));
    const std::u16string templateText = text::utf8ToUtf16(input.ConsumeRemainingBytesAsString());

    idelink::DirectiveSources sources;
    int clipboardReads = 0;
    sources.clipboard = [&] {
        ++clipboardReads;
        return clipboard;
    };
    sources.clock = [&](idelink::DirectiveKind, std::u16string_view) { return clock; };
    sources.filePath = selected;
    sources.environment = [&](std::u16string_view name) { return clock + std::u16string(name); };
    size_t libraryReads = 0;
    sources.shortcutTemplate = [&](std::u16string_view name) -> std::optional<std::u16string> {
        ++libraryReads;
        if (name == u"t")
            return templateText;
        if (name == u"h")
            return templateText.substr(templateText.size() / 2);
        if (name == u"v" && !values.empty())
            return values[0];
        return std::nullopt;
    };
    for (const idelink::Directive& directive : idelink::scanDirectives(templateText)) {
        fuzz::require(templateText.compare(directive.at, 2, u"%(") == 0 &&
                          templateText[directive.at + directive.length - 1] == u')',
                      "a directive is %(...)");
    }

    // The steps one by one, first without the library.
    const idelink::PreparedTemplate bare = idelink::prepareTemplate(templateText);
    const std::vector<idelink::Placeholder>& placeholders = bare.placeholders;
    if (!placeholders.empty()) {
        for (const idelink::Placeholder& placeholder : placeholders) {
            fuzz::require(!placeholder.spec.empty(), "no empty spec");
            fuzz::require(placeholder.spec.starts_with(placeholder.name),
                          "the name opens the spec");
            fuzz::require(placeholder.spec.find(placeholder.defaultText) != std::u16string::npos,
                          "the default comes from the spec");
        }
        const idelink::WorkingText& working = bare.working;
        const idelink::PopupRequest request =
            idelink::makePopupRequest(placeholders, working, u"openwindow(", {});
        if (request.previewWith)
            request.previewWith(values);
        size_t longest = 1;
        for (size_t i = 0; i < placeholders.size(); ++i)
            longest = std::max(longest, i < values.size() ? values[i].size()
                                                          : placeholders[i].defaultText.size());
        // A name grows at most into the longest value, and so does a copy, which may stand for
        // an empty default, twice over: snake and const case may add a "_" for each unit.
        const size_t copies = size_t(std::count_if(
            working.pieces.begin(), working.pieces.end(), [](const idelink::TextPiece& piece) {
                return piece.kind == idelink::TextPiece::Kind::FieldCopy;
            }));
        const idelink::WorkingText applied = idelink::applyValues(working, placeholders, values);
        fuzz::require(applied.joined().size() <= (working.joined().size() + copies) * longest * 2,
                      "the text grows at most by the longest value");
    }

    // With the library: every use ends, at its depth, in a loop, or at the bound of the text.
    // Each use read stands in text read before it, at least "%(use:t)" long.
    const size_t mostReads = (templateText.size() + idelink::kMaxTemplateUnits) / 8 + 1;
    const idelink::PreparedTemplate withLibrary = idelink::prepareTemplate(templateText, sources);
    fuzz::require(libraryReads <= mostReads, "the templates used end");
    const idelink::WorkingText& prepared = withLibrary.working;
    const std::u16string lineText = text::codePageToUtf16(codePage, line);
    const idelink::FinishedText finished =
        idelink::finishText(prepared, {idelink::indentationOf(lineText),
                                       idelink::lineBreakOfMode(lineBreakMode), codePage});
    fuzz::require(finished.caretBytes >= 0 && size_t(finished.caretBytes) <= finished.bytes.size(),
                  "the caret lies within the text");
    fuzz::require(!finished.cannotHold || finished.bytes.empty(),
                  "a text that cannot go in whole gives no bytes");
    fuzz::require(clipboardReads <= 1, "the clipboard is read at most once");

    // The whole expansion against a recorded editor.
    const std::int64_t caret =
        nearLimit ? std::numeric_limits<std::int64_t>::max() - (caretPos & 0xFFFF) : caretPos;
    const idelink::LineAtCaret read{line, caret, codePage};
    idelink::CaretWord word = idelink::findCaretWord(read);
    const idelink::WrappedSelection selection{caretPos,      caretPos / 2,
                                              selected,      idelink::indentationOf(lineText),
                                              selectedBytes, codePage};
    if (wrap)
        word.caretWord = u"name";
    std::int64_t replacedFrom = -1;
    std::int64_t textEnd = -1;
    idelink::EditorOps editor;
    editor.caretPosition = [&] { return caret; };
    editor.caretScreenPoint = [](std::int64_t) { return idelink::ScreenPoint{}; };
    editor.lineBreakMode = [&] { return lineBreakMode; };
    editor.lineBeforeCaret = [&] { return std::optional(read); };
    editor.currentSelection = [&] { return std::optional(selection); };
    editor.replaceWord = [&](std::int64_t wordBytes, std::int64_t at, const std::string& bytes) {
        if (wrap)
            fuzz::require(at - wordBytes == std::min(caretPos, caretPos / 2) &&
                              at == std::max(caretPos, caretPos / 2),
                          "the whole selection");
        else
            fuzz::require(wordBytes == word.wordBytes && at == caret, "the word before the caret");
        fuzz::require(wordBytes >= 0 && at >= wordBytes, "a stretch that fits before the end");
        replacedFrom = at - wordBytes;
        fuzz::require(std::int64_t(bytes.size()) <=
                          std::numeric_limits<std::int64_t>::max() - replacedFrom,
                      "the text ends at a position");
        fuzz::require(bytes.find('\0') == std::string::npos,
                      "no zero byte, at which the editor would cut the text");
        textEnd = replacedFrom + std::int64_t(bytes.size());
    };
    editor.placeCaret = [&](std::int64_t position) {
        if (replacedFrom >= 0)
            fuzz::require(position >= replacedFrom && position <= textEnd,
                          "the caret lands in the inserted text");
        else
            fuzz::require(position == (wrap ? selection.caret : caret),
                          "a cancel puts the caret back");
    };
    editor.placeSelection = [&](std::int64_t anchor, std::int64_t at) {
        fuzz::require(wrap && replacedFrom < 0 && anchor == selection.anchor &&
                          at == selection.caret,
                      "a cancel puts the wrapped selection back");
    };
    editor.returnForegroundToIde = [] {};
    editor.ideIsForeground = [] { return true; };
    clipboardReads = 0;
    const idelink::ExpansionOutcome outcome = idelink::expandShortcut(
        templateText, word, editor,
        [&](const idelink::PopupRequest& request) {
            fuzz::require(request.fields.size() == withLibrary.placeholders.size(),
                          "one field per placeholder");
            return idelink::PopupResult{accept, values, !accept};
        },
        sources, wrap ? &selection : nullptr);
    fuzz::require(clipboardReads <= 1, "the clipboard is read at most once");
    fuzz::require((outcome.end == idelink::ExpansionOutcome::End::Inserted) == (replacedFrom >= 0),
                  "the text went in exactly when the expansion says so");
    if (outcome.end == idelink::ExpansionOutcome::End::CannotHold) {
        fuzz::require(text::utf16ToCodePage(codePage, text::codePointText(outcome.character))
                          .cannotHold.has_value(),
                      "the character told is one the document cannot hold");
    }
    return 0;
}
