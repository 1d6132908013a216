#include "idelink/CaseStyle.h"

#include "base/LetterCase.h"

#include <vector>

namespace idelink {

namespace {

bool separatesWords(char16_t unit) {
    return unit == u' ' || unit == u'\t' || unit == u'_' || unit == u'-';
}

// The value's words, each as its positions in the value.
struct Word {
    size_t start;
    size_t length;
};

std::vector<Word> wordsOf(std::u16string_view value, std::u16string_view upper,
                          std::u16string_view lower) {
    // A letter is upper case when lower-casing changes it, lower case when upper-casing does.
    const auto isUpper = [&](size_t i) { return lower[i] != value[i]; };
    const auto isLowerOrDigit = [&](size_t i) {
        return upper[i] != value[i] || (value[i] >= u'0' && value[i] <= u'9');
    };
    std::vector<Word> words;
    size_t start = 0;
    const auto endWord = [&](size_t end) {
        if (end > start)
            words.push_back({start, end - start});
    };
    for (size_t i = 0; i < value.size(); ++i) {
        if (separatesWords(value[i])) {
            endWord(i);
            start = i + 1;
        } else if (i > start && isUpper(i) && isLowerOrDigit(i - 1)) {
            endWord(i);
            start = i;
        }
    }
    endWord(value.size());
    return words;
}

} // namespace

std::optional<CaseStyle> caseStyleNamed(std::u16string_view word) {
    struct Named {
        std::u16string_view word;
        CaseStyle style;
    };
    static constexpr Named kStyles[] = {
        {u"upper", CaseStyle::Upper},   {u"lower", CaseStyle::Lower}, {u"cap", CaseStyle::Cap},
        {u"pascal", CaseStyle::Pascal}, {u"camel", CaseStyle::Camel}, {u"snake", CaseStyle::Snake},
        {u"const", CaseStyle::Const},
    };
    for (const Named& named : kStyles)
        if (named.word == word)
            return named.style;
    return std::nullopt;
}

std::u16string inCaseStyle(CaseStyle style, std::u16string_view value) {
    const std::u16string upper = text::upperCaseText(value);
    const std::u16string lower = text::lowerCaseText(value);
    switch (style) {
    case CaseStyle::Upper:
        return upper;
    case CaseStyle::Lower:
        return lower;
    case CaseStyle::Cap:
        return value.empty() ? std::u16string()
                             : upper.substr(0, 1) + std::u16string(value.substr(1));
    case CaseStyle::Pascal:
    case CaseStyle::Camel:
    case CaseStyle::Snake:
    case CaseStyle::Const:
        break;
    }
    std::u16string result;
    result.reserve(value.size());
    bool first = true;
    for (const Word& word : wordsOf(value, upper, lower)) {
        switch (style) {
        case CaseStyle::Snake:
        case CaseStyle::Const:
            if (!first)
                result += u'_';
            result.append(style == CaseStyle::Snake ? lower : upper, word.start, word.length);
            break;
        default: // Pascal, Camel: each word capitalised, but Camel's first all in lower case
            if (style == CaseStyle::Camel && first) {
                result.append(lower, word.start, word.length);
            } else {
                result += upper[word.start];
                result.append(lower, word.start + 1, word.length - 1);
            }
            break;
        }
        first = false;
    }
    return result;
}

} // namespace idelink
