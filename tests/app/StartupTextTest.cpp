#include "app/StartupText.h"

#include "base/TextConvert.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

// An expansion that left the editor alone for a reason the user cannot see is told, with the
// character and the code page it is about; one the user made (a cancel, typing on) is not.
TEST(ExpansionMessageTable, NamesWhatCouldNotGoInAndItsCodePage) {
    using End = idelink::ExpansionOutcome::End;
    struct Case {
        idelink::ExpansionOutcome outcome;
        std::optional<std::string> message; // UTF-8
    };
    const Case cases[] = {
        {{End::CannotHold, U'\u03A9', 1252},
         "The character \"\xCE\xA9\" (U+03A9) cannot go into this document: its encoding, code "
         "page 1252, cannot hold it. Nothing was changed.\n\nSaved as UTF-8, the document can "
         "hold every character."},
        {{End::CannotHold, U'\U0001F600', 932},
         "The character \"\xF0\x9F\x98\x80\" (U+1F600) cannot go into this document: its "
         "encoding, code page 932, cannot hold it. Nothing was changed.\n\nSaved as UTF-8, the "
         "document can hold every character."},
        {{End::CannotHold, U'\t', 1252},
         "The character U+0009 cannot go into this document: its encoding, code page 1252, "
         "cannot hold it. Nothing was changed.\n\nSaved as UTF-8, the document can hold every "
         "character."},
        {{End::SelectionNotText, 0, 65001},
         "The selected text holds bytes that are no characters of this document's encoding, code "
         "page 65001, and wrapping it would change them. Nothing was changed."},
        {{End::ZeroCharacter, 0, 65001},
         "The text to insert holds a zero character (U+0000), at which the editor would cut it "
         "short. Nothing was changed."},
        {{End::Inserted, 0, 1252}, std::nullopt},
        {{End::LeftAlone, 0, 1252}, std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<std::u16string> message = app::expansionMessage(c.outcome);
        ASSERT_EQ(message.has_value(), c.message.has_value());
        if (message) {
            EXPECT_EQ(text::utf16ToUtf8(*message), *c.message);
        }
    }
}

} // namespace
