// IdeHost: a stand-in for the PureBasic IDE. Its main window holds a real Scintilla editor and
// starts a tool the way the IDE does: the editor's and the main window's handles in the
// environment variables the IDE sets (endtoend::setToolVariables), a working directory other
// than the tool's folder, and the host keeps answering window messages while the tool runs,
// since every message the tool sends to the editor waits for that answer.
//
// Interactive, F12 runs the tool:
//   IdeHost.exe [--tool <exe>] [--document <file>]
// Scripted, one run, then exit:
//   IdeHost.exe --tool <exe> --document <file> --result <file>
//               [--type-first <text>] [--keys <text>] [--keys-delay <ms>] [--undo]
//               [--no-run] [--timeout <ms>] [--workdir <folder>] [--tool-arguments <text>]
//               [--code-page <n>] [--character-set <n>]
//
// The document is in the editor's code page (UTF-8 unless --code-page says otherwise, with
// --character-set for the default style, as SCI_SETCODEPAGE and SCI_STYLESETCHARACTERSET take
// them); the marker <|> in it is removed and the caret placed there, and the marker <^>, when
// there, is removed and the selection made from there to the caret.
// --type-first types text at the caret before the tool starts, as a user would.
// --keys types text into the foreground window once a window of the tool is there, or once the
// tool has run for --keys-delay ms (with --no-run, into the host's own editor, after the delay);
// {ENTER} {ESC} {TAB} {SHIFT+ENTER} {BACKSPACE} {UP} {DOWN} {PGUP} {PGDN} name keys, {PAUSE}
// waits one beat, {CLICK} clicks into the host's editor near its bottom right corner and {CLOSE}
// posts WM_CLOSE to the foreground window, as any other program could.
// A scripted run that types keys also reports the window that has the foreground at the last
// beat that finds a window of the tool in front (the tool's popup: "popup-..." lines) and, at the
// end, whether the host's main window has the foreground again ("foreground host" or "foreground
// other").
#include <windows.h>

#include <Scintilla.h>

#include "HostProtocol.h"
#include "HostWindows.h"
#include "base/TextConvert.h"
#include "e2e/support/Files.h"
#include "e2e/support/Input.h"
#include "e2e/support/Processes.h"
#include "e2e/support/Wait.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr wchar_t kMainClass[] = L"ZendrikIdeHost";
constexpr wchar_t kTitle[] = L"IdeHost - type a word, press F12 to start the tool";
using idehost::Document;
constexpr UINT kStartToolKey = VK_F12;
constexpr UINT_PTR kKeysTimer = 1;
constexpr UINT kKeyBeatMs = 60;
constexpr UINT kStartNowMessage = WM_APP + 1;

struct Options {
    std::wstring tool;
    std::wstring toolArguments; // the tool's command line after its name
    std::wstring document;
    std::wstring result;
    std::wstring keys;
    std::wstring typeFirst;
    std::wstring workDir;
    int keysDelayMs = 3000;
    int codePage = SC_CP_UTF8;
    int characterSet = SC_CHARSET_DEFAULT;
    int timeoutMs = 20000;
    bool noRun = false;
    bool undo = false;
    bool startNow = false;
    bool valid = true;
};

HWND mainWindow = nullptr;
HWND editorWindow = nullptr;

// The keys still to be typed, as input events, one entry per beat.
std::vector<std::vector<INPUT>> pendingKeys;
size_t nextKey = 0;
// What the first beat saw of the foreground window, as report lines.
std::string foregroundFacts;

// In-process calls to the host's own editor.
inline sptr_t sci(unsigned int message, uptr_t wParam = 0, sptr_t lParam = 0) {
    return SendMessageW(editorWindow, message, wParam, lParam);
}

Options parseOptions() {
    const idehost::Arguments arguments = idehost::readArguments(
        {L"--tool", L"--tool-arguments", L"--document", L"--result", L"--keys", L"--type-first",
         L"--workdir", L"--keys-delay", L"--timeout", L"--code-page", L"--character-set"},
        {L"--no-run", L"--undo", L"--start-now"});
    Options options;
    options.tool = arguments.text(L"--tool", endtoend::programFolder() + L"Zendrik.exe");
    options.toolArguments = arguments.text(L"--tool-arguments");
    options.document = arguments.text(L"--document");
    options.result = arguments.text(L"--result");
    options.keys = arguments.text(L"--keys");
    options.typeFirst = arguments.text(L"--type-first");
    options.workDir = arguments.text(L"--workdir", idehost::defaultWorkDir(options.tool));
    options.keysDelayMs = arguments.number(L"--keys-delay", options.keysDelayMs);
    options.timeoutMs = arguments.number(L"--timeout", options.timeoutMs);
    options.codePage = arguments.number(L"--code-page", options.codePage);
    options.characterSet = arguments.number(L"--character-set", options.characterSet);
    options.noRun = arguments.has(L"--no-run");
    options.undo = arguments.has(L"--undo");
    options.startNow = arguments.has(L"--start-now");
    options.valid = arguments.valid;
    return options;
}

// The editor's caret, anchor and bytes as report lines, each name after the prefix.
void writeState(std::string& out, const std::string& prefix) {
    const std::string text = idehost::editorText(editorWindow);
    out += prefix + "caret " + std::to_string(sci(SCI_GETCURRENTPOS)) + "\n";
    out += prefix + "anchor " + std::to_string(sci(SCI_GETANCHOR)) + "\n";
    out += prefix + "text " + std::to_string(text.size()) + "\n" + text + "\n";
}

// A left click into the editor, away from the first lines where the caret usually stands, so
// that the click moves the caret as a user's would.
std::vector<INPUT> editorClick() {
    RECT bounds{};
    GetWindowRect(editorWindow, &bounds);
    return endtoend::leftClick(POINT{bounds.right - 40, bounds.bottom - 40});
}

// The window in the foreground, in screen pixels, beside the caret's screen point.
std::string describeForeground() {
    HWND window = GetForegroundWindow();
    if (!window || window == mainWindow)
        return "popup-none 1\n";
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    const sptr_t caret = sci(SCI_GETCURRENTPOS);
    POINT point{LONG(sci(SCI_POINTXFROMPOSITION, 0, caret)),
                LONG(sci(SCI_POINTYFROMPOSITION, 0, caret))};
    const long lineHeight = long(sci(SCI_TEXTHEIGHT, sci(SCI_LINEFROMPOSITION, caret)));
    // The look as drawn: the screen's pixel near the right end of the first field, and where
    // the field's characters 0, 4 and 8 start, which tell the font's width and spacing.
    // The popup's first field: its first edit control that is no read-only label.
    HWND field = nullptr;
    for (HWND child = FindWindowExW(window, nullptr, L"Edit", nullptr); child && !field;
         child = FindWindowExW(window, child, L"Edit", nullptr))
        if (!(GetWindowLongW(child, GWL_STYLE) & ES_READONLY))
            field = child;
    HDC screen = GetDC(nullptr);
    const COLORREF pixel = GetPixel(screen, outer.left + 1 + 600, outer.top + 1 + 70);
    ReleaseDC(nullptr, screen);
    long charX[3] = {-1, -1, -1};
    const int charIndex[3] = {0, 4, 7};
    for (int i = 0; i < 3; ++i)
        if (field)
            charX[i] =
                long(short(LOWORD(SendMessageW(field, EM_POSFROMCHAR, WPARAM(charIndex[i]), 0))));

    // The popup's preview (its first static control) as it reads now, one line, its line
    // breaks as "\n".
    std::string preview;
    if (HWND previewControl = FindWindowExW(window, nullptr, L"Static", nullptr)) {
        std::wstring shown(size_t(GetWindowTextLengthW(previewControl)) + 1, L'\0');
        shown.resize(size_t(GetWindowTextW(previewControl, shown.data(), int(shown.size()))));
        for (const char byte : text::utf16ToUtf8(text::fromWide(shown))) {
            if (byte == '\n')
                preview += "\\n";
            else if (byte != '\r')
                preview += byte;
        }
    }

    ClientToScreen(editorWindow, &point);
    BYTE alpha = 0;
    DWORD layeredFlags = 0;
    if (!GetLayeredWindowAttributes(window, nullptr, &alpha, &layeredFlags))
        layeredFlags = 0;
    char line[768];
    std::snprintf(line, sizeof line,
                  "popup-outer %ld %ld %ld %ld\npopup-client %ld %ld\npopup-caret %ld %ld\n"
                  "popup-style %lx\npopup-exstyle %lx\npopup-classstyle %lx\n"
                  "popup-alpha %u %lu\npopup-owned %d\npopup-line-height %ld\n"
                  "popup-pixel %lu\npopup-field-x %ld %ld %ld\n",
                  outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
                  client.right, client.bottom, point.x, point.y,
                  static_cast<unsigned long>(GetWindowLongW(window, GWL_STYLE)),
                  static_cast<unsigned long>(GetWindowLongW(window, GWL_EXSTYLE)),
                  static_cast<unsigned long>(GetClassLongW(window, GCL_STYLE)), unsigned(alpha),
                  static_cast<unsigned long>(layeredFlags),
                  GetWindow(window, GW_OWNER) == mainWindow ? 1 : 0, lineHeight,
                  static_cast<unsigned long>(pixel), charX[0], charX[1], charX[2]);
    return line + ("popup-preview " + preview + "\n");
}

// A beat that is no input at all: the close message, which no key sends.
INPUT closeMarker() {
    INPUT input{};
    input.type = INPUT_HARDWARE;
    input.hi.uMsg = WM_CLOSE;
    return input;
}

bool isCloseMarker(const std::vector<INPUT>& beat) {
    return beat.size() == 1 && beat[0].type == INPUT_HARDWARE && beat[0].hi.uMsg == WM_CLOSE;
}

std::vector<std::vector<INPUT>> parseKeys(std::wstring_view keys) {
    using endtoend::chord;
    const std::pair<std::wstring_view, std::vector<INPUT>> named[] = {
        {L"{ENTER}", chord({VK_RETURN})},
        {L"{ESC}", chord({VK_ESCAPE})},
        {L"{TAB}", chord({VK_TAB})},
        {L"{SHIFT+ENTER}", chord({VK_SHIFT, VK_RETURN})},
        {L"{BACKSPACE}", chord({VK_BACK})},
        {L"{SHIFT+TAB}", chord({VK_SHIFT, VK_TAB})},
        {L"{UP}", chord({VK_UP})},
        {L"{DOWN}", chord({VK_DOWN})},
        {L"{PGUP}", chord({VK_PRIOR})},
        {L"{PGDN}", chord({VK_NEXT})},
        {L"{PAUSE}", {}},
        {L"{CLICK}", editorClick()},
        {L"{CLOSE}", {closeMarker()}},
    };
    std::vector<std::vector<INPUT>> beats;
    for (size_t i = 0; i < keys.size();) {
        const std::wstring_view rest = keys.substr(i);
        const auto found = std::find_if(std::begin(named), std::end(named),
                                        [&](const auto& n) { return rest.starts_with(n.first); });
        if (found != std::end(named)) {
            beats.push_back(found->second);
            i += found->first.size();
        } else {
            beats.push_back(endtoend::typedUnit(keys[i++]));
        }
    }
    return beats;
}

// The tool whose window the first beat waits for, and until when it waits at most.
DWORD keysAwaitProcess = 0;
ULONGLONG firstBeatDeadline = 0;

void typeNextKey() {
    if (nextKey >= pendingKeys.size()) {
        KillTimer(mainWindow, kKeysTimer);
        return;
    }
    if (nextKey == 0 && keysAwaitProcess && !endtoend::activeWindowOf(keysAwaitProcess) &&
        GetTickCount64() < firstBeatDeadline)
        return; // its window is not up yet: the next tick looks again
    // Taken again at every beat while the tool's window is in front, so that a pause before
    // the first key gives the popup time to paint.
    if (nextKey == 0 || (keysAwaitProcess && endtoend::activeWindowOf(keysAwaitProcess)))
        foregroundFacts = describeForeground();
    std::vector<INPUT>& beat = pendingKeys[nextKey++];
    if (isCloseMarker(beat))
        PostMessageW(GetForegroundWindow(), WM_CLOSE, 0, 0);
    else
        endtoend::send(beat);
}

// The first beat comes after the delay, the others one beat apart. With a tool's process, the
// first beat comes as soon as a window of that process is in the foreground, and after the
// delay at the latest.
void scheduleKeys(const std::wstring& keys, int delayMs, DWORD toolProcess = 0) {
    pendingKeys = parseKeys(keys);
    nextKey = 0;
    keysAwaitProcess = toolProcess;
    firstBeatDeadline = GetTickCount64() + ULONGLONG(std::max(delayMs, 0));
    if (pendingKeys.empty())
        return;
    SetTimer(mainWindow, kKeysTimer, toolProcess ? kKeyBeatMs : UINT(std::max(delayMs, 1)),
             nullptr);
}

struct ToolRun {
    bool started = false;
    bool finished = false;
    DWORD exitCode = 0;
};

ToolRun runTool(const Options& options) {
    ToolRun run;
    {
        // A tool that hangs would hang the test run with it: it is ended with its owner.
        const endtoend::ChildProcess process = idehost::startTool(
            {mainWindow, editorWindow}, options.tool, options.workDir, options.toolArguments);
        if (!process.started())
            return run;
        run.started = true;
        if (!options.keys.empty())
            scheduleKeys(options.keys, options.keysDelayMs, process.id());
        run.finished = endtoend::waitForProcess(process.handle(), options.timeoutMs);
        run.exitCode = process.exitCode().value_or(0);
        KillTimer(mainWindow, kKeysTimer);
        pendingKeys.clear();
    }
    // Messages the tool posted before it ended are handled before the editor is read.
    endtoend::pumpMessages();
    return run;
}

// Types into the host's own editor, which is the foreground window while no tool runs.
void typeKeysIntoHost(const std::wstring& keys, int delayMs, int timeoutMs) {
    scheduleKeys(keys, delayMs);
    endtoend::waitUntil(
        [] {
            endtoend::pumpFor(int(kKeyBeatMs));
            return nextKey >= pendingKeys.size();
        },
        timeoutMs, 0);
    KillTimer(mainWindow, kKeysTimer);
    pendingKeys.clear();
    endtoend::pumpFor(300);
}

int runScripted(const Options& options, const Document& document) {
    idehost::loadDocument(editorWindow, document);
    // Typed text is what a user leaves in the editor's undo history before starting a tool.
    if (!options.typeFirst.empty())
        typeKeysIntoHost(options.typeFirst, 100, options.timeoutMs);
    std::string out;
    if (options.noRun) {
        if (!options.keys.empty())
            typeKeysIntoHost(options.keys, options.keysDelayMs, options.timeoutMs);
        out += "exit none\n";
    } else {
        const ToolRun run = runTool(options);
        if (!run.started)
            out += "exit not-started\n";
        else if (!run.finished)
            out += "exit timeout\n";
        else
            out += "exit " + std::to_string(run.exitCode) + "\n";
        if (!options.keys.empty()) {
            out += foregroundFacts;
            // Wine hands the foreground back once the tool's last window is gone, a little
            // after its process ended on a loaded machine: waited for, not looked at once.
            const bool host = endtoend::waitUntil(
                [] {
                    endtoend::pumpMessages();
                    return GetForegroundWindow() == mainWindow;
                },
                2000);
            out += host ? "foreground host\n" : "foreground other\n";
        }
    }
    writeState(out, "");
    if (options.undo) {
        sci(SCI_UNDO);
        writeState(out, "undone-");
    }
    return endtoend::writeBytes(options.result, out) ? 0 : 2;
}

// Interactive mode: one tool at a time; the process handle is watched by the message loop.
endtoend::ChildProcess interactiveTool;
Options interactiveOptions;

void startInteractiveTool() {
    if (interactiveTool.started())
        return;
    interactiveTool =
        idehost::startTool({mainWindow, editorWindow}, interactiveOptions.tool,
                           interactiveOptions.workDir, interactiveOptions.toolArguments);
    if (!interactiveTool.started()) {
        SetWindowTextW(mainWindow, (L"IdeHost - cannot start " + interactiveOptions.tool).c_str());
        return;
    }
    if (!interactiveOptions.keys.empty())
        scheduleKeys(interactiveOptions.keys, interactiveOptions.keysDelayMs);
}

void finishInteractiveTool() {
    const DWORD exitCode = interactiveTool.exitCode().value_or(0);
    interactiveTool = endtoend::ChildProcess();
    SetWindowTextW(
        mainWindow,
        (std::wstring(kTitle) + L"  [tool ended: " + std::to_wstring(exitCode) + L"]").c_str());
}

int runInteractive() {
    for (;;) {
        HANDLE tool = interactiveTool.handle();
        const DWORD count = tool ? 1 : 0;
        const DWORD woken = MsgWaitForMultipleObjects(count, &tool, FALSE, INFINITE, QS_ALLINPUT);
        if (count && woken == WAIT_OBJECT_0) {
            finishInteractiveTool();
            continue;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                return int(message.wParam);
            if (message.message == WM_KEYDOWN && message.wParam == kStartToolKey) {
                startInteractiveTool();
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

LRESULT CALLBACK mainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kKeysTimer) {
            SetTimer(window, kKeysTimer, kKeyBeatMs, nullptr);
            typeNextKey();
        }
        return 0;
    case kStartNowMessage:
        startInteractiveTool();
        return 0;
    default:
        return idehost::hostMainDefault(window, message, wParam, lParam);
    }
}

bool createWindows(HINSTANCE instance, const Options& options) {
    const idehost::HostWindows windows =
        idehost::createHostWindows(instance, kMainClass, kTitle, mainProcedure, {40, 40, 940, 640});
    mainWindow = windows.main;
    editorWindow = windows.editor;
    if (!editorWindow)
        return false;
    sci(SCI_SETCODEPAGE, WPARAM(options.codePage));
    sci(SCI_STYLESETCHARACTERSET, STYLE_DEFAULT, options.characterSet);
    sci(SCI_STYLECLEARALL);
    ShowWindow(mainWindow, SW_SHOW);
    UpdateWindow(mainWindow);
    SetForegroundWindow(mainWindow);
    SetFocus(editorWindow);
    return true;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // The IDE declares itself DPI-aware, and so does its stand-in: the caret and window
    // positions it reports are then physical pixels, as the tool's are.
    SetProcessDPIAware();
    const Options options = parseOptions();
    if (!options.valid)
        return 3;
    if (!createWindows(instance, options))
        return 4;
    Document document;
    if (!options.document.empty()) {
        std::optional<std::string> bytes = endtoend::readBytes(options.document);
        if (!bytes)
            return 5;
        document = idehost::parseDocument(std::move(*bytes));
    }
    // The window must be shown and answering before a tool is started, as in the IDE.
    endtoend::pumpMessages();
    if (!options.result.empty())
        return runScripted(options, document);
    idehost::loadDocument(editorWindow, document);
    interactiveOptions = options;
    if (options.startNow)
        PostMessageW(mainWindow, kStartNowMessage, 0, 0);
    return runInteractive();
}
