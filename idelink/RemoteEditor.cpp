#include "idelink/RemoteEditor.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "base/CodePageText.h"
#include "base/OwnedHandles_win.h"
#include "base/TextConvert.h"
#include "idelink/CaretWord.h"
#include "idelink/DocumentCodePage.h"
#include "idelink/RemoteBuffer.h"
#include "idelink/ScintillaMessages.h"

namespace idelink {

namespace {

// No source line or selection to wrap is this long; a larger answer is taken for a confused or
// hostile window rather than a reason to commit that much memory in the IDE.
constexpr int64_t kLargestReadBuffer = 16 * 1024 * 1024;

// A handle that names no window gets no message at all: a recycled handle could name a
// window of some other program by now.
HWND liveWindow(std::intptr_t handle) {
    HWND window = reinterpret_cast<HWND>(handle);
    return window && IsWindow(window) ? window : nullptr;
}

// An IDE that stops answering would hold this program, and with it the expansion lock, for
// as long as it hangs. Until a change has reached the editor nothing is lost by giving up, so
// each message waits this long at most; once a change was answered, the rest of the edit
// waits as long as it takes, so that no edit is left half done.
constexpr UINT kAnswerLimitMs = 3000;

// False when the editor gave no answer in time (or is gone); it is then sent nothing more.
bool sendToEditor(HWND editor, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& answer) {
    EditorAnswers& answers = editorAnswers();
    answer = 0;
    if (answers.stopped)
        return false;
    if (answers.changeSent) {
        answer = SendMessageW(editor, message, wParam, lParam);
        return true;
    }
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(editor, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerLimitMs,
                             &result)) {
        answers.stopped = true;
        return false;
    }
    answer = LRESULT(result);
    return true;
}

bool sendChangeToEditor(HWND editor, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT ignored = 0;
    if (!sendToEditor(editor, message, wParam, lParam, ignored))
        return false;
    editorAnswers().changeSent = true;
    return true;
}

// The editor's answer, or nullopt when it did not answer in time.
std::optional<int64_t> askEditor(HWND editor, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT answer = 0;
    if (!sendToEditor(editor, message, wParam, lParam, answer))
        return std::nullopt;
    return int64_t(answer);
}

// Each answers nullopt when the editor did not answer.
inline std::optional<int64_t> sciGetCurrentPos(HWND editor) {
    return askEditor(editor, SCI_GETCURRENTPOS, 0, 0);
}
inline std::optional<int64_t> sciGetCurLineSize(HWND editor) {
    return askEditor(editor, SCI_GETCURLINE, 0, 0);
}
inline std::optional<int64_t> sciGetCurLine(HWND editor, int64_t size, void* remoteBuffer) {
    return askEditor(editor, SCI_GETCURLINE, WPARAM(size), reinterpret_cast<LPARAM>(remoteBuffer));
}
inline std::optional<int64_t> sciGetLength(HWND editor) {
    return askEditor(editor, SCI_GETLENGTH, 0, 0);
}
inline std::optional<int64_t> sciGetCodePage(HWND editor) {
    return askEditor(editor, SCI_GETCODEPAGE, 0, 0);
}
inline std::optional<int64_t> sciStyleGetCharacterSet(HWND editor, int style) {
    return askEditor(editor, SCI_STYLEGETCHARACTERSET, WPARAM(style), 0);
}
inline std::optional<int64_t> sciGetAnchor(HWND editor) {
    return askEditor(editor, SCI_GETANCHOR, 0, 0);
}
inline std::optional<int64_t> sciGetEolMode(HWND editor) {
    return askEditor(editor, SCI_GETEOLMODE, 0, 0);
}
inline std::optional<int64_t> sciGetSelectionMode(HWND editor) {
    return askEditor(editor, SCI_GETSELECTIONMODE, 0, 0);
}
inline std::optional<int64_t> sciGetSelections(HWND editor) {
    return askEditor(editor, SCI_GETSELECTIONS, 0, 0);
}
inline std::optional<int64_t> sciGetTextRange(HWND editor, void* remoteRange) {
    return askEditor(editor, SCI_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(remoteRange));
}
inline std::optional<int64_t> sciPositionFromLine(HWND editor, int64_t line) {
    return askEditor(editor, SCI_POSITIONFROMLINE, WPARAM(line), 0);
}
inline std::optional<int> sciPointXFromPosition(HWND editor, int64_t position) {
    const std::optional<int64_t> answer =
        askEditor(editor, SCI_POINTXFROMPOSITION, 0, LPARAM(position));
    return answer ? std::optional<int>(int(*answer)) : std::nullopt;
}
inline std::optional<int> sciPointYFromPosition(HWND editor, int64_t position) {
    const std::optional<int64_t> answer =
        askEditor(editor, SCI_POINTYFROMPOSITION, 0, LPARAM(position));
    return answer ? std::optional<int>(int(*answer)) : std::nullopt;
}
inline std::optional<int64_t> sciLineFromPosition(HWND editor, int64_t position) {
    return askEditor(editor, SCI_LINEFROMPOSITION, WPARAM(position), 0);
}
inline std::optional<int> sciTextHeight(HWND editor, int64_t line) {
    const std::optional<int64_t> answer = askEditor(editor, SCI_TEXTHEIGHT, WPARAM(line), 0);
    return answer ? std::optional<int>(int(*answer)) : std::nullopt;
}
inline std::optional<int64_t> sciStyleGetFontLength(HWND editor, int style) {
    return askEditor(editor, SCI_STYLEGETFONT, WPARAM(style), 0);
}
inline std::optional<int64_t> sciStyleGetFont(HWND editor, int style, void* remoteBuffer) {
    return askEditor(editor, SCI_STYLEGETFONT, WPARAM(style),
                     reinterpret_cast<LPARAM>(remoteBuffer));
}
inline std::optional<int64_t> sciStyleGetSize(HWND editor, int style) {
    return askEditor(editor, SCI_STYLEGETSIZE, WPARAM(style), 0);
}
inline std::optional<int64_t> sciStyleGetSizeFractional(HWND editor, int style) {
    return askEditor(editor, SCI_STYLEGETSIZEFRACTIONAL, WPARAM(style), 0);
}
inline std::optional<int64_t> sciStyleGetFore(HWND editor, int style) {
    return askEditor(editor, SCI_STYLEGETFORE, WPARAM(style), 0);
}
inline std::optional<int64_t> sciStyleGetBack(HWND editor, int style) {
    return askEditor(editor, SCI_STYLEGETBACK, WPARAM(style), 0);
}
inline std::optional<int64_t> sciGetElementIsSet(HWND editor, int element) {
    return askEditor(editor, SCI_GETELEMENTISSET, WPARAM(element), 0);
}
inline std::optional<int64_t> sciGetElementColour(HWND editor, int element) {
    return askEditor(editor, SCI_GETELEMENTCOLOUR, WPARAM(element), 0);
}
inline bool sciSetSelectionStart(HWND editor, int64_t position) {
    return sendChangeToEditor(editor, SCI_SETSELECTIONSTART, WPARAM(position), 0);
}
inline bool sciSetSelectionEnd(HWND editor, int64_t position) {
    return sendChangeToEditor(editor, SCI_SETSELECTIONEND, WPARAM(position), 0);
}
inline bool sciSetSel(HWND editor, int64_t anchor, int64_t caret) {
    return sendChangeToEditor(editor, SCI_SETSEL, WPARAM(anchor), LPARAM(caret));
}
inline void emReplaceSel(HWND editor, const char* zeroEndedBytes) {
    sendChangeToEditor(editor, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(zeroEndedBytes));
}

DWORD processOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

bool isWow64(HANDLE process) {
    BOOL wow64 = FALSE;
    return IsWow64Process(process, &wow64) && wow64;
}

// The buffer's address reaches the editor as a message argument, which Windows cuts to 32
// bits on the way into a 32-bit IDE and widens with its sign on the way from a 32-bit
// program into a 64-bit IDE. Windows hands out addresses that survive this (a 32-bit IDE's
// memory lies below 4 GB; a 32-bit program that is not large-address aware, as this one is
// not, gets addresses below 2 GB in any process); any other is refused rather than have the
// IDE write where the program never reads.
bool ideIs64Bit(HANDLE ideProcess) {
#if defined(_WIN64)
    return !isWow64(ideProcess);
#else
    return isWow64(GetCurrentProcess()) && !isWow64(ideProcess);
#endif
}

bool reachesTheEditorIntact(HANDLE ideProcess, const void* address) {
    const auto value = reinterpret_cast<std::uintptr_t>(address);
#if defined(_WIN64)
    return ideIs64Bit(ideProcess) || value >> 32 == 0;
#else
    return !ideIs64Bit(ideProcess) || value < 0x80000000u;
#endif
}

// Reading, allocating, writing the range a read asks for into memory this program allocated, and
// telling a 32-bit IDE from a 64-bit one is all the editor's process is asked for.
constexpr DWORD kEditorProcessAccess =
    PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION;

DWORD threadOf(HWND window) {
    return GetWindowThreadProcessId(window, nullptr);
}

// The text that crosses to the editor. Windows copies EM_REPLACESEL's argument as 16-bit
// units up to the first zero unit, so the text's bytes are followed by three zero bytes: one
// ends the text for the editor, and one of the two units they touch is all zero whatever the
// text's length. One buffer serves every send.
const char* outgoingText(const std::string& bytes) {
    static std::vector<char> buffer;
    buffer.assign(bytes.begin(), bytes.end());
    buffer.insert(buffer.end(), 3, '\0');
    return buffer.data();
}

} // namespace

EditorAnswers& editorAnswers() {
    static EditorAnswers answers;
    return answers;
}

namespace {

// The editor's process, opened for the buffers the editor writes into; null unless the editor
// and the main window are live windows of one process. The editor writes into the buffer in
// its own process: were the main window from another process, the buffer would be there and
// the editor would write to an address it never owned.
base::OwnedKernelHandle openEditorProcess(const IdeWindows& windows) {
    HWND editor = liveWindow(windows.editor);
    HWND main = liveWindow(windows.main);
    const DWORD processId = main ? processOf(main) : 0;
    if (!editor || processId == 0 || processOf(editor) != processId)
        return {};
    return base::OwnedKernelHandle(OpenProcess(kEditorProcessAccess, FALSE, processId));
}

// Has the editor write at most size bytes into a buffer in its process: write sends the
// message with the buffer's address and answers how many bytes from the buffer's start to read
// back, or nullopt when the editor did not answer. Nullopt on any failure.
template <typename Write>
std::optional<std::string> readThroughEditor(HANDLE process, int64_t size, Write write) {
    if (size == 0)
        return std::string(); // an empty last line: nothing to write, and nothing to ask for
    if (size < 0 || size > kLargestReadBuffer)
        return std::nullopt;
    // One byte more than asked for: Scintilla 5 counts the size without the zero byte and
    // writes that byte just past the size it is given, and older versions stay inside it.
    RemoteBuffer remote(process, size_t(size) + 1);
    if (!remote.address() || !reachesTheEditorIntact(process, remote.address()))
        return std::nullopt;
    const std::optional<int64_t> count = write(remote.address());
    if (!count) {
        remote.abandon();
        return std::nullopt;
    }
    // A count outside what the editor just wrote is no answer to trust.
    if (*count < 0 || *count > size)
        return std::nullopt;
    std::string bytes(size_t(*count), '\0');
    SIZE_T bytesRead = 0;
    if (!bytes.empty() &&
        (!ReadProcessMemory(process, remote.address(), bytes.data(), bytes.size(), &bytesRead) ||
         bytesRead != bytes.size()))
        return std::nullopt;
    return bytes;
}

// The editor's bytes from `from` up to `to`. SCI_GETTEXTRANGE writes exactly the stretch it is
// asked for, where a message that writes what the editor holds at that moment (the selection, a
// whole line) would write past a buffer sized a moment before, had a key the user typed in
// between made it longer. The range record goes into the buffer ahead of the text, laid out as
// the IDE's width has it: two 32-bit positions, then the text's address.
std::optional<std::string> readRange(HWND editor, HANDLE process, int64_t from, int64_t to) {
    if (from < 0 || to < from || to > INT32_MAX || to - from > kLargestReadBuffer)
        return std::nullopt;
    if (from == to)
        return std::string();
    constexpr size_t kTextAt = 16; // past the record, in either width
    const size_t size = size_t(to - from);
    RemoteBuffer remote(process, kTextAt + size + 1);
    if (!remote.address() || !reachesTheEditorIntact(process, remote.address()))
        return std::nullopt;
    char* const record = static_cast<char*>(remote.address());
    const std::int32_t range[2] = {std::int32_t(from), std::int32_t(to)};
    const std::uint64_t textAddress = reinterpret_cast<std::uintptr_t>(record + kTextAt);
    unsigned char bytes[kTextAt] = {};
    std::memcpy(bytes, range, sizeof range);
    std::memcpy(bytes + sizeof range, &textAddress, sizeof textAddress); // little-endian
    const size_t recordSize = ideIs64Bit(process) ? 16 : 12;
    SIZE_T written = 0;
    if (!WriteProcessMemory(process, record, bytes, recordSize, &written) || written != recordSize)
        return std::nullopt;
    const std::optional<int64_t> count = sciGetTextRange(editor, record);
    if (!count) {
        remote.abandon();
        return std::nullopt;
    }
    // Fewer bytes than asked for: the text ends before the stretch does, so it changed. A
    // stretch that reaches past the end of a text that became shorter meanwhile is answered
    // with its full length and nothing written (Scintilla copies no part of it): the text's
    // length, asked after the answer, tells that case.
    if (*count != int64_t(size))
        return std::nullopt;
    const std::optional<int64_t> length = sciGetLength(editor);
    if (!length || *length < to)
        return std::nullopt;
    std::string text(size, '\0');
    SIZE_T bytesRead = 0;
    if (!ReadProcessMemory(process, record + kTextAt, text.data(), size, &bytesRead) ||
        bytesRead != size)
        return std::nullopt;
    return text;
}

// The code page of the editor's document, for everything that crosses between it and this
// program. The character set is asked only for a document in code page 0.
int codePageOfDocument(HWND editor) {
    const std::optional<int64_t> codePage = sciGetCodePage(editor);
    const std::optional<int64_t> characterSet =
        codePage == 0 ? sciStyleGetCharacterSet(editor, STYLE_DEFAULT) : std::nullopt;
    return documentCodePage(codePage, characterSet, int(GetACP()));
}

} // namespace

namespace {

// The line before the caret; the document's code page only when asked for, since the reading
// again just before an insert compares bytes and has no use for it.
std::optional<LineAtCaret> readLine(const IdeWindows& windows, bool withCodePage) {
    const base::OwnedKernelHandle process = openEditorProcess(windows);
    if (!process)
        return std::nullopt;
    HWND editor = reinterpret_cast<HWND>(windows.editor);
    LineAtCaret line;
    if (withCodePage)
        line.codePage = codePageOfDocument(editor);
    const std::optional<int64_t> caret = sciGetCurrentPos(editor);
    const std::optional<int64_t> size = caret ? sciGetCurLineSize(editor) : std::nullopt;
    if (!size)
        return std::nullopt;
    line.caret = *caret;
    // Every byte before the caret, zero bytes included: the word is replaced by its byte
    // count, which must be the count of what stands in the editor.
    std::optional<std::string> bytes = readThroughEditor(
        process.get(), *size, [&](void* remote) { return sciGetCurLine(editor, *size, remote); });
    if (!bytes)
        return std::nullopt;
    line.bytes = std::move(*bytes);
    return line;
}

} // namespace

std::optional<LineAtCaret> readLineBeforeCaret(const IdeWindows& windows) {
    return readLine(windows, true);
}

// Only one stretch of text is wrapped: a block of columns or several selections have no one
// place for the template's lines, and are left to a plain start at the caret.
std::optional<WrappedSelection> readSelection(const IdeWindows& windows) {
    const base::OwnedKernelHandle process = openEditorProcess(windows);
    if (!process)
        return std::nullopt;
    HWND editor = reinterpret_cast<HWND>(windows.editor);
    const std::optional<int64_t> anchor = sciGetAnchor(editor);
    const std::optional<int64_t> caret = anchor ? sciGetCurrentPos(editor) : std::nullopt;
    if (!caret || *anchor == *caret || *anchor < 0 || *caret < 0)
        return std::nullopt;
    // An editor older than several selections does not know the message and answers 0.
    const std::optional<int64_t> selections = sciGetSelections(editor);
    if (!selections || *selections > 1)
        return std::nullopt;
    // A rectangular or thin selection is a block of columns, not a stretch of text.
    const std::optional<int64_t> mode = sciGetSelectionMode(editor);
    if (!mode || *mode == SC_SEL_RECTANGLE || *mode == SC_SEL_THIN)
        return std::nullopt;
    const int64_t start = std::min(*anchor, *caret);
    const std::optional<std::string> text =
        readRange(editor, process.get(), start, std::max(*anchor, *caret));
    const std::optional<int64_t> line = text ? sciLineFromPosition(editor, start) : std::nullopt;
    const std::optional<int64_t> lineStart =
        line ? sciPositionFromLine(editor, *line) : std::nullopt;
    const std::optional<std::string> lineBefore =
        lineStart && *lineStart <= start ? readRange(editor, process.get(), *lineStart, start)
                                         : std::nullopt;
    if (!lineBefore)
        return std::nullopt;
    const int codePage = codePageOfDocument(editor);
    return WrappedSelection{*anchor,
                            *caret,
                            text::codePageToUtf16(codePage, *text),
                            indentationOf(text::codePageToUtf16(codePage, *lineBefore)),
                            *text,
                            codePage};
}

// No font has a name this long; a longer answer is not worth memory in the editor's process.
constexpr int64_t kLongestFontNameBytes = 256;

// An editor older than a message answers it with 0: a size of 0 and an element not set, which
// the look passes over.
store::EditorStyleAnswers readEditorStyle(const IdeWindows& windows) {
    store::EditorStyleAnswers answers;
    const base::OwnedKernelHandle process = openEditorProcess(windows);
    if (!process)
        return answers;
    HWND editor = reinterpret_cast<HWND>(windows.editor);
    const std::optional<int64_t> nameSize = sciStyleGetFontLength(editor, STYLE_DEFAULT);
    if (nameSize && *nameSize <= kLongestFontNameBytes)
        answers.fontName = readThroughEditor(process.get(), *nameSize, [&](void* remote) {
            return sciStyleGetFont(editor, STYLE_DEFAULT, remote);
        });
    answers.sizeHundredths = sciStyleGetSizeFractional(editor, STYLE_DEFAULT);
    answers.sizePoints = sciStyleGetSize(editor, STYLE_DEFAULT);
    answers.textColour = sciStyleGetFore(editor, STYLE_DEFAULT);
    answers.backgroundColour = sciStyleGetBack(editor, STYLE_DEFAULT);
    answers.selectionTextSet = sciGetElementIsSet(editor, SC_ELEMENT_SELECTION_TEXT);
    answers.selectionTextColour = sciGetElementColour(editor, SC_ELEMENT_SELECTION_TEXT);
    answers.selectionBackSet = sciGetElementIsSet(editor, SC_ELEMENT_SELECTION_BACK);
    answers.selectionBackColour = sciGetElementColour(editor, SC_ELEMENT_SELECTION_BACK);
    return answers;
}

bool editorProcessOpens(const IdeWindows& windows) {
    return static_cast<bool>(openEditorProcess(windows));
}

int64_t editorCaretPosition(std::intptr_t editor) {
    HWND window = liveWindow(editor);
    if (!window)
        return 0;
    return sciGetCurrentPos(window).value_or(-1);
}

ScreenPoint caretScreenPoint(std::intptr_t editor, int64_t position) {
    HWND window = liveWindow(editor);
    if (!window)
        return {};
    const std::optional<int> x = sciPointXFromPosition(window, position);
    const std::optional<int> y = x ? sciPointYFromPosition(window, position) : std::nullopt;
    if (!y)
        return {};
    POINT point{*x, *y};
    MapWindowPoints(window, nullptr, &point, 1);
    return {int(point.x), int(point.y)};
}

int caretLineHeight(std::intptr_t editor, int64_t position) {
    HWND window = liveWindow(editor);
    if (!window)
        return 0;
    const std::optional<int64_t> line = sciLineFromPosition(window, position);
    const std::optional<int> height = line ? sciTextHeight(window, *line) : std::nullopt;
    // A line is never taller than a screen; a larger answer is no height to place by.
    return height && *height > 0 && *height < 4096 ? *height : 0;
}

void replaceWordInEditor(std::intptr_t editor, int64_t wordBytes, int64_t caretPos,
                         const std::string& bytes) {
    HWND window = liveWindow(editor);
    // A word longer than the text before the caret would have the editor clamp the start to
    // 0 and replace more than the word.
    if (!window || wordBytes < 0 || caretPos < wordBytes)
        return;
    if (!sciSetSelectionStart(window, caretPos - wordBytes) ||
        !sciSetSelectionEnd(window, caretPos))
        return;
    emReplaceSel(window, outgoingText(bytes));
}

int64_t editorLineBreakMode(std::intptr_t editor) {
    HWND window = liveWindow(editor);
    return window ? sciGetEolMode(window).value_or(-1) : -1;
}

void placeSelection(std::intptr_t editor, int64_t anchor, int64_t caret) {
    HWND window = liveWindow(editor);
    if (window && anchor >= 0 && caret >= 0)
        sciSetSel(window, anchor, caret);
}

void placeCaret(std::intptr_t editor, int64_t position) {
    HWND window = liveWindow(editor);
    if (!window)
        return;
    if (sciSetSelectionStart(window, position))
        sciSetSelectionEnd(window, position);
}

// Windows lets only the foreground process hand the foreground on. Joining the input of the
// foreground thread and the target's and lifting the lock time-out for the one call lets a
// background process do it.
void returnForeground(std::intptr_t window) {
    HWND target = liveWindow(window);
    if (!target)
        return;
    const DWORD current = GetCurrentThreadId();
    const DWORD foreground = threadOf(GetForegroundWindow());
    const DWORD targetThread = threadOf(target);
    const bool attachForeground = current != foreground;
    const bool attachTarget = targetThread != current;
    if (attachForeground)
        AttachThreadInput(current, foreground, TRUE);
    if (attachTarget)
        AttachThreadInput(targetThread, current, TRUE);

    // A time-out that cannot be read is left alone: it is system-wide and must never stay 0.
    DWORD savedTimeout = 0;
    const bool timeoutRead =
        SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &savedTimeout, 0) != FALSE;
    if (timeoutRead)
        SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0);
    LockSetForegroundWindow(LSFW_UNLOCK);
    AllowSetForegroundWindow(ASFW_ANY);
    SetForegroundWindow(target);
    if (timeoutRead)
        SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0,
                              reinterpret_cast<PVOID>(std::uintptr_t(savedTimeout)), 0);

    if (attachForeground)
        AttachThreadInput(current, foreground, FALSE);
    if (attachTarget)
        AttachThreadInput(targetThread, current, FALSE);
}

EditorOps remoteEditorOps(const IdeWindows& windows) {
    EditorOps ops;
    ops.caretPosition = [editor = windows.editor] { return editorCaretPosition(editor); };
    ops.caretScreenPoint = [editor = windows.editor](int64_t position) {
        return caretScreenPoint(editor, position);
    };
    ops.replaceWord = [editor = windows.editor](int64_t wordBytes, int64_t caretPos,
                                                const std::string& bytes) {
        replaceWordInEditor(editor, wordBytes, caretPos, bytes);
    };
    ops.placeCaret = [editor = windows.editor](int64_t position) { placeCaret(editor, position); };
    ops.placeSelection = [editor = windows.editor](int64_t anchor, int64_t caret) {
        placeSelection(editor, anchor, caret);
    };
    ops.lineBreakMode = [editor = windows.editor] { return editorLineBreakMode(editor); };
    ops.lineBeforeCaret = [windows] { return readLine(windows, false); };
    ops.currentSelection = [windows] { return readSelection(windows); };
    ops.lineAtCaret = [windows] { return readLineBeforeCaret(windows); };
    ops.returnForegroundToIde = [main = windows.main] { returnForeground(main); };
    ops.ideIsForeground = [main = windows.main] {
        return main != 0 && GetForegroundWindow() == reinterpret_cast<HWND>(main);
    };
    ops.editorAnswers = [] { return !editorAnswers().stopped; };
    return ops;
}

} // namespace idelink
