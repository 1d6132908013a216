#pragma once
// The records of one run: made at start-up by runProgram, which hands them to the mode.
#include <cstdint>
#include <string>

#include "idelink/CaretWord.h"
#include "resources/Version.h"
#include "store/ShortcutStore.h"

namespace app {

inline constexpr std::u16string_view kAppTitle = u"" ZENDRIK_TITLE;
inline constexpr wchar_t kManagerMutexName[] = L"ZendrikWindow";
inline constexpr wchar_t kExpansionMutexName[] = L"ZendrikPopup";
// The IDE's window handles, in the environment of a tool it starts.
inline constexpr wchar_t kEditorVariable[] = L"PB_Tool_Scintilla";
inline constexpr wchar_t kMainWindowVariable[] = L"PB_Tool_MainWindow";

struct AppState {
    std::intptr_t ideEditorWindow = 0; // kEditorVariable
    std::intptr_t ideMainWindow = 0;   // kMainWindowVariable; owner of our windows
    bool focused = false;              // --focused: the caret window takes the editor's look
    std::u16string appTitle;
    store::ShortcutStore shortcutStore;
    store::PopupSettings popupSettings;
    idelink::CaretWord word;     // before the IDE's caret; an empty one selects the manager
    std::u16string documentPath; // the document's file, as the editor named it with --file
    std::u16string libraryPath;  // the library file, wherever --library or the default put it
};

} // namespace app
