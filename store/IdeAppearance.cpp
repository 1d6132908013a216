#include "store/IdeAppearance.h"

#include "store/PreferenceFile.h"

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

} // namespace store
