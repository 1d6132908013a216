#include "base/CodePageText.h"

#include "base/TextConvert.h"

#include <windows.h>

namespace text {

bool systemDecode(int codePage, std::string_view bytes, std::u16string& out) {
    out.clear();
    if (bytes.empty())
        return true;
    const int size = int(bytes.size());
    const int units =
        MultiByteToWideChar(UINT(codePage), MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (units <= 0)
        return false;
    std::wstring wide(size_t(units), L'\0');
    if (MultiByteToWideChar(UINT(codePage), MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(),
                            units) != units)
        return false;
    out = fromWide(wide);
    return true;
}

// WC_NO_BEST_FIT_CHARS keeps Windows from putting a look-alike in place of a character the code
// page lacks ("a" for "α"), and the default character it would put instead is caught by
// decoding the bytes again: only a text that comes back as itself went in exactly.
bool systemEncode(int codePage, std::u16string_view text, std::string& out) {
    out.clear();
    if (text.empty())
        return true;
    const std::wstring wide = toWide(text);
    const int size = int(wide.size());
    const int bytes = WideCharToMultiByte(UINT(codePage), WC_NO_BEST_FIT_CHARS, wide.data(), size,
                                          nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return false;
    out.assign(size_t(bytes), '\0');
    if (WideCharToMultiByte(UINT(codePage), WC_NO_BEST_FIT_CHARS, wide.data(), size, out.data(),
                            bytes, nullptr, nullptr) != bytes)
        return false;
    std::u16string back;
    return systemDecode(codePage, out, back) && back == text;
}

} // namespace text
