// The text conversions on arbitrary bytes and arbitrary UTF-16 units.
#include "base/TextConvert.h"

#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // Bytes as UTF-8: never more units than bytes, and the units' UTF-8 form decodes back to
    // the same units (malformed bytes became U+FFFD once and stay so).
    const std::u16string units = text::utf8ToUtf16(bytes);
    fuzz::require(units.size() <= bytes.size(), "no more units than bytes");
    const std::string again = text::utf16ToUtf8(units);
    fuzz::require(text::utf8Length(units) == again.size(), "utf8Length is the length of the form");
    fuzz::require(text::utf8ToUtf16(again) == units, "decoding the encoded units gives them back");
    if (units.find(u'\xFFFD') == std::u16string::npos)
        fuzz::require(again == bytes, "valid UTF-8 goes through unchanged");
    fuzz::require(text::isWellFormedUtf8(bytes) == (again == bytes),
                  "well-formed is exactly what goes through unchanged");
    fuzz::require(text::canonicalUtf8(bytes) == again, "the canonical form is the decoded one");

    // Bytes as Latin-1: one unit per byte, each the byte's value.
    const std::u16string latin = text::utf8ToUtf16(text::latin1ToUtf8(bytes));
    fuzz::require(latin.size() == bytes.size(), "one unit per Latin-1 byte");
    for (size_t i = 0; i < bytes.size(); ++i)
        fuzz::require(latin[i] == static_cast<unsigned char>(bytes[i]), "Latin-1 keeps values");

    // Bytes as UTF-16 units: lone surrogates become U+FFFD, everything else comes back.
    std::u16string wide;
    for (size_t i = 0; i + 1 < size; i += 2)
        wide.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    const std::string encoded = text::utf16ToUtf8(wide);
    fuzz::require(text::utf8Length(wide) == encoded.size(), "utf8Length of any units");
    const std::u16string decoded = text::utf8ToUtf16(encoded);
    fuzz::require(decoded.size() == wide.size(), "a unit for a unit");
    for (size_t i = 0; i < wide.size(); ++i) {
        const char16_t c = wide[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        const bool low = c >= 0xDC00 && c <= 0xDFFF;
        const bool paired =
            (high && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) ||
            (low && i > 0 && wide[i - 1] >= 0xD800 && wide[i - 1] <= 0xDBFF &&
             decoded[i - 1] == wide[i - 1]);
        fuzz::require(decoded[i] == ((high || low) && !paired ? u'\xFFFD' : c),
                      "units come back, lone surrogates as U+FFFD");
    }
    return 0;
}
