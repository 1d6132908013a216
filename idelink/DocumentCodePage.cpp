#include "idelink/DocumentCodePage.h"

#include "base/CodePageText.h"
#include "idelink/ScintillaMessages.h"

namespace idelink {

namespace {

// A document in code page 0 is kept in the code page of its default style's character set, as
// the editor converts typed and pasted text for it; a set the editor converts with no code page
// of its own (the default set, symbol, the two Cyrillic sets it does not map, any set unknown
// here) is the system's ANSI code page, in which Windows draws it.
int codePageOfCharacterSet(int64_t characterSet, int systemCodePage) {
    switch (characterSet) {
    case SC_CHARSET_ANSI:
        return 1252;
    case SC_CHARSET_BALTIC:
        return 1257;
    case SC_CHARSET_CHINESEBIG5:
        return 950;
    case SC_CHARSET_EASTEUROPE:
        return 1250;
    case SC_CHARSET_GB2312:
        return 936;
    case SC_CHARSET_GREEK:
        return 1253;
    case SC_CHARSET_HANGUL:
        return 949;
    case SC_CHARSET_MAC:
        return 10000;
    case SC_CHARSET_OEM:
        return 437;
    case SC_CHARSET_RUSSIAN:
        return 1251;
    case SC_CHARSET_SHIFTJIS:
        return 932;
    case SC_CHARSET_TURKISH:
        return 1254;
    case SC_CHARSET_JOHAB:
        return 1361;
    case SC_CHARSET_HEBREW:
        return 1255;
    case SC_CHARSET_ARABIC:
        return 1256;
    case SC_CHARSET_VIETNAMESE:
        return 1258;
    case SC_CHARSET_THAI:
        return 874;
    case SC_CHARSET_8859_15:
        return 28605;
    default:
        return systemCodePage;
    }
}

} // namespace

// An editor that does not answer, or answers with a code page it cannot keep a document in, is
// taken to hold UTF-8, as every editor was taken to before code pages were asked for.
int documentCodePage(std::optional<int64_t> sciCodePage, std::optional<int64_t> characterSet,
                     int systemCodePage) {
    if (!sciCodePage)
        return text::kUtf8CodePage;
    if (*sciCodePage == 0) {
        const int codePage =
            characterSet ? codePageOfCharacterSet(*characterSet, systemCodePage) : systemCodePage;
        // A system that could not tell its code page gives 0.
        return codePage > 0 ? codePage : text::kUtf8CodePage;
    }
    if (*sciCodePage == text::kUtf8CodePage || text::isDoubleByteCodePage(int(*sciCodePage)))
        return int(*sciCodePage);
    return text::kUtf8CodePage;
}

} // namespace idelink
