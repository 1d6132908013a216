// Every step of a template's expansion, with values typed into the popup, against an editor
// that records what it is asked to do.
#include "base/TextConvert.h"
#include "idelink/TemplateExpansion.h"

#include "FuzzSupport.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto caretPos = input.ConsumeIntegral<std::int64_t>();
    const bool nearLimit = input.ConsumeBool();
    const bool accept = input.ConsumeBool();
    const std::string line = input.ConsumeRandomLengthString(64);
    std::vector<std::u16string> values(input.ConsumeIntegralInRange<size_t>(0, 12));
    for (std::u16string& value : values)
        value = text::utf8ToUtf16(input.ConsumeRandomLengthString(32));
    const std::u16string templateText = text::utf8ToUtf16(input.ConsumeRemainingBytesAsString());

    // The steps one by one.
    const auto placeholders = idelink::scanPlaceholders(templateText);
    if (placeholders) {
        for (const idelink::Placeholder& placeholder : *placeholders) {
            fuzz::require(!placeholder.spec.empty(), "no empty spec");
            fuzz::require(placeholder.spec.starts_with(placeholder.name),
                          "the name opens the spec");
            fuzz::require(placeholder.spec.find(placeholder.defaultText) != std::u16string::npos,
                          "the default comes from the spec");
        }
        const std::u16string working = idelink::prepareTemplate(templateText, *placeholders);
        fuzz::require(working.size() <= templateText.size(), "bare names are no longer");
        idelink::makePopupRequest(*placeholders, working, u"openwindow(", {});
        size_t longest = 1;
        for (size_t i = 0; i < placeholders->size(); ++i)
            longest = std::max(longest, i < values.size() ? values[i].size()
                                                          : (*placeholders)[i].defaultText.size());
        const std::u16string applied = idelink::applyValues(working, *placeholders, values);
        fuzz::require(applied.size() <= working.size() * longest,
                      "the text grows at most by the longest value");
    }
    const int wordIndent = int(line.size());
    const idelink::FinishedText finished = idelink::finishText(templateText, wordIndent);
    fuzz::require(finished.firstLineBytes >= 0 &&
                      size_t(finished.firstLineBytes) <= finished.utf8.size(),
                  "the first line lies within the text");

    // The whole expansion against a recorded editor.
    const idelink::CaretWord word = idelink::findCaretWord(std::string_view(line));
    const std::int64_t caret =
        nearLimit ? std::numeric_limits<std::int64_t>::max() - (caretPos & 0xFFFF) : caretPos;
    std::int64_t replacedFrom = -1;
    std::int64_t textEnd = -1;
    idelink::EditorOps editor;
    editor.caretPosition = [&] { return caret; };
    editor.caretScreenPoint = [](std::int64_t) { return idelink::ScreenPoint{}; };
    editor.replaceWord = [&](std::int64_t wordBytes, std::int64_t at, const std::string& utf8) {
        fuzz::require(wordBytes == word.wordBytes && at == caret, "the word before the caret");
        fuzz::require(wordBytes > 0 && at >= wordBytes, "a word that fits before the caret");
        replacedFrom = at - wordBytes;
        fuzz::require(std::int64_t(utf8.size()) <=
                          std::numeric_limits<std::int64_t>::max() - replacedFrom,
                      "the text ends at a position");
        textEnd = replacedFrom + std::int64_t(utf8.size());
    };
    editor.placeCaret = [&](std::int64_t position) {
        if (replacedFrom >= 0)
            fuzz::require(position >= replacedFrom && position <= textEnd,
                          "the caret lands in the inserted text");
        else
            fuzz::require(position == caret, "a cancel puts the caret back");
    };
    editor.returnForegroundToIde = [] {};
    editor.ideIsForeground = [] { return true; };
    idelink::expandShortcut(templateText, word, editor, [&](const idelink::PopupRequest& request) {
        fuzz::require(placeholders && request.fields.size() == placeholders->size(),
                      "one field per placeholder");
        return idelink::PopupResult{accept, values, !accept};
    });
    return 0;
}
