#pragma once
// The Shortcuts in memory (name -> template) and the popup settings, loaded from and written
// to "Zendrik.pref" in the working directory.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace store {

constexpr std::u16string_view kPreferenceFileName = u"Zendrik.pref";

struct ShortcutNameHash {
    using is_transparent = void;
    std::size_t operator()(std::u16string_view name) const {
        return std::hash<std::u16string_view>{}(name);
    }
};

// Names are compared exactly and case-sensitively ("If" and "if" are two Shortcuts).
struct ShortcutStore {
    ShortcutStore() { templates.rehash(kBuckets); }
    static constexpr std::size_t kBuckets = 512;
    std::unordered_map<std::u16string, std::u16string, ShortcutNameHash, std::equal_to<>> templates;
};

const std::u16string* findShortcut(const ShortcutStore& store, std::u16string_view name);
void setShortcut(ShortcutStore& store, std::u16string_view name, std::u16string_view templateText);
bool eraseShortcut(ShortcutStore& store, std::u16string_view name);
std::size_t shortcutCount(const ShortcutStore& store);

// Calls visit(name, templateText) for every Shortcut, in no particular order.
template <typename Visit> void forEachShortcut(const ShortcutStore& store, Visit&& visit) {
    for (const auto& [name, templateText] : store.templates)
        visit(std::u16string_view(name), std::u16string_view(templateText));
}

struct PopupSettings {
    std::int32_t opacity = 245; // alpha of the popup, 255 opaque
    std::int32_t shadow = 1;    // 0: no drop shadow
    std::int32_t slideIn = 10;  // slide-in time in milliseconds
    std::int32_t fadeOut = 1;   // 0: the popup vanishes at once
};

// SlideIn to 1..500 first, Opacity to 1..255 second; Shadow and FadeOut as stored.
void applyPopupLimits(PopupSettings& settings);

// Whether a name reads back from the file as itself: not empty, no "=", CR or LF, not
// beginning with ";" or "[", no space or tab at either end, no unpaired UTF-16 surrogate.
bool isStorableShortcutName(std::u16string_view name);

// A file or a folder of that name exists.
bool preferencePathExists(std::u16string_view path);

// Writes the default file with its 22 Shortcuts and the Popup group. Never replaces anything
// that already exists under that name; false when nothing was written.
bool writeDefaultFile(std::u16string_view path);

// "Zendrik.pref" in the working directory. The store is emptied first; the settings get
// their defaults for missing keys and then their limits.
void loadShortcuts(ShortcutStore& store, PopupSettings& settings);

// One pass each over "Zendrik.pref" in the working directory; they touch only the file. True
// when the file holds the change afterwards (for removeShortcut also when there was nothing
// to remove).
bool saveShortcut(std::u16string_view name, std::u16string_view templateText);
bool removeShortcut(std::u16string_view name);
bool renameShortcut(std::u16string_view oldName, std::u16string_view newName,
                    std::u16string_view templateText);

// The same operations on a preference file at any path.
void loadShortcutsFrom(std::u16string_view path, ShortcutStore& store, PopupSettings& settings);
bool saveShortcutIn(std::u16string_view path, std::u16string_view name,
                    std::u16string_view templateText);
bool removeShortcutIn(std::u16string_view path, std::u16string_view name);
bool renameShortcutIn(std::u16string_view path, std::u16string_view oldName,
                      std::u16string_view newName, std::u16string_view templateText);

} // namespace store
