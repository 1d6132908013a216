#include "store/SnippetImport.h"

#include "base/TextConvert.h"
#include "idelink/TemplateExpansion.h"
#include "store/SnippetFile.h"
#include "store/StoreTestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using store::SnippetFormat;

// A VS Code file holding one snippet "s" with that prefix and body (JSON as written).
std::string vsCode(const std::string& prefix, const std::string& body) {
    return "{\"s\": {\"prefix\": " + prefix + ", \"body\": " + body + "}}";
}

std::string manyFields(int count) {
    std::string body;
    for (int i = 1; i <= count; ++i)
        body.append("$").append(std::to_string(i)).append(" ");
    return vsCode("\"many\"", "\"" + body + "\"");
}

// The outcome as one text: "name = template" for each Shortcut, "-name: reason" for each snippet
// skipped, or "!failure".
std::string outcome(const store::SnippetImport& imported) {
    std::string lines;
    if (imported.failure)
        return lines.append("!").append(text::utf16ToUtf8(*imported.failure));
    for (const store::ImportedShortcut& shortcut : imported.shortcuts)
        lines.append(text::utf16ToUtf8(shortcut.name))
            .append(" = ")
            .append(text::utf16ToUtf8(shortcut.templateText))
            .append("\n");
    for (const store::SkippedSnippet& skipped : imported.skipped)
        lines.append("-")
            .append(text::utf16ToUtf8(skipped.name))
            .append(": ")
            .append(text::utf16ToUtf8(skipped.reason))
            .append("\n");
    return lines;
}

struct ImportCase {
    const char* name;
    SnippetFormat format;
    std::string bytes;
    std::string expected;
    bool onlyTheStart = false; // a long template: only its start is compared
};

TEST(SnippetImport, ConvertsWhatTemplatesCanSayAndSkipsTheRestWithItsReason) {
    const ImportCase cases[] = {
        // Tab stops and the caret.
        {"CaretInEachForm", SnippetFormat::VsCode, vsCode("\"c\"", "\"a$0b${0}c${0:end}\""),
         "c = a%(|)b%(|)c%(|)end\n"},
        {"RepeatedTabStopTakesItsOneDefaultEverywhere", SnippetFormat::VsCode,
         vsCode("\"rep\"", "\"$1 + ${1:total} ($1)\""),
         "rep = %total=total + %total=total (%total=total)\n"},
        {"ChoicesAndADefaultTheTextHoldsGetFieldNames", SnippetFormat::VsCode,
         vsCode("\"ch\"", "\"${1|red,green|} and ${2|a|} ${3:x} x\""),
         "ch = %red=red=green and %Field2=a %Field3=x x\n"},
        {"FieldNamesPaddedSoNoneHoldsAnother", SnippetFormat::VsCode,
         vsCode("\"pad\"", "\"$10 $2 $1\""), "pad = %Field10 %Field02 %Field01\n"},
        {"EmptyDefaultLeadingZerosFirstDefaultUnclosedIsText", SnippetFormat::VsCode,
         vsCode("\"e\"", "\"${1:} $01 ${1:first} ${1:second} ${2:open\""),
         "e = %first=first %first=first %first=first %first=first ${2:open\n"},
        {"EscapedChoiceUnclosedChoiceAndCaretChoice", SnippetFormat::VsCode,
         vsCode("\"q\"", "\"${1|a\\\\|b,c|} ${0|q,r|} ${2|x,y\""),
         "q = %Field1=a|b=c %(|)q ${2|x,y\n"},
        // The first occurrence declares the field; a later one that would run on into the text is
        // the bare name.
        {"FirstDeclaresLaterBare", SnippetFormat::VsCode,
         vsCode("\"rows\"", "\"${1:row}s: $1. $1s\""), "rows = %row=row%()s: %row=row. rows\n"},
        // Where no occurrence of a field can end its spec, "%()" ends the first one.
        {"NothingEndsAFieldTheTextRunsInto", SnippetFormat::VsCode,
         vsCode("\"inc\"", "[\"$0\", \"${1:n}++;\"]"), "inc = %(|)¤%n=n%()++;\n"},
        {"NothingEndsAFieldBeforeAQuote", SnippetFormat::VsCode,
         vsCode("\"log\"", "\"log('$1');$0\""), "log = log('%Field1%()');%(|)\n"},
        {"NothingEndsAFieldRunningIntoAnother", SnippetFormat::VsCode,
         vsCode("\"two\"", "\"$1$2y $2 $0\""), "two = %Field1%()%Field2%()y %Field2 %(|)\n"},
        // Variables.
        {"VariablesWithAnEqual", SnippetFormat::VsCode,
         vsCode("\"v\"", "\"$TM_SELECTED_TEXT ${SELECTION} $CLIPBOARD $TM_FILENAME "
                         "$TM_FILENAME_BASE $TM_DIRECTORY $TM_FILEPATH\""),
         "v = %(sel) %(sel) %(clip) %(filename) %(filebase) %(dir) %(file)\n"},
        {"DateAndTimeNeighboursMerge", SnippetFormat::VsCode,
         vsCode("\"now\"", "\"$CURRENT_YEAR-$CURRENT_MONTH-$CURRENT_DATE "
                           "${CURRENT_HOUR}:$CURRENT_MINUTE:$CURRENT_SECOND\""),
         "now = %(date:yyyy-MM-dd) %(time:HH:mm:ss)\n"},
        {"NoMergeAcrossLettersOrFields", SnippetFormat::VsCode,
         vsCode("\"day\"", "\"$CURRENT_DAY_NAME_SHORT $CURRENT_DATE of $CURRENT_MONTH_NAME "
                           "$CURRENT_YEAR_SHORT$1$CURRENT_MONTH_NAME_SHORT $CURRENT_DAY_NAME\""),
         "day = %(date:ddd dd) of %(date:MMMM yy)%Field1%(date:MMM dddd)\n"},
        // Text.
        {"PercentSignsAndLineBreaks", SnippetFormat::VsCode,
         vsCode("\"pct\"", "[\"printf(\\\"%d%%\\\", $1);\\r\\nx\\ry\", \"z\"]"),
         "pct = printf(\"%(%)d%(%)%(%)\", %Field1);¤x¤y¤z%(|)\n"},
        {"EscapesAndDollarsThatBeginNothing", SnippetFormat::VsCode,
         vsCode("\"esc\"", "\"\\\\$1 \\\\} \\\\\\\\ $ ${ ${a b} \\\\q\""),
         "esc = $1 } \\ $ ${ ${a b} \\q\n"},
        {"TrailingBlankKeptByAMark", SnippetFormat::VsCode, vsCode("\"ret\"", "\"return \""),
         "ret = return %(|)\n"},
        {"JsonEscapesCommentsTrailingCommasAndMark", SnippetFormat::VsCode,
         "\xEF\xBB\xBF// snippets\n{\n  /* one */ \"Smile\": {\n    \"prefix\": [\"Smile\", "
         "\"\\u00C4rger\",],\n    \"body\": \"\\ud83d\\ude00\\u0041\\/\", // why\n  },\n}\n",
         "smile = 😀A/\närger = 😀A/\n"},
        // Snippets skipped whole.
        {"WhatHasNoEqual", SnippetFormat::VsCode,
         "{\"a\": {\"prefix\": \"t1\", \"body\": \"${1/(.*)/x/}\"},"
         " \"b\": {\"prefix\": \"t2\", \"body\": \"${TM_FILENAME/a/b/}\"},"
         " \"c\": {\"prefix\": \"t3\", \"body\": \"$TM_LINE_NUMBER\"},"
         " \"d\": {\"prefix\": \"t4\", \"body\": \"${UUID}\"},"
         " \"e\": {\"prefix\": \"t5\", \"body\": \"${1:f ${2:b}}\"},"
         " \"f\": {\"prefix\": \"t6\", \"body\": \"${TM_SELECTED_TEXT:none}\"},"
         " \"g\": {\"prefix\": \"t7\", \"body\": \"${1:a.b}\"},"
         " \"h\": {\"prefix\": \"t8\", \"body\": \"${1|x,y=z|}\"},"
         " \"i\": {\"prefix\": \"t9\", \"body\": \"a\\u00a4b\"},"
         " \"j\": {\"prefix\": \"t10\", \"body\": \"a\\u0000b\"},"
         " \"k\": {\"prefix\": \"t11\", \"body\": \"\\tx\"}}",
         "-t1: transforms $1 with a regular expression, which Zendrik has no equal for\n"
         "-t2: transforms $TM_FILENAME with a regular expression, which Zendrik has no equal "
         "for\n"
         "-t3: uses $TM_LINE_NUMBER, which Zendrik has no equal for\n"
         "-t4: uses $UUID, which Zendrik has no equal for\n"
         "-t5: holds a placeholder or variable inside the default of $1, which Zendrik has no "
         "equal for\n"
         "-t6: gives $TM_SELECTED_TEXT a default, which Zendrik has no equal for\n"
         "-t7: the default of $1 holds \".\", which a Zendrik field cannot hold\n"
         "-t8: a choice of $1 holds \"=\", which a Zendrik field cannot hold\n"
         "-t9: its text holds \"¤\", which Zendrik reads as a line break\n"
         "-t10: its text holds a zero character\n"
         "-t11: begins with a tab, which Zendrik's library file does not keep\n"},
        {"ManyFieldsNumberedToOneWidth", SnippetFormat::VsCode, manyFields(500),
         "many = %Field001 %Field002 %Field003 ", true},
        // Names.
        {"NamesLowerCasedFirstOfTwoWins", SnippetFormat::VsCode,
         "{\"a\": {\"prefix\": [\"MyLog\", \"a b\", \"a\\tb\", \"a=b\", \"a\\nb\", \";a\", \"\"],"
         " \"body\": \"x\"}, \"b\": {\"prefix\": \"mylog\", \"body\": \"y\"}}",
         "mylog = x\n"
         "-a b: its name holds a space\n-a\tb: its name holds a tab\n"
         "-a=b: its name holds \"=\"\n-a\nb: its name holds a line break\n"
         "-;a: its name begins with \";\", which the library file reads otherwise\n"
         "-a: its name is empty\n-mylog: an earlier snippet of the file has this name\n"},
        {"MembersThatAreNoSnippets", SnippetFormat::VsCode,
         "{\"a\": 1, \"b\": {\"body\": \"x\"}, \"c\": {\"prefix\": 2, \"body\": \"x\"},"
         " \"d\": {\"prefix\": \"d\"}, \"e\": {\"prefix\": \"e\", \"body\": [\"x\", null]}}",
         "-a: is not a snippet\n-b: has no prefix\n-c: its prefix is not text\n"
         "-d: has no body\n-e: its body is not text\n"},
        // Files that are no snippet files.
        {"BrokenJson", SnippetFormat::VsCode, "{\n  \"a\": {\n    \"body\": \"x\" \"y\"\n}",
         "!line 3, column 17: expected \",\" or \"}\""},
        {"ColumnsCountCharacters", SnippetFormat::VsCode, "{\"😀ä\": 1 2}",
         "!line 1, column 10: expected \",\" or \"}\""},
        {"StringNotClosedOnItsLine", SnippetFormat::VsCode, "{\r\n\"a\r\n\": 1}",
         "!line 2, column 1: the string is not closed on its line"},
        {"CommentNeverClosed", SnippetFormat::VsCode, "{} /* x",
         "!line 1, column 4: the comment is never closed"},
        {"NestedTooDeepForTheStack", SnippetFormat::VsCode, "{\"a\": " + std::string(5000, '['),
         "!line 1, column 107: the values are nested too deep"},
        {"UnknownEscape", SnippetFormat::VsCode, "{\"a\\q\": 1}",
         "!line 1, column 4: unknown escape in a string"},
        {"ShortUnicodeEscape", SnippetFormat::VsCode, "{\"\\u12G4\": 1}",
         "!line 1, column 3: \\u needs four hexadecimal digits"},
        {"BadNumber", SnippetFormat::VsCode, "{\"a\": -}",
         "!line 1, column 7: a number is not written as JSON writes one"},
        {"TextAfterTheSnippets", SnippetFormat::VsCode, "{} x",
         "!line 1, column 4: more text follows the snippets"},
        {"EmptyFile", SnippetFormat::VsCode, "",
         "!line 1, column 1: a snippet file begins with \"{\""},
        {"NotAnObject", SnippetFormat::VsCode, "[]",
         "!line 1, column 1: a snippet file begins with \"{\""},
        // Sublime Text.
        {"SublimeCdataOnItsOwnLines", SnippetFormat::Sublime,
         "<?xml version=\"1.0\"?>\n<snippet>\n\t<content><![CDATA[\nif (${1:cond} &amp;&& x) "
         "{\n\t$0\n}\n\t]]></content>\n\t<!-- trigger -->\n\t<tabTrigger> If </tabTrigger>\n"
         "\t<scope>source.c</scope>\n</snippet>\n",
         "if = if (%cond=cond &amp;&& x) {¤\t%(|)¤}\n"},
        {"SublimeEntitiesWithoutCdata", SnippetFormat::Sublime,
         "<snippet><content>&lt;b&gt;&amp;&quot;&apos;&#65;&#x1F600;$TM_FILENAME"
         "</content><tabTrigger>b</tabTrigger></snippet>",
         "b = <b>&\"'A😀%(filename)\n"},
        {"SublimeWithoutTabTrigger", SnippetFormat::Sublime,
         "<snippet><content>x</content><description>Box</description></snippet>",
         "-Box: has no tabTrigger\n"},
        {"SublimeContentHoldingAnElement", SnippetFormat::Sublime,
         "<snippet><content>a<b/>c</content><tabTrigger>t</tabTrigger></snippet>",
         "-t: its content holds the element <b>, not only text\n"},
        {"SublimeDoctypeAttributesAndMixedContent", SnippetFormat::Sublime,
         "<!DOCTYPE snippet><snippet version='1 &amp; 2'><content><![CDATA[a]]>&#x41;"
         "<![CDATA[b]]></content><tabTrigger>t</tabTrigger></snippet>",
         "t = aAb\n"},
        {"SublimeCdataNeverClosed", SnippetFormat::Sublime,
         "<snippet>\n<content><![CDATA[x</content></snippet>",
         "!line 2, column 10: the CDATA section is never closed"},
        {"SublimeZeroCharacterReference", SnippetFormat::Sublime,
         "<snippet><content>&#0;</content></snippet>",
         "!line 1, column 19: a character reference names no character"},
        {"SublimeTextAfterTheSnippet", SnippetFormat::Sublime, "<snippet/>x",
         "!line 1, column 11: more text follows </snippet>"},
        {"SublimeMismatchedClosing", SnippetFormat::Sublime,
         "<snippet>\n  <content>x</contnt>\n</snippet>", "!line 2, column 13: expected </content>"},
        {"SublimeUnknownEntity", SnippetFormat::Sublime,
         "<snippet><content>&nbsp;</content></snippet>",
         "!line 1, column 19: unknown entity &nbsp;"},
        {"SublimeOtherRoot", SnippetFormat::Sublime, "<!-- x --><plist/>",
         "!line 1, column 11: the file holds <plist>, not <snippet>"},
    };
    for (const ImportCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string got = outcome(store::importSnippets(c.bytes, c.format));
        EXPECT_EQ(c.onlyTheStart ? got.substr(0, c.expected.size()) : got, c.expected);
    }
}

// What the user gets from the converted template, fields filled as VS Code would fill them.
TEST(SnippetImport, ConvertedTemplatesExpandToTheSnippetsText) {
    struct ExpansionCase {
        const char* name;
        std::string body; // JSON
        std::vector<std::u16string> labels;
        std::vector<std::u16string> values;
        std::u16string expected; // the caret shown as "|"
    };
    const ExpansionCase cases[] = {
        {"BareNameTakesTheValue", "\"${1:row}s: $1.\"", {u"row"}, {u"col"}, u"cols: col.|"},
        {"MarkAfterTheCaretChangesNothing", "[\"$0\", \"${1:n}++;\"]", {u"n"}, {u"i"}, u"|\ni++;"},
        {"ValuesHoldingOtherNamesStay",
         "\"$1 ${2:Field1} $1.\"",
         {u"Field1", u"Field2"},
         {u"Field2", u"x"},
         u"Field2 x Field2.|"},
        {"PercentStaysOne", "\"100% ${1|a,b|}\"", {u"a"}, {u"b"}, u"100% b|"},
        {"FieldsEndedByNothing", "\"log('$1', $2$1);$0\"", {u"Field1", u"Field2"},
         {u"msg", u"n"}, u"log('msg', nmsg);|"},
    };
    for (const ExpansionCase& c : cases) {
        SCOPED_TRACE(c.name);
        const store::SnippetImport imported =
            store::importSnippets(vsCode("\"s\"", c.body), SnippetFormat::VsCode);
        ASSERT_EQ(imported.shortcuts.size(), 1u) << outcome(imported);
        const idelink::PreparedTemplate prepared =
            idelink::prepareTemplate(imported.shortcuts[0].templateText);
        std::vector<std::u16string> labels;
        for (const idelink::Placeholder& placeholder : prepared.placeholders)
            labels.push_back(placeholder.name);
        EXPECT_EQ(labels, c.labels);
        const idelink::FinishedText finished = idelink::finishText(
            idelink::applyValues(prepared.working, prepared.placeholders, c.values), {u"", u"\n"});
        std::string got = finished.bytes;
        got.insert(got.begin() + finished.caretBytes, '|');
        EXPECT_EQ(got, text::utf16ToUtf8(c.expected));
    }
}

TEST(SnippetImport, ReportAndFailureMessage) {
    EXPECT_EQ(text::utf16ToUtf8(store::importReport(1, {})), "1 Shortcut added.");
    EXPECT_EQ(text::utf16ToUtf8(store::importReport(
                  0, {{u"log", u"uses $UUID, which Zendrik has no equal for"}, {u"", u"x"}})),
              "0 Shortcuts added.\n\n2 skipped:\nlog: uses $UUID, which Zendrik has no equal "
              "for\n(untitled): x");
    const std::vector<store::SkippedSnippet> many(27, {u"s", u"r"});
    const std::u16string report = store::importReport(3, many);
    EXPECT_EQ(std::count(report.begin(), report.end(), u'\n'), 2 + 25 + 1);
    EXPECT_TRUE(report.ends_with(u"\ns: r\n... and 2 more."));
    EXPECT_EQ(text::utf16ToUtf8(store::importFailureMessage(u"C:\\a.json", u"line 1, column 2: y")),
              "Nothing was imported from C:\\a.json: it could not be read as a snippet file "
              "(line 1, column 2: y).");
    EXPECT_EQ(store::snippetFormatOf(u"C:\\x\\If.Sublime-Snippet"), SnippetFormat::Sublime);
    EXPECT_EQ(store::snippetFormatOf(u"C:\\x\\c.code-snippets"), SnippetFormat::VsCode);
}

} // namespace

namespace {

// One save adds what is new, under the writers' lock: one backup holds the library as it was,
// and a name the library holds already keeps its template and is reported.
TEST(SnippetImport, FileAddsTheNewNamesInOneSave) {
    storetest::TempFolder folder;
    const auto library = folder / "Zendrik.pref";
    const std::string before = storetest::kBom + "[Shortcuts]\r\nif = If ¤EndIf\r\n";
    storetest::writeBytes(library, before);
    const auto snippets = folder / "my.code-snippets";
    storetest::writeBytes(snippets, "{\n"
                                    "  // exported\n"
                                    "  \"If\": {\"prefix\": \"if\", \"body\": \"nope\"},\n"
                                    "  \"Log\": {\"prefix\": [\"Log\", \"dbg\"], \"body\": "
                                    "[\"Debug $1\", \"$0\"]},\n"
                                    "}\n");
    const store::ImportOutcome outcome =
        store::importSnippetFile(storetest::u16(library), storetest::u16(snippets));
    EXPECT_TRUE(outcome.saved);
    EXPECT_EQ(text::utf16ToUtf8(outcome.message),
              "2 Shortcuts added.\n\n1 skipped:\nif: the library has a Shortcut of this name, "
              "kept as it is");
    EXPECT_EQ(storetest::readBytes(library),
              before + "log = Debug %Field1¤%(|)\r\ndbg = Debug %Field1¤%(|)\r\n");
    size_t backups = 0;
    for (const auto& entry : storetest::fs::directory_iterator(folder / "Zendrik.backup")) {
        ++backups;
        EXPECT_EQ(storetest::readBytes(entry.path()), before);
    }
    EXPECT_EQ(backups, 1u);

    // A file that is no snippet file changes nothing.
    storetest::writeBytes(snippets, "{\"x\": ");
    const store::ImportOutcome broken =
        store::importSnippetFile(storetest::u16(library), storetest::u16(snippets));
    EXPECT_FALSE(broken.saved);
    EXPECT_NE(broken.message.find(u"line 1, column 7"), std::u16string::npos);
}

} // namespace
