#pragma once
// The IDE's window handles as the least programs of the benchmarks take them: plain decimal
// numbers in the two variables the IDE sets, nothing of Zendrik's own parsing.
#include <windows.h>

#include <iterator>

#include "app/AppState.h"
#include "idelink/RemoteEditor.h"

inline std::intptr_t handleFromEnvironment(const wchar_t* name) {
    wchar_t value[64] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, DWORD(std::size(value)));
    if (length == 0 || length >= std::size(value))
        return 0;
    return std::intptr_t(_wtoi64(value));
}

inline idelink::IdeWindows leastToolWindows() {
    return {handleFromEnvironment(app::kEditorVariable),
            handleFromEnvironment(app::kMainWindowVariable)};
}
