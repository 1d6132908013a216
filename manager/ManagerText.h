#pragma once
// The manager's texts: the order of the Shortcut list, the two forms of a template, names as
// read from the name field, and every message the manager shows. Plain C++, no Win32.
#include <string>
#include <string_view>
#include <vector>

namespace manager {

// The donation page; the question names its host, so a new address is a one-line change.
inline constexpr std::u16string_view kDonationAddress = u"https://www.paypal.com/donate/";

// In the manager's order (store::inManagerOrder); names that compare equal keep the order
// they came in.
void sortShortcutNames(std::vector<std::u16string>& names);

// The store keeps one line with "¤" between the template's lines, the editor CR LF.
std::u16string templateForEditor(std::u16string_view storedTemplate);
std::u16string templateFromEditor(std::u16string_view editorText);

// The template (in the store's form) that inserts exactly the selected text, with the
// indentation its lines share removed; indentation is what stood before it on its first line.
std::u16string templateOfSelection(std::u16string_view selection, std::u16string_view indentation);

// Leading and trailing U+0020 blanks removed; tabs and other white space stay.
std::u16string trimName(std::u16string_view name);

// "www.example.com" of "https://www.example.com/path"; the whole text when it has no scheme.
std::u16string hostOfAddress(std::u16string_view address);

std::u16string notSavedYetMessage(std::u16string_view name);
std::u16string deleteQuestion(std::u16string_view name);
std::u16string alreadyExistsMessage(std::u16string_view name);
std::u16string unstorableNameMessage(std::u16string_view name);
std::u16string donationQuestion(std::u16string_view address);
std::u16string unsavedChangesQuestion(std::u16string_view name);
extern const std::u16string kFileNotWrittenMessage;

// The shell's command for text files with every "%1" standing for the preference file.
std::u16string preferenceEditorCommand(std::u16string_view associatedCommand,
                                       std::u16string_view libraryPath);

} // namespace manager
