// HostileIde: a stand-in IDE whose editor answers the tool's messages wrongly on request. Its
// main window holds a real Scintilla editor; the test that drives it starts the tool itself,
// with the handles this program announces, so that it sees the tool's exit code and time even
// when this program is told to end in the middle.
//
//   HostileIde.exe --case <name> --document <file> --ready <file> --result <file>
//                  --release <event name>
//
// The document is UTF-8; the marker <|> in it is removed and the caret placed there. Once the
// windows answer, "editor <handle> main <handle>" goes to the ready file. A message
// kReportMessage posted to the main window writes the editor's state to the result file and
// ends the program. Cases (N is the number of the tool's editor message, from 1):
//   size=<n>            SCI_GETCURLINE without a buffer answers n
//   no-zero             the line is written without its zero byte
//   overrun             five bytes more than the buffer's size are written
//   offset=<n>          SCI_GETCURLINE with a buffer answers the caret offset n
//   position=<n>        SCI_GETCURRENTPOS answers n ("max" for the 64-bit limit, "end+<k>")
//   destroy-at=<N>      the editor is destroyed while it handles message N
//   exit-at=<N>         the process ends while the editor handles message N
//   silent-at=<N>       message N is answered only once the release event is set (or 60 s)
//   none                every message answered rightly
#include <windows.h>

#include <Scintilla.h>

#include "HostProtocol.h"
#include "HostWindows.h"
#include "e2e/support/Files.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace {

constexpr wchar_t kMainClass[] = L"ZendrikHostileIde";
using idehost::kReportMessage;

struct Options {
    std::wstring hostileCase = L"none";
    std::wstring document;
    std::wstring ready;
    std::wstring result;
    std::wstring release;
};

Options options;
HWND mainWindow = nullptr;
HWND editorWindow = nullptr;
WNDPROC scintillaProcedure = nullptr;
bool armed = false; // the tool's messages are counted from the moment the handles are out
int toolMessages = 0;

bool isToolMessage(UINT message) {
    switch (message) {
    case SCI_GETCODEPAGE:
    case SCI_STYLEGETCHARACTERSET:
    case SCI_GETCURRENTPOS:
    case SCI_GETCURLINE:
    case SCI_SETSELECTIONSTART:
    case SCI_SETSELECTIONEND:
    case SCI_POINTXFROMPOSITION:
    case SCI_POINTYFROMPOSITION:
    case EM_REPLACESEL:
        return true;
    default:
        return false;
    }
}

// "name=value" of the case, or empty when the case has another name.
std::wstring caseValue(std::wstring_view name) {
    const std::wstring_view hostileCase = options.hostileCase;
    if (hostileCase.size() <= name.size() || hostileCase.substr(0, name.size()) != name ||
        hostileCase[name.size()] != L'=')
        return {};
    return std::wstring(hostileCase.substr(name.size() + 1));
}

int64_t caseNumber(std::wstring_view name, int64_t otherwise) {
    const std::wstring value = caseValue(name);
    return value.empty() ? otherwise : _wtoi64(value.c_str());
}

LRESULT original(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(scintillaProcedure, window, message, wParam, lParam);
}

LRESULT hostileCurLine(HWND window, WPARAM wParam, LPARAM lParam) {
    if (lParam == 0) {
        const std::wstring size = caseValue(L"size");
        return size.empty() ? original(window, SCI_GETCURLINE, 0, 0)
                            : LRESULT(_wtoi64(size.c_str()));
    }
    const LRESULT offset = original(window, SCI_GETCURLINE, wParam, lParam);
    char* buffer = reinterpret_cast<char*>(lParam);
    if (options.hostileCase == L"no-zero") {
        for (size_t i = 0; i <= size_t(wParam); ++i)
            if (buffer[i] == '\0')
                buffer[i] = 'x';
    } else if (options.hostileCase == L"overrun") {
        std::memset(buffer + wParam, 'y', 5);
    }
    return caseValue(L"offset").empty() ? offset : LRESULT(caseNumber(L"offset", 0));
}

LRESULT hostileCurrentPos(HWND window) {
    const std::wstring value = caseValue(L"position");
    if (value.empty())
        return original(window, SCI_GETCURRENTPOS, 0, 0);
    if (value == L"max")
        return LRESULT(std::numeric_limits<int64_t>::max());
    if (value.starts_with(L"end+"))
        return original(window, SCI_GETLENGTH, 0, 0) + LRESULT(_wtoi64(value.c_str() + 4));
    return LRESULT(_wtoi64(value.c_str()));
}

LRESULT CALLBACK hostileProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!armed || !isToolMessage(message))
        return original(window, message, wParam, lParam);
    const int number = ++toolMessages;
    if (caseNumber(L"destroy-at", 0) == number) {
        DestroyWindow(window);
        return 0;
    }
    if (caseNumber(L"exit-at", 0) == number)
        ExitProcess(0);
    if (caseNumber(L"silent-at", 0) == number) {
        HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, options.release.c_str());
        WaitForSingleObject(release, 60000);
        if (release)
            CloseHandle(release);
    }
    if (message == SCI_GETCURLINE)
        return hostileCurLine(window, wParam, lParam);
    if (message == SCI_GETCURRENTPOS)
        return hostileCurrentPos(window);
    return original(window, message, wParam, lParam);
}

bool parseOptions() {
    const idehost::Arguments arguments =
        idehost::readArguments({L"--case", L"--document", L"--ready", L"--result", L"--release"});
    options.hostileCase = arguments.text(L"--case", options.hostileCase);
    options.document = arguments.text(L"--document");
    options.ready = arguments.text(L"--ready");
    options.result = arguments.text(L"--result");
    options.release = arguments.text(L"--release");
    return arguments.valid && !options.ready.empty() && !options.result.empty();
}

void writeReport() {
    armed = false;
    std::string out = "messages " + std::to_string(toolMessages) + "\n";
    if (!IsWindow(editorWindow)) {
        out += "editor gone\n";
    } else {
        const auto length = SendMessageW(editorWindow, SCI_GETLENGTH, 0, 0);
        const auto* characters = reinterpret_cast<const char*>(
            SendMessageW(editorWindow, SCI_GETCHARACTERPOINTER, 0, 0));
        out +=
            "caret " + std::to_string(SendMessageW(editorWindow, SCI_GETCURRENTPOS, 0, 0)) + "\n";
        out += "text " + std::to_string(length) + "\n";
        if (characters && length > 0)
            out.append(characters, size_t(length));
        out += "\n";
    }
    endtoend::writeBytes(options.result, out);
}

LRESULT CALLBACK mainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kReportMessage:
        writeReport();
        DestroyWindow(window);
        return 0;
    default:
        return idehost::hostMainDefault(window, message, wParam, lParam);
    }
}

bool createWindows(HINSTANCE instance) {
    const idehost::HostWindows windows = idehost::createHostWindows(
        instance, kMainClass, L"HostileIde", mainProcedure, {60, 60, 760, 460});
    mainWindow = windows.main;
    editorWindow = windows.editor;
    if (!editorWindow)
        return false;
    scintillaProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        editorWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hostileProcedure)));
    ShowWindow(mainWindow, SW_SHOW);
    return true;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    if (!parseOptions())
        return 3;
    if (!createWindows(instance))
        return 4;
    idehost::loadDocument(
        editorWindow, idehost::parseDocument(endtoend::readBytes(options.document).value_or("")));
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
    armed = true;
    const std::string handles =
        "editor " + std::to_string(reinterpret_cast<std::intptr_t>(editorWindow)) + " main " +
        std::to_string(reinterpret_cast<std::intptr_t>(mainWindow)) + "\n";
    if (!endtoend::writeBytes(options.ready, handles))
        return 5;
    // Nothing here ends by itself: the test posts kReportMessage, or ends the process.
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
