#include "idelink/CaseStyle.h"

#include "base/TextConvert.h"

#include <gtest/gtest.h>

namespace {

using idelink::CaseStyle;

// Each style on one value; the words of the last four split at every kind of boundary. Letters
// outside ASCII take the system's case mapping, unit by unit (so "ß" stays as it is).
TEST(CaseStyleTable, WritesTheValueInEachStyle) {
    const struct {
        const char* value;
        CaseStyle style;
        const char* expected;
    } cases[] = {
        {"maxWidth", CaseStyle::Upper, "MAXWIDTH"},
        {"Größe Ωmega", CaseStyle::Upper, "GRÖßE ΩMEGA"},
        {"ÄRGER_Über", CaseStyle::Lower, "ärger_über"},
        {"point", CaseStyle::Cap, "Point"},
        {"élan vital", CaseStyle::Cap, "Élan vital"},
        {"xML", CaseStyle::Cap, "XML"}, // the rest as typed
        {"", CaseStyle::Cap, ""},
        // Spaces, tabs, "_" and "-" separate words, runs of them as one; so does a lower-case
        // letter or a digit before an upper-case one, but not an upper-case run.
        {"my window", CaseStyle::Pascal, "MyWindow"},
        {"MAX_WIDTH", CaseStyle::Pascal, "MaxWidth"},
        {"  my--big__\twindow ", CaseStyle::Snake, "my_big_window"},
        {"MaxWidth", CaseStyle::Const, "MAX_WIDTH"},
        {"vec3Dim", CaseStyle::Snake, "vec3_dim"},
        {"HTTPServer", CaseStyle::Snake, "httpserver"},
        {"useState", CaseStyle::Camel, "useState"},
        {"Set State", CaseStyle::Camel, "setState"},
        {"ärgerÜber straße", CaseStyle::Pascal, "ÄrgerÜberStraße"},
        {"größeÄnderung", CaseStyle::Const, "GRÖßE_ÄNDERUNG"},
        {"_-_", CaseStyle::Pascal, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(text::utf16ToUtf8(idelink::inCaseStyle(c.style, text::utf8ToUtf16(c.value))),
                  c.expected)
            << c.value << " in style " << int(c.style);
    }
}

} // namespace
