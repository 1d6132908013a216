#pragma once
// What the tests and the stand-in IDEs agree on: how a document given to an IDE marks its
// caret and the other end of a selection, and the message that asks the hostile IDE for its
// report.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace idehost {

inline constexpr std::string_view kCaretMarker = "<|>";
inline constexpr std::string_view kAnchorMarker = "<^>";

struct Document {
    std::string text;
    int64_t caret = 0;  // a byte offset; the end when the file has no marker
    int64_t anchor = 0; // the selection's other end; the caret when the file has no marker
};

inline Document parseDocument(std::string bytes) {
    Document document;
    size_t anchor = bytes.find(kAnchorMarker);
    if (anchor != std::string::npos)
        bytes.erase(anchor, kAnchorMarker.size());
    const size_t marker = bytes.find(kCaretMarker);
    if (marker == std::string::npos) {
        document.caret = int64_t(bytes.size());
    } else {
        bytes.erase(marker, kCaretMarker.size());
        document.caret = int64_t(marker);
        if (anchor != std::string::npos && anchor > marker)
            anchor -= kCaretMarker.size();
    }
    document.anchor = anchor == std::string::npos ? document.caret : int64_t(anchor);
    document.text = std::move(bytes);
    return document;
}

// Posted to HostileIde's main window: it writes the editor's state to its result file and ends.
inline constexpr UINT kReportMessage = WM_APP + 7;

} // namespace idehost
