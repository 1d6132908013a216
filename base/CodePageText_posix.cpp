#include "base/CodePageText.h"

#include "base/TextConvert.h"

#include <iconv.h>

#include <cerrno>
#include <map>
#include <string>
#include <utility>

namespace text {

namespace {

// iconv's name of a Windows code page.
std::string iconvName(int codePage) {
    switch (codePage) {
    case 10000:
        return "MACINTOSH";
    case 28605:
        return "ISO-8859-15";
    default:
        return "CP" + std::to_string(codePage);
    }
}

// One converter per pair of encodings for the whole process: opening one costs far more than a
// conversion, and a text that does not convert whole is converted again character by character.
iconv_t converterOf(const std::string& to, const std::string& from) {
    // Kept to the end of the process, past the static destructors.
    static auto& converters = *new std::map<std::pair<std::string, std::string>, iconv_t>;
    const auto key = std::make_pair(to, from);
    const auto found = converters.find(key);
    if (found != converters.end())
        return found->second;
    const iconv_t converter = iconv_open(to.c_str(), from.c_str());
    converters.emplace(key, converter);
    return converter;
}

// Strict conversion between two of iconv's encodings: false at the first sequence that has no
// counterpart (iconv without //TRANSLIT or //IGNORE never substitutes).
bool convert(const std::string& to, const std::string& from, std::string_view input,
             std::string& out) {
    out.clear();
    if (input.empty())
        return true;
    const iconv_t converter = converterOf(to, from);
    if (converter == iconv_t(-1))
        return false;
    iconv(converter, nullptr, nullptr, nullptr, nullptr); // the state a failure may have left
    std::string in(input);
    char* inAt = in.data();
    size_t inLeft = in.size();
    bool converted = true;
    char buffer[256];
    while (inLeft > 0 && converted) {
        char* outAt = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(converter, &inAt, &inLeft, &outAt, &outLeft);
        out.append(buffer, size_t(outAt - buffer));
        if (result == size_t(-1) && errno != E2BIG)
            converted = false;
    }
    if (converted) {
        // A stateful encoding's closing bytes, were one asked for.
        char* outAt = buffer;
        size_t outLeft = sizeof buffer;
        converted = iconv(converter, nullptr, nullptr, &outAt, &outLeft) != size_t(-1);
        out.append(buffer, size_t(outAt - buffer));
    }
    return converted;
}

} // namespace

bool systemDecode(int codePage, std::string_view bytes, std::u16string& out) {
    std::string utf8;
    if (!convert("UTF-8", iconvName(codePage), bytes, utf8))
        return false;
    out = utf8ToUtf16(utf8);
    return true;
}

bool systemEncode(int codePage, std::u16string_view text, std::string& out) {
    // A lone surrogate has no character to encode: it would come back as U+FFFD.
    for (size_t at = 0; at < text.size(); at += codePointUnits(text, at))
        if (const char32_t unit = codePointAt(text, at); unit >= 0xD800 && unit <= 0xDFFF)
            return false;
    return convert(iconvName(codePage), "UTF-8", utf16ToUtf8(text), out);
}

} // namespace text
