#include "idelink/DocumentCodePage.h"

#include "idelink/ScintillaMessages.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using namespace idelink; // the character sets under Scintilla's own names

// The code page of a document from the editor's answers, on a system whose ANSI code page is
// 1251 (so that it differs from every fixed answer).
TEST(DocumentCodePageTable, TheEditorsCodePageOrItsDefaultStylesCharacterSet) {
    struct Case {
        std::optional<int64_t> codePage;
        std::optional<int64_t> characterSet;
        int expected;
    };
    const Case cases[] = {
        {65001, std::nullopt, 65001},
        {932, std::nullopt, 932},
        {1361, std::nullopt, 1361},
        // Code page 0: the character set of the default style decides.
        {0, SC_CHARSET_DEFAULT, 1251},
        {0, SC_CHARSET_ANSI, 1252},
        {0, SC_CHARSET_EASTEUROPE, 1250},
        {0, SC_CHARSET_SHIFTJIS, 932},
        // Sets without a code page of their own are drawn in the system's.
        {0, SC_CHARSET_SYMBOL, 1251},
        {0, 99, 1251},
        {0, std::nullopt, 1251},
        // No answer, or one the editor cannot keep a document in: UTF-8 as before.
        {std::nullopt, std::nullopt, 65001},
        {1252, std::nullopt, 65001},
        {-1, std::nullopt, 65001},
        {0x7FFFFFFFFFFF, std::nullopt, 65001},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.codePage.value_or(-99) << " " << c.characterSet.value_or(-99));
        EXPECT_EQ(documentCodePage(c.codePage, c.characterSet, 1251), c.expected);
    }
    EXPECT_EQ(documentCodePage(0, SC_CHARSET_DEFAULT, 0), 65001); // a system that cannot tell
}

} // namespace
