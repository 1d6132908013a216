#pragma once
// The IDE's editor font and colours, read from the IDE's own preference file so that the
// placeholder popup looks like the editor it opens over. Read only; never written.
#include <cstdint>
#include <string>
#include <string_view>

namespace store {

// Colours are COLORREF values (red in the low byte), used exactly as the IDE stored them.
struct IdeAppearance {
    std::u16string editorFontName = u"MS Shell Dlg";
    std::int32_t editorFontSize = 8;             // points, used as read
    std::int32_t backgroundColor = 6579300;      // 100, 100, 100
    std::int32_t normalTextColor = 13158600;     // 200, 200, 200
    std::int32_t selectionColor = 5921370;       // 90, 90, 90
    std::int32_t selectionFrontColor = 13158600; // 200, 200, 200
};

// The value of APPDATA followed by "/purebasic/purebasic.prefs", slashes as they stand.
std::u16string ideAppearancePath(std::u16string_view appData);

// The group "Editor" of the file; every key that is missing, and every failure to read the
// file at all, gives the default of that key.
IdeAppearance readIdeAppearance(std::u16string_view path);

} // namespace store
