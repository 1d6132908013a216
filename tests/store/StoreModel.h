#pragma once
// What loading a preference file must give, read the plain way: the file's own group and key
// operations, one Shortcut at a time into an ordinary map. The store's loader reads the text
// itself, so the tests hold it to this.
#include "store/PreferenceFile.h"
#include "store/ShortcutStore.h"

#include <map>
#include <string>
#include <string_view>

namespace storemodel {

inline std::map<std::u16string, std::u16string> loadByFileOperations(std::u16string_view path,
                                                                      store::PopupSettings& settings) {
    std::map<std::u16string, std::u16string> shortcuts;
    settings = store::PopupSettings{};
    store::PreferenceFile file;
    file.open(path);
    if (file.selectGroup(u"Shortcuts") && file.examineKeys()) {
        while (file.nextKey())
            shortcuts[file.keyName()] = file.keyValue();
    }
    file.selectGroup(u"Popup");
    settings.opacity = file.readInteger(u"Opacity", settings.opacity);
    settings.shadow = file.readInteger(u"Shadow", settings.shadow);
    settings.slideIn = file.readInteger(u"SlideIn", settings.slideIn);
    settings.fadeOut = file.readInteger(u"FadeOut", settings.fadeOut);
    file.close();
    store::applyPopupLimits(settings);
    return shortcuts;
}

} // namespace storemodel
