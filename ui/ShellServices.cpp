// Message boxes and starting other programs.
#include "base/OwnedHandles_win.h"
#include "ui/CommonControls.h"
#include "ui/ServiceState.h"

#include <objbase.h>
#include <shellapi.h>

namespace ui {

using namespace detail;

namespace {

bool isOwnWindow(HWND window) {
    DWORD process = 0;
    return window && GetWindowThreadProcessId(window, &process) && process == GetCurrentProcessId();
}

bool isExistingFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring expandEnvironment(const std::wstring& text) {
    if (text.find(L'%') == std::wstring::npos) {
        return text;
    }
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0) {
        return text;
    }
    std::wstring expanded(needed, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed);
    if (written == 0 || written > needed) {
        return text;
    }
    expanded.resize(written - 1);
    return expanded;
}

// A bare program name as CreateProcessW would find it, ".exe" added when it has no extension;
// empty when it is nowhere.
std::wstring searchPath(const std::wstring& name) {
    wchar_t found[MAX_PATH] = {};
    const DWORD length = SearchPathW(nullptr, name.c_str(), L".exe", MAX_PATH, found, nullptr);
    if (length == 0 || length >= MAX_PATH || !isExistingFile(found)) {
        return {};
    }
    return found;
}

} // namespace

int messageBox(std::u16string_view caption, std::u16string_view text, unsigned type) {
    // Owned by the program's own window in front, so that it is modal to it.
    HWND owner = GetForegroundWindow();
    if (!isOwnWindow(owner)) {
        owner = GetActiveWindow();
    }
    if (!isOwnWindow(owner)) {
        owner = nullptr;
    }
    const std::wstring wideCaption = text::toWide(caption);
    const std::wstring wideMessage = text::toWide(text);
    // Its buttons as the manager's are, in whichever window asks.
    const VisualStyles styles;
    return MessageBoxW(owner, wideMessage.c_str(), wideCaption.c_str(), type);
}

// The command line CreateProcessW gets never leaves the program's name to be guessed: unquoted,
// "C:\Program Files\Some App\app.exe file" would make Windows try C:\Program.exe first, a file
// anyone allowed to write C:\ can place. The program part is resolved here, to the quoted part,
// or the longest prefix that ends at a space and names an existing file, or a bare name found
// on the search path, and passed quoted with the rest as its arguments. A text that resolves to
// nothing is quoted whole, so that exactly that one name is tried. Environment variables are
// expanded in the program part only: association commands are stored as
// "%SystemRoot%\system32\NOTEPAD.EXE %1"; what follows is the arguments' business.
std::u16string programCommandLine(std::u16string_view commandText) {
    const std::wstring text = text::toWide(commandText);
    if (text.empty() || text.front() == L'"') {
        return text::fromWide(text);
    }
    const auto quoted = [](const std::wstring& program, std::wstring_view arguments) {
        return text::fromWide(L"\"" + program + L"\"" + std::wstring(arguments));
    };
    for (std::size_t end = text.size(); end != std::wstring::npos && end > 0;
         end = text.rfind(L' ', end - 1)) {
        const std::wstring program = expandEnvironment(text.substr(0, end));
        if (end == text.size() && text.find(L' ') == std::wstring::npos) {
            return quoted(program, {}); // one name: CreateProcessW's own search may find it
        }
        if (isExistingFile(program)) {
            return quoted(program, std::wstring_view(text).substr(end));
        }
    }
    const std::size_t firstSpace = text.find(L' ');
    const std::wstring firstWord = expandEnvironment(text.substr(0, firstSpace));
    if (firstWord.find_first_of(L"\\/:") == std::wstring::npos) {
        const std::wstring found = searchPath(firstWord);
        if (!found.empty()) {
            return quoted(found, std::wstring_view(text).substr(firstSpace));
        }
    }
    return quoted(text, {});
}

bool startProgram(std::u16string_view commandText) {
    if (commandText.empty()) {
        return false;
    }
    const std::u16string line = programCommandLine(commandText);
    std::wstring mutableLine = text::toWide(line);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process)) {
        const base::OwnedKernelHandle thread(process.hThread);
        const base::OwnedKernelHandle started(process.hProcess);
        return true;
    }
    // Documents and web addresses: their associated programs, through the shell, which wants
    // COM on this thread for some handlers. Both libraries are loaded here, on first need:
    // imported, they would be loaded at every start, and a popup start never needs them.
    using CoInitializeExFunction = HRESULT(WINAPI*)(LPVOID, DWORD);
    using ShellExecuteExFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
    static const base::OwnedLibrary ole32(LoadLibraryW(L"ole32.dll"));
    static const base::OwnedLibrary shell32(LoadLibraryW(L"shell32.dll"));
    static const bool comReady = [] {
        auto initialize =
            base::moduleFunction<CoInitializeExFunction>(ole32.get(), "CoInitializeEx");
        return initialize &&
               SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    }();
    (void)comReady;
    const auto shellExecute =
        base::moduleFunction<ShellExecuteExFunction>(shell32.get(), "ShellExecuteExW");
    if (!shellExecute) {
        return false;
    }
    const std::wstring file = text::toWide(commandText);
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof(execute);
    execute.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    execute.lpFile = file.c_str();
    execute.nShow = SW_SHOWNORMAL;
    return shellExecute(&execute) != FALSE;
}

} // namespace ui
