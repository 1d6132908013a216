#pragma once
// The process-wide records of one run: made once at start-up, read by the modes.
#include <cstdint>
#include <string>

#include "resources/Version.h"
#include "store/ShortcutStore.h"

namespace app {

inline constexpr std::u16string_view kAppTitle = u"" ZENDRIK_TITLE;
inline constexpr wchar_t kManagerMutexName[] = L"ZendrikWindow";
inline constexpr wchar_t kExpansionMutexName[] = L"ZendrikPopup";
inline constexpr std::u16string_view kFocusedArgument = u"--focused";
inline constexpr std::u16string_view kPickArgument = u"--pick";

struct AppState {
    std::intptr_t ideEditorWindow = 0; // PB_Tool_Scintilla
    std::intptr_t ideMainWindow = 0;   // PB_Tool_MainWindow; owner of our windows
    std::u16string appTitle;
    store::ShortcutStore shortcutStore;
    store::PopupSettings popupSettings;
    std::u16string caretWord; // lower case; empty selects the manager
    int wordIndent = 0;
    std::int64_t wordBytes = 0; // the word's bytes in the editor, as typed
};

AppState& appState();

} // namespace app
