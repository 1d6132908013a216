// The picker's run against an editor that holds a document: what the picker opens with, what the
// keys that reach the editor meanwhile change, and the document afterwards.
#include "idelink/PickFlow.h"

#include "base/TextConvert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

std::u16string u16(std::string_view utf8) {
    return text::utf8ToUtf16(utf8);
}
std::string u8(std::u16string_view utf16) {
    return text::utf16ToUtf8(utf16);
}

// A UTF-8 document with its caret ("<|>") and the other end of its selection ("<^>").
struct DocumentEditor {
    std::string text;
    int64_t caret = 0;
    int64_t anchor = 0;
    bool answering = true;

    void load(std::string_view marked) {
        text.assign(marked);
        const size_t caretAt = text.find("<|>");
        text.erase(caretAt, 3);
        const size_t anchorAt = text.find("<^>");
        if (anchorAt != std::string::npos)
            text.erase(anchorAt, 3);
        caret =
            int64_t(anchorAt != std::string::npos && anchorAt < caretAt ? caretAt - 3 : caretAt);
        anchor = anchorAt == std::string::npos ? caret
                 : anchorAt < caretAt          ? int64_t(anchorAt)
                                               : int64_t(anchorAt - 3);
    }
    std::string marked() const {
        std::string out = text;
        if (anchor == caret)
            return out.insert(size_t(caret), "<|>");
        if (anchor > caret)
            return out.insert(size_t(anchor), "<^>").insert(size_t(caret), "<|>");
        return out.insert(size_t(caret), "<|>").insert(size_t(anchor), "<^>");
    }
    size_t lineStart(int64_t position) const {
        const size_t end = size_t(position);
        const size_t lineEnd = end == 0 ? std::string::npos : text.find_last_of("\r\n", end - 1);
        return lineEnd == std::string::npos ? 0 : lineEnd + 1;
    }
    std::optional<idelink::LineAtCaret> line() const {
        if (!answering)
            return std::nullopt;
        const size_t start = lineStart(caret);
        return idelink::LineAtCaret{text.substr(start, size_t(caret) - start), caret};
    }
    std::optional<idelink::WrappedSelection> selection() const {
        if (!answering || anchor == caret)
            return std::nullopt;
        const size_t start = size_t(std::min(anchor, caret));
        const std::string bytes = text.substr(start, size_t(std::max(anchor, caret)) - start);
        const size_t from = lineStart(int64_t(start));
        return idelink::WrappedSelection{
            anchor, caret, u16(bytes), idelink::indentationOf(u16(text.substr(from, start - from))),
            bytes};
    }

    idelink::EditorOps ops() {
        idelink::EditorOps editor;
        editor.caretPosition = [this] { return answering ? caret : -1; };
        editor.caretScreenPoint = [](int64_t position) {
            return idelink::ScreenPoint{int(position) * 10, 5};
        };
        editor.replaceWord = [this](int64_t wordBytes, int64_t at, const std::string& bytes) {
            text.replace(size_t(at - wordBytes), size_t(wordBytes), bytes);
        };
        editor.placeCaret = [this](int64_t position) { anchor = caret = position; };
        editor.placeSelection = [this](int64_t from, int64_t to) {
            anchor = from;
            caret = to;
        };
        editor.lineBeforeCaret = [this] { return line(); };
        editor.lineAtCaret = [this] { return line(); };
        editor.currentSelection = [this] { return selection(); };
        editor.returnForegroundToIde = [] {};
        editor.ideIsForeground = [] { return true; };
        editor.editorAnswers = [this] { return answering; };
        return editor;
    }
};

const std::map<std::u16string, std::u16string> kLibrary = {
    {u"proc", u"Procedure ¤EndProcedure"},
    {u"procs", u"Procedure.s ¤EndProcedure"},
    {u"OpenWindow", u"OpenWindow(%Id=0)"},
    {u"wrap", u"If ok¤  %(sel)¤EndIf"},
};

enum class Silence { Never, FromTheStart, WhilePicking };

TEST(PickFlowTable, ExpandsThePickedNameWhereTheWordOrTheSelectionStandsNow) {
    struct Case {
        const char* name;
        std::string document;  // as the word was read at the start
        const char* picked;    // nullptr: the picker is cancelled
        std::string expected;  // the document afterwards
        const char* opened;    // the filter the picker opened with; nullptr: it never opened
        const char* filterNow; // the filter read again once it is active; nullptr: nothing
        // The document once keys typed while the picker opened reached the editor, or after the
        // click that took the picker's foreground (clickedAway).
        const char* meanwhile = nullptr;
        bool clickedAway = false;
        const char* preview = nullptr; // the picker's preview of the name picked, when checked
        bool afterParen = false;
        Silence silence = Silence::Never;
        const char* startsAs = nullptr; // the document when the run first asks the editor
        bool libraryRead = true;
    };
    const Case cases[] = {
        {"WordPicked", "  pro<|>\r\n", "procs", "  Procedure.s <|>\r\n  EndProcedure\r\n", "pro",
         "pro", nullptr, false, "Procedure.s \r\nEndProcedure"},
        {"NoWordPicked", "x = 1\r\n<|>", "proc", "x = 1\r\nProcedure <|>\r\nEndProcedure", "", ""},
        // The popup takes the placeholder's value; the word's "(" is replaced with the rest.
        {"WordEndingInParenthesis", "  openwindow(<|>", "OpenWindow", "  OpenWindow(0)<|>",
         "openwindow(", "openwindow(", nullptr, false, "OpenWindow(Id)", true},
        // The word before the caret is no filter on a selection.
        {"SelectionWrapped", "x = 1\r\n  <^>Foo()\r\n  Bar()<|>\r\n", "wrap",
         "x = 1\r\n  If ok<|>\r\n    Foo()\r\n    Bar()\r\n  EndIf\r\n", "", "", nullptr, false,
         "If ok\r\n  Foo()\r\n  Bar()\r\nEndIf"},
        {"WordTypedOnWhileThePickerOpened", "  pro<|>", "procs",
         "  Procedure.s <|>\r\n  EndProcedure", "pro", "proc", "  proc<|>"},
        {"WordErasedWhileThePickerOpened", "  pro<|>", "proc", "  Procedure <|>\r\n  EndProcedure",
         "pro", "p", "  p<|>"},
        {"SelectionWidenedWhileThePickerOpened", "<^>Foo()<|>\r\nBar()", "wrap",
         "If ok<|>\r\n  Foo()\r\n  Bar()\r\nEndIf", "", "", "<^>Foo()\r\nBar()<|>"},
        // A key typed over the selection replaced it: the name goes in place of the new word.
        {"SelectionTypedOverWhileThePickerOpened", "  <^>Foo()<|>", "proc",
         "  Procedure <|>\r\n  EndProcedure", "", "x", "  x<|>"},
        {"CancelledByKeyAfterTypingOn", "  pro<|>\r\nx = 1", nullptr, "  prox<|>\r\nx = 1", "pro",
         "prox", "  prox<|>\r\nx = 1"},
        // The click that took the picker's foreground moved the caret; it is put back.
        {"CancelledByAClick", "  pro<|>\r\nx = 1", nullptr, "  pro<|>\r\nx = 1", "pro", "pro",
         "  pro\r\nx = 1<|>", true},
        {"CancelledByAClickOnASelection", "  <^>Foo()<|>\r\nx", nullptr, "  <^>Foo()<|>\r\nx", "",
         "", "  Foo()\r\nx<|>", true},
        {"PickedNameNoLongerInTheLibrary", "  pro<|>", "gone", "  pro<|>", "pro", "pro", nullptr,
         false, ""},
        {"EditorSilentFromTheStart", "  pro<|>", "proc", "  pro<|>", nullptr, nullptr, nullptr,
         false, nullptr, false, Silence::FromTheStart},
        {"EditorStopsAnsweringWhilePicking", "  pro<|>", "proc", "  pro<|>", "pro", nullptr,
         nullptr, false, nullptr, false, Silence::WhilePicking},
        // Keys erased the word before the run asked for the caret: there is no word to replace.
        {"WordErasedBeforeThePicker", "pro<|>", "proc", "<|>", nullptr, nullptr, nullptr, false,
         nullptr, false, Silence::Never, "<|>"},
        {"LibraryCouldNotBeRead", "  pro<|>", "proc", "  pro<|>", nullptr, nullptr, nullptr, false,
         nullptr, false, Silence::Never, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DocumentEditor editor;
        editor.load(c.document);
        const idelink::CaretWord word = idelink::findCaretWord(*editor.line());
        editor.load(c.startsAs ? c.startsAs : c.document);
        editor.answering = c.silence != Silence::FromTheStart;
        const int64_t caretAtStart = editor.caret;

        idelink::PickLibrary library;
        library.ready = [&c] { return c.libraryRead; };
        library.templateOf = [](std::u16string_view name) -> std::optional<std::u16string> {
            const auto found = kLibrary.find(std::u16string(name));
            return found == kLibrary.end() ? std::nullopt : std::optional(found->second);
        };
        std::optional<idelink::PickerOpening> opened;
        std::optional<std::u16string> filterNow;
        std::string preview;
        std::string textWhenPicked = editor.text;
        const idelink::PickerFunction picker = [&](const idelink::PickerOpening& opening) {
            opened = opening;
            if (c.meanwhile && !c.clickedAway)
                editor.load(c.meanwhile);
            if (c.silence == Silence::WhilePicking)
                editor.answering = false;
            filterNow = opening.filterNow();
            if (c.meanwhile && c.clickedAway)
                editor.load(c.meanwhile);
            textWhenPicked = editor.text;
            idelink::PickerAnswer answer;
            if (c.picked) {
                answer.name = u16(c.picked);
                preview = u8(opening.previewOf(*answer.name));
            }
            answer.lostActivation = c.clickedAway;
            return answer;
        };
        const idelink::PopupFunction popup = [](const idelink::PopupRequest& request) {
            idelink::PopupResult accepted;
            accepted.accepted = true;
            for (const idelink::PopupField& field : request.fields)
                accepted.values.push_back(field.initialText);
            return accepted;
        };
        const idelink::ExpansionOutcome outcome =
            idelink::pickShortcut(word, editor.ops(), library, picker, popup, {});

        editor.answering = true;
        EXPECT_EQ(editor.marked(), c.expected);
        EXPECT_EQ(outcome.end == idelink::ExpansionOutcome::End::Inserted,
                  editor.text != textWhenPicked);
        ASSERT_EQ(opened.has_value(), c.opened != nullptr);
        if (!opened)
            continue;
        EXPECT_EQ(u8(opened->filter), c.opened);
        EXPECT_EQ(opened->afterParen, c.afterParen);
        EXPECT_EQ(opened->anchor.x, int(caretAtStart) * 10);
        EXPECT_EQ(filterNow ? std::optional(u8(*filterNow)) : std::nullopt,
                  c.filterNow ? std::optional<std::string>(c.filterNow) : std::nullopt);
        if (c.preview) {
            EXPECT_EQ(preview, c.preview);
        }
    }
}

} // namespace
