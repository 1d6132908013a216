// Where Up and Down take a placeholder field with choices. Native and Windows builds both run it.
#include "popup/PopupChoices.h"

#include "base/TextConvert.h"

#include <gtest/gtest.h>

namespace {

using Choices = std::vector<std::u16string>;
const Choices kTypes{u"s", u"i", u"l"}; // %type=s=i=l
const Choices kFlags{u"", u"#A"};       // %Flags==#A
const Choices kTwice{u"a", u"b", u"a"};

struct StepCase {
    const char* name;
    Choices choices;
    const char16_t* fieldText;
    int step;              // +1 Down, -1 Up
    const char16_t* shown; // nullptr: the field stays as it is
};

const StepCase kCases[] = {
    {"DownFromTheMiddle", kTypes, u"i", +1, u"l"},
    {"UpFromTheMiddle", kTypes, u"i", -1, u"s"},
    {"DownAtTheLastStays", kTypes, u"l", +1, nullptr},
    {"UpAtTheFirstStays", kTypes, u"s", -1, nullptr},
    {"DownFromTypedText", kTypes, u"S", +1, u"s"},
    {"UpFromTypedText", kTypes, u"long", -1, u"s"},
    {"DownFromAnEmptyChoice", kFlags, u"", +1, u"#A"},
    {"UpToAnEmptyChoice", kFlags, u"#A", -1, u""},
    {"NoChoices", Choices{}, u"x", +1, nullptr},
    {"TwiceListedDownFromItsFirst", kTwice, u"a", +1, u"b"},
    {"TwiceListedUpFromItsFirstStays", kTwice, u"a", -1, nullptr},
};

TEST(PopupChoices, UpAndDownStepThroughTheChoicesAndStopAtTheEnds) {
    for (const StepCase& c : kCases) {
        const std::optional<std::u16string> shown =
            popup::steppedChoice(c.choices, c.fieldText, c.step);
        EXPECT_EQ(shown ? text::utf16ToUtf8(*shown) : "(stays)",
                  c.shown ? text::utf16ToUtf8(c.shown) : "(stays)")
            << c.name;
    }
}

} // namespace
