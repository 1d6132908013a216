#include "store/NameOrder.h"

#include "base/LetterCase.h"
#include "base/TextConvert.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Before = std::function<bool(const std::string& utf8A, const std::string& utf8B)>;

bool managerBefore(const std::string& a, const std::string& b) {
    return store::inManagerOrder(text::utf8ToUtf16(a), text::utf8ToUtf16(b));
}

bool fileBefore(const std::string& a, const std::string& b) {
    return store::inFileOrder(a, b);
}

bool pickerBefore(const std::string& a, const std::string& b) {
    const std::u16string nameA = text::utf8ToUtf16(a);
    const std::u16string nameB = text::utf8ToUtf16(b);
    return store::inPickerOrder(text::lowerCaseText(nameA), nameA, text::lowerCaseText(nameB),
                                nameB);
}

// Each order on names where the orders part: a letter against "_" and "[" (letters fold to lower
// case, so both come first), a byte above 0x7F against an ASCII letter, a name beyond U+FFFF
// ("😀", four bytes in UTF-8, a surrogate pair in UTF-16) against U+E000, names that differ only
// in the case of an ASCII letter ("B", "b") and of another letter ("É", "é").
TEST(NameOrder, EachOrderRanksNamesByTheFormItsReaderHolds) {
    const struct {
        const char* order;
        Before before;
        std::vector<std::string> names; // UTF-8, each strictly before the next
    } cases[] = {
        {"file",
         fileBefore,
         {"[x", "_start", "a", "Abc", "abd", "B", "b", "Zed", "É", "é", "\uE000", "😀"}},
        {"manager",
         managerBefore,
         {"[x", "_start", "a", "Abc", "abd", "b", "Zed", "É", "é", "😀", "\uE000"}},
        {"picker",
         pickerBefore,
         {"[x", "_start", "a", "Abc", "abd", "B", "b", "Zed", "É", "é", "éb", "Éc", "😀", "\uE000"}},
    };
    for (const auto& c : cases) {
        for (size_t i = 0; i < c.names.size(); ++i) {
            for (size_t j = i + 1; j < c.names.size(); ++j) {
                EXPECT_TRUE(c.before(c.names[i], c.names[j]))
                    << c.order << ": " << c.names[i] << " before " << c.names[j];
                EXPECT_FALSE(c.before(c.names[j], c.names[i]))
                    << c.order << ": " << c.names[j] << " after " << c.names[i];
            }
        }
    }
    // Equal but for the case of ASCII letters: the manager leaves them to its caller.
    EXPECT_FALSE(managerBefore("If", "if"));
    EXPECT_FALSE(managerBefore("if", "If"));
}

} // namespace
