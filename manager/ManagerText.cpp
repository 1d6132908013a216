#include "manager/ManagerText.h"

#include "base/TextConvert.h"
#include "idelink/TemplateDirectives.h"
#include "idelink/TemplateExpansion.h"
#include "store/NameOrder.h"
#include "store/ShortcutStore.h"

#include <algorithm>

namespace manager {

namespace {

constexpr std::u16string_view kEditorLineBreak = u"\r\n";

} // namespace

// Most libraries hold no capital ASCII letter at all. Folding then changes nothing and names that
// compare equal are the same name, so a plain sort by UTF-16 unit gives the same order, in a
// fraction of the time for a library of 100,000.
void sortShortcutNames(std::vector<std::u16string>& names) {
    const auto hasCapital = [](const std::u16string& name) {
        return std::any_of(name.begin(), name.end(),
                           [](char16_t unit) { return store::foldAsciiLetter(unit) != unit; });
    };
    if (std::none_of(names.begin(), names.end(), hasCapital)) {
        std::sort(names.begin(), names.end());
        return;
    }
    std::stable_sort(names.begin(), names.end(),
                     [](const std::u16string& a, const std::u16string& b) {
                         return store::inManagerOrder(a, b);
                     });
}

std::u16string templateForEditor(std::u16string_view storedTemplate) {
    return text::replaceAll(storedTemplate, std::u16string_view(&store::kLineSeparator, 1),
                            kEditorLineBreak);
}

std::u16string templateFromEditor(std::u16string_view editorText) {
    return text::replaceAll(editorText, kEditorLineBreak,
                            std::u16string_view(&store::kLineSeparator, 1));
}

// A "%" that would open a placeholder or a directive is written "%(%)". One that makes the
// template literal (followed by a space, ")", "=", the end and the like) stays: it puts itself
// in, and so does every "%(%)" beside it, since a literal template still honours directives.
// A "¤" of the selection has no escape in the format: it becomes a line break of the template.
std::u16string templateOfSelection(std::u16string_view selection, std::u16string_view indentation) {
    const std::vector<std::u16string> shaped = idelink::shapedLines(selection, indentation);
    std::u16string lines = shaped.front();
    for (size_t line = 1; line < shaped.size(); ++line)
        lines += store::kLineSeparator + shaped[line];
    std::u16string templateText;
    templateText.reserve(lines.size());
    for (size_t at = 0; at < lines.size(); ++at) {
        const bool opens = lines[at] == u'%' && ((at + 1 < lines.size() && lines[at + 1] == u'(') ||
                                                 !idelink::percentMakesLiteral(lines, at));
        if (opens)
            templateText += u"%(%)";
        else
            templateText += lines[at];
    }
    return templateText;
}

std::u16string trimName(std::u16string_view name) {
    return std::u16string(text::trimSpaces(name));
}

std::u16string hostOfAddress(std::u16string_view address) {
    const size_t scheme = address.find(u"://");
    if (scheme == std::u16string_view::npos)
        return std::u16string(address);
    const std::u16string_view rest = address.substr(scheme + 3);
    return std::u16string(rest.substr(0, rest.find_first_of(u"/?#")));
}

std::u16string notSavedYetMessage(std::u16string_view name) {
    return u"Shortcut [ " + std::u16string(name) + u" ] not saved yet...\n\nRemove anyway?";
}

std::u16string deleteQuestion(std::u16string_view name) {
    return u"Delete Shortcut [ " + std::u16string(name) + u" ]?";
}

std::u16string alreadyExistsMessage(std::u16string_view name) {
    return u"Shortcut [ " + std::u16string(name) + u" ] already exists!";
}

// The file's reader would take such a name for something else: the key would end at an "=",
// a leading ";" or "[" makes a comment or a group, and blanks at its ends are dropped.
std::u16string unstorableNameMessage(std::u16string_view name) {
    return u"Shortcut [ " + std::u16string(name) + u" ] cannot be stored in " +
           std::u16string(store::kPreferenceFileName) +
           u"!\n\nA name must not contain \"=\" or a line break, begin with \";\" or \"[\", or "
           u"begin or end with a tab.";
}

std::u16string donationQuestion(std::u16string_view address) {
    return u"Thank you for any amount you feel comfortable donating, to\nkeep the [ Zendrik ] "
           u"project alive and running!\n\nOpen a secure connection to " +
           hostOfAddress(address) + u" for a donation?";
}

std::u16string unsavedChangesQuestion(std::u16string_view name) {
    return u"Save the changes to '" + std::u16string(name) + u"'?";
}

const std::u16string kFileNotWrittenMessage =
    u"The change could not be written to " + std::u16string(store::kPreferenceFileName) +
    u": the file may be read-only, open in another program, or the disk full.\n\nThe change is "
    u"kept only until this window closes. Make the file writable and try again, for a template "
    u"with Save.";

// The command names the file as "%1" or as %1: a path with spaces in it must be one argument.
std::u16string preferenceEditorCommand(std::u16string_view associatedCommand,
                                       std::u16string_view libraryPath) {
    const std::u16string quoted = u"\"" + std::u16string(libraryPath) + u"\"";
    const std::u16string once = text::replaceAll(associatedCommand, u"\"%1\"", u"%1");
    return text::replaceAll(once, u"%1", quoted);
}

} // namespace manager
