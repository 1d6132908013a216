#pragma once
// The IDE's window handles as the least programs of the benchmarks take them: plain decimal
// numbers in PB_Tool_Scintilla and PB_Tool_MainWindow, nothing of Zendrik's own parsing.
#include <windows.h>

#include <iterator>

#include "idelink/RemoteEditor.h"

inline std::intptr_t handleFromEnvironment(const wchar_t* name) {
    wchar_t value[64] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, DWORD(std::size(value)));
    if (length == 0 || length >= std::size(value))
        return 0;
    return std::intptr_t(_wtoi64(value));
}

inline idelink::IdeWindows leastToolWindows() {
    return {handleFromEnvironment(L"PB_Tool_Scintilla"),
            handleFromEnvironment(L"PB_Tool_MainWindow")};
}
