#include "idelink/RemoteEditor.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "base/OwnedHandles_win.h"
#include "base/TextConvert.h"
#include "idelink/RemoteBuffer.h"

namespace idelink {

namespace {

// The editor messages, each named once.
constexpr UINT kSciGetCurrentPos = 2008;
constexpr UINT kSciGetCurLine = 2027;
constexpr UINT kSciSetSelectionStart = 2142;
constexpr UINT kSciSetSelectionEnd = 2144;
constexpr UINT kSciPointXFromPosition = 2164;
constexpr UINT kSciPointYFromPosition = 2165;
constexpr UINT kSciLineFromPosition = 2166;
constexpr UINT kSciTextHeight = 2279;
constexpr UINT kEmReplaceSel = 194;

// No source line is this long; a larger answer is taken for a confused or hostile window
// rather than a reason to commit that much memory in the IDE.
constexpr int64_t kLargestLineBuffer = 16 * 1024 * 1024;

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

// Each answers nullopt when the editor did not answer.
inline std::optional<int64_t> sciGetCurrentPos(HWND editor) {
    LRESULT answer = 0;
    if (!sendToEditor(editor, kSciGetCurrentPos, 0, 0, answer))
        return std::nullopt;
    return int64_t(answer);
}
inline std::optional<int64_t> sciGetCurLineSize(HWND editor) {
    LRESULT answer = 0;
    if (!sendToEditor(editor, kSciGetCurLine, 0, 0, answer))
        return std::nullopt;
    return int64_t(answer);
}
inline std::optional<int64_t> sciGetCurLine(HWND editor, int64_t size, void* remoteBuffer) {
    LRESULT answer = 0;
    if (!sendToEditor(editor, kSciGetCurLine, WPARAM(size), reinterpret_cast<LPARAM>(remoteBuffer),
                      answer))
        return std::nullopt;
    return int64_t(answer);
}
inline std::optional<int> sciPointXFromPosition(HWND editor, int64_t position) {
    LRESULT answer = 0;
    if (!sendToEditor(editor, kSciPointXFromPosition, 0, LPARAM(position), answer))
        return std::nullopt;
    return int(answer);
}
inline std::optional<int> sciPointYFromPosition(HWND editor, int64_t position) {
    LRESULT answer = 0;
    if (!sendToEditor(editor, kSciPointYFromPosition, 0, LPARAM(position), answer))
        return std::nullopt;
    return int(answer);
}
inline std::optional<int64_t> sciLineFromPosition(HWND editor, int64_t position) {
    LRESULT answer = 0;
    if (!sendToEditor(editor, kSciLineFromPosition, WPARAM(position), 0, answer))
        return std::nullopt;
    return int64_t(answer);
}
inline std::optional<int> sciTextHeight(HWND editor, int64_t line) {
    LRESULT answer = 0;
    if (!sendToEditor(editor, kSciTextHeight, WPARAM(line), 0, answer))
        return std::nullopt;
    return int(answer);
}
inline bool sciSetSelectionStart(HWND editor, int64_t position) {
    return sendChangeToEditor(editor, kSciSetSelectionStart, WPARAM(position), 0);
}
inline bool sciSetSelectionEnd(HWND editor, int64_t position) {
    return sendChangeToEditor(editor, kSciSetSelectionEnd, WPARAM(position), 0);
}
inline void emReplaceSel(HWND editor, const char* zeroEndedUtf8) {
    sendChangeToEditor(editor, kEmReplaceSel, 0, reinterpret_cast<LPARAM>(zeroEndedUtf8));
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
bool reachesTheEditorIntact(HANDLE ideProcess, const void* address) {
    const auto value = reinterpret_cast<std::uintptr_t>(address);
#if defined(_WIN64)
    return !isWow64(ideProcess) || value >> 32 == 0;
#else
    const bool ideIs64Bit = isWow64(GetCurrentProcess()) && !isWow64(ideProcess);
    return !ideIs64Bit || value < 0x80000000u;
#endif
}

// Reading, allocating and telling a 32-bit IDE from a 64-bit one is all the editor's process
// is asked for.
constexpr DWORD kEditorProcessAccess =
    PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_QUERY_INFORMATION;

DWORD threadOf(HWND window) {
    return GetWindowThreadProcessId(window, nullptr);
}

// The text that crosses to the editor. Windows copies EM_REPLACESEL's argument as 16-bit
// units up to the first zero unit, so the UTF-8 bytes are followed by three zero bytes: one
// ends the text for the editor, and one of the two units they touch is all zero whatever the
// text's length. One buffer serves every send.
const char* outgoingText(const std::string& utf8Text) {
    static std::vector<char> buffer;
    buffer.assign(utf8Text.begin(), utf8Text.end());
    buffer.insert(buffer.end(), 3, '\0');
    return buffer.data();
}

} // namespace

EditorAnswers& editorAnswers() {
    static EditorAnswers answers;
    return answers;
}

std::string readLineBeforeCaret(const IdeWindows& windows) {
    HWND editor = liveWindow(windows.editor);
    HWND main = liveWindow(windows.main);
    if (!editor || !main)
        return {};
    // The editor writes the line into the buffer in its own process: were the main window
    // from another process, the buffer would be there and the editor would write to an
    // address it never owned.
    const DWORD processId = processOf(main);
    if (processId == 0 || processOf(editor) != processId)
        return {};
    const base::OwnedKernelHandle process(OpenProcess(kEditorProcessAccess, FALSE, processId));
    if (!process.get())
        return {};
    const std::optional<int64_t> size = sciGetCurLineSize(editor);
    if (!size || *size <= 0 || *size > kLargestLineBuffer)
        return {};
    // One byte more than asked for: Scintilla 5 counts the size without the zero byte and
    // writes that byte just past the size it is given, and older versions stay inside it.
    const size_t bufferSize = size_t(*size) + 1;
    RemoteBuffer remote(process.get(), bufferSize);
    if (!remote.address() || !reachesTheEditorIntact(process.get(), remote.address()))
        return {};
    const std::optional<int64_t> caretInLine = sciGetCurLine(editor, *size, remote.address());
    if (!caretInLine) {
        remote.abandon();
        return {};
    }
    // An offset outside the line it just wrote is no answer to trust.
    if (*caretInLine < 0 || *caretInLine > *size)
        return {};
    std::string line(size_t(*caretInLine), '\0');
    SIZE_T bytesRead = 0;
    if (!line.empty() && (!ReadProcessMemory(process.get(), remote.address(), line.data(),
                                             line.size(), &bytesRead) ||
                          bytesRead != line.size()))
        return {};
    // Every byte before the caret, zero bytes included: the word is replaced by its byte
    // count, which must be the count of what stands in the editor.
    return line;
}

bool editorProcessOpens(const IdeWindows& windows) {
    HWND editor = liveWindow(windows.editor);
    HWND main = liveWindow(windows.main);
    const DWORD processId = main ? processOf(main) : 0;
    if (!editor || processId == 0 || processOf(editor) != processId)
        return false;
    const base::OwnedKernelHandle process(OpenProcess(kEditorProcessAccess, FALSE, processId));
    return process.get() != nullptr;
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
                         const std::string& utf8Text) {
    HWND window = liveWindow(editor);
    // A word longer than the text before the caret would have the editor clamp the start to
    // 0 and replace more than the word.
    if (!window || wordBytes < 0 || caretPos < wordBytes)
        return;
    if (!sciSetSelectionStart(window, caretPos - wordBytes) ||
        !sciSetSelectionEnd(window, caretPos))
        return;
    emReplaceSel(window, outgoingText(utf8Text));
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
                                                const std::string& utf8Text) {
        replaceWordInEditor(editor, wordBytes, caretPos, utf8Text);
    };
    ops.placeCaret = [editor = windows.editor](int64_t position) { placeCaret(editor, position); };
    ops.returnForegroundToIde = [main = windows.main] { returnForeground(main); };
    ops.ideIsForeground = [main = windows.main] {
        return main != 0 && GetForegroundWindow() == reinterpret_cast<HWND>(main);
    };
    ops.editorAnswers = [] { return !editorAnswers().stopped; };
    return ops;
}

} // namespace idelink
