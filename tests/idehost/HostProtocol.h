#pragma once
// What the tests and the stand-in IDEs agree on: how a document given to an IDE marks its
// caret, and the message that asks the hostile IDE for its report.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace idehost {

inline constexpr std::string_view kCaretMarker = "<|>";

struct Document {
    std::string text;
    int64_t caret = 0; // a byte offset; the end when the file has no marker
};

inline Document parseDocument(std::string bytes) {
    Document document;
    const size_t marker = bytes.find(kCaretMarker);
    if (marker == std::string::npos) {
        document.caret = int64_t(bytes.size());
    } else {
        bytes.erase(marker, kCaretMarker.size());
        document.caret = int64_t(marker);
    }
    document.text = std::move(bytes);
    return document;
}

// Posted to HostileIde's main window: it writes the editor's state to its result file and ends.
inline constexpr UINT kReportMessage = WM_APP + 7;

} // namespace idehost
