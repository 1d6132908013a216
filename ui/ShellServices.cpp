// Message boxes and starting other programs.
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
    return MessageBoxW(owner, wideMessage.c_str(), wideCaption.c_str(), type);
}

// A text that names one program is quoted so that spaces in its path hold together; a text
// that is already a command line (a program followed by arguments, as the shell's
// associations give them) is passed as it is, since quoting it whole would name no file.
std::u16string programCommandLine(std::u16string_view commandText) {
    const std::wstring expanded = expandEnvironment(text::toWide(commandText));
    std::wstring line;
    if (expanded.empty() || expanded.front() == L'"') {
        line = expanded;
    } else if (expanded.find(L' ') != std::wstring::npos && !isExistingFile(expanded)) {
        line = expanded;
    } else {
        line = L"\"" + expanded + L"\"";
    }
    return text::fromWide(line);
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
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    }
    // Documents and web addresses: their associated programs, through the shell, which wants
    // COM on this thread for some handlers.
    static const bool comReady =
        SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    (void)comReady;
    const std::wstring file = text::toWide(commandText);
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof(execute);
    execute.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    execute.lpFile = file.c_str();
    execute.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&execute) != FALSE;
}

} // namespace ui
