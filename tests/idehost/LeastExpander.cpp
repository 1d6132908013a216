// LeastExpander: the least a tool can do for one literal expansion, the yardstick of the
// start-up benchmark. It reads the caret's line through the same remote editor calls as
// Zendrik, replaces the word after the last space by a fixed If block indented to the word's
// column, places the caret at the end of the first line, and ends. Nothing else: no
// preference file, no DPI set-up, no locks.
#include <windows.h>

#include <string>

#include "LeastToolWindows.h"
#include "base/TextConvert.h"
#include "idelink/RemoteEditor.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const idelink::IdeWindows windows = leastToolWindows();
    const std::u16string line = text::utf8ToUtf16(
        idelink::readLineBeforeCaret(windows).value_or(idelink::LineAtCaret{}).bytes);
    const size_t space = line.find_last_of(u' ');
    const std::u16string word = space == std::u16string::npos ? line : line.substr(space + 1);
    if (word.empty())
        return 0;
    const std::string firstLine = "If ";
    const std::string text =
        firstLine + "\r\n" + std::string(line.size() - word.size(), ' ') + "EndIf";
    const int64_t caret = idelink::editorCaretPosition(windows.editor);
    const auto wordBytes = int64_t(text::utf8Length(word));
    idelink::replaceWordInEditor(windows.editor, wordBytes, caret, text);
    idelink::placeCaret(windows.editor, caret - wordBytes + int64_t(firstLine.size()));
    return 0;
}
