#include "idelink/TemplateExpansion.h"

#include "base/CodePageText.h"
#include "base/TextConvert.h"
#include "store/ShortcutStore.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using idelink::Placeholder;

// Default templates, as the store gives them.
const char* const kFor = "For %var=i = %min=0 To %max=99 ¤Next";
const char* const kOpenWindow =
    "OpenWindow(%WinID=0, 0, 0, %Width=800, %Height=500, %Title=\"Window\", "
    "%Flags=#WS_OVERLAPPEDWINDOW|#PB_Window_ScreenCentered|#PB_Window_Invisible, "
    "%ParentID=)¤HideWindow(%WinID=0, #False)";
const char* const kProcs = "Procedure.%type=s %ProcName¤EndProcedure";
const char* const kSlist = "Structure %STRUCTNAME¤EndStructure¤¤NewList %ListName.%STRUCTNAME()";
const char* const kSwlp = "SetWindowLongPtr_(%hWnd, %nIndex=#GWL_STYLE, "
                          "GetWindowLongPtr_(%hWnd, %nIndex=#GWL_STYLE) %Flags=|#WS_BORDER)";
const char* const kMb = "MessageRequester(%Title=\"Info\", %Text=\"Message\", %Flags=)";
const char* const kButton = "ButtonGadget(%WinID=0, %X=5, %Y=5, %Width=100, %Height=30, "
                            "%Text=\"Button\", %Flags=)";
const char* const kEvent =
    "Repeat¤  event = WaitWindowEvent() ¤  Select event¤    Case #PB_Event_Gadget¤      Select "
    "EventGadget()¤          ¤        Case 0¤          Beep_(800, 50)¤          ¤      "
    "EndSelect¤  EndSelect¤Until event = #PB_Event_CloseWindow";

std::u16string u16(std::string_view utf8) {
    return text::utf8ToUtf16(utf8);
}
std::string u8(std::u16string_view utf16) {
    return text::utf16ToUtf8(utf16);
}

std::vector<Placeholder> scanned(const char* templateText) {
    const auto list = idelink::scanPlaceholders(u16(templateText));
    EXPECT_TRUE(list.has_value()) << templateText;
    return list.value_or(std::vector<Placeholder>{});
}

idelink::WorkingText working(const char* templateText) {
    return idelink::prepareTemplate(u16(templateText)).working;
}

// Template text with no placeholders or directives left in it.
idelink::WorkingText plain(const char* text) {
    return {{{idelink::TextPiece::Kind::Template, u16(text)}}};
}

// Further lines indented by that many spaces, with CR LF line breaks.
idelink::InsertPlace indentedBy(int spaces) {
    return {std::u16string(size_t(std::max(spaces, 0)), u' ')};
}

// ---- scanning ----

TEST(ScanTable, FindsDistinctSpecsInOrderOrDeclaresTheTemplateLiteral) {
    using Entries = std::vector<std::string>;
    // "spec|name|default" per entry; nullopt: the template is literal.
    const std::pair<const char*, std::optional<Entries>> cases[] = {
        {kFor, Entries{"var=i|var|i", "min=0|min|0", "max=99|max|99"}},
        {kOpenWindow, Entries{"WinID=0|WinID|0", "Width=800|Width|800", "Height=500|Height|500",
                              "Title=\"Window\"|Title|\"Window\"",
                              "Flags=#WS_OVERLAPPEDWINDOW|#PB_Window_ScreenCentered|#PB_Window_"
                              "Invisible|Flags|#WS_OVERLAPPEDWINDOW|#PB_Window_ScreenCentered|#PB_"
                              "Window_Invisible",
                              "ParentID=|ParentID|"}},
        {kSlist, Entries{"STRUCTNAME|STRUCTNAME|", "ListName|ListName|"}},
        {kSwlp, Entries{"hWnd|hWnd|", "nIndex=#GWL_STYLE|nIndex|#GWL_STYLE",
                        "Flags=|#WS_BORDER|Flags||#WS_BORDER"}},
        {kMb, Entries{"Title=\"Info\"|Title|\"Info\"", "Text=\"Message\"|Text|\"Message\"",
                      "Flags=|Flags|"}},
        {kProcs, Entries{"type=s|type|s", "ProcName|ProcName|"}},
        {"If ¤EndIf", std::nullopt},
        {kEvent, std::nullopt},
        // A second "=" ends the default and makes choices; tab, ":" and "#" belong to the spec.
        {"%a=1=2", Entries{"a=1=2|a|1|1/2"}},
        {"%type=s=i=l %type", Entries{"type=s=i=l|type|s|s/i/l", "type|type|"}},
        {"f(%Flags==#A)", Entries{"Flags==#A|Flags||/#A"}},
        {"%X=5\t%Y:#z", Entries{"X=5\t|X|5\t", "Y:#z|Y:#z|"}},
        // Same name, different defaults: two entries.
        {"%n=1 %n=2 %n=1", Entries{"n=1|n|1", "n=2|n|2"}},
        // A "%" that opens nothing makes the whole template literal, earlier placeholders
        // included.
        {"%x a % b", std::nullopt},
        {"%x a%", std::nullopt},
        {"%x %%y", std::nullopt},
        {"f(%)", std::nullopt},
        {"%x,%,", std::nullopt},
        {"%x.%.y", std::nullopt},
        {"%x¤%¤", std::nullopt},
        {"%x(%(", std::nullopt},
        // A directive is no placeholder, and its "%" ends the spec before it; "%(" with any other
        // body is a "%" with an empty spec.
        {"%(date) %x%(|)y %(%)", Entries{"x|x|"}},
        {"%stamp=%(time)", Entries{"stamp=|stamp|"}},
        {"%(clip)", std::nullopt},
        {"%x %(Date)", std::nullopt},
        {"%x %(date:)", std::nullopt},
        // No name before "=": nothing could carry its value, so it stays as written.
        {"%=5", std::nullopt},
        {"%x %=", std::nullopt},
    };
    for (const auto& [templateText, entries] : cases) {
        SCOPED_TRACE(templateText);
        const auto list = idelink::scanPlaceholders(u16(templateText));
        ASSERT_EQ(list.has_value(), entries.has_value());
        if (!list)
            continue;
        std::vector<std::string> got;
        for (const Placeholder& p : *list) {
            std::string entry = u8(p.spec) + "|" + u8(p.name) + "|" + u8(p.defaultText);
            for (size_t i = 0; i < p.choices.size(); ++i)
                entry.append(1, i == 0 ? '|' : '/').append(u8(p.choices[i]));
            got.push_back(entry);
        }
        EXPECT_EQ(got, *entries);
    }
}

// ---- preparing ----

TEST(PrepareTable, TurnsEachPlaceholderIntoItsName) {
    const std::pair<const char*, const char*> cases[] = {
        {kFor, "For var = min To max ¤Next"},
        {kOpenWindow, "OpenWindow(WinID, 0, 0, Width, Height, Title, Flags, "
                      "ParentID)¤HideWindow(WinID, #False)"},
        {kSlist, "Structure STRUCTNAME¤EndStructure¤¤NewList ListName.STRUCTNAME()"},
        {kSwlp, "SetWindowLongPtr_(hWnd, nIndex, GetWindowLongPtr_(hWnd, nIndex) Flags)"},
        // A shorter spec met first must not cut into a longer one that starts with it.
        {"%a %a=1", "a a"},
        {"%Width %Width=800 %Width", "Width Width Width"},
        {"%x.%xy", "x.xy"},
    };
    for (const auto& [templateText, workingText] : cases)
        EXPECT_EQ(u8(working(templateText).joined()), workingText) << templateText;
}

// ---- preview ----

TEST(PreviewTable, StartsAfterTheCallAndBreaksLines) {
    struct Case {
        const char* workingText;
        const char* caretWord;
        const char* preview;
    };
    const Case cases[] = {
        {"For var = min To max ¤Next", "for", "For var = min To max \r\nNext"},
        // Only a word ending in "(" is taken out, its first occurrence, in any case.
        {"OpenWindow(WinID, 0)¤HideWindow(WinID, #False)", "openwindow(",
         "WinID, 0)\r\nHideWindow(WinID, #False)"},
        {"x = OPENWINDOW(a) + openwindow(b)", "openwindow(", "x = a) + openwindow(b)"},
        {"GadgetID(Id)", "gadget(", "GadgetID(Id)"},
        {"Ärger(x)¤¤y", "ärger(", "x)\r\n\r\ny"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(u8(idelink::makePreviewText(plain(c.workingText), u16(c.caretWord))), c.preview)
            << c.workingText;
    }
}

// ---- the worked examples, step by step ----

TEST(TemplateExpansion, ForAfterFourSpaces) {
    const auto list = scanned(kFor);
    const idelink::WorkingText work = idelink::prepareTemplate(u16(kFor)).working;
    const idelink::PopupRequest request =
        idelink::makePopupRequest(list, work, u"for", idelink::ScreenPoint{300, 200});

    ASSERT_EQ(request.fields.size(), 3u);
    const char* const labels[] = {"var ", "min ", "max "};
    const char* const defaults[] = {"i", "0", "99"};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(u8(request.fields[i].label), labels[i]);
        EXPECT_EQ(u8(request.fields[i].initialText), defaults[i]);
    }
    EXPECT_EQ(u8(request.previewText), "For var = min To max \r\nNext");
    EXPECT_EQ(request.anchor.x, 300);
    EXPECT_EQ(request.anchor.y, 200);
    EXPECT_FALSE(request.afterParen);

    const idelink::WorkingText applied = idelink::applyValues(work, list, {u"i", u"0", u"99"});
    EXPECT_EQ(u8(applied.joined()), "For i = 0 To 99 ¤Next");
    const idelink::FinishedText finished = idelink::finishText(applied, indentedBy(4));
    EXPECT_EQ(finished.bytes, "For i = 0 To 99 \r\n    Next");
    EXPECT_EQ(finished.caretBytes, 16);
}

TEST(TemplateExpansion, OpenWindowCall) {
    const auto list = scanned(kOpenWindow);
    const idelink::WorkingText work = idelink::prepareTemplate(u16(kOpenWindow)).working;
    const idelink::PopupRequest request =
        idelink::makePopupRequest(list, work, u"openwindow(", idelink::ScreenPoint{});

    std::vector<std::string> labels;
    std::vector<std::u16string> defaults;
    for (const idelink::PopupField& field : request.fields) {
        labels.push_back(u8(field.label));
        defaults.push_back(field.initialText);
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"WinID ", "Width ", "Height ", "Title ", "Flags ",
                                                "ParentID "}));
    EXPECT_TRUE(request.afterParen);
    EXPECT_EQ(u8(request.previewText), "WinID, 0, 0, Width, Height, Title, Flags, ParentID)\r\n"
                                       "HideWindow(WinID, #False)");

    // The defaults as the popup shows them, with ParentID left empty.
    const idelink::WorkingText applied = idelink::applyValues(work, list, defaults);
    const std::string firstLine = "OpenWindow(0, 0, 0, 800, 500, \"Window\", "
                                  "#WS_OVERLAPPEDWINDOW|#PB_Window_ScreenCentered|#PB_Window_"
                                  "Invisible)";
    EXPECT_EQ(u8(applied.joined()), firstLine + "¤HideWindow(0, #False)");

    const idelink::FinishedText finished = idelink::finishText(applied, indentedBy(4));
    EXPECT_EQ(finished.bytes, firstLine + "\r\n    HideWindow(0, #False)");
    EXPECT_EQ(finished.caretBytes, static_cast<int64_t>(firstLine.size()));

    // One WinID value lands in both places.
    std::vector<std::u16string> values = defaults;
    values[0] = u"#Main";
    EXPECT_EQ(u8(idelink::applyValues(work, list, values).joined()),
              "OpenWindow(#Main, 0, 0, 800, 500, \"Window\", #WS_OVERLAPPEDWINDOW|#PB_Window_"
              "ScreenCentered|#PB_Window_Invisible)¤HideWindow(#Main, #False)");
}

// ---- substituting values ----

TEST(ApplyTable, SubstitutesOrRemovesEachName) {
    struct Case {
        const char* name;
        const char* templateText;
        std::vector<std::u16string> values;
        const char* applied;
    };
    const Case cases[] = {
        // An empty value removes ", name"; a name without ", " before it stays bare.
        {"MbWithoutFlags",
         kMb,
         {u"\"Info\"", u"\"Hi\"", u""},
         "MessageRequester(\"Info\", \"Hi\")"},
        {"ProcsEmptied", kProcs, {u"", u""}, "Procedure.type ProcName¤EndProcedure"},
        {"ProcsFilled", kProcs, {u"i", u"Main()"}, "Procedure.i Main()¤EndProcedure"},
        {"RepeatedName",
         kSlist,
         {u"Point", u"pts"},
         "Structure Point¤EndStructure¤¤NewList pts.Point()"},
        // Case matters: the value for X leaves the x of Text alone.
        {"ButtonCase",
         kButton,
         {u"0", u"10", u"20", u"100", u"30", u"\"OK\"", u""},
         "ButtonGadget(0, 10, 20, 100, 30, \"OK\")"},
        {"SwlpRepeatedSpec",
         kSwlp,
         {u"hwnd", u"#GWL_EXSTYLE", u"|#WS_EX_TOPMOST"},
         "SetWindowLongPtr_(hwnd, #GWL_EXSTYLE, GetWindowLongPtr_(hwnd, #GWL_EXSTYLE) "
         "|#WS_EX_TOPMOST)"},
        // Names are plain text: inside longer words and in template text that was never a
        // placeholder, but never in what the user typed for an earlier entry.
        {"InsideWords", "%it=5 item", {u"k"}, "k kem"},
        {"NotInsideEarlierValues", "%a %b", {u"b", u"c"}, "b c"},
        {"ButtonWinIdHoldsLaterName",
         kButton,
         {u"X1", u"5", u"5", u"100", u"30", u"\"Button\"", u""},
         "ButtonGadget(X1, 5, 5, 100, 30, \"Button\")"},
        // An emptied field removes ", name" from the template's text only.
        {"RemovalSkipsValues", "f(%a, %b)", {u"x, b", u""}, "f(x, b)"},
        // The first of two entries with the same name takes every occurrence.
        {"SameNameTwice", "%n=1 %n=2", {u"x", u"y"}, "x x"},
        // Spaces at the ends go, tabs stay; only spaces counts as empty.
        {"Trimmed", "f(a, %w)", {u"  7 "}, "f(a, 7)"},
        {"TabsKept", "f(a, %w)", {u"\t7\t"}, "f(a, \t7\t)"},
        {"OnlySpaces", "f(a, %w)", {u"   "}, "f(a)"},
        {"SeparatorTyped", "If %c¤EndIf", {u"x¤y"}, "If x¤y¤EndIf"},
        // A popup that reported fewer values than fields: the rest keep their defaults.
        {"MissingValues", kFor, {u"j"}, "For j = 0 To 99 ¤Next"},
        {"NoValues", kMb, {}, "MessageRequester(\"Info\", \"Message\")"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(
            u8(idelink::applyValues(working(c.templateText), scanned(c.templateText), c.values)
                   .joined()),
            c.applied);
    }
}

TEST(TemplateExpansion, EntryWithoutNameChangesNothing) {
    const std::vector<Placeholder> list = {{u"=5", u"", u"5", {}}, {u"a", u"a", u"", {}}};
    EXPECT_EQ(u8(idelink::applyValues(plain("x, a"), list, {u"7", u""}).joined()), "x");
}

// ---- finishing ----

TEST(FinishTable, BreaksLinesIndentedToTheWord) {
    struct Case {
        const char* text;
        int wordIndent;
        std::string utf8;
        int64_t caretBytes;
    };
    const Case cases[] = {
        {"If ¤EndIf", 4, "If \r\n    EndIf", 3},
        // Word at the line start: only the template's own spaces indent.
        {"If ¤EndIf", 0, "If \r\nEndIf", 3},
        {"Repeat¤  event¤¤Until", 0, "Repeat\r\n  event\r\n\r\nUntil", 6},
        {"Repeat¤  event¤¤Until", 2, "Repeat\r\n    event\r\n  \r\n  Until", 6},
        {"ProcedureReturn ", 8, "ProcedureReturn ", 16},
        {"¤x", 1, "\r\n x", 0},
        {"", 3, "", 0},
        // Bytes, not characters: Ä 2, € 3, the emoji 4.
        {"Ä€\xF0\x9F\x98\x80¤é", 2, "\xC3\x84\xE2\x82\xAC\xF0\x9F\x98\x80\r\n  \xC3\xA9", 9},
        {"a¤b", -3, "a\r\nb", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const idelink::FinishedText finished =
            idelink::finishText(plain(c.text), indentedBy(c.wordIndent));
        EXPECT_EQ(finished.bytes, c.utf8);
        EXPECT_EQ(finished.caretBytes, c.caretBytes);
    }
}

// ---- the whole expansion against a recorded editor ----

// Every editor call, in order, with its arguments.
struct RecordedEditor {
    int64_t caretPos = 0;
    bool foregroundAfterwards = false;
    bool answering = true;
    std::optional<std::string> lineNow; // what the line before the caret reads again; unset: unread
    int64_t caretNow = -1;              // where the caret is read again; -1: caretPos
    std::string calls;                  // "caretPosition; placeCaret 3"
    void record(const std::string& call) { calls += (calls.empty() ? "" : "; ") + call; }

    idelink::EditorOps ops() {
        idelink::EditorOps editor;
        editor.caretPosition = [this] {
            record("caretPosition");
            return caretPos;
        };
        editor.caretScreenPoint = [this](int64_t position) {
            record("caretScreenPoint " + std::to_string(position));
            return idelink::ScreenPoint{static_cast<int>(position) * 10, 77};
        };
        editor.replaceWord = [this](int64_t wordBytes, int64_t caret, const std::string& utf8) {
            record("replaceWord " + std::to_string(wordBytes) + " " + std::to_string(caret) + " " +
                   utf8);
        };
        editor.placeCaret = [this](int64_t position) {
            record("placeCaret " + std::to_string(position));
        };
        editor.returnForegroundToIde = [this] { record("returnForegroundToIde"); };
        editor.ideIsForeground = [this] {
            record("ideIsForeground");
            return foregroundAfterwards;
        };
        editor.editorAnswers = [this] { return answering; };
        if (lineNow) {
            editor.lineBeforeCaret = [this] {
                record("lineBeforeCaret");
                return std::optional(
                    idelink::LineAtCaret{*lineNow, caretNow >= 0 ? caretNow : caretPos});
            };
        }
        return editor;
    }
};

idelink::PopupResult accepted(std::vector<std::u16string> values) {
    return idelink::PopupResult{true, std::move(values), false};
}
const idelink::PopupResult kCancelByKey{false, {}, false};
const idelink::PopupResult kCancelByClick{false, {}, true};

TEST(ExpandTable, SendsExactlyTheseEditorCalls) {
    struct Case {
        const char* name;
        const char* templateText;
        const char* caretWord;
        int wordIndent;
        int64_t caretPos;
        std::optional<idelink::PopupResult> popupAnswer; // nullopt: the popup must not open
        bool foregroundAfterwards;
        std::string calls;
        int64_t wordBytes = 0; // 0: the UTF-8 length of caretWord
        bool answering = true;
        // The line as it was read at the start ("  for"), and as it reads again just before the
        // text goes in; unset: the word was not read from an editor.
        std::optional<std::string> lineNow = std::nullopt;
        int64_t caretNow = -1; // where the caret is then; -1: where it was
        const char* lineRead = "  for";
        bool lineGone = false; // the line cannot be read again
    };
    const Case cases[] = {
        {"Literal", "Enumeration ¤EndEnumeration", "enu", 4, 50, std::nullopt, false,
         "caretPosition; replaceWord 3 50 Enumeration \r\n    EndEnumeration; placeCaret 59"},
        {"LiteralBecauseOfOperator", "x = a % b¤%y", "mod", 2, 10, std::nullopt, false,
         "caretPosition; replaceWord 3 10 x = a % b\r\n  %y; placeCaret 16"},
        {"Accepted", kFor, "for", 4, 120, accepted({u"n", u"1", u" 10 "}), false,
         "caretPosition; caretScreenPoint 120; replaceWord 3 120 For n = 1 To 10 \r\n    Next; "
         "placeCaret 133"},
        {"AcceptedAfterParen", "GadgetID(%Id=0)", "gadgetid(", 0, 9, accepted({u"#List"}), false,
         "caretPosition; caretScreenPoint 9; replaceWord 9 9 GadgetID(#List); placeCaret 15"},
        {"CancelByKey", kFor, "for", 4, 120, kCancelByKey, false,
         "caretPosition; caretScreenPoint 120"},
        // A popup that never became active: the user types in the IDE, whose caret stays.
        {"CancelledNeverActive", kFor, "for", 4, 120, kCancelByKey, true,
         "caretPosition; caretScreenPoint 120"},
        {"CancelByClick", kFor, "for", 4, 120, kCancelByClick, true,
         "caretPosition; caretScreenPoint 120; returnForegroundToIde; ideIsForeground; placeCaret "
         "120"},
        {"CancelByClickForegroundRefused", kFor, "for", 4, 120, kCancelByClick, false,
         "caretPosition; caretScreenPoint 120; returnForegroundToIde; ideIsForeground"},
        // Byte lengths: "für" is 4 bytes, "σ" 2, "Σ" in the first line 2.
        {"NonAsciiWord", kFor, "für", 1, 40, accepted({u"i", u"0", u"99"}), false,
         "caretPosition; caretScreenPoint 40; replaceWord 4 40 For i = 0 To 99 \r\n Next; "
         "placeCaret 52"},
        {"NonAsciiLiteral", "Σ ¤€", "σ", 3, 10, std::nullopt, false,
         "caretPosition; replaceWord 2 10 \xCE\xA3 \r\n   \xE2\x82\xAC; placeCaret 11"},
        // A caret nearer the text's start than the word is long: the word is not there.
        {"CaretBeforeWord", kFor, "for", 0, 2, std::nullopt, false, "caretPosition"},
        // Lower-casing changed the word's byte count: "Ⱥf" is three bytes in the editor, its
        // lower case "ⱥf" four; the editor's three are replaced and the caret placed from them.
        {"WordLongerWhenLowercased", "If ¤EndIf",
         "\xE2\xB1\xA5"
         "f",
         0, 10, std::nullopt, false, "caretPosition; replaceWord 3 10 If \r\nEndIf; placeCaret 10",
         3},
        {"WordShorterWhenLowercased", "If ¤EndIf", "k", 0, 10, std::nullopt, false,
         "caretPosition; replaceWord 3 10 If \r\nEndIf; placeCaret 10", 3},
        // A caret so far out that the text would pass the largest position: nothing is sent.
        {"CaretAtThePositionLimit", "If ¤EndIf", "if", 0, std::numeric_limits<int64_t>::max(),
         std::nullopt, false, "caretPosition"},
        {"CaretBelowZero", "If ¤EndIf", "if", 0, -5, std::nullopt, false, "caretPosition"},
        // An editor that stopped answering gets nothing more, and no popup opens for it.
        {"EditorStoppedAnswering", kFor, "for", 0, 10, std::nullopt, false, "caretPosition", 0,
         false},
        // Keys typed into the IDE before the popup took the keyboard: the line is the user's now.
        // Keys typed into the IDE since the word was read: the line is the user's now. The caret
        // where the word was read is the one the text goes in at.
        {"WordStillStandsAfterThePopup", kFor, "for", 2, 120, accepted({u"i", u"0", u"9"}), false,
         "caretScreenPoint 120; lineBeforeCaret; replaceWord 3 120 For i = 0 To 9 \r\n  Next; "
         "placeCaret 132",
         0, true, "  for"},
        {"WordTypedOnWhileThePopupOpened", kFor, "for", 2, 120, accepted({u"i", u"0", u"9"}), false,
         "caretScreenPoint 120; lineBeforeCaret", 0, true, "  fo"},
        {"WordStillStandsWithoutPopup", "If ¤EndIf", "for", 2, 120, std::nullopt, false,
         "lineBeforeCaret; replaceWord 3 120 If \r\n  EndIf; placeCaret 120", 0, true, "  for"},
        {"KeyTypedWhileTheLibraryWasRead", "If ¤EndIf", "for", 2, 120, std::nullopt, false,
         "lineBeforeCaret", 0, true, "  forx", 121},
        // The same bytes, but the caret moved on to another line that reads the same.
        {"CaretMovedToALineThatReadsTheSame", "If ¤EndIf", "for", 2, 120, std::nullopt, false,
         "lineBeforeCaret", 0, true, "  for", 160},
        // A name picked on an empty line: the line is compared all the same.
        {"EmptyLineTypedInto", "If ¤EndIf", "if", 0, 120, std::nullopt, false, "lineBeforeCaret",
         -1, true, "x", 121, ""},
        {"EmptyLineStillEmpty", "If ¤EndIf", "if", 0, 120, std::nullopt, false,
         "lineBeforeCaret; replaceWord 0 120 If \r\nEndIf; placeCaret 123", -1, true, "", -1, ""},
        {"EditorGoneBeforeTheInsert", "If ¤EndIf", "if", 0, 120, std::nullopt, false,
         "lineBeforeCaret", 0, true, std::nullopt, -1, "if", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordedEditor editor;
        editor.caretPos = c.caretPos;
        editor.foregroundAfterwards = c.foregroundAfterwards;
        editor.answering = c.answering;
        editor.lineNow = c.lineNow;
        editor.caretNow = c.caretNow;
        const bool readFromEditor = c.lineNow || c.lineGone;
        int popupsShown = 0;
        idelink::PopupRequest shown;
        const idelink::PopupFunction popup = [&](const idelink::PopupRequest& request) {
            ++popupsShown;
            shown = request;
            return c.popupAnswer.value_or(idelink::PopupResult{});
        };
        const std::u16string word = u16(c.caretWord);
        const int64_t wordBytes = c.wordBytes > 0    ? c.wordBytes
                                  : c.wordBytes == 0 ? int64_t(text::utf8Length(word))
                                                     : 0;
        idelink::CaretWord caretWord{word, c.wordIndent, wordBytes,
                                     indentedBy(c.wordIndent).indentation};
        if (readFromEditor)
            caretWord.line = idelink::LineAtCaret{c.lineRead, c.caretPos};
        idelink::EditorOps ops = editor.ops();
        if (c.lineGone) {
            ops.lineBeforeCaret = [&editor]() -> std::optional<idelink::LineAtCaret> {
                editor.record("lineBeforeCaret");
                return std::nullopt;
            };
        }
        const idelink::ExpansionOutcome outcome =
            idelink::expandShortcut(u16(c.templateText), caretWord, ops, popup);
        EXPECT_EQ(editor.calls, c.calls);
        EXPECT_EQ(outcome.end == idelink::ExpansionOutcome::End::Inserted,
                  c.calls.find("replaceWord") != std::string::npos);
        EXPECT_EQ(popupsShown, c.popupAnswer ? 1 : 0);
        if (popupsShown == 1) {
            EXPECT_EQ(shown.anchor.x, static_cast<int>(c.caretPos) * 10);
            EXPECT_EQ(shown.anchor.y, 77);
            EXPECT_EQ(shown.fields.size(), scanned(c.templateText).size());
        }
    }
}

TEST(TemplateExpansion, PopupSeesPreviewAndFieldsOfTheTemplate) {
    RecordedEditor editor;
    editor.caretPos = 11;
    idelink::PopupRequest shown;
    idelink::expandShortcut(u16(kOpenWindow), {u"openwindow(", 4, 11, u"    "}, editor.ops(),
                            [&](const idelink::PopupRequest& request) {
                                shown = request;
                                return kCancelByKey;
                            });
    ASSERT_EQ(shown.fields.size(), 6u);
    EXPECT_EQ(u8(shown.fields[5].label), "ParentID ");
    EXPECT_EQ(u8(shown.fields[5].initialText), "");
    EXPECT_TRUE(shown.afterParen);
    EXPECT_EQ(u8(shown.previewText).rfind("WinID, 0, 0, Width", 0), 0u);
}

// Directives, the shape of multi-line values, the indentation and the caret, through the whole
// expansion: the inserted text with "<|>" where the caret lands, and the popup's preview.
TEST(DirectiveTable, InsertsWhatEachDirectiveReadsAndPlacesTheCaret) {
    struct Case {
        const char* name;
        const char* templateText;
        std::vector<std::u16string> values = {}; // accepted in the popup; {}: no popup opens
        const char* inserted;               // "<|>": the caret
        const char* preview = "";           // when the popup opened
        const char* clipboard = nullptr;    // nullptr: the clipboard must not be read
        const char* selection = nullptr;    // a wrapped selection's text
        const char* indentation = "    ";   // before the word or the selection
        int64_t lineBreakMode = 0;
        const char* selectionNow = nullptr; // the selected text read again after the popup
        const char* filePath = "";          // the document's file
        // The preview for the accepted values as the user types them; nullptr: it does not
        // change with them.
        const char* typedPreview = nullptr;
    };
    const Case cases[] = {
        {"MarkerAfterMultiByteText", "Größe %(|)= 0¤x", {}, "Größe <|>= 0\r\n    x"},
        {"OnlyTheFirstMarkerCounts", "a%(|)b%(|)c", {}, "a<|>bc"},
        {"MarkerWithPlaceholders",
         "If %c=x %(|)¤EndIf",
         {u"y"},
         "If y <|>\r\n    EndIf",
         "If c \r\nEndIf"},
        {"PercentWithPlaceholders",
         "%a=1 %(%) %b=2¤",
         {u"7", u" 8"},
         "7 % 8<|>\r\n    ",
         "a % b\r\n"},
        // An unknown body is a "%" with an empty spec: no popup, the text as written, and the
        // directives beside it still honoured.
        {"UnknownBodyStaysLiteral",
         "%(b+c) %x=1 %(date) %(time:H.mm)",
         {},
         "%(b+c) %x=1 D[yyyy-MM-dd] T[H.mm]<|>"},
        {"EmptyPictureIsNoDirective", "x%(date:)", {}, "x%(date:)<|>"},
        // What a directive puts in is never scanned again, nor what a field holds.
        {"DirectiveTypedIntoAFieldIsText", "If %c", {u"%(date)"}, "If %(date)<|>", "If c"},
        {"PlaceholderInTheClipboardIsText", "%(clip)", {}, "%a=1 ¤<|>", "", "%a=1 ¤"},
        // A value's further lines start under its first character; CR LF, LF and CR each break
        // a line; a final break is kept with nothing after it; the caret goes to the first break.
        {"ValueWithCrLf",
         "x = %(clip)¤y",
         {},
         "x = a<|>\r\n          b\r\n\r\n    y",
         "",
         "a\r\n  b\n"},
        {"SharedBlanksGo",
         "%(clip)",
         {},
         "a<|>\r\n    b\r\n\r\n      c",
         "",
         "  a\r  b\n\t\n    c"},
        {"FieldNameInTheSelection",
         "If %c¤%(sel)¤EndIf",
         {u"k"},
         "If k<|>\r\n    c = c + 1\r\n    EndIf",
         "If c\r\nc = c + 1\r\nEndIf",
         nullptr,
         "c = c + 1"},
        // A selection begun after its line's indentation lines up with the lines below it.
        {"SelectionBegunInItsLine",
         "If 1¤  %(sel)¤EndIf",
         {},
         "If 1<|>\r\n      foo()\r\n        bar()\r\n    EndIf",
         "",
         nullptr,
         "foo()\n      bar()",
         "    "},
        // A tab and four spaces are no shared indentation: the wrapped code keeps its shape.
        {"TabAndSpacesAreNotTheSameIndentation",
         "%(sel)",
         {},
         "\tIf a<|>\r\n    b = 1\r\n\tEndIf",
         "",
         nullptr,
         "\tIf a\n    b = 1\n\tEndIf",
         ""},
        {"SelectionAfterATabSharesOnlyTheTab",
         "%(sel)",
         {},
         "foo()<|>\r\n\t\t    bar()",
         "",
         nullptr,
         "foo()\n\t\t    bar()",
         "\t"},
        {"TabsKeptAndLfBreaks",
         "If ¤EndIf",
         {},
         "If <|>\n\t\t  EndIf",
         "",
         nullptr,
         nullptr,
         "\t\t  ",
         2},
        {"CrBreaksInValuesToo",
         "%(clip)¤%c",
         {u"v¤w"},
         "a<|>\r\tb\r\tv\r\tw",
         "a\r\nb\r\nc",
         "a\r\nb",
         nullptr,
         "\t",
         1},
        {"UnknownModeKeepsCrLf", "a¤b", {}, "a<|>\r\n\tb", "", nullptr, nullptr, "\t", 7},
        // A field again in another case, wherever the field stands, follows what is typed.
        {.name = "CopyBeforeItsField",
         .templateText = "const [%name=count, set%(cap:name)] = useState(%init=0)",
         .values = {u" point ", u"1"},
         .inserted = "const [point, setPoint] = useState(1)<|>",
         .preview = "const [name, setCount] = useState(init)",
         .typedPreview = "const [name, setPoint] = useState(init)"},
        {.name = "EmptiedFieldGivesEmptyCopies",
         .templateText = "f(%a, %b=x)%(const:b)%(upper:a)",
         .values = {u"1", u""},
         .inserted = "f(1)1<|>",
         .preview = "f(a, b)X",
         .typedPreview = "f(a, b)1"},
        // A name no field has stays text, and leaves the template's fields as they are.
        // "%()" puts in nothing: it ends a field's name where the text goes on at once.
        {.name = "NothingEndsAFieldsName",
         .templateText = "log('%msg%()');",
         .values = {u"hi"},
         .inserted = "log('hi');<|>",
         .preview = "log('msg');"},
        {.name = "CopyOfNoField",
         .templateText = "%(upper:nope) %x",
         .values = {u"v"},
         .inserted = "%(upper:nope) v<|>",
         .preview = "%(upper:nope) x"},
        {.name = "FileParts",
         .templateText = "%(file)|%(filename)|%(filebase)|%(dir)",
         .inserted = "C:\\src\\app.main.pb|app.main.pb|app.main|C:\\src<|>",
         .filePath = "C:\\src\\app.main.pb"},
        {.name = "FileWithoutFolder",
         .templateText = "%(filename)|%(filebase)|%(dir)",
         .inserted = "notes|notes|<|>",
         .filePath = "notes"},
        {.name = "UnsavedDocument",
         .templateText = "[%(file)%(dir)%(filebase)]",
         .inserted = "[]<|>"},
        {.name = "EnvironmentAndAPathHoldingAName",
         .templateText = "; %(env:USERNAME)%(env:NOPE) in %(dir) %x",
         .values = {u"v"},
         .inserted = "; ada in /home/%x v<|>",
         .preview = "; ada in /home/%x x",
         .filePath = "/home/%x/a.pb"},
        // One template inside another, as if written there.
        {.name = "Alias",
         .templateText = "%(use:if)",
         .values = {u"ok"},
         .inserted = "If ok \r\n      <|>\r\n    EndIf",
         .preview = "If cond \r\n  \r\nEndIf"},
        {.name = "FieldSharedWithAUsedTemplate",
         .templateText = "If %cond=a %(use:debug)",
         .values = {u"k", u"2"},
         .inserted = "If k Debug k<|>\r\n    2",
         .preview = "If cond Debug cond\r\nn"},
        {.name = "UsedLiteralTemplateGoesInAsWritten",
         .templateText = "%x=1 %(use:percent)",
         .values = {u"7"},
         .inserted = "7 a % b %x<|>",
         .preview = "x a % b %x"},
        {.name = "Loop", .templateText = "%(use:ping)", .inserted = "xy%(use:ping)<|>"},
        {.name = "ItsOwnName", .templateText = "w %(use:word)", .inserted = "w %(use:word)<|>"},
        {.name = "DepthLimit", .templateText = "%(use:d1)", .inserted = "12345678%(use:d9)<|>"},
        {.name = "UnknownName",
         .templateText = "%(use:nothing)%(use:) %x",
         .values = {u"v"},
         .inserted = "%(use:nothing)%(use:) %x<|>"},
        // A selection changed while the popup showed is the user's: nothing is replaced.
        {"SelectionChangedMeanwhile",
         "If %c¤%(sel)",
         {u"k"},
         "",
         "If c\r\nab",
         nullptr,
         "ab",
         "",
         0,
         "a"},
    };
    // The library that "%(use:...)" reads from.
    const std::map<std::u16string, std::u16string> library = {
        {u"if", u"If %cond=a ¤  %(|)¤EndIf"},
        {u"debug", u16("Debug %cond=a¤%n=1")},
        {u"percent", u"a % b %x"},
        {u"ping", u"x%(use:pong)"},
        {u"pong", u"y%(use:ping)"},
        {u"word", u"never read: it is the Shortcut being expanded"},
        {u"d1", u"1%(use:d2)"},
        {u"d2", u"2%(use:d3)"},
        {u"d3", u"3%(use:d4)"},
        {u"d4", u"4%(use:d5)"},
        {u"d5", u"5%(use:d6)"},
        {u"d6", u"6%(use:d7)"},
        {u"d7", u"7%(use:d8)"},
        {u"d8", u"8%(use:d9)"},
        {u"d9", u"9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        idelink::DirectiveSources sources;
        sources.filePath = u16(c.filePath);
        sources.environment = [](std::u16string_view name) {
            return name == u"USERNAME" ? std::u16string(u"ada") : std::u16string();
        };
        sources.shortcutTemplate = [&](std::u16string_view name) {
            const auto found = library.find(std::u16string(name));
            return found == library.end() ? std::nullopt : std::optional(found->second);
        };
        sources.shortcutName = u"word";
        sources.clock = [](idelink::DirectiveKind kind, std::u16string_view picture) {
            return (kind == idelink::DirectiveKind::Date ? u"D[" : u"T[") +
                   std::u16string(picture) + u"]";
        };
        int clipboardReads = 0;
        sources.clipboard = [&] {
            ++clipboardReads;
            return u16(c.clipboard ? c.clipboard : "");
        };
        std::string inserted;
        int64_t caret = -1;
        idelink::EditorOps editor;
        editor.caretPosition = [] { return int64_t(100); };
        editor.caretScreenPoint = [](int64_t) { return idelink::ScreenPoint{}; };
        editor.replaceWord = [&](int64_t, int64_t, const std::string& utf8) { inserted = utf8; };
        editor.placeCaret = [&](int64_t position) { caret = position; };
        editor.lineBreakMode = [&] { return c.lineBreakMode; };
        const idelink::WrappedSelection selection{100, 90, u16(c.selection ? c.selection : ""),
                                                  u16(c.indentation)};
        editor.currentSelection = [&]() -> std::optional<idelink::WrappedSelection> {
            idelink::WrappedSelection now = selection;
            if (c.selectionNow)
                now.text = u16(c.selectionNow);
            return now;
        };
        std::string preview;
        std::optional<std::string> typedPreview;
        const auto popup = [&](const idelink::PopupRequest& request) {
            preview = u8(request.previewText);
            if (request.previewWith)
                typedPreview = u8(request.previewWith(c.values));
            return idelink::PopupResult{true, c.values, false};
        };
        const std::u16string indentation = u16(c.indentation);
        const int column = int(indentation.size());
        if (c.selection) {
            idelink::expandShortcut(u16(c.templateText), {u"name", column, 0, indentation}, editor,
                                    popup, sources, &selection);
            if (caret >= 90)
                inserted.insert(size_t(caret - 90), "<|>");
        } else {
            idelink::expandShortcut(u16(c.templateText), {u"word", column, 4, indentation}, editor,
                                    popup, sources);
            ASSERT_GE(caret, 96);
            inserted.insert(size_t(caret - 96), "<|>");
        }
        EXPECT_EQ(inserted, c.inserted);
        EXPECT_EQ(preview, c.preview);
        EXPECT_EQ(typedPreview,
                  c.typedPreview ? std::optional<std::string>(c.typedPreview) : std::nullopt);
        EXPECT_EQ(clipboardReads, c.clipboard ? 1 : 0);
    }
}

// Eight levels that each use the next sixteen times would be 16^8 copies: the text read stops
// growing at its bound, and the uses beyond it stay text.
TEST(TemplateExpansion, UsedTemplatesThatMultiplyStopGrowing) {
    idelink::DirectiveSources sources;
    int reads = 0;
    sources.shortcutTemplate = [&](std::u16string_view name) {
        ++reads;
        const std::u16string next = u"m" + std::u16string(1, char16_t(name.back() + 1));
        std::u16string text = u"level";
        for (int i = 0; i < 16; ++i)
            text += u"%(use:" + next + u")";
        return std::optional(text);
    };
    const std::u16string preview = idelink::templatePreview(u"%(use:m0)", sources);
    EXPECT_LE(preview.size(), idelink::kMaxTemplateUnits + 9);
    EXPECT_NE(preview.find(u"%(use:m"), std::u16string::npos);
    EXPECT_LE(size_t(reads), idelink::kMaxTemplateUnits / 100);
}

// ---- from the editor's text to the editor's text ----

// An editor that holds a document in a code page: what the expansion sends changes its bytes and
// its caret.
struct DocumentEditor {
    std::string text;
    int64_t caret = 0;
    int codePage = ::text::kUtf8CodePage;

    // The caret's line up to the caret, as the editor reads it out.
    idelink::LineAtCaret lineBeforeCaret() const {
        const size_t end = size_t(caret);
        const size_t lineEnd = text.find_last_of("\r\n", end == 0 ? 0 : end - 1);
        const size_t start = lineEnd == std::string::npos || end == 0 ? 0 : lineEnd + 1;
        return {text.substr(start, end - start), caret, codePage};
    }
    idelink::EditorOps ops() {
        idelink::EditorOps editor;
        editor.caretPosition = [this] { return caret; };
        editor.caretScreenPoint = [](int64_t) { return idelink::ScreenPoint{}; };
        editor.replaceWord = [this](int64_t wordBytes, int64_t at, const std::string& bytes) {
            text.replace(size_t(at - wordBytes), size_t(wordBytes), bytes);
        };
        editor.placeCaret = [this](int64_t position) { caret = position; };
        editor.lineBeforeCaret = [this] { return std::optional(lineBeforeCaret()); };
        return editor;
    }
};

// Shortcuts of a file of the user's own, in place of the defaults. Lower-casing changes the
// byte counts of two names' words: U+023A takes two bytes and its lower case three; U+2C6F
// three and its lower case two.
const std::pair<const char*, const char*> kOwnShortcuts[] = {
    {"größe", "Größe.l = 0¤; größe"},
    {"\xE2\xB1\xA5"
     "f",
     "Lock ¤End"},
    {"\xC9\x90"
     "x",
     "Up"},
    {"blk", "Block¤  %(|)¤EndBlock"},
    {"om", "x = Ω"},
    {"jp", "表示 = %Wert=1"},
};

// The document before and after, "<|>" at the caret: the word before the caret is looked up
// as the program looks it up, the popup (when one must open) answered as the user typed, and
// the template expanded into the document.
TEST(DocumentTable, TheWordBeforeTheCaretBecomesItsShortcut) {
    struct Case {
        const char* name;
        std::string document;
        std::string expected;
        int popupFields = 0;                 // 0: no popup may open
        std::vector<const char*> typed = {}; // per field; nullptr or none: its default accepted
        bool ownShortcuts = false;           // kOwnShortcuts, not the defaults
        int codePage = text::kUtf8CodePage;  // the document's; its texts are in it
        const char* typedInIde = "";         // keys that reach the editor after the word was read
        std::optional<char32_t> cannotHold = std::nullopt; // told instead of inserting
    };
    const Case cases[] = {
        {"ProcAtTheLineStart", "proc<|>\r\n", "Procedure <|>\r\nEndProcedure\r\n"},
        {"RetLosesItsTrailingSpace", "  x = 1\r\n  ret<|>", "  x = 1\r\n  ProcedureReturn<|>"},
        {"CapitalLettersTyped", "  IF<|>", "  If <|>\r\n  EndIf"},
        {"AfterOpeningParenthesis", "Foo(if<|>", "Foo(If <|>\r\n    EndIf"},
        {"AfterBar", "a|if<|>", "a|If <|>\r\n  EndIf"},
        {"TextAfterTheCaretStays", "  if<|> x > 0\r\nnext\r\n",
         "  If <|>\r\n  EndIf x > 0\r\nnext\r\n"},
        {"IndentCountsCharactersNotBytes", "été if<|>", "été If <|>\r\n    EndIf"},
        {"TabBeforeTheWordStaysOnTheFurtherLines", "\tif<|>", "\tIf <|>\r\n\tEndIf"},
        // The editor holds a zero byte in the line: the word holding it names nothing.
        {"ZeroByteInTheWord", std::string("  if\0xx<|>\r\n", 12),
         std::string("  if\0xx<|>\r\n", 12)},
        {"WordNamingNoShortcut", "  zzz<|>\r\n", "  zzz<|>\r\n"},
        {"WordWithNonAsciiLetter",
         "  Größe<|>\r\n",
         "  Größe.l = 0<|>\r\n  ; größe\r\n",
         0,
         {},
         true},
        {"WordGrowsWhenLowercased",
         "  \xC8\xBA"
         "f<|> x\r\n",
         "  Lock <|>\r\n  End x\r\n",
         0,
         {},
         true},
        {"WordShrinksWhenLowercased",
         "(\xE2\xB1\xAF"
         "x<|>)",
         "(Up<|>)",
         0,
         {},
         true},
        {"CaretMarkOnTheMiddleLine", "  blk<|>", "  Block\r\n    <|>\r\n  EndBlock", 0, {}, true},
        // Spaces alone count as empty, and an emptied field drops its argument.
        {"OnlySpacesCountAsEmpty", "mb<|>", "MessageRequester(\"Info\")<|>", 3, {nullptr, "   "}},
        {"EmptiedFieldDropsItsArgument",
         "button<|>",
         "ButtonGadget(0, 5, 5, 100, 30)<|>",
         7,
         {nullptr, nullptr, nullptr, nullptr, nullptr, ""}},
        {"PlaceholderUsedTwice",
         "slist<|>",
         "Structure Point<|>\r\nEndStructure\r\n\r\nNewList pts.Point()",
         2,
         {"Point", "pts"}},
        {"OpenWindowAfterItsParenthesis",
         "  openwindow(<|>",
         "  OpenWindow(7, 0, 0, 800, 500, \"Window\", "
         "#WS_OVERLAPPEDWINDOW|#PB_Window_ScreenCentered|#PB_Window_Invisible)<|>\r\n"
         "  HideWindow(7, #False)",
         6,
         {"7"}},
        {"GadgetId", "gid<|>", "GadgetID(0)<|>", 1},
        {"WindowId", "wid<|>", "WindowID(0)<|>", 1},
        {"TypedProcedure", "procs<|>", "Procedure.s ProcName<|>\r\nEndProcedure", 2},
        {"Repeat", " rep<|>", " Repeat<|>\r\n Until 1", 1},
        {"While", "whi<|>", "While x < 3<|>\r\nWend", 1, {"x < 3"}},
        {"SetClassLong",
         "sclp<|>",
         "SetClassLongPtr_(win, #GCL_STYLE, GetClassLongPtr_(win, #GCL_STYLE) |#CS_DBLCLKS)<|>",
         3,
         {"win"}},
        {"SetWindowLong",
         "swlp<|>",
         "SetWindowLongPtr_(hWnd, #GWL_EXSTYLE, GetWindowLongPtr_(hWnd, #GWL_EXSTYLE) "
         "|#WS_BORDER)<|>",
         3,
         {nullptr, "#GWL_EXSTYLE"}},
        {"StructuredMap",
         "smap<|>",
         "Structure Pair<|>\r\nEndStructure\r\n\r\nNewMap names.Pair()",
         2,
         {"Pair", "names"}},
        // Keys typed while the program started reached the editor: nothing is replaced.
        {"KeyTypedAfterTheWord", "  if<|>", "  ifx<|>", 0, {}, false, 65001, "x"},
        {"KeyTypedBeforeThePopupTookTheKeys", "  for<|>", "  for <|>", 3, {}, false, 65001, " "},
        // A document in code page 0 with the Western character set: its own bytes, both ways.
        {"WordAndTemplateIn1252",
         "  Gr\xD6\xDF"
         "e<|>\r\n",
         "  Gr\xF6\xDF"
         "e.l = 0<|>\r\n  ; gr\xF6\xDF"
         "e\r\n",
         0,
         {},
         true,
         1252},
        {"IndentCountsCharactersIn1252",
         "\xE9t\xE9 if<|>",
         "\xE9t\xE9 If <|>\r\n    EndIf",
         0,
         {},
         false,
         1252},
        {"ValueTypedIntoThePopupIn1252",
         "whi<|>",
         "While \xE4 > 3<|>\r\nWend",
         1,
         {"ä > 3"},
         false,
         1252},
        {"CharacterThe1252DocumentCannotHold", "om<|>", "om<|>", 0, {}, true, 1252, "", U'\u03A9'},
        {"ValueThe1252DocumentCannotHold",
         "whi<|>",
         "whi<|>",
         1,
         {"x < π"},
         false,
         1252,
         "",
         U'\u03C0'},
        // Shift-JIS: the "|" byte inside "ポ" ends no word; a template's Japanese goes in as the
        // document's bytes, the "\\" byte inside "表" included.
        {"ShiftJisTrailByteIsNoBar",
         "\x83\x7C"
         "if<|>",
         "\x83\x7C"
         "if<|>",
         0,
         {},
         false,
         932},
        {"ShiftJisIndentCountsCharacters",
         "\x83\x7C if<|>",
         "\x83\x7C If <|>\r\n  EndIf",
         0,
         {},
         false,
         932},
        {"ShiftJisTemplate", "jp<|>", "\x95\x5C\x8E\xA6 = 1<|>", 1, {}, true, 932},
        {"UmlautTheShiftJisDocumentCannotHold",
         "whi<|>",
         "whi<|>",
         1,
         {"\xC3\xBC"},
         false,
         932,
         "",
         U'\u00FC'},
    };
    store::ShortcutStore defaults;
    store::PopupSettings settings;
    store::loadDefaultShortcuts(defaults, settings);
    store::ShortcutStore own;
    for (const auto& [name, templateText] : kOwnShortcuts)
        store::setShortcut(own, u16(name), u16(templateText));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DocumentEditor editor;
        editor.text = c.document;
        const size_t mark = editor.text.find("<|>");
        ASSERT_NE(mark, std::string::npos);
        editor.text.erase(mark, 3);
        editor.caret = int64_t(mark);
        editor.codePage = c.codePage;
        const idelink::CaretWord word = idelink::findCaretWord(editor.lineBeforeCaret());
        editor.text.insert(size_t(editor.caret), c.typedInIde);
        editor.caret += int64_t(std::string_view(c.typedInIde).size());
        int popupsShown = 0;
        size_t fieldsShown = 0;
        const idelink::PopupFunction popup = [&](const idelink::PopupRequest& request) {
            ++popupsShown;
            fieldsShown = request.fields.size();
            std::vector<std::u16string> values;
            for (size_t i = 0; i < request.fields.size(); ++i)
                values.push_back(i < c.typed.size() && c.typed[i] ? u16(c.typed[i])
                                                                  : request.fields[i].initialText);
            return accepted(values);
        };
        idelink::ExpansionOutcome outcome;
        if (const auto templateText =
                store::findShortcut(c.ownShortcuts ? own : defaults, word.caretWord))
            outcome = idelink::expandShortcut(*templateText, word, editor.ops(), popup);
        EXPECT_EQ(outcome.end == idelink::ExpansionOutcome::End::CannotHold,
                  c.cannotHold.has_value());
        if (c.cannotHold) {
            EXPECT_EQ(outcome.character, *c.cannotHold);
            EXPECT_EQ(outcome.codePage, c.codePage);
        }
        std::string after = editor.text;
        after.insert(size_t(editor.caret), "<|>");
        EXPECT_EQ(after, c.expected);
        EXPECT_EQ(popupsShown, c.popupFields > 0 ? 1 : 0);
        EXPECT_EQ(fieldsShown, size_t(c.popupFields));
    }
}

// The editor's text ends at a zero byte: a word holding one is never replaced.
TEST(TemplateExpansion, WordWithZeroByteIsLeftAlone) {
    RecordedEditor editor;
    editor.caretPos = 10;
    idelink::expandShortcut(u"If ¤EndIf", {std::u16string(u"if\0xx", 5), 0, 5}, editor.ops(),
                            [](const idelink::PopupRequest&) { return kCancelByKey; });
    EXPECT_TRUE(editor.calls.empty());
}

// What would reach the editor other than the user meant changes nothing and is told: a zero
// character (the editor would cut the text there, and with it the rest of the selection), and a
// selection whose bytes are no text of the document's code page (they would come back changed).
TEST(TemplateExpansion, TextTheEditorWouldNotGetAsItIsChangesNothing) {
    using End = idelink::ExpansionOutcome::End;
    struct Case {
        const char* name;
        const char* templateText;
        std::string selectedBytes;
        int codePage;
        std::u16string typed; // into the popup's one field, when the template has one
        End end;
    };
    const Case cases[] = {
        {"zero byte in the selection", "If x¤%(sel)¤EndIf", std::string("a\0b", 3), 65001, u"",
         End::ZeroCharacter},
        {"zero typed into a field", "If %c¤%(sel)", "ab", 65001, std::u16string(u"k\0", 2),
         End::ZeroCharacter},
        {"selection that is no UTF-8", "[%(sel)]", "a\xC3(", 65001, u"", End::SelectionNotText},
        {"selection that is no Shift-JIS", "[%(sel)]", "\x81\x7F", 932, u"", End::SelectionNotText},
        {"such a selection not put in", "[]", "a\xC3(", 65001, u"", End::Inserted},
        {"Shift-JIS selection wrapped", "[%(sel)]", "\x83\x7C", 932, u"", End::Inserted},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string inserted = "(nothing)";
        idelink::EditorOps editor;
        editor.caretPosition = [] { return int64_t(100); };
        editor.caretScreenPoint = [](int64_t) { return idelink::ScreenPoint{}; };
        editor.replaceWord = [&](int64_t, int64_t, const std::string& bytes) { inserted = bytes; };
        editor.placeCaret = [](int64_t) {};
        const idelink::WrappedSelection selection{
            90,
            100,
            text::codePageToUtf16(c.codePage, c.selectedBytes),
            u"",
            c.selectedBytes,
            c.codePage};
        const idelink::ExpansionOutcome outcome = idelink::expandShortcut(
            u16(c.templateText), {u"name"}, editor,
            [&](const idelink::PopupRequest&) { return accepted({c.typed}); }, {}, &selection);
        EXPECT_EQ(outcome.end, c.end);
        if (c.end == End::Inserted) {
            EXPECT_EQ(inserted.front(), '[');
            EXPECT_EQ(inserted.substr(1, inserted.size() - 2),
                      std::string(c.templateText) == "[]" ? "" : c.selectedBytes);
        } else {
            EXPECT_EQ(inserted, "(nothing)");
        }
    }
}

// Values that hold later names once made the text grow with every entry; now the result is
// at most the template's size times the longest value.
TEST(TemplateExpansion, ValuesHoldingLaterNamesDoNotMultiplyTheText) {
    std::string templateText;
    for (char name = 'a'; name <= 'z'; ++name)
        templateText += std::string("%") + name + "=" + char(name + 1) + char(name + 1) + " ";
    const auto list = scanned(templateText.c_str());
    std::vector<std::u16string> defaults;
    for (const Placeholder& placeholder : list)
        defaults.push_back(placeholder.defaultText);
    const std::u16string applied =
        idelink::applyValues(idelink::prepareTemplate(u16(templateText)).working, list, defaults)
            .joined();
    std::string expected;
    for (char name = 'a'; name <= 'z'; ++name)
        expected += std::string(2, char(name + 1)) + " ";
    EXPECT_EQ(u8(applied), expected);
}

} // namespace
