#include "idelink/LowerCase.h"

#include "base/TextConvert.h"

#include <gtest/gtest.h>

namespace {

struct LowerCaseCase {
    const char* text; // UTF-8
    const char* lowered;
};

class WindowsLowerCase : public testing::TestWithParam<LowerCaseCase> {};

// Windows' own mapping (under Wine, Wine's casing tables), one unit for one unit.
TEST_P(WindowsLowerCase, MapsUnitByUnitKeepingTheLength) {
    const std::u16string input = text::utf8ToUtf16(GetParam().text);
    const std::u16string lowered = idelink::lowerCaseText(input);
    EXPECT_EQ(text::utf16ToUtf8(lowered), GetParam().lowered);
    EXPECT_EQ(lowered.size(), input.size());
}

INSTANTIATE_TEST_SUITE_P(All, WindowsLowerCase,
                         testing::Values(LowerCaseCase{"OpenWindow(", "openwindow("},
                                         LowerCaseCase{"FOR x|Y", "for x|y"},
                                         LowerCaseCase{"\t09 =,.:[]@`", "\t09 =,.:[]@`"},
                                         LowerCaseCase{"ÄRGER", "ärger"},
                                         LowerCaseCase{"ÉTÉ", "été"}, LowerCaseCase{"ΣΑΣ", "σασ"},
                                         LowerCaseCase{"äéσ", "äéσ"}, LowerCaseCase{"ДОМ", "дом"},
                                         LowerCaseCase{"", ""}));

} // namespace
