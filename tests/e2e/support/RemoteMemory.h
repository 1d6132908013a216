#pragma once
// Reading another process's windows where a message carries a pointer: the record goes into
// the program's own buffer type in that process (idelink/RemoteBuffer.h), is sent, and is read
// back from there.
#include <windows.h>

#include <optional>
#include <string>

#include "base/OwnedHandles_win.h"
#include "idelink/RemoteBuffer.h"
#include "idelink/ScintillaMessages.h"

namespace endtoend {

using idelink::RemoteBuffer;

inline DWORD processOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

inline bool writeRemote(HANDLE process, void* address, const void* bytes, size_t size) {
    return WriteProcessMemory(process, address, bytes, size, nullptr) != 0;
}

inline bool readRemote(HANDLE process, const void* address, void* bytes, size_t size) {
    return size == 0 || ReadProcessMemory(process, address, bytes, size, nullptr) != 0;
}

// Whether the process is a 32-bit one on 64-bit Windows, whose records have 32-bit pointers.
inline bool is32BitOnWow64(HANDLE process) {
    BOOL wow64 = FALSE;
    return IsWow64Process(process, &wow64) && wow64;
}

// The whole text of a Scintilla in another process (SCI_GETTEXT into a buffer there).
inline std::optional<std::string> remoteEditorText(HWND editor) {
    const base::OwnedKernelHandle process(OpenProcess(
        PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
        FALSE, processOf(editor)));
    if (!process)
        return std::nullopt;
    const auto length = size_t(SendMessageW(editor, idelink::SCI_GETLENGTH, 0, 0));
    RemoteBuffer remote(process.get(), length + 1);
    if (!remote.address())
        return std::nullopt;
    SendMessageW(editor, idelink::SCI_GETTEXT, length + 1,
                 reinterpret_cast<LPARAM>(remote.address()));
    std::string text(length, '\0');
    if (!readRemote(process.get(), remote.address(), text.data(), length))
        return std::nullopt;
    return text;
}

} // namespace endtoend
