// End to end in a real editor built on Scintilla: SciTE (Sc1.exe, beside the test program) with
// the program on its Tools menu as "Zendrik.exe --focused --file "$(FilePath)"" on Ctrl+F12 and
// its picker as "Zendrik.exe --focused --pick" (with the same file) on Ctrl+F11, set up through
// SciTE's own properties as its users do. Each case types a word into SciTE's editor and presses
// the shortcut, so that SciTE starts the program, which finds the editor itself; the popup's keys
// go to the popup once it is in front. Afterwards SciTE's text, caret and the foreground are
// checked, and one Ctrl+Z in SciTE must give back the word as typed. Keys go in through
// SendInput, the path by which Wine delivers X key presses too, so they reach the foreground
// window whichever X window has the pointer.
#include <gtest/gtest.h>

#include "e2e/support/SciteSession.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {
using namespace endtoend;
using endtoend::withCaret;

struct SciteCase {
    const char* name;
    std::string document;        // "<|>" marks the caret, "<^>" the other end of a selection
    const wchar_t* typed;        // typed at the caret before the shortcut
    std::vector<WORD> popupKeys; // pressed once the popup is in front; none: no popup
    std::string expected;        // SciTE's text afterwards, "<|>" at the caret
    std::vector<WORD> start = {VK_CONTROL, VK_F12}; // the tool's shortcut in SciTE
    bool utf8 = true;      // false: SciTE's shipped code page 0; the texts are then in the system's
                           // ANSI code page
    bool darkLook = false; // SciTE set up with kDarkProperties, whose look the window must show
};

// A dark SciTE as its user sets it up: the default style in a monospaced face at 20 points and a
// selection colour of its own.
constexpr char kDarkProperties[] =
    "style.*.32=fore:#E0E0E0,back:#1E1E1E,font:DejaVu Sans Mono,size:20\r\n"
    "selection.fore=#FFFFFF\r\nselection.back=#264F78\r\n";

// kDarkProperties as drawn (Xvfb draws a layered window opaque): a field on SciTE's background,
// the popup's labels and the picker's chosen name in its selection colour, the popup's
// characters in DejaVu Sans Mono at 20 points (16 pixels a cell on a 96-DPI screen) and the
// picker's rows as tall as a line of it (27 pixels at least).
void expectDarkLook(HWND window) {
    HWND field = caretWindowEdit(window, false);
    ASSERT_TRUE(field);
    EXPECT_TRUE(waitUntil([&] { return colourOnScreen(field, false) == RGB(30, 30, 30); }))
        << std::hex << colourOnScreen(field, false);
    constexpr COLORREF kSelection = RGB(0x26, 0x4F, 0x78);
    if (HWND names = FindWindowExW(window, nullptr, L"ListBox", nullptr)) {
        EXPECT_GE(SendMessageW(names, LB_GETITEMHEIGHT, 0, 0), 27);
        RECT chosen{};
        SendMessageW(names, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&chosen));
        MapWindowPoints(names, nullptr, reinterpret_cast<POINT*>(&chosen), 2);
        EXPECT_EQ(colourOnScreen(chosen, false), kSelection);
        return;
    }
    EXPECT_EQ(colourOnScreen(caretWindowEdit(window, true), true), kSelection);
    const auto x = [&](int at) { return short(SendMessageW(field, EM_POSFROMCHAR, at, 0)); };
    EXPECT_EQ(x(4) - x(0), 4 * 16) << "Grüß";
}

// A UTF-8 text in the system's ANSI code page, in which SciTE keeps a document by default.
std::string ansi(const char* utf8) {
    const std::wstring wide = text::toWide(text::utf8ToUtf16(utf8));
    const int size =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size_t(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), bytes.data(), size, nullptr,
                        nullptr);
    return bytes;
}

void PrintTo(const SciteCase& c, std::ostream* out) {
    *out << c.name;
}

class SciteEndToEnd : public ::testing::TestWithParam<SciteCase> {};

TEST_P(SciteEndToEnd, ShortcutInSciteExpandsInItsEditor) {
    const SciteCase& c = GetParam();
    ASSERT_TRUE(endtoend::fileExists(programFolder() + L"Sc1.exe"))
        << "Sc1.exe must be built (scripts/setup) and stand beside the test program";
    const idehost::Document start = idehost::parseDocument(c.document);
    Session scite(start.text, c.utf8, c.darkLook ? kDarkProperties : "");
    ASSERT_TRUE(scite.prepare(start.anchor, start.caret))
        << "SciTE is not in front, focus in its editor";

    // The word goes in as a user types it, and so into SciTE's undo history.
    const size_t typedLength = std::wcslen(c.typed);
    std::string typedDocument = start.text;
    typedDocument.insert(size_t(start.caret), std::string(c.typed, c.typed + typedLength));
    // An undo leaves the caret after the text it gives back: after the word, or at the end of
    // the selection that was wrapped.
    const std::string typedWithCaret =
        withCaret(typedDocument, std::max(start.anchor, start.caret) + int64_t(typedLength));
    typeText(c.typed);
    ASSERT_TRUE(waitUntil([&] { return scite.text() == typedDocument; }, 5000)) << scite.text();

    press(c.start);
    if (!c.popupKeys.empty()) {
        ASSERT_TRUE(waitUntil([&] { return scite.programWindowInFront(); }, 15000))
            << "no popup came to the front";
        if (c.darkLook)
            expectDarkLook(GetForegroundWindow());
        for (const WORD popupKey : c.popupKeys) {
            endtoend::pause(60);
            press({popupKey});
        }
    }
    ASSERT_TRUE(waitUntil([&] { return !scite.exitCodes().empty(); }, 20000))
        << "SciTE saw no end of the program";
    EXPECT_EQ(scite.exitCodes(), std::vector<int>{0});
    EXPECT_EQ(withCaret(scite.text(), scite.caret()), c.expected);
    EXPECT_EQ(scite.anchor(), scite.caret()) << "a selection was left";
    EXPECT_TRUE(waitUntil([&] { return GetForegroundWindow() == scite.main; }, 3000))
        << "SciTE is not in front again";
    EXPECT_EQ(focusOf(scite.main), scite.editor) << "the focus left SciTE's editor";

    // One Ctrl+Z in SciTE takes back the whole expansion: the word is back as typed.
    if (typedDocument != scite.text()) {
        press({VK_CONTROL, 'Z'});
        EXPECT_TRUE(waitUntil([&] { return scite.text() == typedDocument; }, 5000));
        EXPECT_EQ(withCaret(scite.text(), scite.caret()), typedWithCaret);
    }
    EXPECT_EQ(endtoend::readBytes(scite.preferences()), std::string(kShortcuts));
}

const SciteCase kCases[] = {
    {"LiteralTemplate",
     "Procedure A()\r\n    <|>\r\nEndProcedure\r\n",
     L"if",
     {},
     "Procedure A()\r\n    If <|>\r\n    EndIf\r\nEndProcedure\r\n"},
    {"PopupAcceptedWithReturn",
     "x = 1\r\n  <|>\r\n",
     L"mb",
     {VK_RETURN, VK_RETURN},
     "x = 1\r\n  MessageRequester(Grüße, Hello)<|>\r\n"},
    {"PopupCancelledWithEscape", "x = 1\r\n  <|>\r\n", L"mb", {VK_ESCAPE}, "x = 1\r\n  mb<|>\r\n"},
    // The picker on its own shortcut, "--focused --pick": "i" begins only "if".
    {"PickerPicksByPartOfTheName",
     "x = 1\r\n  <|>\r\n",
     L"i",
     {VK_RETURN},
     "x = 1\r\n  If <|>\r\n  EndIf\r\n",
     {VK_CONTROL, VK_F11}},
    // SciTE names the document's file, document.txt, in the tool's arguments.
    {"DocumentFileFromTheToolArguments",
     "x = 1\r\n<|>\r\n",
     L"hdr",
     {},
     "x = 1\r\nXIncludeFile \"document.pbi\" ; document.txt<|>\r\n"},
    // A document with LF line breaks gets LF line breaks, and the tab before the word starts the
    // further line too.
    {"TabAndLfLineBreaks", "x = 1\n\t<|>\n", L"if", {}, "x = 1\n\tIf <|>\n\tEndIf\n"},
    // The picker on a selection of two lines, "wr" picks the template that wraps it.
    {"PickerWrapsTheSelection",
     "x = 1\r\n  <^>Foo()\r\n  Bar()<|>\r\n",
     L"",
     {'W', 'R', VK_RETURN},
     "x = 1\r\n  If ok<|>\r\n    Foo()\r\n    Bar()\r\n  EndIf\r\n",
     {VK_CONTROL, VK_F11}},
    // SciTE as shipped keeps its documents in code page 0: the popup's value and a selected word
    // with letters beyond ASCII arrive as the document's own bytes.
    {"DefaultCodePagePopup",
     "x = 1\r\n  <|>\r\n",
     L"mb",
     {VK_RETURN, VK_RETURN},
     "x = 1\r\n  MessageRequester(" + ansi("Grüße") + ", Hello)<|>\r\n",
     {VK_CONTROL, VK_F12},
     false},
    {"DefaultCodePageWrapsTheSelection",
     "x = 1\r\n  <^>" + ansi("Grüße") + "<|>\r\n",
     L"",
     {'W', 'R', VK_RETURN},
     "x = 1\r\n  If ok<|>\r\n    " + ansi("Grüße") + "\r\n  EndIf\r\n",
     {VK_CONTROL, VK_F11},
     false},
    // The popup and the picker take the editor's own look.
    {"PopupInTheEditorsLook",
     "x = 1\r\n  <|>\r\n",
     L"mb",
     {VK_RETURN, VK_RETURN},
     "x = 1\r\n  MessageRequester(Grüße, Hello)<|>\r\n",
     {VK_CONTROL, VK_F12},
     true,
     true},
    {"PickerInTheEditorsLook",
     "x = 1\r\n  <|>\r\n",
     L"i",
     {VK_RETURN},
     "x = 1\r\n  If <|>\r\n  EndIf\r\n",
     {VK_CONTROL, VK_F11},
     true,
     true},
};

INSTANTIATE_TEST_SUITE_P(Cases, SciteEndToEnd, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
