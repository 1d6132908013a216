#pragma once
// The editor font and colours of the caret window, so that it looks like the editor it opens
// over: the IDE's, read from the IDE's own preference file (read only; never written), or another
// editor's, from what the editor answers about its own style.
#include <cstdint>
#include <optional>
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

// What a Scintilla editor answered about its default style and its selection, as it answered
// it; nullopt where it gave no answer. Colours are Scintilla's: the style's are 0xBBGGRR, the
// selection's element colours carry an alpha in the high byte.
struct EditorStyleAnswers {
    std::optional<std::string> fontName; // the bytes the editor holds, UTF-8
    std::optional<std::int64_t> sizeHundredths;
    std::optional<std::int64_t> sizePoints;
    std::optional<std::int64_t> textColour;
    std::optional<std::int64_t> backgroundColour;
    std::optional<std::int64_t> selectionTextSet; // non-zero: the editor sets that colour
    std::optional<std::int64_t> selectionTextColour;
    std::optional<std::int64_t> selectionBackSet;
    std::optional<std::int64_t> selectionBackColour;
};

// The largest editor font the caret window takes, in points.
inline constexpr std::int32_t kLargestEditorFontPoints = 72;

// The caret window's look: the IDE's file (ideFile) when the IDE started the run (no answers),
// else the editor's own answers, each answer that is missing or makes no sense replaced by the
// IDE file's value alone.
IdeAppearance editorLook(const std::optional<EditorStyleAnswers>& answers,
                         const IdeAppearance& ideFile);

} // namespace store
