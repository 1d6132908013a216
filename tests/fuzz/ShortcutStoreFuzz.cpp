// The Shortcut store on arbitrary preference files: loading (whole, or one name) gives what the
// file's own group and key operations read and keeps the settings within their limits, and a
// save, removal or rename (made by a share of the inputs, by every input in the test command's
// replay) changes exactly the named Shortcut as the next load reads it and leaves every other
// one, its case twins included, as it was.
#include "base/TextConvert.h"
#include "store/PreferenceFile.h"
#include "store/ShortcutStore.h"

#include "../store/StoreModel.h"
#include "FuzzSupport.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>

namespace {

// The share of inputs whose change is saved and read back.
constexpr unsigned kSavedShare = 4;

// readOneShortcut gives what the whole load gives, for the names `asked` (those the change is
// about, whether the file holds them or not) and for one of the file's own, the one `pick`
// chooses; for every name of the file when every input gets every check. Each such read goes
// through the whole file, so reading every name of a file of hundreds of lines would be most of
// the run; `pick` comes from the input, so the fuzzer's mutations move the choice over the names.
void checkReadAlone(const std::u16string& path, const std::map<std::u16string, std::u16string>& all,
                    const store::PopupSettings& settings,
                    std::initializer_list<std::u16string_view> asked, std::uint64_t pick) {
    const auto readAlone = [&](std::u16string_view name) {
        store::PopupSettings oneSettings;
        const std::optional<std::u16string> one = store::readOneShortcut(path, name, oneSettings);
        const auto found = all.find(std::u16string(name));
        fuzz::require(found == all.end() ? !one : one == found->second,
                      "one name read from the file is what the whole load finds");
        fuzz::require(
            oneSettings.opacity == settings.opacity && oneSettings.shadow == settings.shadow &&
                oneSettings.slideIn == settings.slideIn && oneSettings.fadeOut == settings.fadeOut,
            "one name's read finds the popup settings the whole load finds");
    };
    for (std::u16string_view name : asked)
        readAlone(name);
    std::size_t index = 0;
    for (const auto& [name, templateText] : all) {
        if (fuzz::everyCheck() || index == pick % all.size())
            readAlone(name);
        ++index;
    }
}

std::map<std::u16string, std::u16string> load(const std::u16string& path,
                                              store::PopupSettings& settings,
                                              std::initializer_list<std::u16string_view> asked,
                                              std::uint64_t pick) {
    store::ShortcutStore shortcuts;
    store::loadShortcutsFrom(path, shortcuts, settings);
    fuzz::require(settings.slideIn >= 1 && settings.slideIn <= 500, "SlideIn within 1..500");
    fuzz::require(settings.opacity >= 1 && settings.opacity <= 255, "Opacity within 1..255");
    std::map<std::u16string, std::u16string> all;
    store::forEachShortcut(shortcuts,
                           [&](std::u16string_view name, std::u16string_view templateText) {
                               all.emplace(name, templateText);
                           });
    store::PopupSettings expectedSettings;
    const auto expected = storemodel::loadByFileOperations(path, expectedSettings);
    fuzz::require(all == expected && store::shortcutCount(shortcuts) == expected.size(),
                  "the store holds what the file operations read");
    for (const auto& [name, templateText] : expected)
        fuzz::require(store::findShortcut(shortcuts, name) == templateText,
                      "every name is found with its template");
    fuzz::require(settings.opacity == expectedSettings.opacity &&
                      settings.shadow == expectedSettings.shadow &&
                      settings.slideIn == expectedSettings.slideIn &&
                      settings.fadeOut == expectedSettings.fadeOut,
                  "the popup settings are what the file operations read");
    checkReadAlone(path, expected, settings, asked, pick);
    return all;
}

// A template as it reads back: line breaks became separators, blanks at the ends are gone.
std::u16string asReadBack(std::u16string_view templateText) {
    std::u16string line;
    for (size_t i = 0; i < templateText.size(); ++i) {
        const char16_t c = templateText[i];
        if (c == u'\r' || c == u'\n') {
            line.push_back(u'\u00A4');
            if (c == u'\r' && i + 1 < templateText.size() && templateText[i + 1] == u'\n')
                ++i;
        } else {
            line.push_back(c);
        }
    }
    return fuzz::trimBlanks(line);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const int operation = input.ConsumeIntegralInRange(0, 2); // save, remove, rename
    const std::u16string name = text::utf8ToUtf16(input.ConsumeRandomLengthString(16));
    const std::u16string newName = text::utf8ToUtf16(input.ConsumeRandomLengthString(16));
    const std::u16string templateText = text::utf8ToUtf16(input.ConsumeRandomLengthString(96));
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    // The manager refuses names the file cannot hold.
    if (!store::isStorableShortcutName(name) ||
        (operation == 2 && !store::isStorableShortcutName(newName)))
        return 0;

    const std::u16string path = fuzz::scratchPath();
    fuzz::writeFileBytes(path, bytes);
    const std::uint64_t pick = fuzz::inputHash(data, size);
    store::PopupSettings settingsBefore;
    const auto before = load(path, settingsBefore, {name}, pick);
    // A save takes the lock, writes and flushes a new file, swaps it in and keeps a backup: more
    // than all the rest, so a share of the inputs gets it.
    if (!fuzz::chosen(pick, kSavedShare))
        return 0;

    bool done = false;
    if (operation == 0)
        done = store::saveShortcutIn(path, name, templateText);
    else if (operation == 1)
        done = store::removeShortcutIn(path, name);
    else
        done = store::renameShortcutIn(path, name, newName, templateText);
    fuzz::require(done, "a writable file takes the change");

    store::PopupSettings settingsAfter;
    const auto after = operation == 2 ? load(path, settingsAfter, {name, newName}, pick)
                                      : load(path, settingsAfter, {name}, pick);
    fuzz::require(settingsAfter.opacity == settingsBefore.opacity &&
                      settingsAfter.shadow == settingsBefore.shadow &&
                      settingsAfter.slideIn == settingsBefore.slideIn &&
                      settingsAfter.fadeOut == settingsBefore.fadeOut,
                  "the popup settings stay");
    for (const auto& [other, otherTemplate] : before) {
        if (other == name || (operation == 2 && other == newName))
            continue;
        const auto found = after.find(other);
        fuzz::require(found != after.end() && found->second == otherTemplate,
                      "every other Shortcut stays as it was");
    }
    const std::u16string& changed = operation == 2 ? newName : name;
    if (operation != 1) {
        const auto found = after.find(changed);
        fuzz::require(found != after.end() && found->second == asReadBack(templateText),
                      "the saved template reads back, whatever lines of that name there were");
    }
    if (operation != 0 && name != newName)
        fuzz::require(after.find(name) == after.end(), "no line of the removed name is left");
    return 0;
}
