#pragma once
// The editor of a start without the IDE's help: the Scintilla that has the keyboard focus in
// the foreground window, as in SciTE, Notepad++ and other editors built on Scintilla.
#include <cstdint>

#include "idelink/RemoteEditor.h"

namespace idelink {

enum class FocusedPick {
    None,        // no Scintilla has the focus: the manager opens
    Unreachable, // a Scintilla whose process this program may not open: nothing is sent
    Editor,      // windows names the editor and its top-level window
};

struct FocusedEditor {
    FocusedPick pick = FocusedPick::None;
    IdeWindows windows;
};

// The focused window of the foreground window's thread, taken only when it is a Scintilla.
FocusedEditor findFocusedEditor();

// The same with the given window in the foreground; 0 when there is none.
FocusedEditor focusedEditorOf(std::intptr_t foreground);

} // namespace idelink
