#include "idelink/TemplateExpansion.h"

#include "base/TextConvert.h"

#include <gtest/gtest.h>

#include <limits>
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

std::u16string working(const char* templateText) {
    return idelink::prepareTemplate(u16(templateText), scanned(templateText));
}

// ---- scanning ----

struct ScanCase {
    const char* templateText;
    // "spec|name|default" per entry; nullopt: the template is literal.
    std::optional<std::vector<std::string>> entries;
};

void PrintTo(const ScanCase& c, std::ostream* out) {
    *out << '"' << c.templateText << '"';
}

class ScanTable : public testing::TestWithParam<ScanCase> {};

TEST_P(ScanTable, FindsDistinctSpecsInOrderOrDeclaresTheTemplateLiteral) {
    const ScanCase& c = GetParam();
    const auto list = idelink::scanPlaceholders(u16(c.templateText));
    ASSERT_EQ(list.has_value(), c.entries.has_value()) << c.templateText;
    if (!list)
        return;
    std::vector<std::string> got;
    for (const Placeholder& p : *list)
        got.push_back(u8(p.spec) + "|" + u8(p.name) + "|" + u8(p.defaultText));
    EXPECT_EQ(got, *c.entries) << c.templateText;
}

using Entries = std::vector<std::string>;

INSTANTIATE_TEST_SUITE_P(
    DefaultTemplates, ScanTable,
    testing::Values(
        ScanCase{kFor, Entries{"var=i|var|i", "min=0|min|0", "max=99|max|99"}},
        ScanCase{kOpenWindow,
                 Entries{"WinID=0|WinID|0", "Width=800|Width|800", "Height=500|Height|500",
                         "Title=\"Window\"|Title|\"Window\"",
                         "Flags=#WS_OVERLAPPEDWINDOW|#PB_Window_ScreenCentered|#PB_Window_"
                         "Invisible|Flags|#WS_OVERLAPPEDWINDOW|#PB_Window_ScreenCentered|#PB_"
                         "Window_Invisible",
                         "ParentID=|ParentID|"}},
        ScanCase{kSlist, Entries{"STRUCTNAME|STRUCTNAME|", "ListName|ListName|"}},
        ScanCase{kSwlp, Entries{"hWnd|hWnd|", "nIndex=#GWL_STYLE|nIndex|#GWL_STYLE",
                                "Flags=|#WS_BORDER|Flags||#WS_BORDER"}},
        ScanCase{kMb, Entries{"Title=\"Info\"|Title|\"Info\"", "Text=\"Message\"|Text|\"Message\"",
                              "Flags=|Flags|"}},
        ScanCase{kProcs, Entries{"type=s|type|s", "ProcName|ProcName|"}},
        ScanCase{"If ¤EndIf", std::nullopt}, ScanCase{kEvent, std::nullopt}));

INSTANTIATE_TEST_SUITE_P(
    Syntax, ScanTable,
    testing::Values(
        // A second "=" ends the default; tab, ":" and "#" belong to the spec.
        ScanCase{"%a=1=2", Entries{"a=1=2|a|1"}},
        ScanCase{"%X=5\t%Y:#z", Entries{"X=5\t|X|5\t", "Y:#z|Y:#z|"}},
        // Same name, different defaults: two entries.
        ScanCase{"%n=1 %n=2 %n=1", Entries{"n=1|n|1", "n=2|n|2"}},
        // A "%" that opens nothing makes the whole template literal, earlier placeholders
        // included.
        ScanCase{"%x a % b", std::nullopt}, ScanCase{"%x a%", std::nullopt},
        ScanCase{"%x %%y", std::nullopt}, ScanCase{"f(%)", std::nullopt},
        ScanCase{"%x,%,", std::nullopt}, ScanCase{"%x.%.y", std::nullopt},
        ScanCase{"%x¤%¤", std::nullopt}, ScanCase{"%x(%(", std::nullopt},
        // No name before "=": nothing could carry its value, so it stays as written.
        ScanCase{"%=5", std::nullopt}, ScanCase{"%x %=", std::nullopt}));

// ---- preparing ----

struct PrepareCase {
    const char* templateText;
    const char* workingText;
};

void PrintTo(const PrepareCase& c, std::ostream* out) {
    *out << '"' << c.templateText << '"';
}

class PrepareTable : public testing::TestWithParam<PrepareCase> {};

TEST_P(PrepareTable, TurnsEachPlaceholderIntoItsName) {
    EXPECT_EQ(u8(working(GetParam().templateText)), GetParam().workingText);
}

INSTANTIATE_TEST_SUITE_P(
    All, PrepareTable,
    testing::Values(
        PrepareCase{kFor, "For var = min To max ¤Next"},
        PrepareCase{kOpenWindow, "OpenWindow(WinID, 0, 0, Width, Height, Title, Flags, "
                                 "ParentID)¤HideWindow(WinID, #False)"},
        PrepareCase{kSlist, "Structure STRUCTNAME¤EndStructure¤¤NewList ListName.STRUCTNAME()"},
        PrepareCase{kSwlp,
                    "SetWindowLongPtr_(hWnd, nIndex, GetWindowLongPtr_(hWnd, nIndex) Flags)"},
        // A shorter spec met first must not cut into a longer one that starts with it.
        PrepareCase{"%a %a=1", "a a"}, PrepareCase{"%Width %Width=800 %Width", "Width Width Width"},
        PrepareCase{"%x.%xy", "x.xy"}));

// ---- preview ----

struct PreviewCase {
    const char* workingText;
    const char* caretWord;
    const char* preview;
};

void PrintTo(const PreviewCase& c, std::ostream* out) {
    *out << '"' << c.workingText << '"';
}

class PreviewTable : public testing::TestWithParam<PreviewCase> {};

TEST_P(PreviewTable, StartsAfterTheCallAndBreaksLines) {
    const PreviewCase& c = GetParam();
    EXPECT_EQ(u8(idelink::makePreviewText(u16(c.workingText), u16(c.caretWord))), c.preview);
}

INSTANTIATE_TEST_SUITE_P(
    All, PreviewTable,
    testing::Values(
        PreviewCase{"For var = min To max ¤Next", "for", "For var = min To max \r\nNext"},
        // Only a word ending in "(" is taken out, its first occurrence, in any case.
        PreviewCase{"OpenWindow(WinID, 0)¤HideWindow(WinID, #False)", "openwindow(",
                    "WinID, 0)\r\nHideWindow(WinID, #False)"},
        PreviewCase{"x = OPENWINDOW(a) + openwindow(b)", "openwindow(", "x = a) + openwindow(b)"},
        PreviewCase{"GadgetID(Id)", "gadget(", "GadgetID(Id)"},
        PreviewCase{"Ärger(x)¤¤y", "ärger(", "x)\r\n\r\ny"}));

// ---- the worked examples, step by step ----

TEST(TemplateExpansion, ForAfterFourSpaces) {
    const auto list = scanned(kFor);
    const std::u16string work = idelink::prepareTemplate(u16(kFor), list);
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

    const std::u16string applied = idelink::applyValues(work, list, {u"i", u"0", u"99"});
    EXPECT_EQ(u8(applied), "For i = 0 To 99 ¤Next");
    const idelink::FinishedText finished = idelink::finishText(applied, 4);
    EXPECT_EQ(finished.utf8, "For i = 0 To 99 \r\n    Next");
    EXPECT_EQ(finished.firstLineBytes, 16);
}

TEST(TemplateExpansion, OpenWindowCall) {
    const auto list = scanned(kOpenWindow);
    const std::u16string work = idelink::prepareTemplate(u16(kOpenWindow), list);
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
    const std::u16string applied = idelink::applyValues(work, list, defaults);
    const std::string firstLine = "OpenWindow(0, 0, 0, 800, 500, \"Window\", "
                                  "#WS_OVERLAPPEDWINDOW|#PB_Window_ScreenCentered|#PB_Window_"
                                  "Invisible)";
    EXPECT_EQ(u8(applied), firstLine + "¤HideWindow(0, #False)");

    const idelink::FinishedText finished = idelink::finishText(applied, 4);
    EXPECT_EQ(finished.utf8, firstLine + "\r\n    HideWindow(0, #False)");
    EXPECT_EQ(finished.firstLineBytes, static_cast<int64_t>(firstLine.size()));

    // One WinID value lands in both places.
    std::vector<std::u16string> values = defaults;
    values[0] = u"#Main";
    EXPECT_EQ(u8(idelink::applyValues(work, list, values)),
              "OpenWindow(#Main, 0, 0, 800, 500, \"Window\", #WS_OVERLAPPEDWINDOW|#PB_Window_"
              "ScreenCentered|#PB_Window_Invisible)¤HideWindow(#Main, #False)");
}

// ---- substituting values ----

struct ApplyCase {
    const char* name;
    const char* templateText;
    std::vector<std::u16string> values;
    const char* applied;
};

void PrintTo(const ApplyCase& c, std::ostream* out) {
    *out << '"' << c.name << '"';
}

class ApplyTable : public testing::TestWithParam<ApplyCase> {};

TEST_P(ApplyTable, SubstitutesOrRemovesEachName) {
    const ApplyCase& c = GetParam();
    EXPECT_EQ(u8(idelink::applyValues(working(c.templateText), scanned(c.templateText), c.values)),
              c.applied);
}

INSTANTIATE_TEST_SUITE_P(
    All, ApplyTable,
    testing::Values(
        // An empty value removes ", name"; a name without ", " before it stays bare.
        ApplyCase{"MbWithoutFlags",
                  kMb,
                  {u"\"Info\"", u"\"Hi\"", u""},
                  "MessageRequester(\"Info\", \"Hi\")"},
        ApplyCase{"ProcsEmptied", kProcs, {u"", u""}, "Procedure.type ProcName¤EndProcedure"},
        ApplyCase{"ProcsFilled", kProcs, {u"i", u"Main()"}, "Procedure.i Main()¤EndProcedure"},
        ApplyCase{"RepeatedName",
                  kSlist,
                  {u"Point", u"pts"},
                  "Structure Point¤EndStructure¤¤NewList pts.Point()"},
        // Case matters: the value for X leaves the x of Text alone.
        ApplyCase{"ButtonCase",
                  kButton,
                  {u"0", u"10", u"20", u"100", u"30", u"\"OK\"", u""},
                  "ButtonGadget(0, 10, 20, 100, 30, \"OK\")"},
        ApplyCase{"SwlpRepeatedSpec",
                  kSwlp,
                  {u"hwnd", u"#GWL_EXSTYLE", u"|#WS_EX_TOPMOST"},
                  "SetWindowLongPtr_(hwnd, #GWL_EXSTYLE, GetWindowLongPtr_(hwnd, #GWL_EXSTYLE) "
                  "|#WS_EX_TOPMOST)"},
        // Names are plain text: inside longer words and in template text that was never a
        // placeholder, but never in what the user typed for an earlier entry.
        ApplyCase{"InsideWords", "%it=5 item", {u"k"}, "k kem"},
        ApplyCase{"NotInsideEarlierValues", "%a %b", {u"b", u"c"}, "b c"},
        ApplyCase{"ButtonWinIdHoldsLaterName",
                  kButton,
                  {u"X1", u"5", u"5", u"100", u"30", u"\"Button\"", u""},
                  "ButtonGadget(X1, 5, 5, 100, 30, \"Button\")"},
        // An emptied field removes ", name" from the template's text only.
        ApplyCase{"RemovalSkipsValues", "f(%a, %b)", {u"x, b", u""}, "f(x, b)"},
        // The first of two entries with the same name takes every occurrence.
        ApplyCase{"SameNameTwice", "%n=1 %n=2", {u"x", u"y"}, "x x"},
        // Spaces at the ends go, tabs stay; only spaces counts as empty.
        ApplyCase{"Trimmed", "f(a, %w)", {u"  7 "}, "f(a, 7)"},
        ApplyCase{"TabsKept", "f(a, %w)", {u"\t7\t"}, "f(a, \t7\t)"},
        ApplyCase{"OnlySpaces", "f(a, %w)", {u"   "}, "f(a)"},
        ApplyCase{"SeparatorTyped", "If %c¤EndIf", {u"x¤y"}, "If x¤y¤EndIf"},
        // A popup that reported fewer values than fields: the rest keep their defaults.
        ApplyCase{"MissingValues", kFor, {u"j"}, "For j = 0 To 99 ¤Next"},
        ApplyCase{"NoValues", kMb, {}, "MessageRequester(\"Info\", \"Message\")"}),
    [](const testing::TestParamInfo<ApplyCase>& info) { return std::string(info.param.name); });

TEST(TemplateExpansion, EntryWithoutNameChangesNothing) {
    const std::vector<Placeholder> list = {{u"=5", u"", u"5"}, {u"a", u"a", u""}};
    EXPECT_EQ(u8(idelink::applyValues(u"x, a", list, {u"7", u""})), "x");
}

// ---- finishing ----

struct FinishCase {
    const char* text;
    int wordIndent;
    std::string utf8;
    int64_t firstLineBytes;
};

void PrintTo(const FinishCase& c, std::ostream* out) {
    *out << '"' << c.text << '"';
}

class FinishTable : public testing::TestWithParam<FinishCase> {};

TEST_P(FinishTable, BreaksLinesIndentedToTheWord) {
    const FinishCase& c = GetParam();
    const idelink::FinishedText finished = idelink::finishText(u16(c.text), c.wordIndent);
    EXPECT_EQ(finished.utf8, c.utf8);
    EXPECT_EQ(finished.firstLineBytes, c.firstLineBytes);
}

INSTANTIATE_TEST_SUITE_P(
    All, FinishTable,
    testing::Values(FinishCase{"If ¤EndIf", 4, "If \r\n    EndIf", 3},
                    // Word at the line start: only the template's own spaces indent.
                    FinishCase{"If ¤EndIf", 0, "If \r\nEndIf", 3},
                    FinishCase{"Repeat¤  event¤¤Until", 0, "Repeat\r\n  event\r\n\r\nUntil", 6},
                    FinishCase{"Repeat¤  event¤¤Until", 2, "Repeat\r\n    event\r\n  \r\n  Until",
                               6},
                    FinishCase{"ProcedureReturn ", 8, "ProcedureReturn ", 16},
                    FinishCase{"¤x", 1, "\r\n x", 0}, FinishCase{"", 3, "", 0},
                    // Bytes, not characters: Ä 2, € 3, the emoji 4.
                    FinishCase{"Ä€\xF0\x9F\x98\x80¤é", 2,
                               "\xC3\x84\xE2\x82\xAC\xF0\x9F\x98\x80\r\n  \xC3\xA9", 9},
                    FinishCase{"a¤b", -3, "a\r\nb", 1}));

// ---- the whole expansion against a recorded editor ----

// Every editor call, in order, with its arguments.
struct RecordedEditor {
    int64_t caretPos = 0;
    bool foregroundAfterwards = false;
    bool answering = true;
    std::vector<std::string> calls;

    idelink::EditorOps ops() {
        idelink::EditorOps editor;
        editor.caretPosition = [this] {
            calls.push_back("caretPosition");
            return caretPos;
        };
        editor.caretScreenPoint = [this](int64_t position) {
            calls.push_back("caretScreenPoint " + std::to_string(position));
            return idelink::ScreenPoint{static_cast<int>(position) * 10, 77};
        };
        editor.replaceWord = [this](int64_t wordBytes, int64_t caret, const std::string& utf8) {
            calls.push_back("replaceWord " + std::to_string(wordBytes) + " " +
                            std::to_string(caret) + " " + utf8);
        };
        editor.placeCaret = [this](int64_t position) {
            calls.push_back("placeCaret " + std::to_string(position));
        };
        editor.returnForegroundToIde = [this] { calls.push_back("returnForegroundToIde"); };
        editor.ideIsForeground = [this] {
            calls.push_back("ideIsForeground");
            return foregroundAfterwards;
        };
        editor.editorAnswers = [this] { return answering; };
        return editor;
    }
};

struct ExpandCase {
    const char* name;
    const char* templateText;
    const char* caretWord;
    int wordIndent;
    int64_t caretPos;
    std::optional<idelink::PopupResult> popupAnswer; // nullopt: the popup must not open
    bool foregroundAfterwards;
    std::vector<std::string> calls;
    int64_t wordBytes = 0; // 0: the UTF-8 length of caretWord
    bool answering = true;
};

void PrintTo(const ExpandCase& c, std::ostream* out) {
    *out << '"' << c.name << '"';
}

class ExpandTable : public testing::TestWithParam<ExpandCase> {};

TEST_P(ExpandTable, SendsExactlyTheseEditorCalls) {
    const ExpandCase& c = GetParam();
    RecordedEditor editor;
    editor.caretPos = c.caretPos;
    editor.foregroundAfterwards = c.foregroundAfterwards;
    editor.answering = c.answering;
    int popupsShown = 0;
    idelink::PopupRequest shown;
    const idelink::PopupFunction popup = [&](const idelink::PopupRequest& request) {
        ++popupsShown;
        shown = request;
        return c.popupAnswer.value_or(idelink::PopupResult{});
    };

    const std::u16string word = u16(c.caretWord);
    const int64_t wordBytes = c.wordBytes ? c.wordBytes : int64_t(text::utf8Length(word));
    idelink::expandShortcut(u16(c.templateText), {word, c.wordIndent, wordBytes}, editor.ops(),
                            popup);

    EXPECT_EQ(editor.calls, c.calls);
    EXPECT_EQ(popupsShown, c.popupAnswer ? 1 : 0);
    if (popupsShown == 1) {
        EXPECT_EQ(shown.anchor.x, static_cast<int>(c.caretPos) * 10);
        EXPECT_EQ(shown.anchor.y, 77);
        EXPECT_EQ(shown.fields.size(), scanned(c.templateText).size());
    }
}

idelink::PopupResult accepted(std::vector<std::u16string> values) {
    return idelink::PopupResult{true, std::move(values), false};
}
const idelink::PopupResult kCancelByKey{false, {}, false};
const idelink::PopupResult kCancelByClick{false, {}, true};

INSTANTIATE_TEST_SUITE_P(
    All, ExpandTable,
    testing::Values(
        ExpandCase{"Literal",
                   "Enumeration ¤EndEnumeration",
                   "enu",
                   4,
                   50,
                   std::nullopt,
                   false,
                   {"caretPosition", "replaceWord 3 50 Enumeration \r\n    EndEnumeration",
                    "placeCaret 59"}},
        ExpandCase{"LiteralBecauseOfOperator",
                   "x = a % b¤%y",
                   "mod",
                   2,
                   10,
                   std::nullopt,
                   false,
                   {"caretPosition", "replaceWord 3 10 x = a % b\r\n  %y", "placeCaret 16"}},
        ExpandCase{"Accepted",
                   kFor,
                   "for",
                   4,
                   120,
                   accepted({u"n", u"1", u" 10 "}),
                   false,
                   {"caretPosition", "caretScreenPoint 120",
                    "replaceWord 3 120 For n = 1 To 10 \r\n    Next", "placeCaret 133"}},
        ExpandCase{"AcceptedAfterParen",
                   "GadgetID(%Id=0)",
                   "gadgetid(",
                   0,
                   9,
                   accepted({u"#List"}),
                   false,
                   {"caretPosition", "caretScreenPoint 9", "replaceWord 9 9 GadgetID(#List)",
                    "placeCaret 15"}},
        ExpandCase{"CancelByKey",
                   kFor,
                   "for",
                   4,
                   120,
                   kCancelByKey,
                   false,
                   {"caretPosition", "caretScreenPoint 120"}},
        // A popup that never became active: the user types in the IDE, whose caret stays.
        ExpandCase{"CancelledNeverActive",
                   kFor,
                   "for",
                   4,
                   120,
                   kCancelByKey,
                   true,
                   {"caretPosition", "caretScreenPoint 120"}},
        ExpandCase{"CancelByClick",
                   kFor,
                   "for",
                   4,
                   120,
                   kCancelByClick,
                   true,
                   {"caretPosition", "caretScreenPoint 120", "returnForegroundToIde",
                    "ideIsForeground", "placeCaret 120"}},
        ExpandCase{
            "CancelByClickForegroundRefused",
            kFor,
            "for",
            4,
            120,
            kCancelByClick,
            false,
            {"caretPosition", "caretScreenPoint 120", "returnForegroundToIde", "ideIsForeground"}},
        // Byte lengths: "für" is 4 bytes, "σ" 2, "Σ" in the first line 2.
        ExpandCase{"NonAsciiWord",
                   kFor,
                   "für",
                   1,
                   40,
                   accepted({u"i", u"0", u"99"}),
                   false,
                   {"caretPosition", "caretScreenPoint 40",
                    "replaceWord 4 40 For i = 0 To 99 \r\n Next", "placeCaret 52"}},
        ExpandCase{
            "NonAsciiLiteral",
            "Σ ¤€",
            "σ",
            3,
            10,
            std::nullopt,
            false,
            {"caretPosition", "replaceWord 2 10 \xCE\xA3 \r\n   \xE2\x82\xAC", "placeCaret 11"}},
        // A caret nearer the text's start than the word is long: the word is not there.
        ExpandCase{"CaretBeforeWord", kFor, "for", 0, 2, std::nullopt, false, {"caretPosition"}},
        // Lower-casing changed the word's byte count: "Ⱥf" is three bytes in the editor, its
        // lower case "ⱥf" four; the editor's three are replaced and the caret placed from them.
        ExpandCase{"WordLongerWhenLowercased",
                   "If ¤EndIf",
                   "\xE2\xB1\xA5"
                   "f",
                   0,
                   10,
                   std::nullopt,
                   false,
                   {"caretPosition", "replaceWord 3 10 If \r\nEndIf", "placeCaret 10"},
                   3},
        ExpandCase{"WordShorterWhenLowercased",
                   "If ¤EndIf",
                   "k",
                   0,
                   10,
                   std::nullopt,
                   false,
                   {"caretPosition", "replaceWord 3 10 If \r\nEndIf", "placeCaret 10"},
                   3},
        // A caret so far out that the text would pass the largest position: nothing is sent.
        ExpandCase{"CaretAtThePositionLimit",
                   "If ¤EndIf",
                   "if",
                   0,
                   std::numeric_limits<int64_t>::max(),
                   std::nullopt,
                   false,
                   {"caretPosition"}},
        ExpandCase{
            "CaretBelowZero", "If ¤EndIf", "if", 0, -5, std::nullopt, false, {"caretPosition"}},
        // An editor that stopped answering gets nothing more, and no popup opens for it.
        ExpandCase{"EditorStoppedAnswering",
                   kFor,
                   "for",
                   0,
                   10,
                   std::nullopt,
                   false,
                   {"caretPosition"},
                   0,
                   false}),
    [](const testing::TestParamInfo<ExpandCase>& info) { return std::string(info.param.name); });

TEST(TemplateExpansion, PopupSeesPreviewAndFieldsOfTheTemplate) {
    RecordedEditor editor;
    editor.caretPos = 11;
    idelink::PopupRequest shown;
    idelink::expandShortcut(u16(kOpenWindow), {u"openwindow(", 4, 11}, editor.ops(),
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

// The editor's text ends at a zero byte: a word holding one is never replaced.
TEST(TemplateExpansion, WordWithZeroByteIsLeftAlone) {
    RecordedEditor editor;
    editor.caretPos = 10;
    idelink::expandShortcut(u"If ¤EndIf", {std::u16string(u"if\0xx", 5), 0, 5}, editor.ops(),
                            [](const idelink::PopupRequest&) { return kCancelByKey; });
    EXPECT_TRUE(editor.calls.empty());
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
        idelink::applyValues(idelink::prepareTemplate(u16(templateText), list), list, defaults);
    std::string expected;
    for (char name = 'a'; name <= 'z'; ++name)
        expected += std::string(2, char(name + 1)) + " ";
    EXPECT_EQ(u8(applied), expected);
}

} // namespace
