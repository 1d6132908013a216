#pragma once
// What the tests and the stand-in IDEs agree on: how a document given to an IDE marks its
// caret, and the message that asks the hostile IDE for its report.
#include <windows.h>

#include <string_view>

namespace idehost {

inline constexpr std::string_view kCaretMarker = "<|>";

// Posted to HostileIde's main window: it writes the editor's state to its result file and ends.
inline constexpr UINT kReportMessage = WM_APP + 7;

} // namespace idehost
