#pragma once
// The code page in which a Scintilla editor keeps its document, from what the editor tells.
#include <cstdint>
#include <optional>

namespace idelink {

// sciCodePage: the editor's answer to SCI_GETCODEPAGE (nullopt: no answer); characterSet: the
// character set of its default style, asked only for code page 0; systemCodePage: the system's
// ANSI code page. The answer is a code page for text::codePageToUtf16 and text::utf16ToCodePage.
int documentCodePage(std::optional<int64_t> sciCodePage, std::optional<int64_t> characterSet,
                     int systemCodePage);

} // namespace idelink
