#include "manager/ManagerText.h"

#include "base/TextConvert.h"
#include "idelink/TemplateExpansion.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(ManagerText, ListOrderFoldsOnlyAsciiLettersAndKeepsEqualNamesInPlace) {
    // "If" and "if" compare equal and keep the order they came in; "_" (0x5F) sorts before
    // every letter once letters are folded, "é" (0xE9) after all of them, "[" (0x5B) before
    // "_" but "Z" folds to "z" and so after both.
    std::vector<std::u16string> names = {u"if",  u"Zed", u"abd", u"_start", u"If",
                                         u"Abc", u"éa",  u"[x",  u"ab",     u"a"};
    manager::sortShortcutNames(names);
    const std::vector<std::u16string> expected = {u"[x",  u"_start", u"a",  u"ab",  u"Abc",
                                                  u"abd", u"if",     u"If", u"Zed", u"éa"};
    EXPECT_EQ(names, expected);
}

// Without capitals the order is the same by UTF-16 unit: a surrogate (0xD834) before U+FF01,
// which a code point order would put first.
TEST(ManagerText, ListOrderWithoutCapitalsIsByUtf16Unit) {
    std::vector<std::u16string> names = {u"\uFF01",     u"\u00E9", u"b", u"_a",
                                         u"\U0001D11E", u"[x",     u"a"};
    manager::sortShortcutNames(names);
    const std::vector<std::u16string> expected = {u"[x",     u"_a",         u"a",     u"b",
                                                  u"\u00E9", u"\U0001D11E", u"\uFF01"};
    EXPECT_EQ(names, expected);
}

TEST(ManagerText, TemplateFormsAndNames) {
    const struct {
        std::u16string_view stored, editor;
    } forms[] = {
        {u"", u""},
        {u"If ¤EndIf", u"If \r\nEndIf"},
        {u"¤¤", u"\r\n\r\n"},
        {u"a¤", u"a\r\n"},
    };
    for (const auto& form : forms) {
        EXPECT_EQ(manager::templateForEditor(form.stored), form.editor);
        EXPECT_EQ(manager::templateFromEditor(form.editor), form.stored);
    }
    // A lone CR or LF is no line break of the editor's and stays as it is.
    EXPECT_EQ(manager::templateFromEditor(u"a\rb\nc\r\r\n"), u"a\rb\nc\r¤");

    EXPECT_EQ(manager::trimName(u"  if  "), u"if");
    EXPECT_EQ(manager::trimName(u"   "), u"");
    EXPECT_EQ(manager::trimName(u"\tif "), u"\tif"); // only blanks are trimmed

    EXPECT_EQ(manager::hostOfAddress(u"https://www.paypal.com/donate/"), u"www.paypal.com");
    EXPECT_EQ(manager::hostOfAddress(u"https://example.org?x=1"), u"example.org");
}

// A selection made a template: its exact form, and what the expansion of that template puts
// in, which must be the selection's own lines, every "%" of them included and no popup asked.
TEST(ManagerText, SelectionBecomesATemplateThatInsertsItExactly) {
    const struct {
        std::u16string_view selection, indentation, templateText;
    } cases[] = {
        {u"", u"", u""},
        {u"If a\r\n  b()\r\nEndIf", u"", u"If a¤  b()¤EndIf"},
        {u"    a\n      b\n", u"", u"a¤  b¤"},   // a last line break is one of the template's
        {u"a\r    b\r    c", u"    ", u"a¤b¤c"}, // begun after its line's indentation
        {u"  a\n\n \n  b", u"", u"a¤¤¤b"},       // blank lines come out empty
        {u"\t\tx\n\ty", u"", u"\tx¤y"},
        {u"\tx\n    y", u"", u"\tx¤    y"}, // a tab is no number of spaces
        {u"  one line", u"    ", u"  one line"},
        {u"%x", u"", u"%(%)x"},
        {u"%(sel) %(date:yyyy)", u"", u"%(%)(sel) %(%)(date:yyyy)"},
        {u"%(%)", u"", u"%(%)(%)"}, // "%)" makes the template literal, "%(" is escaped
        {u"% ", u"", u"% "},
        {u"100%", u"", u"100%"},
        {u"a %=b", u"", u"a %=b"},
        {u"a % b %x", u"", u"a % b %(%)x"}, // literal, and the "%x" escaped all the same
        {u"printf(\"%d%%\", n)", u"", u"printf(\"%(%)d%%(%)\", n)"},
        {u"50%\r\n%d", u"", u"50%¤%(%)d"}, // a line's last "%" stands before a "¤"
        // No escape exists for "¤": it goes in as a line break.
        {u"a¤b", u"", u"a¤b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(text::utf16ToUtf8(c.selection));
        const std::u16string made = manager::templateOfSelection(c.selection, c.indentation);
        EXPECT_EQ(made, c.templateText);
        const std::vector<std::u16string> shaped = idelink::shapedLines(c.selection, c.indentation);
        std::u16string lines = shaped.front();
        for (size_t line = 1; line < shaped.size(); ++line)
            lines += store::kLineSeparator + shaped[line];
        const idelink::PreparedTemplate prepared = idelink::prepareTemplate(made);
        EXPECT_TRUE(prepared.placeholders.empty());
        EXPECT_EQ(prepared.working.joined(), lines);
    }
}

// The messages are shown as they stand here, to the byte; the end-to-end flows take them from
// these functions, so this is where a changed word is caught.
TEST(ManagerText, MessagesNameTheShortcutWhereTheyShould) {
    const std::pair<std::u16string, std::u16string_view> messages[] = {
        {manager::notSavedYetMessage(u"if"), u"Shortcut [ if ] not saved yet...\n\nRemove anyway?"},
        {manager::deleteQuestion(u"if"), u"Delete Shortcut [ if ]?"},
        {manager::alreadyExistsMessage(u"if"), u"Shortcut [ if ] already exists!"},
        {manager::unsavedChangesQuestion(u"if"), u"Save the changes to 'if'?"},
        {manager::unstorableNameMessage(u"a=b"),
         u"Shortcut [ a=b ] cannot be stored in Zendrik.pref!\n\nA name must not contain \"=\" or "
         u"a line break, begin with \";\" or \"[\", or begin or end with a tab."},
        {manager::donationQuestion(manager::kDonationAddress),
         u"Thank you for any amount you feel comfortable donating, to\nkeep the [ Zendrik ] "
         u"project "
         u"alive and running!\n\nOpen a secure connection to www.paypal.com for a donation?"},
    };
    for (const auto& [made, expected] : messages)
        EXPECT_EQ(made, expected);
}

} // namespace

namespace {

// The program Windows opens .txt files with gets the library as one argument, however its
// command names the file.
TEST(ManagerText, EditorCommandNamesTheLibraryAsOneArgument) {
    const std::u16string library = u"C:\\Users\\ada\\One Drive\\Zendrik.pref";
    EXPECT_EQ(manager::preferenceEditorCommand(u"C:\\Windows\\notepad.exe %1", library),
              u"C:\\Windows\\notepad.exe \"C:\\Users\\ada\\One Drive\\Zendrik.pref\"");
    EXPECT_EQ(manager::preferenceEditorCommand(u"\"C:\\Ed\\ed.exe\" -n \"%1\"", library),
              u"\"C:\\Ed\\ed.exe\" -n \"C:\\Users\\ada\\One Drive\\Zendrik.pref\"");
}

} // namespace
