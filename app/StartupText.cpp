#include "app/StartupText.h"

#include "app/StartArguments.h"

namespace app {

std::u16string knownArgumentsMessage(std::u16string_view unknown) {
    return u"Unknown argument: " + std::u16string(unknown) +
           u"\n\nZendrik knows two arguments.\n\n" + std::u16string(kFocusedArgument) +
           u": it works on the Scintilla editor that has the keyboard focus, as in SciTE, "
           u"Notepad++ and other editors built on Scintilla.\n\n" +
           std::u16string(kPickArgument) +
           u": it opens the picker, a list of the Shortcuts to find one by part of its name; "
           u"together with " +
           std::u16string(kFocusedArgument) +
           u" in either order.\n\n"
           u"Without arguments, Zendrik works on the editor that the PureBasic IDE hands over.";
}

} // namespace app
