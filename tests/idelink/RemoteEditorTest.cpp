// The remote editor calls against windows of this process: a scripted window that answers
// the editor messages with chosen values (for what a real editor never answers), and a real
// Scintilla editor loaded from Scintilla.dll beside the test program. OpenProcess and
// VirtualAllocEx work on this process as on the IDE's; what crossing into another process
// adds (EM_REPLACESEL's copy) is covered by the end-to-end tests.
#include "idelink/RemoteEditor.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "base/TextConvert.h"
#include "idelink/ScintillaMessages.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace idelink; // the Scintilla messages under their own names

// What the scripted editor answers, and what it was sent.
struct ScriptedEditor {
    int64_t lineSize = 0;
    std::string lineBytes;
    int64_t caretInLine = 0;
    int64_t caret = 1234;
    int64_t anchor = 0;
    std::string document; // what SCI_GETTEXTRANGE and SCI_GETLENGTH answer from
    std::vector<UINT> received;
    std::vector<int64_t> selection;
    std::string replacement; // the text sent, with the three bytes that follow it
};
ScriptedEditor* script = nullptr;

LRESULT CALLBACK scriptedProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!script || (message < WM_USER && message != EM_REPLACESEL))
        return DefWindowProcW(window, message, wParam, lParam);
    script->received.push_back(message);
    switch (message) {
    case SCI_GETCURLINE:
        if (lParam == 0)
            return LRESULT(script->lineSize);
        // Writes as much as the caller gave room for, as Scintilla 5 does (size plus its zero).
        std::memcpy(reinterpret_cast<void*>(lParam), script->lineBytes.data(),
                    std::min(script->lineBytes.size(), size_t(wParam) + 1));
        return LRESULT(script->caretInLine);
    case SCI_GETCURRENTPOS:
        return LRESULT(script->caret);
    case SCI_GETANCHOR:
        return LRESULT(script->anchor);
    case SCI_GETSELECTIONS:
        return 1;
    case SCI_GETLENGTH:
        return LRESULT(script->document.size());
    case SCI_GETTEXTRANGE: {
        // As Scintilla answers: the stretch's length, its bytes and a zero byte written only when
        // the document reaches that far.
        char* record = reinterpret_cast<char*>(lParam);
        std::int32_t range[2] = {};
        char* text = nullptr;
        std::memcpy(range, record, sizeof range);
        std::memcpy(&text, record + sizeof range, sizeof text);
        const size_t length = size_t(range[1] - range[0]);
        if (size_t(range[1]) <= script->document.size())
            std::memcpy(text, script->document.data() + range[0], length);
        text[length] = '\0';
        return LRESULT(length);
    }
    case SCI_SETSELECTIONSTART:
    case SCI_SETSELECTIONEND:
        script->selection.push_back(int64_t(wParam));
        return 0;
    case EM_REPLACESEL: {
        const char* sent = reinterpret_cast<const char*>(lParam);
        script->replacement.assign(sent, std::strlen(sent) + 3);
        return 0;
    }
    default:
        return 0;
    }
}

HWND createScriptedWindow() {
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = scriptedProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"ZendrikScriptedEditor";
        return RegisterClassW(&windowClass) != 0;
    }();
    if (!registered)
        return nullptr;
    return CreateWindowExW(0, L"ZendrikScriptedEditor", L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

std::intptr_t handle(HWND window) {
    return reinterpret_cast<std::intptr_t>(window);
}

// The bytes before the caret; empty when the line could not be read.
std::string lineBytes(const idelink::IdeWindows& windows) {
    return idelink::readLineBeforeCaret(windows).value_or(idelink::LineAtCaret{}).bytes;
}

class ScriptedEditorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        idelink::editorAnswers() = {};
        script = &state;
        editor = createScriptedWindow();
        main = createScriptedWindow();
        ASSERT_NE(editor, nullptr);
        ASSERT_NE(main, nullptr);
    }
    void TearDown() override {
        script = nullptr;
        DestroyWindow(editor);
        DestroyWindow(main);
    }
    int curLineMessages() const {
        return int(std::count(state.received.begin(), state.received.end(), SCI_GETCURLINE));
    }
    ScriptedEditor state;
    HWND editor = nullptr;
    HWND main = nullptr;
};

struct LineCase {
    const char* name;
    int64_t lineSize;
    std::string lineBytes;
    int64_t caretInLine;
    std::string expected;
    int curLineMessages; // 1: the size was refused and no buffer was handed out
};

TEST_F(ScriptedEditorTest, ReadsOnlyWhatTheEditorWroteUpToTheCaret) {
    const LineCase cases[] = {
        {"caret inside the line", 11, std::string("    For x\r\n\0", 12), 7, "    For", 2},
        {"caret at the line start", 5, std::string("abc\r\n\0", 6), 0, "", 2},
        {"non-ASCII before the caret", 7, std::string("  \u00FCb\r\n\0", 8), 5, "  \u00FCb", 2},
        {"offset below zero", 5, std::string("abc\r\n\0", 6), -3, "", 2},
        {"offset beyond the line", 3, std::string("abc\0", 4), 900, "", 2},
        {"offset just past the line", 3, std::string("abc\0", 4), 4, "", 2},
        // Whatever the editor holds before the caret is the line, zero bytes included: the
        // word is replaced by this many bytes.
        {"a zero byte inside the line stays", 6, std::string("ab\0cd\n\0", 7), 5,
         std::string("ab\0cd", 5), 2},
        {"no zero byte written", 4, "abcd", 4, "abcd", 2},
        {"size 0", 0, "", 0, "", 1},
        {"negative size", -1, "", 0, "", 1},
        {"size beyond 16 MiB", 16 * 1024 * 1024 + 1, "", 0, "", 1},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        state = ScriptedEditor{};
        state.lineSize = c.lineSize;
        state.lineBytes = c.lineBytes;
        state.caretInLine = c.caretInLine;
        EXPECT_EQ(lineBytes({handle(editor), handle(main)}), c.expected);
        EXPECT_EQ(curLineMessages(), c.curLineMessages);
    }
}

TEST_F(ScriptedEditorTest, SendsNothingThroughHandlesThatNameNoWindow) {
    HWND gone = createScriptedWindow();
    DestroyWindow(gone);
    state.lineSize = 5;
    state.lineBytes = std::string("abc\r\n\0", 6);
    state.caretInLine = 3;
    const idelink::IdeWindows pairs[] = {
        {handle(gone), handle(main)}, {handle(editor), 0}, {handle(editor), handle(gone)}, {0, 0}};
    for (const auto& windows : pairs)
        EXPECT_FALSE(idelink::readLineBeforeCaret(windows));
    EXPECT_TRUE(state.received.empty());

    // A main window of another process: the buffer would be allocated where the editor
    // cannot write, so the line is not asked for.
    DWORD desktopProcess = 0;
    GetWindowThreadProcessId(GetDesktopWindow(), &desktopProcess);
    ASSERT_NE(desktopProcess, GetCurrentProcessId());
    EXPECT_FALSE(idelink::readLineBeforeCaret({handle(editor), handle(GetDesktopWindow())}));
    EXPECT_TRUE(state.received.empty());

    EXPECT_EQ(idelink::editorCaretPosition(handle(gone)), 0);
    const idelink::ScreenPoint point = idelink::caretScreenPoint(handle(gone), 3);
    EXPECT_EQ(point.x, 0);
    EXPECT_EQ(point.y, 0);
    idelink::replaceWordInEditor(handle(gone), 2, 3, "If");
    idelink::placeCaret(handle(gone), 3);
    HWND before = GetForegroundWindow();
    idelink::returnForeground(handle(gone));
    EXPECT_EQ(GetForegroundWindow(), before);

    // The editor reached through its own handle still answers.
    EXPECT_EQ(idelink::editorCaretPosition(handle(editor)), 1234);
}

// The text of a document that became shorter between the question for the selection and the
// read of its bytes is not there to read: Scintilla answers such a stretch with its length and
// writes nothing, which must not be taken for a selection of zero bytes.
TEST_F(ScriptedEditorTest, ReadsTheSelectionOnlyWhileTheDocumentHoldsIt) {
    state.document = "ab cdef";
    state.anchor = 3;
    state.caret = 7;
    const std::optional<idelink::WrappedSelection> read =
        idelink::readSelection({handle(editor), handle(main)});
    ASSERT_TRUE(read);
    EXPECT_EQ(read->bytes, "cdef");
    EXPECT_EQ(read->indentation, u"   ");

    state.document = "ab c";
    EXPECT_FALSE(idelink::readSelection({handle(editor), handle(main)}));
}

struct ReplaceCase {
    const char* name;
    int64_t wordBytes;
    int64_t caretPos;
    std::string text;
    std::vector<int64_t> selection; // empty: nothing may be sent
};

TEST_F(ScriptedEditorTest, ReplacesExactlyTheWordWithZeroEndedText) {
    const ReplaceCase cases[] = {
        {"even length", 2, 10, "If \r\n  EndIf", {8, 10}},
        {"odd length", 3, 3, "ProcedureReturn", {0, 3}},
        {"non-ASCII", 6, 20, "Gr\u00F6\u00DFe\r\n  \u2014", {14, 20}},
        {"empty text", 1, 1, "", {0, 1}},
        {"word longer than the text before the caret", 4, 3, "If", {}},
        {"negative word length", -1, 3, "If", {}},
    };
    for (const ReplaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        state = ScriptedEditor{};
        idelink::replaceWordInEditor(handle(editor), c.wordBytes, c.caretPos, c.text);
        EXPECT_EQ(state.selection, c.selection);
        if (c.selection.empty()) {
            EXPECT_TRUE(state.received.empty());
            continue;
        }
        EXPECT_EQ(state.replacement, c.text + std::string(3, '\0'));
    }
}

// A real Scintilla editor in a top-level window of this process.
class ScintillaEditorTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring folder(path);
        folder.resize(folder.find_last_of(L"\\/") + 1);
        library = LoadLibraryW((folder + L"Scintilla.dll").c_str());
    }
    void SetUp() override {
        idelink::editorAnswers() = {};
        ASSERT_NE(library, nullptr) << "Scintilla.dll must stand beside the test program";
        main = CreateWindowExW(0, L"Static", L"host", WS_OVERLAPPEDWINDOW, 100, 80, 600, 400,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        editor = CreateWindowExW(0, L"Scintilla", L"", WS_CHILD | WS_VISIBLE, 10, 10, 500, 300,
                                 main, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(editor, nullptr);
        SendMessageW(editor, SCI_SETCODEPAGE, SC_CP_UTF8, 0);
    }
    void TearDown() override { DestroyWindow(main); }

    void load(const std::string& text, int64_t caret) {
        SendMessageW(editor, SCI_CLEARALL, 0, 0);
        SendMessageW(editor, SCI_APPENDTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
        SendMessageW(editor, SCI_GOTOPOS, WPARAM(caret), 0);
    }
    std::string text() const {
        const auto length = SendMessageW(editor, SCI_GETLENGTH, 0, 0);
        const auto* characters =
            reinterpret_cast<const char*>(SendMessageW(editor, SCI_GETCHARACTERPOINTER, 0, 0));
        return std::string(characters, size_t(length));
    }
    idelink::IdeWindows windows() const { return {handle(editor), handle(main)}; }

    static HMODULE library;
    HWND main = nullptr;
    HWND editor = nullptr;
};
HMODULE ScintillaEditorTest::library = nullptr;

struct RealLineCase {
    const char* name;
    std::string document;
    int64_t caret;
    std::string expected;
};

// Scintilla 5 writes its zero byte just past the size it is given; lines that fill whole
// pages of the buffer show whether that byte still lands inside it.
TEST_F(ScintillaEditorTest, ReadsTheLineBeforeTheCaret) {
    const std::string page(4094, 'x');
    const RealLineCase cases[] = {
        {"second line, caret after the word", "Procedure A()\r\n    for\r\nEnd", 22, "    for"},
        {"caret at the line start", "abc\r\ndef", 5, ""},
        {"caret at the end of a last line without line end", "abc\r\nxyz", 8, "xyz"},
        {"caret before text", "    if x\r\n", 6, "    if"},
        {"non-ASCII word", "  \u00FCber\r\n", 7, "  \u00FCber"},
        {"zero byte in the line", std::string("a\0if\r\n", 6), 4, std::string("a\0if", 4)},
        {"line of exactly one page", page + "\r\nnext", 4094, page},
        {"line one byte short of a page", page + "\nnext", 4094, page},
        {"last line of exactly one page", std::string(4096, 'y'), 4096, std::string(4096, 'y')},
        {"empty document", "", 0, ""},
    };
    for (const RealLineCase& c : cases) {
        SCOPED_TRACE(c.name);
        load(c.document, c.caret);
        const std::optional<idelink::LineAtCaret> line = idelink::readLineBeforeCaret(windows());
        ASSERT_TRUE(line);
        EXPECT_EQ(line->bytes, c.expected);
        EXPECT_EQ(line->caret, c.caret);
        EXPECT_EQ(line->codePage, SC_CP_UTF8);
    }
}

// What a pick wraps: one stretch of text with the indentation of its start; nothing for an
// empty, rectangular or multiple selection. "|" in the result: the selected text, then the
// indentation with tabs as "T".
TEST_F(ScintillaEditorTest, ReadsTheSelectionToWrap) {
    struct Case {
        const char* name;
        std::string document;
        int64_t anchor, caret;
        int mode;    // for SCI_SETSELECTIONMODE
        bool second; // a second selection added
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"lines begun after their indentation", "\t  if x\r\n\t  y = 1\r\n", 3, 17, SC_SEL_STREAM,
         false, "if x\r\n\t  y = 1|T  "},
        {"made backwards",
         "ab \xC3\xA9"
         "cd",
         7, 3, SC_SEL_STREAM, false,
         "\xC3\xA9"
         "cd|   "},
        {"at the document's start", "xyz", 0, 2, SC_SEL_STREAM, false, "xy|"},
        {"empty", "abc", 1, 1, SC_SEL_STREAM, false, std::nullopt},
        {"rectangular", "abc\r\ndef", 0, 6, SC_SEL_RECTANGLE, false, std::nullopt},
        {"several", "abc def", 0, 2, SC_SEL_STREAM, true, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        load(c.document, 0);
        SendMessageW(editor, SCI_SETSEL, WPARAM(c.anchor), LPARAM(c.caret));
        if (c.mode != SC_SEL_STREAM)
            SendMessageW(editor, SCI_SETSELECTIONMODE, WPARAM(c.mode), 0);
        if (c.second) {
            SendMessageW(editor, SCI_SETMULTIPLESELECTION, 1, 0);
            SendMessageW(editor, SCI_ADDSELECTION, 6, 4); // caret 6, anchor 4
        }
        const std::optional<idelink::WrappedSelection> read = idelink::readSelection(windows());
        std::optional<std::string> got;
        if (read) {
            std::string indentation = text::utf16ToUtf8(read->indentation);
            std::replace(indentation.begin(), indentation.end(), '\t', 'T');
            got = text::utf16ToUtf8(read->text) + "|" + indentation;
            EXPECT_EQ(read->anchor, c.anchor);
            EXPECT_EQ(read->caret, c.caret);
        }
        EXPECT_EQ(got, c.expected);
        SendMessageW(editor, SCI_SETSELECTIONMODE, SC_SEL_STREAM, 0);
    }
}

// The document's code page comes with every reading, and the selection's text is decoded in it:
// a document in code page 0 is in the code page of its default style's character set.
TEST_F(ScintillaEditorTest, ReadsTheDocumentInItsOwnCodePage) {
    struct Case {
        int codePage;
        int characterSet;
        std::string document; // "Grüße" or "При" in the code page, a space, then "if"
        int expected;
        const char* selected; // UTF-8 of the document's first word
    };
    const Case cases[] = {
        {SC_CP_UTF8, SC_CHARSET_DEFAULT,
         "Gr\xC3\xBC\xC3\x9F"
         "e if",
         SC_CP_UTF8, "Grüße"},
        {0, SC_CHARSET_ANSI,
         "Gr\xFC\xDF"
         "e if",
         1252, "Grüße"},
        {0, SC_CHARSET_RUSSIAN, "\xCF\xF0\xE8 if", 1251, "При"},
        {0, SC_CHARSET_DEFAULT, "ab if", int(GetACP()), "ab"},
        {932, SC_CHARSET_SHIFTJIS, "\x83\x7C\x83\x7C if", 932, "ポポ"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        SendMessageW(editor, SCI_SETCODEPAGE, WPARAM(c.codePage), 0);
        SendMessageW(editor, SCI_STYLESETCHARACTERSET, STYLE_DEFAULT, LPARAM(c.characterSet));
        load(c.document, int64_t(c.document.size()));
        const std::optional<idelink::LineAtCaret> line = idelink::readLineBeforeCaret(windows());
        ASSERT_TRUE(line);
        EXPECT_EQ(line->bytes, c.document);
        EXPECT_EQ(line->codePage, c.expected);

        const size_t wordEnd = c.document.find(' ');
        SendMessageW(editor, SCI_SETSEL, 0, LPARAM(wordEnd));
        const std::optional<idelink::WrappedSelection> read = idelink::readSelection(windows());
        ASSERT_TRUE(read);
        EXPECT_EQ(read->bytes, c.document.substr(0, wordEnd));
        EXPECT_EQ(text::utf16ToUtf8(read->text), c.selected);
        EXPECT_EQ(read->codePage, c.expected);
    }
}

TEST_F(ScintillaEditorTest, ReplacesTheWordAndPlacesAnEmptySelection) {
    const std::string document = "\xC3\xA9t\xC3\xA9 if\r\nnext";
    load(document, 8);
    idelink::replaceWordInEditor(handle(editor), 2, 8, "If \r\n    EndIf");
    idelink::placeCaret(handle(editor), 6 + 3);
    EXPECT_EQ(text(), "\xC3\xA9t\xC3\xA9 If \r\n    EndIf\r\nnext");
    EXPECT_EQ(SendMessageW(editor, SCI_GETCURRENTPOS, 0, 0), 9);
    EXPECT_EQ(SendMessageW(editor, SCI_GETANCHOR, 0, 0), 9);
}

TEST_F(ScintillaEditorTest, CaretScreenPointFollowsLinesAndTheWindow) {
    load("first\r\nsecond", 0);
    const int lineHeight = int(SendMessageW(editor, SCI_TEXTHEIGHT, 0, 0));
    const idelink::ScreenPoint first = idelink::caretScreenPoint(handle(editor), 0);
    const idelink::ScreenPoint second = idelink::caretScreenPoint(handle(editor), 7);
    EXPECT_EQ(second.x, first.x);
    EXPECT_EQ(second.y - first.y, lineHeight);
    RECT editorRect{};
    GetWindowRect(editor, &editorRect);
    EXPECT_TRUE(PtInRect(&editorRect, POINT{first.x, first.y}));

    SetWindowPos(main, nullptr, 160, 130, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    const idelink::ScreenPoint moved = idelink::caretScreenPoint(handle(editor), 0);
    EXPECT_EQ(moved.x - first.x, 60);
    EXPECT_EQ(moved.y - first.y, 50);
}

// Windows also refuses SetForegroundWindow from a background process unless the input is
// joined and the lock lifted as returnForeground does; Wine grants it freely, so this shows
// the end state and that the system-wide lock time-out is put back.
TEST_F(ScintillaEditorTest, ReturnsTheForegroundAndRestoresTheLockTimeout) {
    HWND other = CreateWindowExW(0, L"Static", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                 200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    ShowWindow(main, SW_SHOW);
    DWORD timeoutBefore = 0;
    SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeoutBefore, 0);
    SetForegroundWindow(other);
    const idelink::EditorOps ops = idelink::remoteEditorOps(windows());
    EXPECT_FALSE(ops.ideIsForeground());

    ops.returnForegroundToIde();
    EXPECT_EQ(GetForegroundWindow(), main);
    EXPECT_TRUE(ops.ideIsForeground());
    DWORD timeoutAfter = 0;
    SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeoutAfter, 0);
    EXPECT_EQ(timeoutAfter, timeoutBefore);
    DestroyWindow(other);
}

// An editor whose thread answers the size of the line and then sleeps past the time limit
// before it fills the buffer, as a hung IDE does when it wakes up again.
struct SleepyEditor {
    HWND window = nullptr;
    void* buffer = nullptr; // where the fill message asked for the line
    int messagesAfterWaking = 0;
    bool wokeAndWrote = false;
};
SleepyEditor* sleepy = nullptr;
constexpr DWORD kSleepMs = 4500; // beyond the program's limit of a few seconds

LRESULT CALLBACK sleepyProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!sleepy || message < WM_USER)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message != SCI_GETCURLINE || sleepy->wokeAndWrote) {
        if (sleepy->wokeAndWrote)
            ++sleepy->messagesAfterWaking;
        return 0;
    }
    if (lParam == 0)
        return 20;
    sleepy->buffer = reinterpret_cast<void*>(lParam);
    Sleep(kSleepMs);
    std::memcpy(sleepy->buffer, "    if\r\n", 9); // into memory that must still be there
    sleepy->wokeAndWrote = true;
    return 6;
}

DWORD WINAPI sleepyThread(void* ready) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = sleepyProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ZendrikSleepyEditor";
    RegisterClassW(&windowClass);
    sleepy->window = CreateWindowExW(0, L"ZendrikSleepyEditor", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                     100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetEvent(static_cast<HANDLE>(ready));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    DestroyWindow(sleepy->window);
    return 0;
}

TEST(RemoteEditorTimeLimit, AnEditorThatStopsAnsweringEndsTheRunWithItsBufferKept) {
    idelink::editorAnswers() = {};
    SleepyEditor state;
    sleepy = &state;
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, sleepyThread, ready, 0, &threadId);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(ready, 5000);
    ASSERT_NE(state.window, nullptr);
    const idelink::IdeWindows windows{handle(state.window), handle(state.window)};

    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(idelink::readLineBeforeCaret(windows));
    const ULONGLONG waited = GetTickCount64() - start;
    EXPECT_LT(waited, kSleepMs) << "the read waited for the editor to wake";
    EXPECT_TRUE(idelink::editorAnswers().stopped);
    // Nothing more is sent, not even a change, however long the program goes on.
    EXPECT_EQ(idelink::editorCaretPosition(handle(state.window)), -1);
    idelink::replaceWordInEditor(handle(state.window), 2, 6, "If");
    idelink::placeCaret(handle(state.window), 3);
    EXPECT_FALSE(idelink::remoteEditorOps(windows).editorAnswers());

    // The editor wakes and writes its line into the buffer: it must still be allocated.
    PostThreadMessageW(threadId, WM_QUIT, 0, 0);
    ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(state.wokeAndWrote);
    EXPECT_EQ(state.messagesAfterWaking, 0);
    MEMORY_BASIC_INFORMATION region{};
    ASSERT_NE(VirtualQuery(state.buffer, &region, sizeof region), 0u);
    EXPECT_EQ(region.State, DWORD(MEM_COMMIT));
    VirtualFree(region.AllocationBase, 0, MEM_RELEASE);
    CloseHandle(thread);
    CloseHandle(ready);
    sleepy = nullptr;
    idelink::editorAnswers() = {};
}

} // namespace
