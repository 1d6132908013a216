// End to end: the real Zendrik.exe started with --pick by the stand-in IDE, driven with real
// keys. Each case compares the editor's bytes, caret and selection afterwards and the bytes and
// caret after one undo, which must give back the word as it was typed or the text that was
// selected.
#include <windows.h>

#include <gtest/gtest.h>

#include "e2e/support/StandInIde.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

using endtoend::fact;
using endtoend::factNumbers;
using endtoend::HostReport;
using endtoend::withCaret;
using endtoend::withSelection;

// Names with capitals, which no typed word reaches, and names that share a beginning.
constexpr char kShortcuts[] = "\xEF\xBB\xBF\r\n"
                              "[Shortcuts]\r\n"
                              "procs = Procedure.s ¤EndProcedure\r\n"
                              "proc = Procedure ¤EndProcedure\r\n"
                              "OpenWindow = OpenWindow(%Id=0, %Title=\"Main\")\r\n"
                              "Größe = größe.l¤; größe\r\n"
                              "sprocket = ; gear\r\n"
                              "wrap = If ok¤  %(sel)¤EndIf\r\n";

struct PickerCase {
    const char* name;
    std::string document; // "<|>" marks the caret, "<^>" the other end of a selection
    const wchar_t* keys;
    std::string expected;
    bool pickerInFront; // the picker was the last of the program's windows in front
};

void PrintTo(const PickerCase& c, std::ostream* out) {
    *out << c.name;
}

class PickerEndToEnd : public ::testing::TestWithParam<PickerCase> {};

TEST_P(PickerEndToEnd, PicksAndExpandsInTheEditor) {
    const PickerCase& c = GetParam();
    endtoend::ScratchFolder scratch;
    const std::wstring tool = endtoend::toolWithPreferences(scratch, kShortcuts);
    ASSERT_FALSE(tool.empty()) << "Zendrik.exe must be built beside the test program";
    const HostReport report =
        endtoend::runHost(tool, scratch.path, c.document,
                          L"--tool-arguments --pick --keys \"" + std::wstring(c.keys) + L"\"");
    ASSERT_TRUE(report.complete) << "the host wrote no complete report";
    EXPECT_EQ(report.exit, "0");
    EXPECT_EQ(withSelection(report.after.text, report.after.anchor, report.after.caret),
              c.expected);
    // Scintilla's undo leaves the caret at the end of the text it gives back, with no selection.
    const idehost::Document before = idehost::parseDocument(c.document);
    EXPECT_EQ(withCaret(report.undone.text, report.undone.caret),
              withCaret(before.text, std::max(before.anchor, before.caret)));
    EXPECT_EQ(fact(report, "foreground"), "host");

    if (c.pickerInFront) {
        // At the caret as the popup stands, 630 x 177 units at 96 DPI, owned by the IDE.
        const std::vector<long> outer = factNumbers(report, "popup-outer");
        const std::vector<long> client = factNumbers(report, "popup-client");
        const std::vector<long> caret = factNumbers(report, "popup-caret");
        ASSERT_EQ(outer.size(), 4u) << "no picker was in front";
        ASSERT_EQ(caret.size(), 2u);
        EXPECT_EQ(outer[0], caret[0] + 4);
        EXPECT_EQ(outer[1], caret[1] - 1);
        EXPECT_EQ(client, (std::vector<long>{630, 177}));
        EXPECT_EQ(report.facts.at("popup-owned"), "1");
        EXPECT_TRUE(std::stoul(report.facts.at("popup-exstyle"), nullptr, 16) & WS_EX_LAYERED);
    }
}

const PickerCase kCases[] = {
    // "pro" lists proc, procs, then sprocket, which only holds it.
    {"PrefixAndReturn", "Procedure A()\r\n    pro<|>\r\nEndProcedure\r\n", L"{PAUSE}{ENTER}",
     "Procedure A()\r\n    Procedure <|>\r\n    EndProcedure\r\nEndProcedure\r\n", true},
    {"DownAndReturn", "  pro<|>", L"{DOWN}{ENTER}", "  Procedure.s <|>\r\n  EndProcedure", true},
    {"PageDownStopsAtTheLastName", "x = pro<|>", L"{PGDN}{ENTER}", "x = ; gear<|>", true},
    // No word: the filter is typed into the picker, and the name with capitals is picked;
    // its placeholder popup opens where the picker stood and takes the values.
    {"FilterTypedThenPlaceholders", "  <|>\r\n",
     L"wind{ENTER}{PAUSE}{PAUSE}{PAUSE}{PAUSE}{PAUSE}{PAUSE}{PAUSE}{PAUSE}7{ENTER}{ENTER}",
     "  OpenWindow(7, \"Main\")<|>\r\n", false},
    // Backspace widens the filter again.
    {"BackspaceThenReturn", "  gr\xC3\xB6q<|>", L"{BACKSPACE}{ENTER}",
     "  gr\xC3\xB6\xC3\x9F"
     "e.l<|>\r\n  ; gr\xC3\xB6\xC3\x9F"
     "e",
     true},
    {"EscapeLeavesTheEditor", "  pro<|>\r\n", L"{PAUSE}{ESC}", "  pro<|>\r\n", true},
    // The click below the text moves the IDE's caret; the picker puts it back after the word.
    {"ClickIntoTheIdeCancels", "  pro<|>\r\nx = 1\r\n", L"{PAUSE}{CLICK}", "  pro<|>\r\nx = 1\r\n",
     true},
    // Two selected lines go into the template picked by part of its name, each a level deeper
    // under the template's first line.
    {"SelectionWrapped", "x = 1\r\n  <^>Foo()\r\n  Bar()<|>\r\n", L"wr{ENTER}",
     "x = 1\r\n  If ok<|>\r\n    Foo()\r\n    Bar()\r\n  EndIf\r\n", true},
    {"ClickPutsTheSelectionBack", "x = 1\r\n  <^>Foo()\r\n  Bar()<|>\r\n", L"{PAUSE}{CLICK}",
     "x = 1\r\n  <^>Foo()\r\n  Bar()<|>\r\n", true},
};

INSTANTIATE_TEST_SUITE_P(All, PickerEndToEnd, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
