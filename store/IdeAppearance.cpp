#include "store/IdeAppearance.h"

#include "base/TextConvert.h"
#include "store/PreferenceFile.h"

#include <algorithm>
#include <new>

namespace store {

std::u16string ideAppearancePath(std::u16string_view appData) {
    return std::u16string(appData) + u"/purebasic/purebasic.prefs";
}

IdeAppearance readIdeAppearance(std::u16string_view path) {
    IdeAppearance look;
    try {
        PreferenceFile file;
        file.open(path);
        file.selectGroup(u"Editor");
        look.editorFontSize = file.readInteger(u"EditorFontSize", look.editorFontSize);
        look.editorFontName = file.readString(u"EditorFontName", look.editorFontName);
        look.backgroundColor = file.readInteger(u"BackgroundColor", look.backgroundColor);
        look.normalTextColor = file.readInteger(u"NormalTextColor", look.normalTextColor);
        look.selectionColor = file.readInteger(u"SelectionColor", look.selectionColor);
        look.selectionFrontColor =
            file.readInteger(u"SelectionFrontColor", look.selectionFrontColor);
        // Nothing was changed, so closing writes nothing: the IDE's file stays as it is.
        file.close();
    } catch (const std::bad_alloc&) {
        // An expansion must never stop for the popup's looks.
        look = IdeAppearance{};
    }
    return look;
}

namespace {

// Windows names a font in at most 31 UTF-16 units; a longer name, one with a control
// character or one that is no UTF-8 is no font the editor draws with.
constexpr size_t kLongestFontNameUnits = 31;

std::optional<std::u16string> fontNameOf(const std::optional<std::string>& bytes) {
    if (!bytes || bytes->empty() || !text::isWellFormedUtf8(*bytes))
        return std::nullopt;
    std::u16string name = text::utf8ToUtf16(*bytes);
    const bool control =
        std::any_of(name.begin(), name.end(), [](char16_t unit) { return unit < 0x20; });
    if (control || name.size() > kLongestFontNameUnits)
        return std::nullopt;
    return name;
}

// Points, from the fractional size where the editor knows it (an older Scintilla answers 0),
// rounded to the nearest point, since the font is made in whole points as the IDE's is.
std::optional<std::int32_t> fontPointsOf(const EditorStyleAnswers& answers) {
    constexpr std::int64_t kLargestHundredths = std::int64_t(kLargestEditorFontPoints) * 100;
    if (answers.sizeHundredths && *answers.sizeHundredths >= 50 &&
        *answers.sizeHundredths <= kLargestHundredths)
        return std::int32_t((*answers.sizeHundredths + 50) / 100);
    if (answers.sizePoints && *answers.sizePoints > 0 &&
        *answers.sizePoints <= kLargestEditorFontPoints)
        return std::int32_t(*answers.sizePoints);
    return std::nullopt;
}

std::optional<std::int32_t> styleColourOf(const std::optional<std::int64_t>& answer) {
    if (!answer || *answer < 0 || *answer > 0xFFFFFF)
        return std::nullopt;
    return std::int32_t(*answer);
}

// An element colour is drawn with its alpha over the background; the opaque colour it gives
// is what the caret window paints. Only its low 32 bits are the colour, whatever width and
// sign the answer crossed with.
std::optional<std::int32_t> elementColourOf(const std::optional<std::int64_t>& set,
                                            const std::optional<std::int64_t>& answer,
                                            std::int32_t background) {
    if (!set || *set == 0 || !answer)
        return std::nullopt;
    const auto rgba = std::uint32_t(*answer);
    const std::uint32_t alpha = rgba >> 24;
    std::int32_t colour = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t over = (rgba >> shift) & 0xFF;
        const std::uint32_t under = (std::uint32_t(background) >> shift) & 0xFF;
        colour |= std::int32_t((over * alpha + under * (255 - alpha) + 127) / 255) << shift;
    }
    return colour;
}

// A quarter of the way from the background to the text: a selection that shows on a dark
// editor as on a light one, in the editor's own hues.
std::int32_t derivedSelectionBack(std::int32_t text, std::int32_t background) {
    std::int32_t colour = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int from = (background >> shift) & 0xFF;
        const int to = (text >> shift) & 0xFF;
        colour |= (from + (to - from) / 4) << shift;
    }
    return colour;
}

} // namespace

IdeAppearance editorLook(const std::optional<EditorStyleAnswers>& answers,
                         const IdeAppearance& ideFile) {
    if (!answers)
        return ideFile;
    IdeAppearance look = ideFile;
    if (std::optional<std::u16string> name = fontNameOf(answers->fontName))
        look.editorFontName = std::move(*name);
    look.editorFontSize = fontPointsOf(*answers).value_or(ideFile.editorFontSize);
    const std::optional<std::int32_t> text = styleColourOf(answers->textColour);
    const std::optional<std::int32_t> background = styleColourOf(answers->backgroundColour);
    look.normalTextColor = text.value_or(ideFile.normalTextColor);
    look.backgroundColor = background.value_or(ideFile.backgroundColor);
    // The IDE file's selection belongs with its own colours: it stays unless the editor gave
    // one of them.
    const bool ownColours = text || background;
    look.selectionFrontColor =
        elementColourOf(answers->selectionTextSet, answers->selectionTextColour,
                        look.backgroundColor)
            .value_or(ownColours ? look.normalTextColor : ideFile.selectionFrontColor);
    look.selectionColor =
        elementColourOf(answers->selectionBackSet, answers->selectionBackColour,
                        look.backgroundColor)
            .value_or(ownColours ? derivedSelectionBack(look.normalTextColor, look.backgroundColor)
                                 : ideFile.selectionColor);
    return look;
}

} // namespace store
