#pragma once
// The IDE's Scintilla editor, which lives in the IDE's process, and the hand-back of the
// foreground to the IDE. Positions are byte offsets into the editor's text, which is in the
// document's own code page. Every operation does nothing (or answers empty) when its handle
// names no window.
#include <cstdint>
#include <optional>
#include <string>

#include "idelink/PopupContract.h"
#include "idelink/TemplateExpansion.h"
#include "store/IdeAppearance.h"

namespace idelink {

// Window handles as the IDE passes them; 0 when missing.
struct IdeWindows {
    std::intptr_t editor = 0;
    std::intptr_t main = 0;
};

// How the editor has answered during this run. Until the first change has reached it, every
// message waits only a few seconds; one that gets no answer in that time stops all further
// messages, so the run ends with the editor as it was.
struct EditorAnswers {
    bool stopped = false;    // a message got no answer in time; nothing more is sent
    bool changeSent = false; // a change was answered; the rest of the edit waits as needed
};
EditorAnswers& editorAnswers(); // one run talks to one editor

// True when the editor and the main window are windows of one process, and that process
// opens with the access that reading the caret's line needs.
bool editorProcessOpens(const IdeWindows& windows);

// The caret's line from its start up to the caret (the k bytes the editor holds there, zero
// bytes included), the caret's position and the document's code page; nullopt on any failure.
std::optional<LineAtCaret> readLineBeforeCaret(const IdeWindows& windows);

// The selection to wrap: one stretch of text, not empty, with its text and the indentation of
// its start; nothing for an empty, rectangular or multiple selection or on any failure.
std::optional<WrappedSelection> readSelection(const IdeWindows& windows);

// The editor's default style and selection colours, each as answered (see store::editorLook);
// nothing when the editor's process does not open.
store::EditorStyleAnswers readEditorStyle(const IdeWindows& windows);

// -1 when the editor did not answer.
int64_t editorCaretPosition(std::intptr_t editor);

// Top-left point of the character cell at the position, in screen pixels.
ScreenPoint caretScreenPoint(std::intptr_t editor, int64_t position);

// Height in pixels of the line that holds the position; 0 when the editor does not tell.
int caretLineHeight(std::intptr_t editor, int64_t position);

// Replaces the bytes from caretPos - wordBytes up to caretPos by the text's bytes.
void replaceWordInEditor(std::intptr_t editor, int64_t wordBytes, int64_t caretPos,
                         const std::string& bytes);

// An empty selection with the caret at the position.
void placeCaret(std::intptr_t editor, int64_t position);

// The selection from the anchor to the caret.
void placeSelection(std::intptr_t editor, int64_t anchor, int64_t caret);

// The document's line-break mode (see lineBreakOfMode); -1 when the editor did not answer.
int64_t editorLineBreakMode(std::intptr_t editor);

// Brings a window of another process to the foreground.
void returnForeground(std::intptr_t window);

// The operations above bound to the IDE's windows, for expandShortcut.
EditorOps remoteEditorOps(const IdeWindows& windows);

} // namespace idelink
