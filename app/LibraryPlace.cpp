#include "app/LibraryPlace.h"

#include "store/ShortcutStore.h"

namespace app {

std::u16string expandEnvironmentParts(
    std::u16string_view text,
    const std::function<std::optional<std::u16string>(std::u16string_view name)>& variable) {
    std::u16string expanded;
    size_t from = 0;
    for (size_t open = text.find(u'%'); open != text.npos; open = text.find(u'%', from)) {
        const size_t close = text.find(u'%', open + 1);
        if (close == text.npos)
            break;
        const std::u16string_view name = text.substr(open + 1, close - open - 1);
        const std::optional<std::u16string> value =
            name.empty() || !variable ? std::nullopt : variable(name);
        if (!value) {
            // The closing "%" may open the next part.
            expanded.append(text.substr(from, close - from));
            from = close;
            continue;
        }
        expanded.append(text.substr(from, open - from));
        expanded.append(*value);
        from = close + 1;
    }
    expanded.append(text.substr(from));
    return expanded;
}

bool isAbsolutePath(std::u16string_view path) {
    if (!path.empty() && (path[0] == u'\\' || path[0] == u'/'))
        return true;
    const bool driveLetter =
        path.size() >= 2 && path[1] == u':' &&
        ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'));
    return driveLetter;
}

std::u16string libraryPlace(std::u16string_view argument, std::u16string_view programFolder,
                            const LibraryQuestions& ask) {
    if (!argument.empty()) {
        const std::u16string path = expandEnvironmentParts(argument, ask.variable);
        return isAbsolutePath(path) ? path : std::u16string(programFolder) + path;
    }
    const std::u16string beside =
        std::u16string(programFolder) + std::u16string(store::kPreferenceFileName);
    if (ask.exists(beside) || ask.canCreateFileIn(programFolder))
        return beside;
    // An install under Program Files: the library goes where the user's settings are.
    const std::optional<std::u16string> appData = ask.variable(u"APPDATA");
    if (!appData || appData->empty())
        return beside;
    std::u16string place = *appData;
    if (place.back() != u'\\' && place.back() != u'/')
        place += u'\\';
    return place + u"Zendrik\\" + std::u16string(store::kPreferenceFileName);
}

} // namespace app
