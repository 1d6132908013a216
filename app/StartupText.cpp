#include "app/StartupText.h"

#include "app/StartArguments.h"
#include "base/TextConvert.h"
#include "store/ShortcutStore.h"

namespace app {

std::u16string knownArgumentsMessage(std::u16string_view unknown) {
    const auto named = [](std::u16string_view argument) { return std::u16string(argument); };
    return u"Unknown argument: " + std::u16string(unknown) +
           u"\n\nZendrik knows these arguments, in any order.\n\n" + named(kFocusedArgument) +
           u": it works on the Scintilla editor that has the keyboard focus, as in SciTE, "
           u"Notepad++ and other editors built on Scintilla.\n\n" +
           named(kPickArgument) +
           u": it opens the picker, a list of the Shortcuts to find one by part of its "
           u"name.\n\n" +
           named(kFileArgument) +
           u" PATH: the document's file, for the template directives %(file), %(filename), "
           u"%(filebase) and %(dir); the editor names it in the tool's arguments.\n\n" +
           named(kLibraryArgument) + u" PATH: the library file, if not " +
           std::u16string(store::kPreferenceFileName) +
           u" beside the program; a relative path is taken from the program's folder, and "
           u"%NAME% from the environment.\n\n" +
           named(kNewArgument) +
           u": the manager opens on a new Shortcut made of the editor's selection.\n\n" +
           named(kImportArgument) +
           u" FILE: adds the snippets of a VS Code (.code-snippets, .json) or Sublime Text "
           u"(.sublime-snippet) file to the library.\n\n"
           u"Without arguments, Zendrik works on the editor that the PureBasic IDE hands over.";
}

namespace {

std::u16string ascii(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

// "U+03A9", with at least four hexadecimal digits.
std::u16string codePointName(char32_t character) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (char32_t rest = character; rest != 0 || hex.size() < 4; rest >>= 4)
        hex.insert(hex.begin(), digits[rest & 0xF]);
    return u"U+" + ascii(hex);
}

// The character itself in quotes before its number, unless it is a control character that
// would show as nothing or break the line.
std::u16string characterName(char32_t character) {
    if (character < 0x20 || (character >= 0x7F && character < 0xA0) || character > 0x10FFFF ||
        (character >= 0xD800 && character <= 0xDFFF))
        return codePointName(character);
    return u"\"" + text::codePointText(character) + u"\" (" + codePointName(character) + u")";
}

std::u16string codePageName(int codePage) {
    return u"code page " + ascii(std::to_string(codePage));
}

} // namespace

std::optional<std::u16string> expansionMessage(const idelink::ExpansionOutcome& outcome) {
    using End = idelink::ExpansionOutcome::End;
    switch (outcome.end) {
    case End::CannotHold:
        return u"The character " + characterName(outcome.character) +
               u" cannot go into this document: its encoding, " + codePageName(outcome.codePage) +
               u", cannot hold it. Nothing was changed.\n\n"
               u"Saved as UTF-8, the document can hold every character.";
    case End::SelectionNotText:
        return u"The selected text holds bytes that are no characters of this document's "
               u"encoding, " +
               codePageName(outcome.codePage) +
               u", and wrapping it would change them. Nothing was changed.";
    case End::ZeroCharacter:
        return std::u16string(u"The text to insert holds a zero character (U+0000), at which the "
                              u"editor would cut it short. Nothing was changed.");
    case End::Inserted:
    case End::LeftAlone:
        break;
    }
    return std::nullopt;
}

} // namespace app
